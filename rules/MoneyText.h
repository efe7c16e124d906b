#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>

// Prices, discounts and amounts as the windows read and write them: in the
// user's number format, written with the pattern "0.00" (two decimals, the
// locale's decimal separator, no thousands separator).
class MoneyText {
public:
    // Rounded to the cent half away from zero on the decimal value the
    // number stands for: 2.675 gives "2,68" (the double just below 2.675 is
    // taken as 2.675), -2.675 "-2,68", 0.005 "0,01". Never "-0,00".
    static QString format(double value, const QLocale &locale = QLocale());
    // The same rounding, as whole cents (finite values below 1e15).
    static qlonglong cents(double value);
    // The number of a typed amount (TypedNumber::amount), 0 when it is not one.
    static double value(const QString &text);
    // Whether a typed text is an amount.
    static bool isNumeric(const QString &text);
    // Whether a text being typed is an amount so far: "12," on its way to
    // "12,5" counts, so the price link does not throw the typing away.
    static bool isNumericTyping(const QString &text);
    // A stored number as a box shows it: Null as empty, whole numbers
    // without decimals, others as short as they are exact, in the locale's
    // format without thousands separator; text as it is.
    static QString display(const QVariant &stored);
};
