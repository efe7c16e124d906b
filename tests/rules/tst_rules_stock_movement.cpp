// The stock movements of the load and unload windows, on a shop of the
// test's own: "1234" (article 42, 3 in stock) and "5555" (article 43, 10).
#include "TestShopDatabase.h"

#include "rules/RuleError.h"
#include "rules/StockMovement.h"
#include "rules/StockQuantity.h"

#include <QtTest>

#include <sqlite3.h>

namespace {

class Shop : public TestShopDatabase {
public:
    Shop()
    {
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (42, \"Giacca\", 20)"));
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (43, \"Sciarpa\", 0)"));
        execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values (\"1234\", 42, 3)"));
        execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values (\"5555\", 43, 10)"));
    }
    long stock(const QString &barcode) const
    {
        return long(scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '") + barcode
                           + QStringLiteral("'")).toLongLong());
    }
    int rows(const QString &table) const { return count(table); }
};

LoadRow load(const QString &code, double quantity)
{
    return LoadRow{QStringLiteral("06/12/2026"), code, 0, quantity};
}

SaleRow sale(const QString &code, double quantity)
{
    return SaleRow{QStringLiteral("06/12/2026"), code, quantity, 10, 0, 10 * quantity, QStringLiteral("CO")};
}

} // namespace

class TestStockMovement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeQuantityHalvesToEven_data();
    void wholeQuantityHalvesToEven();
    void stockEqualsItsMovements();
    void typedQuotesStayInsideTheirLiteral();
    void overflowWritesNothing_data();
    void overflowWritesNothing();
    void unknownItemWritesNothing();
    void changingAMissingRowWritesNothing();
    void deletingARowWhoseItemIsGone();
    void aWriteRefusedHalfwayLeavesNothing_data();
    void aWriteRefusedHalfwayLeavesNothing();
};

void TestStockMovement::wholeQuantityHalvesToEven_data()
{
    QTest::addColumn<double>("quantity");
    QTest::addColumn<long>("whole");
    QTest::newRow("2.5") << 2.5 << 2L;
    QTest::newRow("3.5") << 3.5 << 4L;
    QTest::newRow("0.5") << 0.5 << 0L;
    QTest::newRow("1.5") << 1.5 << 2L;
    QTest::newRow("-2.5") << -2.5 << -2L;
    QTest::newRow("2.4999") << 2.4999 << 2L;
    QTest::newRow("2.5001") << 2.5001 << 3L;
    QTest::newRow("largest long") << 2147483647.0 << 2147483647L;
    QTest::newRow("beyond a long") << 3e9 << -1L;   // -1: "Overflow"
}

void TestStockMovement::wholeQuantityHalvesToEven()
{
    QFETCH(double, quantity);
    QFETCH(long, whole);
    QCOMPARE(StockQuantity::typed(StockQuantity::text(quantity)), quantity);
    QCOMPARE(StockQuantity::fitsStock(quantity), whole != -1);
    if (whole != -1) {
        QCOMPARE(StockQuantity::whole(quantity), whole);
        return;
    }
    try {
        StockQuantity::whole(quantity);
        QFAIL("no overflow");
    } catch (const rules::RuleError &error) {
        QCOMPARE(error.number(), 6L);
        QCOMPARE(error.description(), QStringLiteral("Overflow"));
    }
}

void TestStockMovement::stockEqualsItsMovements()
{
    Shop shop;
    qlonglong first = 0;
    qlonglong second = 0;
    qlonglong sold = 0;
    QCOMPARE(StockMovement::recordLoad(load(QStringLiteral("1234"), 2.5), &first), StockMovement::Result::Done);
    QCOMPARE(StockMovement::recordLoad(load(QStringLiteral("1234"), 3.5), &second), StockMovement::Result::Done);
    QCOMPARE(StockMovement::recordSale(sale(QStringLiteral("1234"), 1.5), &sold), StockMovement::Result::Done);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L + 2 + 4 - 2);
    QVERIFY(first > 0 && second > first && sold > 0);

    // A change moves the old figure out of the old item, the new one in.
    QCOMPARE(StockMovement::changeLoad(first, load(QStringLiteral("5555"), 1)), StockMovement::Result::Done);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L + 4 - 2);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 11L);
    QCOMPARE(StockMovement::changeSale(sold, sale(QStringLiteral("5555"), 4)), StockMovement::Result::Done);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L + 4);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 7L);
    // Deleting gives back what the row says.
    QCOMPARE(StockMovement::deleteLoad(second), StockMovement::Result::Done);
    QCOMPARE(StockMovement::deleteSale(sold), StockMovement::Result::Done);
    QCOMPARE(StockMovement::deleteLoad(first), StockMovement::Result::Done);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 10L);
    QCOMPARE(shop.rows(QStringLiteral("carico")) + shop.rows(QStringLiteral("scarico")), 0);
    // Deleting what is no longer there changes nothing.
    QCOMPARE(StockMovement::deleteSale(sold), StockMovement::Result::Done);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 10L);
}

