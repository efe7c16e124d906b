#pragma once

#include "CardFixture.h"

// The card tests' program folder with the lists' templates and a small shop:
// articles 42 "Giacca" (supplier "Dell'Orto") and 43 "Sciarpa" ("Rossi");
// items "1234" (of 42, 3 in stock), "1234U" (of 42, 1) and "5555" (of 43,
// 10); loads and sales in November and December 2026. Today is 6/12/2026.
class ListsFixture : public CardFixture {
public:
    ListsFixture();
    ~ListsFixture();
    // A load or a sale; the date day first.
    void addLoad(const QString &barcode, const QString &date, double quantity, double price, bool used);
    void addSale(const QString &barcode, const QString &date, double quantity, double price, double discount,
                 double amount, const QString &payment, bool used);
    double stock(const QString &barcode) const;
};
