#pragma once

namespace ui {

// The busy pointer of the whole program. It is a setting, not a stack:
// setting it twice and resetting it once gives the normal pointer back.
void setBusyPointer();
void resetPointer();
bool busyPointerShown();

} // namespace ui
