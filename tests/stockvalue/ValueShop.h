#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class TestShopDatabase;

// A shop generated for the stock value: articles of three suppliers (one
// spelled in two cases) and one without, items with and without the "U" of
// second-hand goods, and a few thousand movements from 2024 to 6/12/2026:
// loads with a price and without (0, Null), quantities with halves, sales,
// stock-take adjustments written straight into Rettifiche, movements
// naming their item in another case and movements of no item. Every item's
// stock is what its movements made of it, from nothing.
//
// Kept here as the test replays it: forward from nothing, with its own
// rounding, independently of the program.
class ValueShop {
public:
    struct Article {
        qint64 code = 0;
        QString descrizione;
        QString fornitore;
        double prezzoCarico = 0;
    };
    struct Item {
        QString code;
        int article = 0;   // its place in articles
        QString taglia;
        QString colore;
    };
    struct Movement {
        enum Kind { Load, Sale, Adjustment } kind = Load;
        int item = -1;     // -1: a code no item has
        QString code;      // as the movement names it
        QDate date;
        double quantity = 0;
        double price = 0;  // loads; < 0 writes Null
    };

    // Writes the shop into `shop` (one transaction).
    explicit ValueShop(TestShopDatabase &shop, int movements = 3000, unsigned seed = 20261206);

    QList<Article> articles;
    QList<Item> items;
    QList<Movement> movements;
    QDate firstDay;

    // The lines the stock value on `day` should show, as
    // "fornitore|code|quantity|price cents|value cents", in their order,
    // and the group and grand totals as "fornitore|lines|quantity|cents".
    QStringList expectedLines(const QDate &day) const;
    QStringList expectedGroups(const QDate &day) const;
    qint64 expectedTotalCents(const QDate &day) const;
    // Stock of each item now, as the movements made it.
    qint64 stockNow(int item) const;

    // The nearest whole number, halves to the even one.
    static qint64 halfEven(double value);
    static qint64 cents(double value);
};
