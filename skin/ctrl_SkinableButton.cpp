#include "skin/ctrl_SkinableButton.h"

#include "ui/DefaultButton.h"
#include "skin/SkinError.h"
#include "skin/SkinImage.h"
#include "skin/SkinPath.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

using skin::ButtonLook;

namespace {
short vbButton(Qt::MouseButtons buttons)
{
    return static_cast<short>(((buttons & Qt::LeftButton) ? 1 : 0) | ((buttons & Qt::RightButton) ? 2 : 0)
                              | ((buttons & Qt::MiddleButton) ? 4 : 0));
}

short vbShift(Qt::KeyboardModifiers modifiers)
{
    return static_cast<short>(((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0)
                              | ((modifiers & Qt::AltModifier) ? 4 : 0));
}
} // namespace

ctrl_SkinableButton::ctrl_SkinableButton(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover, false);
    setFixedHeight(skin::button::kHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    InitProperties();
}

ctrl_SkinableButton::ctrl_SkinableButton(const QString &caption, QWidget *parent)
    : ctrl_SkinableButton(parent)
{
    m_caption = caption;
    setAccessibleName(caption);
}

void ctrl_SkinableButton::markChanged(const QString &name)
{
    m_propertiesChanged = true;
    Q_EMIT propertyChanged(name);
}

void ctrl_SkinableButton::setSkinPath(const QString &value) { m_skinPath = value; markChanged(QStringLiteral("SkinPath")); }
void ctrl_SkinableButton::setForeColor(skin::VbColor value) { m_foreColor = value; markChanged(QStringLiteral("ForeColor")); }

void ctrl_SkinableButton::setCaption(const QString &value)
{
    m_caption = value;
    setAccessibleName(value);
    updateGeometry();
    markChanged(QStringLiteral("Caption"));
}

void ctrl_SkinableButton::InitProperties()
{
    m_skinPath = skin::defaultSkinPath();
    m_caption = QStringLiteral("Caption");
    m_foreColor = kDarkBlue;
    setEnabled(true);
    m_propertiesChanged = false;
}

void ctrl_SkinableButton::ReadProperties(const skin::PropertyBag &bag)
{
    m_skinPath = bag.readProperty(QStringLiteral("SkinPath"), skin::defaultSkinPath()).toString();
    LoadSkin();
    m_caption = bag.readProperty(QStringLiteral("Caption"), QStringLiteral("Caption")).toString();
    m_foreColor = bag.readProperty(QStringLiteral("ForeColor"), static_cast<qlonglong>(kDarkBlue)).toLongLong();
    setEnabled(bag.readProperty(QStringLiteral("Enabled"), true).toBool());
    Refresh();
    m_propertiesChanged = false;
}

void ctrl_SkinableButton::WriteProperties(skin::PropertyBag &bag) const
{
    bag.writeProperty(QStringLiteral("SkinPath"), m_skinPath);
    bag.writeProperty(QStringLiteral("Caption"), m_caption);
    bag.writeProperty(QStringLiteral("ForeColor"), static_cast<qlonglong>(m_foreColor));
    bag.writeProperty(QStringLiteral("Enabled"), isEnabled());
}

void ctrl_SkinableButton::LoadSkin()
{
    m_strip = skin::loadSkinImage(skin::skinFile(m_skinPath, QStringLiteral("img_Buttons.bmp")));
    if (m_strip.width() < skin::button::kStripWidth || m_strip.height() < skin::button::kHeight) {
        m_strip = QImage();
        throw skin::SkinError::invalidPicture(skin::skinFile(m_skinPath, QStringLiteral("img_Buttons.bmp")));
    }
    drawLook(ButtonLook::Normal);
}

void ctrl_SkinableButton::Refresh()
{
    m_hoverDrawn = false;
    drawLook(ButtonLook::Normal);
}

void ctrl_SkinableButton::drawLook(ButtonLook look)
{
    m_look = look;
    update();
}

void ctrl_SkinableButton::setDefault(bool isDefault)
{
    m_wantsDefault = isDefault;
    ui::DefaultButton &defaults = ui::DefaultButton::of(*this);
    if (isDefault)
        defaults.setButton(this, [this] { click(); });
    else if (defaults.button() == this)
        defaults.clear();
}

bool ctrl_SkinableButton::isDefault() const
{
    QWidget *window = ui::DefaultButton::windowOf(const_cast<ctrl_SkinableButton *>(this));
    auto *defaults = window ? window->findChild<ui::DefaultButton *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    return defaults && defaults->button() == this;
}

void ctrl_SkinableButton::click()
{
    if (!isEnabled())
        return;
    Q_EMIT Click();
}

QSize ctrl_SkinableButton::sizeHint() const
{
    const int text = fontMetrics().horizontalAdvance(m_caption);
    return QSize(std::max(88, text + 2 * skin::button::kCaptionInset + 16), skin::button::kHeight);
}

QSize ctrl_SkinableButton::minimumSizeHint() const
{
    return QSize(skin::button::kLeftWidth + skin::button::kRightWidth, skin::button::kHeight);
}

void ctrl_SkinableButton::paintEvent(QPaintEvent *)
{
    if (m_strip.isNull()) {
        // Drawn before the window loaded the skin: try once, quietly; the
        // window's own LoadSkin reports a missing strip.
        try {
            m_strip = skin::loadSkinImage(skin::skinFile(m_skinPath, QStringLiteral("img_Buttons.bmp")));
        } catch (const skin::SkinError &) {
        }
        if (m_strip.width() < skin::button::kStripWidth || m_strip.height() < skin::button::kHeight)
            m_strip = QImage();
    }

    QPainter painter(this);
    painter.setOpacity(isEnabled() ? 1.0 : 0.55);
    if (!m_strip.isNull()) {
        painter.drawImage(0, 0, skin::composeButtonLook(m_strip, m_look, width()));
    } else {
        QPainterPath face;
        face.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(face, m_look == ButtonLook::Pressed ? QColor(0xc3, 0xd5, 0xec) : QColor(0xf0, 0xf3, 0xf7));
        painter.setPen(QColor(0x8e, 0x9d, 0xb2));
        painter.drawPath(face);
    }
    painter.setOpacity(1.0);

    if (hasFocus() && isEnabled()) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 3, 3);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(0x4a, 0x7b, 0xc0, 170));
        pen.setWidthF(1.0);
        painter.setPen(pen);
        painter.drawPath(ring);
    }

    const skin::ButtonLayout layout = skin::buttonLayout(m_look, width());
    QFont captionFont = font();
    captionFont.setBold(isDefault());
    painter.setFont(captionFont);
    painter.setPen(isEnabled() ? skin::toQColor(m_foreColor) : QColor(0x8a, 0x94, 0xa3));
    const QString text = painter.fontMetrics().elidedText(m_caption, Qt::ElideRight, layout.caption.width());
    painter.drawText(layout.caption, Qt::AlignHCenter | Qt::AlignTop, text);
}

