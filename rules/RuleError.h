#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace rules {

// A run-time error raised by a rule of the shop ("Overflow", number 6, when
// a stock quantity leaves the range of a long integer). The window's error
// trap shows it with its number, as it shows the engine's errors.
class RuleError : public std::exception {
public:
    RuleError(long number, QString description);

    long number() const { return m_number; }
    QString description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

    static RuleError overflow();

private:
    long m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace rules
