#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace errors {

// The current error as the traps and the log library see it.
struct ErrObject {
    long number = 0;
    QString description;
};

// An error raised by the program's own code (the Err.Raise of the windows).
class AppError : public std::exception {
public:
    AppError(long number, QString description);
    const ErrObject &err() const { return m_err; }
    const char *what() const noexcept override;
private:
    ErrObject m_err;
    QByteArray m_what;
};

// Turns whatever was thrown into the current error object.
ErrObject currentError(std::exception_ptr error);

// The error trap of one handler run. Each statement of the handler runs
// through run(): the first error is shown with the standard message, its
// location label is appended to the day's log, the trap disarms and run()
// returns false, so the handler goes on with its next statement. Once
// disarmed, a further error passes on to the top-level reporter.
//
//   errors::ErrorTrap trap("mdiTarvo.mnuCodiciIva");
//   trap.run([&] { ... });
//   trap.run([&] { ... });
class ErrorTrap {
public:
    explicit ErrorTrap(QString label);

    template <class Statement>
    bool run(Statement &&statement)
    {
        if (!m_armed) {
            std::forward<Statement>(statement)();
            return true;
        }
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (...) {
            m_armed = false;
            report(std::current_exception());
            return false;
        }
    }

    bool armed() const { return m_armed; }
    QString label() const { return m_label; }

private:
    void report(std::exception_ptr error);
    QString m_label;
    bool m_armed = true;
};

} // namespace errors
