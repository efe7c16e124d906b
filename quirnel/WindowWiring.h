#pragma once

namespace app {

// Wires every window of the program into its command of the main menu:
// the one place that says which command opens which window, and which
// members it sets first.
void wireWindows();

} // namespace app
