// What nearly every file of the core parses: Qt Core and the standard
// library's containers. Compiled once and shared by every target (see
// cmake/TarvoPrecompiled.cmake).
#include <QtCore>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
