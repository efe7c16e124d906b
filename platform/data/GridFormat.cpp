#include "data/GridFormat.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace data {

namespace {

const QString kGeneralNumber = QStringLiteral("General Number");

bool isNumeric(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Float:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// Groups the digits of a non-negative integer text with the thousands point.
QString grouped(const QString &digits)
{
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char('.');
        out += digits.at(i);
    }
    return out;
}

} // namespace

const QLocale &GridFormat::locale()
{
    static const QLocale italian = [] {
        QLocale l(QLocale::Italian, QLocale::Italy);
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l;
    }();
    return italian;
}

bool GridFormat::isNumberFormat(const QString &format)
{
    static const QStringList named = {kGeneralNumber, QStringLiteral("Standard"),
        QStringLiteral("Fixed"), QStringLiteral("Currency"), QStringLiteral("Percent")};
    if (named.contains(format, Qt::CaseInsensitive))
        return true;
    static const QRegularExpression pattern(QStringLiteral("^[^dmyhns]*[0#][0#,.]*[^dmyhns]*$"));
    return pattern.match(format).hasMatch();
}

bool GridFormat::isDateFormat(const QString &format)
{
    static const QStringList named = {QStringLiteral("Short Date"), QStringLiteral("General Date"),
        QStringLiteral("Long Date")};
    if (named.contains(format, Qt::CaseInsensitive))
        return true;
    return !isNumberFormat(format) && format.contains(QLatin1Char('d'), Qt::CaseInsensitive)
        && format.contains(QLatin1Char('y'), Qt::CaseInsensitive);
}

QString GridFormat::display(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const int type = value.typeId();
    if (type == QMetaType::Bool) {
        const bool b = value.toBool();
        if (format.compare(QLatin1String("Yes/No"), Qt::CaseInsensitive) == 0)
            return b ? QStringLiteral("Sì") : QStringLiteral("No");
        if (format.compare(QLatin1String("On/Off"), Qt::CaseInsensitive) == 0)
            return b ? QStringLiteral("On") : QStringLiteral("Off");
        return b ? QStringLiteral("Vero") : QStringLiteral("Falso");
    }
    if (type == QMetaType::QDate || type == QMetaType::QDateTime)
        return displayDate(value, format);
    if (isNumeric(value))
        return displayNumber(value.toDouble(), format);
    const QString text = value.toString();
    if (!format.isEmpty() && isNumberFormat(format)) {
        // A number stored as text still shows in the column's format.
        bool ok = false;
        const double n = QLocale::c().toDouble(text.trimmed(), &ok);
        if (ok)
            return displayNumber(n, format);
    }
    return text;
}

QString GridFormat::editText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const int type = value.typeId();
    if (type == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    if (type == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
        return dt.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    if (type == QMetaType::Bool || isNumeric(value))
        return display(value, QString());
    return value.toString();
}

QString GridFormat::displayNumber(double number, const QString &format)
{
    if (!std::isfinite(number))
        return QString();
    if (format.isEmpty() || format.compare(kGeneralNumber, Qt::CaseInsensitive) == 0)
        return locale().toString(number, 'f', QLocale::FloatingPointShortest);
    if (format.compare(QLatin1String("Standard"), Qt::CaseInsensitive) == 0)
        return displayPattern(number, QStringLiteral("#,##0.00"));
    if (format.compare(QLatin1String("Fixed"), Qt::CaseInsensitive) == 0)
        return displayPattern(number, QStringLiteral("0.00"));
    if (format.compare(QLatin1String("Currency"), Qt::CaseInsensitive) == 0)
        return displayPattern(number, QStringLiteral("€ #,##0.00"));
    if (format.compare(QLatin1String("Percent"), Qt::CaseInsensitive) == 0)
        return displayPattern(number, QStringLiteral("0.00%"));
    return displayPattern(number, format);
}

// A pattern of the familiar kind: optional literal prefix, digits as 0
// (always shown) or # (shown when needed), ',' for thousands grouping, '.'
// for the decimal point, optional literal suffix ('%' multiplies by 100).
// Only the first section of "positive;negative;zero" patterns is used.
QString GridFormat::displayPattern(double number, const QString &fullPattern)
{
    const QString pattern = fullPattern.section(QLatin1Char(';'), 0, 0);
    int first = -1, last = -1;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char(',') || c == QLatin1Char('.')) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return locale().toString(number, 'f', QLocale::FloatingPointShortest);
    const QString prefix = pattern.left(first);
    const QString suffix = pattern.mid(last + 1);
    const QString body = pattern.mid(first, last - first + 1);
    if (suffix.contains(QLatin1Char('%')) || prefix.contains(QLatin1Char('%')))
        number *= 100.0;

    const int point = body.indexOf(QLatin1Char('.'));
    const QString integerPart = point < 0 ? body : body.left(point);
    const QString decimalPart = point < 0 ? QString() : body.mid(point + 1);
    const bool grouping = integerPart.contains(QLatin1Char(','));
    const int minInteger = int(integerPart.count(QLatin1Char('0')));
    const int minDecimals = int(decimalPart.count(QLatin1Char('0')));
    const int maxDecimals = minDecimals + int(decimalPart.count(QLatin1Char('#')));

    // Half away from zero on the decimal the number stands for, as a shop
    // expects 0,005 to become 0,01 and 2,675 (stored a hair below) 2,68:
    // the scaled number is taken at its 15 significant digits, which a
    // double holds exactly, before it is rounded.
    const double scale = std::pow(10.0, maxDecimals);
    const double scaled = QString::number(std::fabs(number) * scale, 'g', 15).toDouble();
    double rounded = std::round(scaled) / scale;
    const bool negative = number < 0 && rounded != 0.0;

    QString digits = QString::number(rounded, 'f', maxDecimals);
    QString intDigits = digits.section(QLatin1Char('.'), 0, 0);
    QString decDigits = maxDecimals > 0 ? digits.section(QLatin1Char('.'), 1, 1) : QString();
    while (decDigits.size() > minDecimals && decDigits.endsWith(QLatin1Char('0')))
        decDigits.chop(1);
    if (intDigits == QLatin1String("0") && minInteger == 0)
        intDigits.clear();
    while (intDigits.size() < minInteger)
        intDigits.prepend(QLatin1Char('0'));

    QString out = grouping ? grouped(intDigits) : intDigits;
    if (!decDigits.isEmpty())
        out += QLatin1Char(',') + decDigits;
    if (out.isEmpty())
        out = QStringLiteral("0");
    return (negative ? QStringLiteral("-") : QString()) + prefix + out + suffix;
}

