#pragma once

#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLine.h"

#include <QList>
#include <QString>

namespace db { class Database; }

// What was counted in a count (InventarioConteggi) and how it compares with
// the stock. Each scan or correction is written and committed at once, so
// that closing the window or the program loses nothing. Nothing here shows a
// message: the outcome says what happened and message() words it.
class StockTakeLines {
public:
    enum class Outcome {
        Done,
        EmptyCode,      // nothing scanned
        UnknownItem,    // no stock item has the bar code
        OutOfScope,     // the item's article is not the count's supplier or description
        BadQuantity,    // not a whole number of pieces in range
        TooMany,        // the count would pass kMaxPieces
        Posted,         // the count is posted (or gone): nothing may change
    };
    enum class Mode { Add, Set };
    struct Result {
        Outcome outcome = Outcome::Done;
        StockTakeLine line;   // the item's line as it now stands, when Done
    };

    static constexpr long kMaxPieces = 99999;

    StockTakeLines(db::Database &database, const StockTake &take);

    // Adds the typed quantity (empty: one piece) to the item's count.
    Result add(const QString &barcode, const QString &quantity);
    // Makes the typed quantity (0 included) the item's count.
    Result set(const QString &barcode, const QString &quantity);

    // Every counted line, in the order first counted.
    QList<StockTakeLine> lines();
    // What posting changes: the counted lines whose count differs from the
    // stock and, when the count sets the items not counted to zero, those of
    // its scope whose stock is not zero. A posted count: the lines whose
    // count differed from the stock stored.
    QList<StockTakeLine> differences();
    // The same from the counted lines already read.
    QList<StockTakeLine> differences(const QList<StockTakeLine> &counted);

    static QString message(Outcome outcome, Mode mode, const QString &barcode);

private:
    Result change(const QString &barcode, const QString &quantity, Mode mode);
    QList<StockTakeLine> readLines();
    QList<StockTakeLine> notCounted(const QList<StockTakeLine> &counted);

    db::Database &m_database;
    StockTake m_take;
};
