#include "skin/ctrl_SkinableForm.h"

#include "skin/ctrl_SkinableButton.h"

#include "skin/SkinPath.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using skin::FramePart;

namespace {
// Mouse buttons and shift keys as the windows' handlers receive them.
short vbButton(Qt::MouseButtons buttons)
{
    short value = 0;
    if (buttons & Qt::LeftButton)
        value |= 1;
    if (buttons & Qt::RightButton)
        value |= 2;
    if (buttons & Qt::MiddleButton)
        value |= 4;
    return value;
}

short vbShift(Qt::KeyboardModifiers modifiers)
{
    short value = 0;
    if (modifiers & Qt::ShiftModifier)
        value |= 1;
    if (modifiers & Qt::ControlModifier)
        value |= 2;
    if (modifiers & Qt::AltModifier)
        value |= 4;
    return value;
}

bool isCaptionButton(FramePart part)
{
    return part == FramePart::CloseButton || part == FramePart::RestoreButton
        || part == FramePart::MaximizeButton || part == FramePart::MinimizeButton;
}

bool isEdge(FramePart part)
{
    return part == FramePart::LeftEdge || part == FramePart::RightEdge || part == FramePart::BottomEdge
        || part == FramePart::BottomLeftCorner || part == FramePart::BottomRightCorner;
}
} // namespace

ctrl_SkinableForm::ctrl_SkinableForm(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ctrl_SkinableForm1"));
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    InitProperties();
    hide();
}

void ctrl_SkinableForm::markChanged(const QString &name)
{
    m_propertiesChanged = true;
    Q_EMIT propertyChanged(name);
}

void ctrl_SkinableForm::setMaximizeBtn(bool value) { m_maximizeBtn = value; markChanged(QStringLiteral("Maximize")); }
void ctrl_SkinableForm::setMinimizeBtn(bool value) { m_minimizeBtn = value; markChanged(QStringLiteral("Minimize")); }
void ctrl_SkinableForm::setCaption(const QString &value) { m_caption = value; markChanged(QStringLiteral("Caption")); }
void ctrl_SkinableForm::setSkinPath(const QString &value) { m_skinPath = value; markChanged(QStringLiteral("SkinPath")); }
void ctrl_SkinableForm::setBackColor(skin::VbColor value) { m_backColor = value; markChanged(QStringLiteral("BackColor")); }
void ctrl_SkinableForm::setForeColor(skin::VbColor value) { m_foreColor = value; markChanged(QStringLiteral("ForeColor")); }
void ctrl_SkinableForm::setCaptionTop(short value) { m_captionTop = value; markChanged(QStringLiteral("CaptionTop")); }
void ctrl_SkinableForm::setCaptionColor(skin::VbColor value) { m_captionColor = value; markChanged(QStringLiteral("CaptionColor")); }

void ctrl_SkinableForm::InitProperties()
{
    m_maximizeBtn = true;
    m_minimizeBtn = true;
    m_caption = QStringLiteral("Caption");
    m_skinPath = skin::defaultSkinPath();
    // The caption artwork is dark: windows are designed with white caption
    // text on a light window face.
    m_backColor = kPanelColor;
    m_foreColor = kCaptionWhite;
    m_captionTop = 0;
    m_captionColor = kCaptionWhite;
    m_labelColor = skin::toQColor(m_captionColor);
    m_propertiesChanged = false;
}

void ctrl_SkinableForm::ReadProperties(const skin::PropertyBag &bag)
{
    m_maximizeBtn = bag.readProperty(QStringLiteral("MaximizeBtn"), true).toBool();
    m_minimizeBtn = bag.readProperty(QStringLiteral("MinimizeBtn"), true).toBool();
    m_caption = bag.readProperty(QStringLiteral("Caption"), QStringLiteral("Caption")).toString();
    m_skinPath = bag.readProperty(QStringLiteral("SkinPath"), skin::defaultSkinPath()).toString();
    m_backColor = bag.readProperty(QStringLiteral("BackColor"), 0).toLongLong();
    m_foreColor = bag.readProperty(QStringLiteral("ForeColor"), 0).toLongLong();
    m_captionTop = static_cast<short>(bag.readProperty(QStringLiteral("CaptionTop"), 195).toInt());
    m_captionColor = bag.readProperty(QStringLiteral("CaptionColor"), 0).toLongLong();
    // The caption label takes the text colour, then the caption colour, which wins.
    m_labelColor = skin::toQColor(m_foreColor);
    m_labelColor = skin::toQColor(m_captionColor);
    m_propertiesChanged = false;
    applyLayout();
}