void ctrl_SkinableButton::resizeEvent(QResizeEvent *)
{
    drawLook(m_look);
}

void ctrl_SkinableButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_leftDown = true;
    drawLook(ButtonLook::Pressed);
    const QPointF pos = event->position();
    Q_EMIT MouseDown(1, vbShift(event->modifiers()), float(pos.x()), float(pos.y()));
}

void ctrl_SkinableButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const bool inside = rect().contains(pos.toPoint());
    if (m_leftDown) {
        // Held down: pressed while over the button, raised when dragged off.
        const ButtonLook look = inside ? ButtonLook::Pressed : ButtonLook::Normal;
        if (look != m_look)
            drawLook(look);
    } else if (inside && !m_hoverDrawn) {
        m_hoverDrawn = true;
        drawLook(ButtonLook::Hover);
    }
    Q_EMIT MouseMove(vbButton(event->buttons()), vbShift(event->modifiers()), float(pos.x()), float(pos.y()));
}

void ctrl_SkinableButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_leftDown)
        return;
    m_leftDown = false;
    const QPointF pos = event->position();
    const bool inside = rect().contains(pos.toPoint());
    m_hoverDrawn = inside;
    drawLook(inside ? ButtonLook::Hover : ButtonLook::Normal);

    const QPointer<ctrl_SkinableButton> alive(this);
    Q_EMIT MouseUp(1, vbShift(event->modifiers()), float(pos.x()), float(pos.y()));
    // Released off the button, the press is cancelled, as with any push button.
    if (alive && inside)
        click();
}

void ctrl_SkinableButton::leaveEvent(QEvent *)
{
    if (!m_leftDown && m_look != ButtonLook::Normal)
        Refresh();
    m_hoverDrawn = false;
}

void ctrl_SkinableButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && event->modifiers() == Qt::NoModifier) {
        m_spaceDown = true;
        drawLook(ButtonLook::Pressed);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ctrl_SkinableButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_spaceDown) {
        m_spaceDown = false;
        drawLook(m_hoverDrawn ? ButtonLook::Hover : ButtonLook::Normal);
        click();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void ctrl_SkinableButton::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void ctrl_SkinableButton::focusOutEvent(QFocusEvent *event)
{
    if (m_spaceDown) {
        m_spaceDown = false;
        drawLook(ButtonLook::Normal);
    }
    update();
    QWidget::focusOutEvent(event);
}

void ctrl_SkinableButton::changeEvent(QEvent *event)
{
    // Placed on its window after being made the default: follow it there.
    if (event->type() == QEvent::ParentChange && m_wantsDefault)
        setDefault(true);
    if (event->type() == QEvent::EnabledChange) {
        m_leftDown = false;
        m_spaceDown = false;
        m_propertiesChanged = true;
        Q_EMIT propertyChanged(QStringLiteral("Enabled"));
        Refresh();
    }
    QWidget::changeEvent(event);
}
