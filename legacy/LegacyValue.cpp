#include "legacy/LegacyValue.h"

#include <cmath>
#include <limits>

namespace legacy {

LegacyValue LegacyValue::yesNo(bool value)
{
    LegacyValue v;
    v.m_kind = Kind::YesNo;
    v.m_integer = value ? 1 : 0;
    return v;
}

LegacyValue LegacyValue::integer(qint64 value)
{
    LegacyValue v;
    v.m_kind = Kind::Integer;
    v.m_integer = value;
    return v;
}

LegacyValue LegacyValue::real(double value)
{
    LegacyValue v;
    v.m_kind = Kind::Real;
    v.m_real = value;
    return v;
}

LegacyValue LegacyValue::currency(qint64 tenThousandths)
{
    LegacyValue v;
    v.m_kind = Kind::Currency;
    v.m_integer = tenThousandths;
    return v;
}

std::optional<LegacyValue> LegacyValue::currencyFromText(const QString &text)
{
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    qint64 units = 0;
    int digits = 0;
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 10;
    for (; i < t.size() && t[i].isDigit(); ++i, ++digits) {
        if (units > limit)
            return std::nullopt;
        units = units * 10 + t[i].digitValue();
    }
    int decimals = 0;
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        for (++i; i < t.size() && t[i].isDigit(); ++i, ++decimals, ++digits) {
            if (decimals == 4)
                return std::nullopt; // the file never holds more than four places
            if (units > limit)
                return std::nullopt;
            units = units * 10 + t[i].digitValue();
        }
    }
    if (digits == 0 || i != t.size())
        return std::nullopt;
    for (; decimals < 4; ++decimals) {
        if (units > limit)
            return std::nullopt;
        units *= 10;
    }
    return currency(negative ? -units : units);
}

LegacyValue LegacyValue::date(const QDateTime &value)
{
    LegacyValue v;
    v.m_kind = Kind::Date;
    v.m_date = value;
    return v;
}

LegacyValue LegacyValue::dateFromDays(double days)
{
    double whole = std::floor(days);
    double fraction = days - whole;
    if (days < 0 && fraction != 0) {
        // -1.25 is the day before 30/12/1899 at 06:00: whole day -1, a quarter forward.
        whole = std::ceil(days);
        fraction = whole - days;
    }
    qint64 seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        whole += 1;
        seconds -= 86400;
    }
    const QDate day = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    return date(QDateTime(day, QTime(0, 0).addSecs(static_cast<int>(seconds)), Qt::UTC));
}

LegacyValue LegacyValue::text(const QString &value)
{
    LegacyValue v;
    v.m_kind = Kind::Text;
    v.m_text = value;
    return v;
}

QString LegacyValue::currencyText() const
{
    const qint64 magnitude = m_integer < 0 ? -m_integer : m_integer;
    QString text = QString::number(magnitude / 10000);
    QString fraction = QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += QLatin1Char('.') + fraction;
    return m_integer < 0 ? QLatin1Char('-') + text : text;
}

QString LegacyValue::display() const
{
    switch (m_kind) {
    case Kind::Null: return QStringLiteral("Null");
    case Kind::YesNo: return m_integer ? QStringLiteral("Sì") : QStringLiteral("No");
    case Kind::Integer: return QString::number(m_integer);
    case Kind::Real: return QString::number(m_real, 'g', 15);
    case Kind::Currency: return currencyText();
    case Kind::Date: return m_date.toString(QStringLiteral("dd/MM/yyyy"));
    case Kind::Text: return QLatin1Char('"') + m_text + QLatin1Char('"');
    }
    return QString();
}

bool LegacyValue::operator==(const LegacyValue &other) const
{
    if (m_kind != other.m_kind)
        return false;
    switch (m_kind) {
    case Kind::Null: return true;
    case Kind::Real: return m_real == other.m_real;
    case Kind::Date: return m_date == other.m_date;
    case Kind::Text: return m_text == other.m_text;
    default: return m_integer == other.m_integer;
    }
}

} // namespace legacy