void ctrl_SkinableForm::WriteProperties(skin::PropertyBag &bag) const
{
    bag.writeProperty(QStringLiteral("MaximizeBtn"), m_maximizeBtn);
    bag.writeProperty(QStringLiteral("MinimizeBtn"), m_minimizeBtn);
    bag.writeProperty(QStringLiteral("Caption"), m_caption);
    bag.writeProperty(QStringLiteral("SkinPath"), m_skinPath);
    bag.writeProperty(QStringLiteral("BackColor"), static_cast<qlonglong>(m_backColor));
    bag.writeProperty(QStringLiteral("ForeColor"), static_cast<qlonglong>(m_foreColor));
    bag.writeProperty(QStringLiteral("CaptionTop"), m_captionTop);
    bag.writeProperty(QStringLiteral("CaptionColor"), static_cast<qlonglong>(m_captionColor));
}

void ctrl_SkinableForm::LoadSkin(QWidget *window)
{
    if (!window)
        return;
    // Load every picture first: a missing one changes nothing on screen.
    skin::FrameImages images = skin::FrameImages::load(m_skinPath);

    if (m_window && m_window != window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (parentWidget() != window)
        setParent(window);
    window->removeEventFilter(this);
    window->installEventFilter(this);

    m_images = std::move(images);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, skin::toQColor(m_backColor));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setWindowTitle(m_caption);
    m_labelColor = skin::toQColor(m_captionColor);

    const QSize minimum = skin::minimumFrameSize(m_images.art()).expandedTo(QSize(160, 0));
    window->setMinimumSize(window->minimumSize().expandedTo(minimum));

    applyHostFlags();
    applyLayout();
    show();
    raise();
}

void ctrl_SkinableForm::LoadSkin(QWidget *window, const QList<ctrl_SkinableButton *> &buttons)
{
    LoadSkin(window);
    for (ctrl_SkinableButton *button : buttons) {
        button->setSkinPath(SkinPath());
        button->LoadSkin();
    }
}

QMdiSubWindow *ctrl_SkinableForm::subWindow() const
{
    if (!m_window)
        return nullptr;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(m_window.data()))
        return sub;
    return qobject_cast<QMdiSubWindow *>(m_window->parentWidget());
}

QWidget *ctrl_SkinableForm::frameHost() const
{
    if (QMdiSubWindow *sub = subWindow())
        return sub;
    return m_window;
}

bool ctrl_SkinableForm::hostMaximized() const
{
    QWidget *host = frameHost();
    return host && (host->windowState() & Qt::WindowMaximized);
}

bool ctrl_SkinableForm::hostActive() const
{
    if (QMdiSubWindow *sub = subWindow())
        return !sub->mdiArea() || sub->mdiArea()->activeSubWindow() == sub;
    return true;
}

void ctrl_SkinableForm::applyHostFlags()
{
    QWidget *host = frameHost();
    if (!host)
        return;
    if (host != m_watchedHost) {
        // The window was loaded on its own and has since been put in an MDI
        // area: its old corner mask would clip it in its new frame.
        if (m_watchedHost)
            m_watchedHost->clearMask();
        if (m_watchedHost && m_watchedHost != m_window)
            m_watchedHost->removeEventFilter(this);
        m_watchedHost = host;
        if (host != m_window)
            host->installEventFilter(this);
        if (auto *sub = qobject_cast<QMdiSubWindow *>(host))
            connect(sub, &QMdiSubWindow::windowStateChanged, this, &ctrl_SkinableForm::hostStateChanged,
                    Qt::UniqueConnection);
    }
    if (!host->isWindow() && !qobject_cast<QMdiSubWindow *>(host))
        return;  // a plain child widget has no frame of its own
    // A minimized window keeps the platform's small title bar, from which the
    // user restores it; otherwise the skin is the only frame.
    const bool frameless = !(host->windowState() & Qt::WindowMinimized);
    if (bool(host->windowFlags() & Qt::FramelessWindowHint) != frameless) {
        const bool wasVisible = host->isVisible();
        host->setWindowFlag(Qt::FramelessWindowHint, frameless);
        if (wasVisible)
            host->show();
    }
}

