#pragma once

#include <optional>

// The amount due for one line of a sale, from the list price L, the unit
// price P, the discount S (an amount for the whole line) and the quantity Q.
//   L = 0: amount = P x Q - S; the typed unit price stands.
//   L > 0: amount = L x Q - S; the unit price becomes L - S / n, the
//          discount spread over n = Q to the nearest whole number (halves
//          to even), n = 1 when Q is 0, rounds to 0 or is too large to count.
struct SaleAmount {
    double amountDue = 0;
    std::optional<double> unitPrice;   // set only with a list price

    static SaleAmount compute(double listPrice, double unitPrice, double discount, double quantity);
};
