#pragma once

#include <QString>

class QMdiSubWindow;

namespace ui {

// Where each window was last left, per window and per user: a window opens
// again where the user put it, as long as it is in sight. Without a file
// (the tests' default) nothing is remembered.
class WindowPlaces {
public:
    static void setFile(const QString &iniFile);
    static QString file();

    // Puts `frame` where the window `name` was last left, when that place is
    // inside the area; from then on follows where the user moves or sizes it.
    static void follow(QMdiSubWindow &frame, const QString &name);
};

} // namespace ui