void ctrl_SkinableForm::hostStateChanged()
{
    update();  // the caption dims while another window is active
}

void ctrl_SkinableForm::applyLayout()
{
    if (!m_window || m_images.isNull() || m_layingOut)
        return;
    m_layingOut = true;
    const QSize size = m_window->size();
    skin::FrameOptions options;
    options.maximizeBtn = m_maximizeBtn;
    options.minimizeBtn = m_minimizeBtn;
    options.maximized = hostMaximized();
    m_geometry = skin::computeFrameGeometry(m_images.art(), size, options);

    setGeometry(0, 0, size.width(), size.height());
    m_window->setContentsMargins(m_geometry.contentMargins);
    // Only the frame itself takes the mouse; the window's controls stay reachable.
    const QRect content = QRect(QPoint(0, 0), size).marginsRemoved(m_geometry.contentMargins);
    setMask(QRegion(0, 0, size.width(), size.height()).subtracted(QRegion(content)));
    applyHostMask();
    update();
    m_layingOut = false;
}

void ctrl_SkinableForm::applyHostMask()
{
    QWidget *host = frameHost();
    if (!host || !m_window)
        return;
    if (!host->isWindow() && !qobject_cast<QMdiSubWindow *>(host))
        return;
    if (host->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) {
        host->clearMask();
        return;
    }
    // Cut the rounded top corners out of the window, where the caption's
    // pictures are transparent.
    const QPoint offset = m_window == host ? QPoint() : m_window->mapTo(host, QPoint());
    QRegion region(0, 0, host->width(), host->height());
    const auto cut = [&](const QImage &image, int left) {
        for (int y = 0; y < std::min(8, image.height()); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) == 0)
                    region -= QRegion(offset.x() + left + x, offset.y() + y, 1, 1);
    };
    cut(m_images.leftCaption.copy(0, 0, std::min(8, m_images.leftCaption.width()), 8), 0);
    const int rightWidth = std::min(8, m_images.rightCaption.width());
    cut(m_images.rightCaption.copy(m_images.rightCaption.width() - rightWidth, 0, rightWidth, 8),
        m_window->width() - rightWidth);
    host->setMask(region);
}

bool ctrl_SkinableForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Resize:
            applyLayout();
            break;
        case QEvent::ParentChange:
            applyHostFlags();
            applyLayout();
            break;
        default:
            break;
        }
    }
    if (watched == m_watchedHost && event->type() == QEvent::WindowStateChange) {
        applyHostFlags();
        applyLayout();
    }
    return QWidget::eventFilter(watched, event);
}

void ctrl_SkinableForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    skin::FrameLook look;
    look.caption = m_caption;
    look.captionColor = m_labelColor;
    look.captionFont = font();
    look.captionFont.setBold(true);
    look.active = hostActive();
    look.hovered = m_hovered;
    look.pressed = m_pressed;
    skin::FramePainter::paint(painter, m_geometry, m_images, look);
}

void ctrl_SkinableForm::updateCursor(FramePart part)
{
    if (hostMaximized() || !isEdge(part)) {
        unsetCursor();
        return;
    }
    switch (part) {
    case FramePart::LeftEdge:
    case FramePart::RightEdge: setCursor(Qt::SizeHorCursor); break;
    case FramePart::BottomEdge: setCursor(Qt::SizeVerCursor); break;
    case FramePart::BottomLeftCorner: setCursor(Qt::SizeBDiagCursor); break;
    default: setCursor(Qt::SizeFDiagCursor); break;
    }
}

void ctrl_SkinableForm::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (QMdiSubWindow *sub = subWindow()) {
        if (sub->mdiArea() && sub->mdiArea()->activeSubWindow() != sub)
            sub->mdiArea()->setActiveSubWindow(sub);
    }
    if (event->button() == Qt::LeftButton) {
        m_pressed = skin::framePartAt(m_geometry, size(), pos);
        m_hovered = m_pressed;
        m_pressGlobal = event->globalPosition().toPoint();
        if (QWidget *host = frameHost())
            m_pressHostGeometry = host->geometry();
        update();
    }
    Q_EMIT MouseDown(vbButton(event->button()), vbShift(event->modifiers()), pos.x(), pos.y());
}