void TestStockMovement::typedQuotesStayInsideTheirLiteral()
{
    Shop shop;
    for (const QString &code : {QStringLiteral("Dell'Orto"), QStringLiteral("12\"34"), QStringLiteral("' or ''='")}) {
        shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values (")
                                + QStringLiteral("'") + QString(code).replace(QLatin1Char('\''), QStringLiteral("''"))
                                + QStringLiteral("', 42, 5)"));
        QCOMPARE(StockMovement::recordLoad(load(code, 2)), StockMovement::Result::Done);
        QCOMPARE(StockMovement::recordSale(sale(code, 1)), StockMovement::Result::Done);
        QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '")
                             + QString(code).replace(QLatin1Char('\''), QStringLiteral("''")) + QStringLiteral("'"))
                     .toLongLong(),
                 6LL);
    }
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 10L);
}

void TestStockMovement::overflowWritesNothing_data()
{
    QTest::addColumn<qlonglong>("stock");
    QTest::addColumn<bool>("selling");   // else a load
    QTest::addColumn<bool>("refused");   // "Overflow", nothing written
    QTest::newRow("a load past the largest long") << 2147483647LL << false << true;
    QTest::newRow("a load up to the largest long") << 2147483646LL << false << false;
    QTest::newRow("a sale past the smallest long") << -2147483648LL << true << true;
    QTest::newRow("a sale down to the smallest long") << -2147483647LL << true << false;
}

void TestStockMovement::overflowWritesNothing()
{
    QFETCH(qlonglong, stock);
    QFETCH(bool, selling);
    QFETCH(bool, refused);
    Shop shop;
    shop.execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = %1 where ca_Codice = '1234'").arg(stock));
    const auto move = [&] {
        return selling ? StockMovement::recordSale(sale(QStringLiteral("1234"), 1))
                    : StockMovement::recordLoad(load(QStringLiteral("1234"), 1));
    };
    if (!refused) {
        QCOMPARE(move(), StockMovement::Result::Done);
        QCOMPARE(qlonglong(shop.stock(QStringLiteral("1234"))), stock + (selling ? -1 : 1));
        return;
    }
    try {
        move();
        QFAIL("no overflow");
    } catch (const rules::RuleError &error) {
        QCOMPARE(error.description(), QStringLiteral("Overflow"));
    }
    QCOMPARE(qlonglong(shop.stock(QStringLiteral("1234"))), stock);
    QCOMPARE(shop.rows(QStringLiteral("carico")) + shop.rows(QStringLiteral("scarico")), 0);
    QVERIFY(!shop.database().inTransaction());
    // The next movement the other way works as usual.
    const auto back = selling ? StockMovement::recordLoad(load(QStringLiteral("1234"), 1))
                           : StockMovement::recordSale(sale(QStringLiteral("1234"), 1));
    QCOMPARE(back, StockMovement::Result::Done);
    QCOMPARE(qlonglong(shop.stock(QStringLiteral("1234"))), stock + (selling ? 1 : -1));
}

void TestStockMovement::unknownItemWritesNothing()
{
    Shop shop;
    QCOMPARE(StockMovement::recordLoad(load(QStringLiteral("9999"), 1)), StockMovement::Result::ItemNotFound);
    QCOMPARE(StockMovement::recordSale(sale(QStringLiteral("9999"), 1)), StockMovement::Result::ItemNotFound);
    QCOMPARE(shop.rows(QStringLiteral("carico")) + shop.rows(QStringLiteral("scarico")), 0);
    QVERIFY(!shop.database().inTransaction());
}

