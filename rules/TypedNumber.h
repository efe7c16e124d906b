#pragma once

#include "db/NumberText.h"

#include <QLocale>
#include <QString>
#include <optional>

// Numbers as the user types them.
class TypedNumber {
public:
    // A price, discount or amount: within ±99.999.999,99, the digits beyond
    // the cents rounded away (halves away from zero).
    static constexpr db::NumberLimits kAmount{99999999.99, 2};
    // A quantity: within what the stock's long integer holds.
    static constexpr db::NumberLimits kQuantity{2147483647.0, -1};

    // The number a text starts with, a point as the only decimal separator,
    // 0 when it starts with no number ("12AB" -> 12, "2,5" -> 2, "AB" -> 0).
    // Quantities have always been read this way.
    static double leading(const QString &text);
    // That number truncated to a whole number, clamped to the range of a
    // long long ("12.9" -> 12, "-3.5" -> -3).
    static qlonglong leadingWhole(const QString &text);
    // A number typed by the user, in the locale's format or with a point as
    // decimal separator (db::NumberText): neither separator alone is a
    // thousands separator, so under Italian "3.50" and "3,50" are both 3,50
    // and "1.000" is 1; with both, the last is the decimal separator and
    // the other groups by three ("1.234,50"). Under English "3,50" is not a
    // number. Surrounding blanks are ignored; anything else (an exponent,
    // infinity, NaN) is not a number.
    static std::optional<double> number(const QString &text, const QLocale &locale = QLocale());
    // Such a number as an amount (kAmount); beyond it, not a number.
    static std::optional<double> amount(const QString &text, const QLocale &locale = QLocale());
    // Such a number as a quantity (kQuantity); beyond it, not a number.
    static std::optional<double> quantity(const QString &text, const QLocale &locale = QLocale());
};
