#pragma once

#include "base/errors/ErrorTrap.h"

#include <QString>
#include <exception>
#include <utility>

namespace errors {

// The one place every unexpected error ends up: the errors caught by a trap
// and those no trap caught (an event handler without a trap, a second error
// after the trap disarmed). It shows the standard message through the log
// object and appends the label to the day's log in the program folder's
// "log" folder. A failure on the way (the log object cannot be created, the
// log cannot be written) is reported too: the program's own message box
// stands in for the log library's, and standard error gets every detail.
// It never throws.
class TopLevelReporter {
public:
    // What escaped an event handler: handed to the armed trap whose
    // statement ran the handler, if there is one, otherwise reported.
    static void report(std::exception_ptr error, const QString &label) noexcept;
    // Reports one error, no questions asked.
    static void report(const ErrObject &error, const QString &label) noexcept;

    // The text of the standard error message.
    static QString standardText(const ErrObject &error);

private:
    static void showWithoutLogObject(const ErrObject &error, const QString &label, const ErrObject &why) noexcept;
    static void logNotWritten(const ErrObject &error, const QString &label, const ErrObject &why) noexcept;
    static void toStandardError(const QString &text) noexcept;
};

// Runs a handler that has no trap of its own: whatever escapes it is
// reported under `label`, and the program goes on.
template <class Handler>
void runReported(const QString &label, Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        TopLevelReporter::report(std::current_exception(), label);
    }
}

} // namespace errors