QString GridFormat::displayDate(const QVariant &value, const QString &format)
{
    const QDateTime dt = value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0))
                                                             : value.toDateTime();
    const bool hasTime = dt.time() != QTime(0, 0);
    if (format.isEmpty() || format.compare(QLatin1String("General Date"), Qt::CaseInsensitive) == 0)
        return hasTime ? dt.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"))
                       : dt.date().toString(QStringLiteral("dd/MM/yyyy"));
    if (format.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0)
        return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
    if (format.compare(QLatin1String("Long Date"), Qt::CaseInsensitive) == 0)
        return QLocale(QLocale::Italian, QLocale::Italy).toString(dt.date(), QStringLiteral("dddd d MMMM yyyy"));
    if (!isDateFormat(format))
        return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
    // The legacy patterns write the month as m and the minutes as n.
    QString qtPattern = format;
    qtPattern.replace(QLatin1Char('m'), QLatin1Char('M')).replace(QLatin1Char('n'), QLatin1Char('m'));
    return QLocale(QLocale::Italian, QLocale::Italy).toString(dt, qtPattern);
}

QVariant GridFormat::parseNumber(const QString &input, bool *ok, const db::NumberLimits &limits)
{
    const QString text = input.trimmed();
    *ok = true;
    if (text.isEmpty())
        return QVariant();
    const std::optional<double> n = db::NumberText::read(text, locale().decimalPoint(), limits);
    if (!n) {
        *ok = false;
        return QVariant();
    }
    if (*n == std::trunc(*n) && std::fabs(*n) < 9.0e15 && !text.contains(QLatin1Char(',')))
        return QVariant(qlonglong(*n));
    return QVariant(*n);
}

QVariant GridFormat::parseDate(const QString &input, bool *ok)
{
    const QString text = input.trimmed();
    *ok = true;
    if (text.isEmpty())
        return QVariant();
    int day = 0, month = 0, year = 0;
    static const QRegularExpression separated(QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})$"));
    static const QRegularExpression packed(QStringLiteral("^(\\d{2})(\\d{2})(\\d{2}|\\d{4})$"));
    QRegularExpressionMatch m = separated.match(text);
    if (!m.hasMatch())
        m = packed.match(text);
    if (m.hasMatch()) {
        day = m.captured(1).toInt();
        month = m.captured(2).toInt();
        year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += 2000;
    }
    const QDate date(year, month, day);
    if (!date.isValid()) {
        *ok = false;
        return QVariant();
    }
    return QVariant(date);
}

QVariant GridFormat::parseBoolean(const QString &input, bool *ok)
{
    const QString text = input.trimmed().toLower();
    *ok = true;
    if (text.isEmpty())
        return QVariant();
    static const QStringList yes = {QStringLiteral("-1"), QStringLiteral("1"), QStringLiteral("sì"),
        QStringLiteral("si"), QStringLiteral("vero"), QStringLiteral("true"), QStringLiteral("on")};
    static const QStringList no = {QStringLiteral("0"), QStringLiteral("no"), QStringLiteral("falso"),
        QStringLiteral("false"), QStringLiteral("off")};
    if (yes.contains(text))
        return QVariant(true);
    if (no.contains(text))
        return QVariant(false);
    *ok = false;
    return QVariant();
}

} // namespace data
