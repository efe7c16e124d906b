#pragma once

#include "TestShopDatabase.h"

#include <QDate>
#include <QString>

// The shop of the stock-take tests, on 09/12/2026 ("today"):
//   article 1 "Camicia lino", supplier Rossi:   items R1 (5 in stock), R2 (3)
//   article 2 "Pantalone 50% lana", Rossi:      item R3 (2)
//   article 3 "Giacca", supplier Bianchi:       item B1 (4)
//   article 4 "Camicia *stella*", Bianchi:      item B2 (0)
// and one sale of R1 paid cash, today.
class StockTakeShop : public TestShopDatabase {
public:
    StockTakeShop();
    ~StockTakeShop();

    static QDate day() { return QDate(2026, 12, 9); }
    long stock(const QString &barcode) const;
    void sell(const QString &barcode, double quantity, const QString &date, double amount = 10) const;
    void load(const QString &barcode, double quantity, const QString &date) const;
};
