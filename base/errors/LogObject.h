#pragma once

#include "lodder/IDeb.h"

namespace errors {

// g_oDeb: the program's one log object (class Deb of the log library),
// created by class id on first use and kept for the whole run. Its messages
// go through the program's message service and it reads the error
// reporting's clock. Throws AppError when the object cannot be created; the
// next call tries again.
lodder::IDeb &g_oDeb();

// Drops the log object, so the next use creates it anew (tests).
void releaseLogObject();

} // namespace errors
