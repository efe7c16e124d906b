#include "rules/TypedNumber.h"

#include <cmath>
#include <limits>

double TypedNumber::leading(const QString &text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const int start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-')))
        ++i;
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            break;
    }
    if (!digits)
        return 0;
    return QLocale::c().toDouble(text.mid(start, i - start));
}

qlonglong TypedNumber::leadingWhole(const QString &text)
{
    const double number = std::trunc(leading(text));
    constexpr double limit = 9.2e18;
    if (number >= limit)
        return std::numeric_limits<qlonglong>::max();
    if (number <= -limit)
        return std::numeric_limits<qlonglong>::min();
    return qlonglong(number);
}

std::optional<double> TypedNumber::number(const QString &text, const QLocale &locale)
{
    return db::NumberText::read(text, locale.decimalPoint());
}

std::optional<double> TypedNumber::amount(const QString &text, const QLocale &locale)
{
    return db::NumberText::read(text, locale.decimalPoint(), kAmount);
}

std::optional<double> TypedNumber::quantity(const QString &text, const QLocale &locale)
{
    return db::NumberText::read(text, locale.decimalPoint(), kQuantity);
}
