#pragma once

#include <QString>
#include <QStringList>

namespace db {
class Database;
}

// What the crash test's child and parent agree on: the shop the child starts
// from and the lines it prints.
//
//   READY
//   DO <load|sale> ...              an operation starts
//   OK load <number> <barcode> <quantity>       recorded and committed
//   OK sale <number> <barcode> <quantity>
//   OK change-load <number> <barcode> <quantity>
//   OK change-sale <number> <barcode> <quantity>
//   OK delete-load <number>
//   OK delete-sale <number>
//   OK stocktake <count>            a count of one item posted
class CrashScript {
public:
    static QStringList barcodes();
    static long startingStock(const QString &barcode);
    // The shop's articles and stock items, written into a new database.
    static void fillShop(db::Database &database);
    // Quantities the child picks from: halves included, to exercise the
    // whole-number rounding of the stock.
    static QList<double> quantities();
};