void TestStockMovement::changingAMissingRowWritesNothing()
{
    Shop shop;
    QVERIFY_THROWS_EXCEPTION(db::DbError, StockMovement::changeLoad(77, load(QStringLiteral("1234"), 4)));
    QVERIFY_THROWS_EXCEPTION(db::DbError, StockMovement::changeSale(77, sale(QStringLiteral("1234"), 4)));
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QVERIFY(!shop.database().inTransaction());
}

void TestStockMovement::deletingARowWhoseItemIsGone()
{
    Shop shop;
    qlonglong number = 0;
    StockMovement::recordSale(sale(QStringLiteral("5555"), 2), &number);
    shop.execute(QStringLiteral("delete from [Codice Articolo] where ca_Codice = '5555'"));
    QCOMPARE(StockMovement::deleteSale(number), StockMovement::Result::ItemNotFound);
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 0);
}

void TestStockMovement::aWriteRefusedHalfwayLeavesNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("refused");   // the statement the database refuses
    for (const QByteArray operation : {"record load", "record sale", "change load", "change sale", "delete load",
                                       "delete sale"}) {
        const QString table = operation.endsWith("load") ? QStringLiteral("carico") : QStringLiteral("scarico");
        const QString rowEvent = operation.startsWith("record")   ? QStringLiteral("insert")
                                 : operation.startsWith("change") ? QStringLiteral("update")
                                                                  : QStringLiteral("delete");
        QTest::newRow(operation + ", its row") << QString::fromLatin1(operation) << rowEvent + QStringLiteral(" on ") + table;
        QTest::newRow(operation + ", the stock") << QString::fromLatin1(operation)
                                                 << QStringLiteral("update on [Codice Articolo]");
    }
}

// A full disk or a lock refuses one of the two writes of a movement, the
// first or the second: the stock and the rows stay exactly as they were,
// the error reaches the window, and the movement goes through once the
// database takes writes again.
void TestStockMovement::aWriteRefusedHalfwayLeavesNothing()
{
    QFETCH(QString, operation);
    QFETCH(QString, refused);
    Shop shop;
    qlonglong loadNumber = 0;
    qlonglong saleNumber = 0;
    StockMovement::recordLoad(load(QStringLiteral("1234"), 2), &loadNumber);
    StockMovement::recordSale(sale(QStringLiteral("1234"), 1), &saleNumber);
    const auto snapshot = [&shop] {
        QStringList state{QString::number(shop.stock(QStringLiteral("1234"))),
                          QString::number(shop.stock(QStringLiteral("5555")))};
        for (const QString &sql : {QStringLiteral("select count(*) from carico"),
                                   QStringLiteral("select sum(ca_Quantita) from carico"),
                                   QStringLiteral("select min(ca_Codice_Articolo) from carico"),
                                   QStringLiteral("select count(*) from scarico"),
                                   QStringLiteral("select sum(sc_Quantita) from scarico"),
                                   QStringLiteral("select min(sc_Codice_Articolo) from scarico")})
            state << shop.scalar(sql).toString();
        return state;
    };
    const QStringList before = snapshot();
    shop.refuseWrites(refused);

    const auto run = [&] {
        if (operation == QLatin1String("record load"))
            StockMovement::recordLoad(load(QStringLiteral("5555"), 4));
        else if (operation == QLatin1String("record sale"))
            StockMovement::recordSale(sale(QStringLiteral("5555"), 4));
        else if (operation == QLatin1String("change load"))
            StockMovement::changeLoad(loadNumber, load(QStringLiteral("5555"), 4));
        else if (operation == QLatin1String("change sale"))
            StockMovement::changeSale(saleNumber, sale(QStringLiteral("5555"), 4));
        else if (operation == QLatin1String("delete load"))
            StockMovement::deleteLoad(loadNumber);
        else
            StockMovement::deleteSale(saleNumber);
    };
    QVERIFY_THROWS_EXCEPTION(db::DbError, run());
    QCOMPARE(snapshot(), before);
    QVERIFY(!shop.database().inTransaction());

    shop.acceptWrites();
    run();
    QVERIFY(snapshot() != before);
}

QTEST_GUILESS_MAIN(TestStockMovement)
#include "tst_rules_stock_movement.moc"