void ctrl_SkinableForm::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const FramePart part = skin::framePartAt(m_geometry, size(), pos);
    if (event->buttons() & Qt::LeftButton) {
        if (m_pressed == FramePart::Caption)
            dragTo(event->globalPosition().toPoint());
        else if (isEdge(m_pressed))
            dragTo(event->globalPosition().toPoint());
        else if (isCaptionButton(m_pressed) && m_hovered != (part == m_pressed ? part : FramePart::None)) {
            m_hovered = part == m_pressed ? part : FramePart::None;
            update();
        }
    } else {
        updateCursor(part);
        const FramePart hovered = isCaptionButton(part) ? part : FramePart::None;
        if (hovered != m_hovered) {
            m_hovered = hovered;
            update();
        }
    }
    Q_EMIT MouseMove(vbButton(event->buttons()), vbShift(event->modifiers()), pos.x(), pos.y());
}

void ctrl_SkinableForm::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const FramePart pressed = m_pressed;
    if (event->button() == Qt::LeftButton) {
        m_pressed = FramePart::None;
        update();
    }
    const QPointer<ctrl_SkinableForm> alive(this);
    Q_EMIT MouseUp(vbButton(event->button()), vbShift(event->modifiers()), pos.x(), pos.y());
    if (!alive || event->button() != Qt::LeftButton)
        return;
    Q_EMIT Click();
    if (alive && isCaptionButton(pressed) && skin::framePartAt(m_geometry, size(), pos) == pressed)
        runButton(pressed);
}

void ctrl_SkinableForm::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_maximizeBtn
        && skin::framePartAt(m_geometry, size(), pos) == FramePart::Caption) {
        runButton(hostMaximized() ? FramePart::RestoreButton : FramePart::MaximizeButton);
        return;
    }
    mousePressEvent(event);
}

void ctrl_SkinableForm::leaveEvent(QEvent *)
{
    if (m_hovered != FramePart::None) {
        m_hovered = FramePart::None;
        update();
    }
    unsetCursor();
}

void ctrl_SkinableForm::runButton(FramePart part)
{
    QWidget *host = frameHost();
    if (!host)
        return;
    m_hovered = FramePart::None;
    switch (part) {
    case FramePart::CloseButton:
        host->close();  // may delete this control with its window
        return;
    case FramePart::MinimizeButton:
        host->showMinimized();
        break;
    case FramePart::MaximizeButton:
        host->showMaximized();
        break;
    case FramePart::RestoreButton:
        host->showNormal();
        break;
    default:
        return;
    }
    applyHostFlags();
    applyLayout();
}

void ctrl_SkinableForm::dragTo(const QPoint &globalPos)
{
    QWidget *host = frameHost();
    if (!host || hostMaximized())
        return;
    const QPoint delta = globalPos - m_pressGlobal;
    QRect target = m_pressHostGeometry;

    if (m_pressed == FramePart::Caption) {
        target.moveTopLeft(m_pressHostGeometry.topLeft() + delta);
        // Keep the caption within reach: never above the area's top, and a
        // piece of it always inside the area.
        QWidget *area = host->isWindow() ? nullptr : host->parentWidget();
        if (area) {
            const int keep = 48;
            target.moveTop(std::clamp(target.top(), 0, std::max(0, area->height() - m_geometry.contentMargins.top())));
            target.moveLeft(std::clamp(target.left(), keep - target.width(), std::max(0, area->width() - keep)));
        }
        host->move(target.topLeft());
        return;
    }

    const QSize minimum = host->minimumSize().expandedTo(host->minimumSizeHint());
    const bool left = m_pressed == FramePart::LeftEdge || m_pressed == FramePart::BottomLeftCorner;
    const bool right = m_pressed == FramePart::RightEdge || m_pressed == FramePart::BottomRightCorner;
    const bool bottom = m_pressed == FramePart::BottomEdge || m_pressed == FramePart::BottomLeftCorner
        || m_pressed == FramePart::BottomRightCorner;
    if (left)
        target.setLeft(std::min(target.left() + delta.x(), target.right() + 1 - minimum.width()));
    if (right)
        target.setWidth(std::max(minimum.width(), target.width() + delta.x()));
    if (bottom)
        target.setHeight(std::max(minimum.height(), target.height() + delta.y()));
    host->setGeometry(target);
}
