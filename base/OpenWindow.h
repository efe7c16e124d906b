#pragma once

#include "ui/WindowRegistry.h"

#include <QString>
#include <functional>

class QMdiArea;

// Where the program's windows open: the MDI area of the main window, which
// hands it over when it is created. Without one (tests of single windows) a
// window opens on its own.
QMdiArea *mainMdiArea();
void setMainMdiArea(QMdiArea *area);

// Shows a window as the main menu's commands do: busy pointer, shown as a
// child of the main window (or only brought to the front when it is open),
// normal pointer again however it ends.
void showProgramWindow(QWidget &window);

// Opens the default instance of a window (created if needed) after setting
// its members, as a menu command does. A window already open on another
// record or mode loads again on the new members.
template <class W>
W &openWindow(const std::function<void(W &)> &setMembers = {})
{
    W &window = ui::WindowRegistry::defaultInstance<W>();
    if (setMembers)
        setMembers(window);
    showProgramWindow(window);
    return window;
}
