#pragma once

#include <QString>

namespace db { class Database; }

// How a typed quantity moves the stock. The load and sale rows keep the
// quantity as typed ("2.5"); the stock item's quantity is a long integer and
// moves by the nearest whole number, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4).
class StockQuantity {
public:
    // The quantity a text starts with, a point as the only decimal separator
    // ("2,5" -> 2, "0,5" -> 0, "abc" -> 0).
    static double typed(const QString &text);
    // Whether the whole number of a quantity fits the stock's long integer.
    static bool fitsStock(double quantity);
    // The whole number a quantity moves the stock by. Throws the run-time
    // error "Overflow" (rules::RuleError, number 6) when it does not fit a
    // long integer.
    static long whole(double quantity);
    // A quantity as the quantity box shows it: a point as decimal separator,
    // so that reading it back gives the same number.
    static QString text(double quantity);

    // The one change of a stock item's quantity: ca_Quantita := ca_Quantita
    // + delta, computed by the database in a single update (a Null quantity
    // counts as none), so that two tills moving the same item at once both
    // count. False, and nothing written, when no item has the bar code;
    // "Overflow" when the result leaves the range of a long integer, nothing
    // written either. Runs inside the caller's transaction when there is one.
    static bool addTo(db::Database &database, const QString &barcode, long delta);
};
