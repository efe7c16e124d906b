#pragma once

#include <QString>
#include <optional>

namespace db {

// How far a number typed into a field may go.
struct NumberLimits {
    double largest = 0;   // the largest magnitude accepted; 0 for any finite number
    int decimals = -1;    // the decimals kept, the rest rounded away (halves away from zero); -1 keeps them all
};

// The one reading of a number the user types, shared by the engine, the
// data controls and the shop's rules, so that a text means the same number
// in the cell that shows it, in the amount computed from it and in the row
// written.
//
// Digits with an optional sign and at most one decimal separator: the point
// always, the comma when it is the locale's decimal separator. Neither is a
// thousands separator on its own ("1.000" is 1). When both appear, the last
// one is the decimal separator and the other one must group the whole part
// by three ("1.234,50" and "1,234.50" are 1234,5; "1.23,4" is no number).
// A euro sign before or after the number and surrounding blanks are left
// out. Anything else (an exponent, "inf", "NaN", "1,2,3", a number beyond
// the limits) is no number.
class NumberText {
public:
    static std::optional<double> read(const QString &text, const QString &decimalPoint,
                                      const NumberLimits &limits = {});
};

} // namespace db
