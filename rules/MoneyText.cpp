#include "rules/MoneyText.h"

#include "rules/TypedNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>

// Whole cents of a value, the half cent away from zero, decided on the
// shortest decimal text that reads back as the same double (15 significant
// digits are exact for every double).
qlonglong MoneyText::cents(double value)
{
    const double magnitude = std::fabs(value);
    const int wholeDigits = magnitude >= 1 ? int(std::floor(std::log10(magnitude))) + 1 : 0;
    // Below 1e11 the same digits are written without a text: the C++
    // library writes a tie at the last digit to even where Qt writes it up,
    // and that last digit is then four or more places after the cents, so
    // the cents come out the same (a million items are valued this way).
    if (magnitude < 1e11) {
        char digits[48];
        const auto written = std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::fixed,
                                           std::max(0, 15 - wholeDigits));
        qlonglong whole = 0;
        const char *c = digits;
        for (; c < written.ptr && *c != '.'; ++c)
            whole = whole * 10 + (*c - '0');
        int fraction[3] = {0, 0, 0};
        if (c < written.ptr)
            for (int i = 0; i < 3 && ++c < written.ptr; ++i)
                fraction[i] = *c - '0';
        qlonglong result = whole * 100 + fraction[0] * 10 + fraction[1] + (fraction[2] >= 5 ? 1 : 0);
        return value < 0 ? -result : result;
    }
    const QString decimal = QString::number(magnitude, 'f', std::max(0, 15 - wholeDigits));
    const int point = decimal.indexOf(QLatin1Char('.'));
    const QString wholePart = point < 0 ? decimal : decimal.left(point);
    const QString fraction = (point < 0 ? QString() : decimal.mid(point + 1)) + QStringLiteral("000");
    qlonglong result = wholePart.toLongLong() * 100 + fraction.left(2).toLongLong();
    if (fraction.at(2) >= QLatin1Char('5'))
        ++result;
    return value < 0 ? -result : result;
}

QString MoneyText::format(double value, const QLocale &locale)
{
    if (!std::isfinite(value) || std::fabs(value) >= 1e15) {
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        return plain.toString(value, 'f', 2);
    }
    const qlonglong amount = cents(value);
    const qlonglong magnitude = amount < 0 ? -amount : amount;
    QString text = QString::number(magnitude / 100) + locale.decimalPoint()
        + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
    if (amount < 0)
        text.prepend(locale.negativeSign());
    return text;
}

double MoneyText::value(const QString &text)
{
    return TypedNumber::amount(text).value_or(0);
}

bool MoneyText::isNumeric(const QString &text)
{
    return TypedNumber::amount(text).has_value();
}

bool MoneyText::isNumericTyping(const QString &text)
{
    if (isNumeric(text))
        return true;
    const QString decimal = QLocale().decimalPoint();
    const QString trimmed = text.trimmed();
    return trimmed.size() > decimal.size() && trimmed.endsWith(decimal) && isNumeric(trimmed + QLatin1Char('0'));
}

QString MoneyText::display(const QVariant &stored)
{
    if (!stored.isValid() || stored.isNull())
        return QString();
    switch (stored.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = stored.toDouble();
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        if (number == std::trunc(number) && std::fabs(number) < 1e15)
            return locale.toString(qlonglong(number));
        return locale.toString(number, 'f', QLocale::FloatingPointShortest);
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(stored.toLongLong());
    default:
        return stored.toString();
    }
}
