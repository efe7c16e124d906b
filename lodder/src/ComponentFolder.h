#pragma once

#include <QString>

namespace lodder {

// The folder and the full path of the loaded library file itself (not of
// the program that loaded it): the default logs live beside the component.
QString componentFolder();
QString componentPath();

} // namespace lodder
