#include "base/KeysBeforeBoxes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeysBeforeBoxes::KeysBeforeBoxes(QWidget &window, QList<QKeySequence> keys)
    : QObject(&window)
    , m_window(window)
    , m_keys(std::move(keys))
{
    qApp->installEventFilter(this);
}

bool KeysBeforeBoxes::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || (widget != &m_window && !m_window.isAncestorOf(widget)))
        return false;
    // Not taken by the box: the window's shortcut runs.
    return m_keys.contains(QKeySequence(static_cast<QKeyEvent *>(event)->keyCombination()));
}
