#pragma once

#include <QPointer>
#include <QWidget>

class QEvent;

// Tells which focus events of a window's boxes are a box being entered or
// left. Focus that goes to another window (a message box, the picker, another
// child of the main window) and comes back to the same box is neither: the
// box stays the window's current one, so its lookups and checks do not run.
class BoxFocus {
public:
    explicit BoxFocus(QWidget &window) : m_window(window) {}

    // For a FocusIn or FocusOut event of `box`: whether the window's handler
    // for entering or leaving the box should run.
    bool counts(QWidget *box, const QEvent *event);
    // The window is closing: no box is entered or left any more.
    void stop() { m_stopped = true; }

private:
    QWidget &m_window;
    QPointer<QWidget> m_current;
    bool m_stopped = false;
};
