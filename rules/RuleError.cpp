#include "rules/RuleError.h"

namespace rules {

RuleError::RuleError(long number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what(m_description.toUtf8())
{
}

RuleError RuleError::overflow()
{
    return RuleError(6, QStringLiteral("Overflow"));
}

} // namespace rules
