// A shelf counted as a new user counts it, then what the shop's other views
// say: one supplier's items counted, two differences found and posted; the
// stock is the count, the day's takings and the sales are what they were,
// the adjustments are the differences, and the stock value at today's date
// is the sum of each item's quantity times its average load price, worked
// out here on its own.
#include "StockTakeShop.h"

#include "rules/DailyTakings.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLines.h"
#include "rules/stock/StockTakePosting.h"
#include "rules/stock/StockValuation.h"

#include <QtTest>

class TestStockTakeDone : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aSuppliersShelfCountedAndPosted();
};

void TestStockTakeDone::aSuppliersShelfCountedAndPosted()
{
    StockTakeShop shop;
    // R1 came in twice at prices of its own; the others have no load priced.
    shop.execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo) values "
                                "('R1', #12/01/2026#, 4, 12)"));
    shop.execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo) values "
                                "('R1', #12/02/2026#, 2, 15)"));
    db::Database &database = shop.database();
    const DailyTakings before = DailyTakings::read(StockTakeShop::day(), StockTakeShop::day());
    const int sales = shop.count(QStringLiteral("scarico"));
    const int loads = shop.count(QStringLiteral("carico"));

    // Rossi's shelf: three R1 scanned one by one (5 in stock), three R2 (3),
    // four R3 typed (2 in stock).
    const StockTake take = StockTake::create(database, StockTakeShop::day(), QStringLiteral("Rossi"), QString());
    StockTakeLines lines(database, take);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(lines.add(QStringLiteral("R1"), QString()).outcome, StockTakeLines::Outcome::Done);
        QCOMPARE(lines.add(QStringLiteral("R2"), QString()).outcome, StockTakeLines::Outcome::Done);
    }
    QCOMPARE(lines.add(QStringLiteral("R3"), QStringLiteral("4")).outcome, StockTakeLines::Outcome::Done);
    // Another supplier's item on the shelf is not this count's.
    QCOMPARE(lines.add(QStringLiteral("B1"), QString()).outcome, StockTakeLines::Outcome::OutOfScope);
    QStringList found;
    for (const StockTakeLine &line : lines.differences())
        found << QStringLiteral("%1 %2").arg(line.codice).arg(line.differenza());
    QCOMPARE(found, (QStringList{"R1 -2", "R3 2"}));

    QCOMPARE(StockTakePosting::itemsToChange(database, take), 2);
    const StockTakePosting::Result posted = StockTakePosting::post(database, take.numero, StockTakeShop::day());
    QCOMPARE(posted.outcome, StockTakePosting::Outcome::Done);
    QCOMPARE(posted.changed, 2);

    // The card's stock is the count; the rest of the shop is as it was.
    QCOMPARE(shop.stock(QStringLiteral("R1")), 3);
    QCOMPARE(shop.stock(QStringLiteral("R2")), 3);
    QCOMPARE(shop.stock(QStringLiteral("R3")), 4);
    QCOMPARE(shop.stock(QStringLiteral("B1")), 4);
    const DailyTakings after = DailyTakings::read(StockTakeShop::day(), StockTakeShop::day());
    QCOMPARE(after.totale.vendite, before.totale.vendite);
    QCOMPARE(after.totale.incasso, before.totale.incasso);
    QCOMPARE(shop.count(QStringLiteral("scarico")), sales);
    QCOMPARE(shop.count(QStringLiteral("carico")), loads);
    QCOMPARE(shop.count(QStringLiteral("Rettifiche where re_Inventario = %1").arg(take.numero)), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select sum(re_Quantita) from Rettifiche")).toDouble(), 0.0);

    // The value at today's date: R1 3 x 13.00 (4 at 12 and 2 at 15), R2 3 x
    // 10.00, R3 4 x 10.00, B1 4 x 10.00 (the articles' load price), B2 none.
    const auto value = StockValuation::read(database, StockTakeShop::day());
    QStringList shown;
    for (qint64 i = 0; i < value->lineCount(); ++i) {
        const StockValueLine line = value->line(i);
        shown << QStringLiteral("%1 %2 x %3 = %4").arg(line.codice).arg(line.quantita).arg(line.prezzoCents)
                     .arg(line.valoreCents);
    }
    QCOMPARE(shown, (QStringList{"B1 4 x 1000 = 4000", "R1 3 x 1300 = 3900", "R2 3 x 1000 = 3000",
                                 "R3 4 x 1000 = 4000"}));
    QCOMPARE(value->totalCents(), qint64(3 * 1300 + 3 * 1000 + 4 * 1000 + 4 * 1000));
    QCOMPARE(value->totalQuantity(), qint64(14));
}

QTEST_GUILESS_MAIN(TestStockTakeDone)
#include "tst_stocktake_done.moc"
