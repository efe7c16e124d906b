#include "app/errors/ErrorTrap.h"

#include "app/errors/TopLevelReporter.h"

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

void ErrorTrap::report(std::exception_ptr error)
{
    // The trap and the top-level reporter deal with an error the same way:
    // standard message, then the label in the day's log.
    TopLevelReporter::report(error, m_label);
}

} // namespace errors
