#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace errors {

// The current error as the traps and the log library see it.
struct ErrObject {
    // What the user can do about it: the program's fault (try again), the
    // archive busy, the disk full, the archive out of reach.
    enum class Nature { Program, Busy, DiskFull, Storage };
    long number = 0;
    QString description;
    QString detail{};   // for the log only (a server's own words), never shown
    Nature nature = Nature::Program;
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
    ErrorTrap(const ErrorTrap &) = delete;
    ErrorTrap &operator=(const ErrorTrap &) = delete;

    template <class Statement>
    bool run(Statement &&statement)
    {
        if (!m_armed) {
            std::forward<Statement>(statement)();
            return true;
        }
        std::exception_ptr thrown;
        {
            RunningStatement running(*this);
            try {
                std::forward<Statement>(statement)();
            } catch (...) {
                thrown = std::current_exception();
            }
        }
        // An error handed over happened first; the statement's own, if it
        // threw one as well, is a second error and passes on to the caller.
        std::exception_ptr first = std::exchange(m_handedOver, nullptr);
        if (!first)
            first = std::exchange(thrown, nullptr);
        if (!first)
            return true;
        m_armed = false;
        report(first);
        if (thrown)
            std::rethrow_exception(thrown);
        return false;
    }

    bool armed() const { return m_armed; }
    QString label() const { return m_label; }

    // An error that escaped an event handler run by the statement of an
    // armed trap (a window's load code run by its show, a slot run by a
    // signal) is caught by the application object before it could reach
    // the trap; it belongs to that trap all the same. Hands it to the
    // innermost armed trap running a statement, which reports it when the
    // statement returns. False when no trap is running one, or when that
    // trap already holds an error from the same statement.
    static bool handOverToRunningTrap(std::exception_ptr error);

private:
    // Marks this trap as running a statement for the time of one run().
    class RunningStatement {
    public:
        explicit RunningStatement(ErrorTrap &trap);
        ~RunningStatement();
        RunningStatement(const RunningStatement &) = delete;
        RunningStatement &operator=(const RunningStatement &) = delete;
    private:
        ErrorTrap *m_previous;
    };

    void report(std::exception_ptr error);
    QString m_label;
    bool m_armed = true;
    std::exception_ptr m_handedOver;
};

} // namespace errors
