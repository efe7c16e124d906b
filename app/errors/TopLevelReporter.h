#pragma once

#include "app/errors/ErrorTrap.h"

#include <QString>
#include <exception>

namespace errors {

// The one place every unexpected error ends up: the errors caught by a trap
// and those no trap caught (an event handler without a trap, a second error
// after the trap disarmed, a failure inside the trap itself). It shows the
// standard message and appends the label to the day's log through the log
// object; when the log library cannot be reached it falls back to the
// program's own message box and standard error. It never throws.
class TopLevelReporter {
public:
    static void report(std::exception_ptr error, const QString &label);
    static void report(const ErrObject &error, const QString &label);

    // The text of the standard error message.
    static QString standardText(const ErrObject &error);
};

} // namespace errors
