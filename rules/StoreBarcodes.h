#pragma once

#include <QString>
#include <QtGlobal>

namespace db { class Database; }

// The bar codes the shop makes itself for goods that come without one: an
// in-store EAN-13, "2", a number of the shop's own counter on 11 digits and
// the check digit (2 00000000001 5 is the first). The counter is the
// database's (CodiciNegozio: an AUTOINCREMENT key on SQLite, an identity
// sequence on the server): a number once taken is never given again, not
// after the item is deleted, nor after the work that took it is given up,
// nor on another till. A code that is already a stock item's (typed by
// hand) is passed over.
class StoreBarcodes {
public:
    explicit StoreBarcodes(db::Database &database) : m_database(database) {}

    // A code no stock item has, from a number taken for it now. The number
    // is written at once in a transaction of its own: refused (DbError)
    // while the shop's file is inside a transaction, whose rollback would
    // give the number back. Throws DbError when the counter has no numbers
    // left or the database refuses.
    QString next();

    // next(), and the stock item of `article` with that code (no size nor
    // colour, no pieces) written with it.
    QString newItem(qlonglong article);

    // The in-store code of counter number `number` (1 to 99999999999).
    static QString codeFor(qint64 number);
    static constexpr qint64 kLastNumber = 99999999999LL;
    static const QString kExhausted;
    static const QString kInsideTransaction;

private:
    qint64 takeNumber();
    bool isStockItem(const QString &code);

    db::Database &m_database;
};
