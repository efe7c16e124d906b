#include "ui/DefaultButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace ui {

DefaultButton::DefaultButton(QWidget &window)
    : QObject(&window)
    , m_window(window)
{
    window.installEventFilter(this);
}

void DefaultButton::setButton(QPushButton *button)
{
    if (m_button == button)
        return;
    if (m_button)
        m_button->setDefault(false);
    m_button = button;
    if (m_button)
        m_button->setDefault(true); // the look of a default button
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

    auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
    QPushButton *target = (focused && m_window.isAncestorOf(focused)) ? focused : m_button.data();
    if (!target || !target->isEnabled() || !target->isVisibleTo(&m_window))
        return false;
    target->click();
    return true;
}

} // namespace ui
