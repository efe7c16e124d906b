#include "skin/ImageToolbar.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <cmath>

ImageToolbar::ImageToolbar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("imgToolbar1"));
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
}

void ImageToolbar::setImageLists(const skin::ImageList &normal, const skin::ImageList &hover,
                                 const skin::ImageList &down)
{
    m_normal = normal;
    m_hover = hover;
    m_down = down;
}

void ImageToolbar::populate(int count)
{
    count = std::min({count, m_normal.count(), m_hover.count(), m_down.count()});
    m_rects.clear();
    m_looks.clear();
    m_highlighted = false;
    m_highlightedIndex = 0;
    m_pressedIndex = 0;
    const QSize size = m_normal.imageSize();
    for (int i = 1; i <= count; ++i) {
        // The spacing was given in 1/1440 inch: image width x 19 per picture,
        // at 15 units per pixel.
        const int left = int(std::lround((i - 1) * size.width() * 19.0 / 15.0));
        m_rects.append(QRect(QPoint(left, 0), size));
        m_looks.append(Look::Normal);
    }
    updateGeometry();
    resize(sizeHint());
    update();
}

void ImageToolbar::watch(QWidget *area)
{
    if (!area || m_watched.contains(area))
        return;
    m_watched.append(area);
    area->setMouseTracking(true);
    area->installEventFilter(this);
}

QRect ImageToolbar::pictureRect(int index) const
{
    return index >= 1 && index <= count() ? m_rects.at(index - 1) : QRect();
}

QString ImageToolbar::toolTipOf(int index) const
{
    return index >= 1 && index <= count() ? m_normal.key(index) : QString();
}

QString ImageToolbar::hintOf(int index) const
{
    if (index >= 1 && index <= count() && index <= m_hints.size())
        return m_hints.at(index - 1);
    return toolTipOf(index);
}

ImageToolbar::Look ImageToolbar::look(int index) const
{
    return index >= 1 && index <= count() ? m_looks.at(index - 1) : Look::Normal;
}

int ImageToolbar::pictureAt(const QPoint &point) const
{
    for (int i = 0; i < m_rects.size(); ++i)
        if (m_rects.at(i).contains(point))
            return i + 1;
    return 0;
}

QSize ImageToolbar::sizeHint() const
{
    if (m_rects.isEmpty())
        return QSize(0, 0);
    return QSize(m_rects.last().right() + 1, m_rects.last().bottom() + 1);
}

void ImageToolbar::setLook(int index, Look look)
{
    if (index < 1 || index > count() || m_looks.at(index - 1) == look)
        return;
    m_looks[index - 1] = look;
    update(pictureRect(index));
}

void ImageToolbar::pointerOverPicture(int index)
{
    // While one picture is highlighted, the others keep their look.
    if (m_highlighted)
        return;
    setLook(index, Look::Hover);
    m_highlighted = true;
    m_highlightedIndex = index;
}

void ImageToolbar::clearHighlight()
{
    if (!m_highlighted)
        return;
    setLook(m_highlightedIndex, Look::Normal);
    m_highlighted = false;
}

bool ImageToolbar::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int index = pictureAt(help->pos());
        if (index > 0)
            QToolTip::showText(help->globalPos(), hintOf(index), this, pictureRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

bool ImageToolbar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && m_pressedIndex == 0) {
        for (const QPointer<QWidget> &area : std::as_const(m_watched))
            if (area == watched) {
                clearHighlight();
                break;
            }
    }
    return QWidget::eventFilter(watched, event);
}

void ImageToolbar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int i = 1; i <= count(); ++i) {
        const skin::ImageList &list = m_looks.at(i - 1) == Look::Hover ? m_hover
            : m_looks.at(i - 1) == Look::Down                          ? m_down
                                                                       : m_normal;
        painter.drawPixmap(pictureRect(i).topLeft(), list.picture(i));
    }
    if (hasFocus() && m_focusIndex >= 1 && m_focusIndex <= count()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2, Qt::DotLine));
        painter.drawRect(pictureRect(m_focusIndex).adjusted(1, 1, -1, -1));
    }
}

void ImageToolbar::keyPressEvent(QKeyEvent *event)
{
    if (count() == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        m_focusIndex = m_focusIndex <= 1 ? count() : m_focusIndex - 1;
        update();
        break;
    case Qt::Key_Right:
        m_focusIndex = m_focusIndex >= count() ? 1 : m_focusIndex + 1;
        update();
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & ~Qt::KeypadModifier) {
            QWidget::keyPressEvent(event);
            return;
        }
        Q_EMIT pictureClicked(m_focusIndex, toolTipOf(m_focusIndex));
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ImageToolbar::focusInEvent(QFocusEvent *event)
{
    if (m_focusIndex < 1 || m_focusIndex > count())
        m_focusIndex = count() > 0 ? 1 : 0;
    update();
    QWidget::focusInEvent(event);
}

void ImageToolbar::focusOutEvent(QFocusEvent *event)
{
    update();
    QWidget::focusOutEvent(event);
}

void ImageToolbar::mousePressEvent(QMouseEvent *event)
{
    if (m_pressedIndex != 0)
        return;
    const int index = pictureAt(event->position().toPoint());
    if (index == 0)
        return;
    m_pressedIndex = index;
    setLook(index, Look::Down);
}

void ImageToolbar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedIndex != 0)
        return;  // the pressed picture keeps its look until released
    const int index = pictureAt(event->position().toPoint());
    if (index > 0)
        pointerOverPicture(index);
    else
        clearHighlight();  // the frame between the pictures
}

void ImageToolbar::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_pressedIndex == 0 || event->buttons() != Qt::NoButton)
        return;
    const int pressed = m_pressedIndex;
    m_pressedIndex = 0;
    if (pictureAt(event->position().toPoint()) != pressed)
        return;  // released elsewhere: the picture stays pressed, no command
    setLook(pressed, Look::Normal);
    if (event->button() == Qt::LeftButton)
        Q_EMIT pictureClicked(pressed, toolTipOf(pressed));
}
