#pragma once

#include <QString>

namespace db { class Database; }

// What the stock-take crash test's child and parent agree on: a shop of a
// few hundred items, and the lines the child prints.
//
//   READY
//   DO post <count>                   a count of every item is being posted
//   OK post <count> <items changed>   posted and committed
//   OK sale <number> <barcode> <quantity>
class StockTakeCrashShop {
public:
    static constexpr int kItems = 300;
    static QString barcode(int item);          // "S0001" ... "S0300"
    static long startingStock(int item);
    static void fill(db::Database &database);
};
