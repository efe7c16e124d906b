#pragma once

#include <QString>
#include <QVariant>

// Prices, discounts and amounts as the counter windows read and write them:
// in the user's number format, written with the pattern "0.00" (two
// decimals, no thousands separator).
class PriceText {
public:
    static QString format(double value);
    // The number of a text in the user's format (0 when it is not one).
    static double value(const QString &text);
    // Whether a text being typed is a number so far: "12," on its way to
    // "12,5" counts, so the price link does not throw the typing away.
    static bool isNumericTyping(const QString &text);
    // A stored number as a box shows it (Null as empty).
    static QString display(const QVariant &stored);
};
