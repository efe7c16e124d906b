#include "base/BoxFocus.h"

#include <QApplication>
#include <QEvent>

bool BoxFocus::counts(QWidget *box, const QEvent *event)
{
    if (m_stopped)
        return false;
    if (event->type() == QEvent::FocusIn) {
        if (m_current == box)
            return false; // back from another window
        m_current = box;
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        // The new focus widget is already set when the old one hears of it.
        // A box that was passed over (the focus sent on before it arrived)
        // was never entered, so it is not left either.
        QWidget *next = QApplication::focusWidget();
        if (m_current != box || !next || next == box || !m_window.isAncestorOf(next))
            return false;
        m_current = nullptr;
        return true;
    }
    return false;
}
