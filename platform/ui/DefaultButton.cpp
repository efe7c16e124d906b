#include "ui/DefaultButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPushButton>

namespace ui {

namespace {
const QString kObjectName = QStringLiteral("DefaultButton");
}

DefaultButton::DefaultButton(QWidget &window)
    : QObject(&window)
    , m_window(window)
{
    setObjectName(kObjectName);
    window.installEventFilter(this);
}

QWidget *DefaultButton::windowOf(QWidget *widget)
{
    QWidget *window = widget;
    while (window && !window->isWindow() && window->parentWidget()
           && !qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        window = window->parentWidget();
    return window;
}

DefaultButton &DefaultButton::of(QWidget &widget)
{
    QWidget *window = windowOf(&widget);
    if (auto *existing = window->findChild<DefaultButton *>(kObjectName, Qt::FindDirectChildrenOnly))
        return *existing;
    return *new DefaultButton(*window);
}

void DefaultButton::setButton(QAbstractButton *button)
{
    setButton(button, button ? std::function<void()>([button] { button->click(); }) : std::function<void()>());
}

void DefaultButton::setButton(QWidget *button, std::function<void()> press)
{
    if (m_button == button)
        return;
    showAsDefault(false);
    m_button = button;
    m_press = button ? std::move(press) : std::function<void()>();
    showAsDefault(true);
}

// The look of a default button: push buttons have their own; other buttons
// repaint and ask whose default they are.
void DefaultButton::showAsDefault(bool isDefault)
{
    if (!m_button)
        return;
    if (auto *push = qobject_cast<QPushButton *>(m_button.data()))
        push->setDefault(isDefault);
    m_button->update();
}

bool DefaultButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;

    auto *focused = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
    if (focused && m_window.isAncestorOf(focused)) {
        if (!focused->isEnabled())
            return false;
        focused->click();
        return true;
    }
    if (!m_button || !m_press || !m_button->isEnabled() || !m_button->isVisibleTo(&m_window))
        return false;
    // The press may change the default: run a copy.
    const std::function<void()> press = m_press;
    press();
    return true;
}

} // namespace ui
