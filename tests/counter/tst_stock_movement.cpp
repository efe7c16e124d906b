#include "CounterFixture.h"

#include "app/errors/ErrorTrap.h"
#include "rules/MoneyText.h"
#include "rules/RuleError.h"
#include "rules/StockMovement.h"
#include "rules/StockQuantity.h"

#include <QtTest>

namespace {

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
    void pricesInTheUsersFormat();
    void stockEqualsItsMovements();
    void typedQuotesStayInsideTheirLiteral();
    void overflowWritesNothing();
    void unknownItemWritesNothing();
    void changingAMissingRowWritesNothing();
    void deletingARowWhoseItemIsGone();
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
}

void TestStockMovement::wholeQuantityHalvesToEven()
{
    QFETCH(double, quantity);
    QFETCH(long, whole);
    QCOMPARE(StockQuantity::whole(quantity), whole);
    QVERIFY(StockQuantity::fitsStock(quantity));
    QCOMPARE(StockQuantity::typed(StockQuantity::text(quantity)), quantity);
}

void TestStockMovement::pricesInTheUsersFormat()
{
    CounterFixture shop; // Italian
    QCOMPARE(MoneyText::format(1234.5), QStringLiteral("1234,50"));
    QCOMPARE(MoneyText::format(-0.001), QStringLiteral("0,00"));
    QCOMPARE(MoneyText::format(-2), QStringLiteral("-2,00"));
    QCOMPARE(MoneyText::value(QStringLiteral("7,50")), 7.5);
    QVERIFY(MoneyText::isNumericTyping(QStringLiteral("12,")));
    QVERIFY(!MoneyText::isNumericTyping(QStringLiteral(",")));
    QVERIFY(!MoneyText::isNumericTyping(QStringLiteral("1x")));
    QVERIFY(!StockQuantity::fitsStock(3e9));
    try {
        StockQuantity::whole(3e9);
        QFAIL("no overflow");
    } catch (const rules::RuleError &) {
        // The window's trap shows it as it always has.
        const errors::ErrObject err = errors::currentError(std::current_exception());
        QCOMPARE(err.number, 6L);
        QCOMPARE(err.description, QStringLiteral("Overflow"));
    }
}

void TestStockMovement::stockEqualsItsMovements()
{
    CounterFixture shop;
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
    CounterFixture shop;
    for (const QString &code : {QStringLiteral("Dell'Orto"), QStringLiteral("12\"34"), QStringLiteral("' or ''='")}) {
        shop.database().execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values (")
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

void TestStockMovement::overflowWritesNothing()
{
    CounterFixture shop;
    shop.database().execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = 2147483647 where ca_Codice = '1234'"));
    QVERIFY_THROWS_EXCEPTION(rules::RuleError, StockMovement::recordLoad(load(QStringLiteral("1234"), 1)));
    QCOMPARE(shop.stock(QStringLiteral("1234")), 2147483647L);
    QCOMPARE(shop.rows(QStringLiteral("carico")), 0);
    QVERIFY(!shop.database().inTransaction());
    // The next movement works as usual.
    QCOMPARE(StockMovement::recordSale(sale(QStringLiteral("1234"), 1)), StockMovement::Result::Done);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 2147483646L);
}

void TestStockMovement::unknownItemWritesNothing()
{
    CounterFixture shop;
    QCOMPARE(StockMovement::recordLoad(load(QStringLiteral("9999"), 1)), StockMovement::Result::ItemNotFound);
    QCOMPARE(StockMovement::recordSale(sale(QStringLiteral("9999"), 1)), StockMovement::Result::ItemNotFound);
    QCOMPARE(shop.rows(QStringLiteral("carico")) + shop.rows(QStringLiteral("scarico")), 0);
    QVERIFY(!shop.database().inTransaction());
}

void TestStockMovement::changingAMissingRowWritesNothing()
{
    CounterFixture shop;
    QVERIFY_THROWS_EXCEPTION(db::DbError, StockMovement::changeLoad(77, load(QStringLiteral("1234"), 4)));
    QVERIFY_THROWS_EXCEPTION(db::DbError, StockMovement::changeSale(77, sale(QStringLiteral("1234"), 4)));
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QVERIFY(!shop.database().inTransaction());
}

void TestStockMovement::deletingARowWhoseItemIsGone()
{
    CounterFixture shop;
    qlonglong number = 0;
    StockMovement::recordSale(sale(QStringLiteral("5555"), 2), &number);
    shop.database().execute(QStringLiteral("delete from [Codice Articolo] where ca_Codice = '5555'"));
    QCOMPARE(StockMovement::deleteSale(number), StockMovement::Result::ItemNotFound);
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 0);
}

QTEST_MAIN(TestStockMovement)
#include "tst_stock_movement.moc"
