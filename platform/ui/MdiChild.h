#pragma once

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace ui {

// Shows a window as a child of the MDI area: the first time it gets a frame
// in the area; when it is already there it only comes to the front.
// A window shown again whose record or mode members changed loads again
// (see WindowLife). Closing the frame closes the window (its close code may refuse) and
// destroys both; a window that closes itself takes its frame with it.
QMdiSubWindow *showMdiChild(QMdiArea &area, QWidget &window);

// The frame of a window shown by showMdiChild, nullptr when it has none.
QMdiSubWindow *mdiFrameOf(const QWidget &window);

} // namespace ui
