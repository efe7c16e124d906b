#include "db/NumberText.h"

#include <QLocale>
#include <cmath>

namespace db {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// "1.234.567": a first group of one to three digits, then groups of three.
bool groupedByThree(const QString &whole, QChar separator)
{
    const QStringList groups = whole.split(separator);
    if (groups.first().isEmpty() || groups.first().size() > 3)
        return false;
    for (qsizetype i = 1; i < groups.size(); ++i) {
        if (groups.at(i).size() != 3)
            return false;
    }
    return true;
}

// One more in the last place of a row of digits: "129" -> "130", "99" -> "100".
QString incremented(QString digits)
{
    qsizetype i = digits.size() - 1;
    for (; i >= 0 && digits.at(i) == QLatin1Char('9'); --i)
        digits[i] = QLatin1Char('0');
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    else
        digits[i] = QChar(digits.at(i).unicode() + 1);
    return digits;
}

} // namespace

std::optional<double> NumberText::read(const QString &input, const QString &decimalPoint, const NumberLimits &limits)
{
    QString text = input.trimmed();
    const QChar euro(0x20AC);
    if (text.startsWith(euro))
        text = text.mid(1).trimmed();
    else if (text.endsWith(euro))
        text = text.left(text.size() - 1).trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.at(0) == QLatin1Char('+') || text.at(0) == QLatin1Char('-'))) {
        negative = text.at(0) == QLatin1Char('-');
        text.remove(0, 1);
    }

    const QChar point = QLatin1Char('.');
    const QChar comma = QLatin1Char(',');
    qsizetype points = 0;
    qsizetype commas = 0;
    for (const QChar c : text) {
        if (c == point)
            ++points;
        else if (c == comma)
            ++commas;
        else if (!isDigit(c))
            return std::nullopt;
    }
    QChar decimal;
    QChar group;
    if (points > 0 && commas > 0) {
        decimal = text.lastIndexOf(point) > text.lastIndexOf(comma) ? point : comma;
        group = decimal == point ? comma : point;
    } else if (points > 0) {
        decimal = point;
    } else if (commas > 0) {
        decimal = comma;
    }
    QString whole = text;
    QString fraction;
    if (!decimal.isNull()) {
        const bool accepted = decimal == point || decimalPoint == QString(decimal);
        if (!accepted || (decimal == point ? points : commas) != 1)
            return std::nullopt;
        const qsizetype at = text.indexOf(decimal);
        whole = text.left(at);
        fraction = text.mid(at + 1);
        if (fraction.isEmpty())
            return std::nullopt;
    }
    if (!group.isNull()) {
        if (!groupedByThree(whole, group))
            return std::nullopt;
        whole.remove(group);
    }
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;

    // Rounded on the decimal digits as typed: 2,675 is 2,68, although the
    // double nearest to 2.675 lies below it.
    if (limits.decimals >= 0 && fraction.size() > limits.decimals) {
        const bool up = fraction.at(limits.decimals) >= QLatin1Char('5');
        fraction.truncate(limits.decimals);
        if (up) {
            const QString digits = incremented(whole + fraction);
            whole = digits.left(digits.size() - fraction.size());
            fraction = digits.right(fraction.size());
        }
    }
    bool ok = false;
    const QString plain = (whole.isEmpty() ? QStringLiteral("0") : whole)
        + (fraction.isEmpty() ? QString() : QString(point) + fraction);
    const double magnitude = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(magnitude))
        return std::nullopt;
    if (limits.largest > 0 && magnitude > limits.largest)
        return std::nullopt;
    if (magnitude == 0)
        return 0.0;
    return negative ? -magnitude : magnitude;
}

} // namespace db
