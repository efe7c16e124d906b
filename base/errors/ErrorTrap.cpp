#include "base/errors/ErrorTrap.h"

#include "base/errors/TopLevelReporter.h"

namespace errors {

AppError::AppError(long number, QString description)
    : m_err{number, std::move(description)}
    , m_what(m_err.description.toUtf8())
{
}

const char *AppError::what() const noexcept
{
    return m_what.constData();
}

ErrorTrap::ErrorTrap(QString label)
    : m_label(std::move(label))
{
}

namespace {
// The innermost armed trap running a statement on this thread.
thread_local ErrorTrap *t_runningTrap = nullptr;
} // namespace

ErrorTrap::RunningStatement::RunningStatement(ErrorTrap &trap)
    : m_previous(t_runningTrap)
{
    t_runningTrap = &trap;
}

ErrorTrap::RunningStatement::~RunningStatement()
{
    t_runningTrap = m_previous;
}

bool ErrorTrap::handOverToRunningTrap(std::exception_ptr error)
{
    ErrorTrap *trap = t_runningTrap;
    if (!trap || !error || trap->m_handedOver)
        return false;
    trap->m_handedOver = std::move(error);
    return true;
}

void ErrorTrap::report(std::exception_ptr error)
{
    // The trap and the top-level reporter deal with an error the same way:
    // standard message, then the label in the day's log.
    TopLevelReporter::report(currentError(error), m_label);
}

} // namespace errors
