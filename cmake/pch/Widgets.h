// What every window's file parses: Qt Widgets (with Gui and Core) and the
// standard library's containers. Compiled once and shared by every target
// that links the widgets (see cmake/TarvoPrecompiled.cmake).
#include <QtWidgets>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
