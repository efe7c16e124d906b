#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace legacy {

// One field of a row of the old shop file, as the file holds it: Null stays
// Null (an empty text is a text), yes/no stays a truth, currency stays exact
// (in ten-thousandths, as the file stores it), a date keeps its four-digit year.
class LegacyValue {
public:
    enum class Kind { Null, YesNo, Integer, Real, Currency, Date, Text };

    LegacyValue() = default;
    static LegacyValue yesNo(bool value);
    static LegacyValue integer(qint64 value);
    static LegacyValue real(double value);
    // Ten-thousandths of the unit: 12.3400 is 123400.
    static LegacyValue currency(qint64 tenThousandths);
    // The exact text of a currency ("-12.3400", "7", "0.5"); nullopt when it is no amount.
    static std::optional<LegacyValue> currencyFromText(const QString &text);
    static LegacyValue date(const QDateTime &value);
    // A date of the file: days since 30/12/1899, the fraction the time of day
    // (before 1899 the whole days count back and the fraction still forward).
    static LegacyValue dateFromDays(double days);
    static LegacyValue text(const QString &value);

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool yesNoValue() const { return m_integer != 0; }
    qint64 integerValue() const { return m_integer; }
    double realValue() const { return m_real; }
    qint64 currencyTenThousandths() const { return m_integer; }
    // "12.34", "-0.01", "7": the amount without trailing zeros.
    QString currencyText() const;
    const QDateTime &dateValue() const { return m_date; }
    const QString &textValue() const { return m_text; }

    // For messages: the value as a user would read it.
    QString display() const;

    bool operator==(const LegacyValue &other) const;

private:
    Kind m_kind = Kind::Null;
    qint64 m_integer = 0;
    double m_real = 0;
    QDateTime m_date;
    QString m_text;
};

} // namespace legacy
