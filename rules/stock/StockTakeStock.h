#pragma once

#include <QDate>
#include <QHash>
#include <QString>

namespace db { class Database; }

// An item's stock at the end of a day: today's ca_Quantita less what the
// movements dated after that day did to it (loads added their whole
// quantity, sales took it off, adjustments added their signed quantity).
// Today gives today's stock, and stock typed in before any load is kept.
class StockTakeStock {
public:
    // What the movements of one item dated after `date` moved its stock by.
    static long movedAfter(db::Database &database, const QString &barcode, const QDate &date);
    // The same for every item moved after `date`, by the folded bar code
    // (db::foldedText): the movements of a few days are read once.
    static QHash<QString, long> allMovedAfter(db::Database &database, const QDate &date);
};
