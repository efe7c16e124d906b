#pragma once

#include <QLocale>
#include <QString>
#include <optional>

// Numbers as the user types them.
class TypedNumber {
public:
    // The number a text starts with, a point as the only decimal separator,
    // 0 when it starts with no number ("12AB" -> 12, "2,5" -> 2, "AB" -> 0).
    // Quantities have always been read this way.
    static double leading(const QString &text);
    // That number truncated to a whole number, clamped to the range of a
    // long long ("12.9" -> 12, "-3.5" -> -3).
    static qlonglong leadingWhole(const QString &text);
    // An amount typed by the user: in the locale's format, or with a point as
    // decimal separator. Neither separator is ever taken as a thousands
    // separator: under Italian "3.50" and "3,50" are both 3,50 and "1.000"
    // is 1; under English "3,50" is not a number. Surrounding blanks are
    // ignored; anything else (and infinity, NaN) is not a number.
    static std::optional<double> amount(const QString &text, const QLocale &locale = QLocale());
};
