#pragma once

#include "rules/stock/StockTake.h"

#include <QDate>
#include <QString>

namespace db { class Database; }

// Posting a count: in one transaction, every item whose count differs from
// its stock on the count's day (and, when the count says so, every item of
// its scope not counted whose stock is not zero) gets an adjustment
// (Rettifiche: counted less that stock, dated the count's day) and its
// stock moves by it through StockQuantity::addTo, so that a sale another
// till makes meanwhile still counts; the count's lines keep the stock they
// were compared with and the count is marked posted. Loads, sales and
// everything read from them stay as they were. A failure leaves nothing.
class StockTakePosting {
public:
    enum class Outcome { Done, AlreadyPosted, NotFound };
    struct Result {
        Outcome outcome = Outcome::Done;
        int changed = 0;   // items whose stock moved
    };

    // How many items posting the count would change now.
    static int itemsToChange(db::Database &database, const StockTake &take);
    // Posts count `numero`, on `postedOn` (today). Engine errors (and the
    // stock "Overflow") go to the caller, with nothing written.
    static Result post(db::Database &database, qlonglong numero, const QDate &postedOn);

    static QString question(const StockTake &take, int changes);
    static QString done(int changes);
    static QString alreadyPosted();
    static QString failed(const QString &reason);

    // Only for the crash test's control run, which proves that the test
    // notices a posting written statement by statement. The program never
    // calls it.
    static void setOneTransaction(bool on);
};
