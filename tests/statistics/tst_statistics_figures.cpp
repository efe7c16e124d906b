#include "SalesSummaryCheck.h"
#include "StatsShop.h"
#include "TestShopDatabase.h"

#include "db/Database.h"
#include "db/SalesSummary.h"
#include "db/SchemaVersions.h"
#include "rules/stats/SalesStatistics.h"

#include <QtTest>
#include <memory>
#include <sqlite3.h>

using Kind = StatisticsPeriod::Kind;

class TestStatisticsFigures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void summaryHoldsEverySaleWrittenChangedAndDeleted();
    void figuresMatchSumsOfTheTestsOwn_data();
    void figuresMatchSumsOfTheTestsOwn();
    void periodKeysHoldEachDayOnce_data();
    void periodKeysHoldEachDayOnce();
    void upgradeSumsTheSalesAlreadyThere();

private:
    std::unique_ptr<TestShopDatabase> m_shop;
    StatsShop m_data;
};

void TestStatisticsFigures::initTestCase()
{
    m_shop = std::make_unique<TestShopDatabase>();
    m_data.write(*m_shop);
}

void TestStatisticsFigures::summaryHoldsEverySaleWrittenChangedAndDeleted()
{
    QCOMPARE(SalesSummaryCheck::problem(m_shop->database()), QString());
    // What the triggers kept is what a sum made afresh gives.
    const SalesSummaryCheck::Summary kept = SalesSummaryCheck::stored(m_shop->database());
    QVERIFY(kept.days.size() > 1000);
    if (!TestShopDatabase::onServer()) {
        db::rebuildSalesSummary(m_shop->database().handle());
        QCOMPARE(SalesSummaryCheck::stored(m_shop->database()).articles, kept.articles);
        QCOMPARE(SalesSummaryCheck::stored(m_shop->database()).days, kept.days);
    }
}

void TestStatisticsFigures::figuresMatchSumsOfTheTestsOwn_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QDate>("beforeFrom");
    QTest::addColumn<QDate>("beforeTo");
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("cuts");
    QTest::newRow("a year's end, by day") << int(Kind::Range) << QDate(2025, 12, 20) << QDate(2026, 1, 10)
                                          << QDate(2024, 12, 20) << QDate(2025, 1, 10) << "giorno" << 22;
    QTest::newRow("the leap day against the 28th") << int(Kind::Day) << QDate(2024, 2, 29) << QDate(2024, 2, 29)
                                                   << QDate(2023, 2, 28) << QDate(2023, 2, 28) << "giorno" << 1;
    QTest::newRow("a leap February") << int(Kind::Month) << QDate(2024, 2, 10) << QDate()
                                     << QDate(2023, 2, 1) << QDate(2023, 2, 28) << "giorno" << 29;
    QTest::newRow("February after a leap one") << int(Kind::Month) << QDate(2025, 2, 1) << QDate()
                                               << QDate(2024, 2, 1) << QDate(2024, 2, 29) << "giorno" << 28;
    QTest::newRow("weeks across a year's end") << int(Kind::Range) << QDate(2025, 11, 15) << QDate(2026, 2, 10)
                                               << QDate(2024, 11, 15) << QDate(2025, 2, 10) << "settimana" << 13;
    QTest::newRow("a leap year") << int(Kind::Year) << QDate(2024, 6, 1) << QDate()
                                 << QDate(2023, 1, 1) << QDate(2023, 12, 31) << "mese" << 12;
    QTest::newRow("five years") << int(Kind::Range) << QDate(2022, 1, 1) << QDate(2026, 12, 31)
                                << QDate(2021, 1, 1) << QDate(2025, 12, 31) << "mese" << 60;
    QTest::newRow("months cut at both ends") << int(Kind::Range) << QDate(2023, 3, 17) << QDate(2025, 8, 9)
                                             << QDate(2022, 3, 17) << QDate(2024, 8, 9) << "mese" << 30;
    QTest::newRow("a day without sales") << int(Kind::Day) << QDate(2020, 6, 1) << QDate(2020, 6, 1)
                                         << QDate(2019, 6, 1) << QDate(2019, 6, 1) << "giorno" << 1;
}

void TestStatisticsFigures::figuresMatchSumsOfTheTestsOwn()
{
    QFETCH(int, kind);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QDate, beforeFrom);
    QFETCH(QDate, beforeTo);
    QFETCH(QString, step);
    QFETCH(int, cuts);

    const StatisticsPeriod period = StatisticsPeriod::of(static_cast<Kind>(kind), from, to);
    QCOMPARE(period.yearBefore().from(), beforeFrom);
    QCOMPARE(period.yearBefore().to(), beforeTo);
    // Read as on a day halfway through: the takings so far against the same
    // days a year before.
    const QDate halfway = period.from().addDays(period.days() / 2);
    const SalesStatistics s = SalesStatistics::read(m_shop->database(), period, halfway);
    const StatsShop::Expected want =
        m_data.expected(period.from(), period.to(), beforeFrom, beforeTo, step);

    QCOMPARE(s.takings.size(), cuts);
    QList<qint64> cents, centsBefore, sales, salesBefore;
    for (const TakingsPoint &point : s.takings) {
        cents << point.cents;
        centsBefore << point.centsBefore;
        sales << point.sales;
        salesBefore << point.salesBefore;
    }
    QCOMPARE(cents, want.cents);
    QCOMPARE(centsBefore, want.centsBefore);
    QCOMPARE(sales, want.sales);
    QCOMPARE(salesBefore, want.salesBefore);
    QCOMPARE(s.cents, want.totalCents);
    QCOMPARE(s.centsBefore, want.totalCentsBefore);
    if (halfway < period.to()) {
        QCOMPARE(s.toDate, halfway);
        qint64 soFar = 0, soFarBefore = 0;
        for (const StatsShop::Sale &sale : m_data.sales()) {
            const qint64 cents = SalesSummaryCheck::whole(sale.saldo * 100);
            if (sale.date >= period.from() && sale.date <= halfway)
                soFar += cents;
            if (sale.date >= beforeFrom && sale.date <= halfway.addYears(-1))
                soFarBefore += cents;
        }
        QCOMPARE(s.centsToDate, soFar);
        QCOMPARE(s.centsBeforeToDate, soFarBefore);
    } else {
        QVERIFY(!s.toDate.isValid());
    }

    const auto articleRows = [](const QList<ArticleFigure> &figures) {
        QList<StatsShop::ArticleRow> rows;
        for (const ArticleFigure &f : figures)
            rows << StatsShop::ArticleRow{f.article, f.thousandths, f.cents};
        return rows;
    };
    QCOMPARE(articleRows(s.byPieces), want.byPieces);
    QCOMPARE(articleRows(s.byTakings), want.byTakings);
    for (const ArticleFigure &figure : s.byPieces)
        QCOMPARE(figure.description, figure.article == 0 ? SalesStatistics::kUnknownItems
                                                         : QStringLiteral("Articolo %1").arg(figure.article));

    QList<StatsShop::SupplierRow> suppliers;
    for (const SupplierFigure &f : s.suppliers)
        suppliers << StatsShop::SupplierRow{f.supplier, f.thousandths, f.cents, f.costCents};
    QCOMPARE(suppliers, want.suppliers);

    QList<StatsShop::PaymentRow> payments;
    for (const PaymentFigure &f : s.payments)
        payments << StatsShop::PaymentRow{f.description, f.sales, f.cents, f.discountCents};
    QCOMPARE(payments, want.payments);
}

void TestStatisticsFigures::periodKeysHoldEachDayOnce_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("first");   // the keys that open the list
    QTest::addColumn<int>("keys");
    QTest::newRow("five whole years") << QDate(2022, 1, 1) << QDate(2026, 12, 31)
                                      << QStringList{"2022", "2023"} << 5;
    QTest::newRow("months and days at both ends") << QDate(2023, 11, 30) << QDate(2025, 2, 2)
                                                  << QStringList{"2023-11-30", "2023-12", "2024", "2025-01"} << 6;
    QTest::newRow("a leap February whole") << QDate(2024, 2, 1) << QDate(2024, 2, 29) << QStringList{"2024-02"} << 1;
    QTest::newRow("a leap February but its last day") << QDate(2024, 2, 1) << QDate(2024, 2, 28)
                                                      << QStringList{"2024-02-01"} << 28;
    QTest::newRow("one day") << QDate(2026, 12, 9) << QDate(2026, 12, 9) << QStringList{"2026-12-09"} << 1;
}

void TestStatisticsFigures::periodKeysHoldEachDayOnce()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, first);
    QFETCH(int, keys);
    const QStringList got = SalesStatistics::periodKeys(from, to);
    QCOMPARE(got.mid(0, first.size()), first);
    QCOMPARE(got.size(), keys);
    // Every day of the range in exactly one key, and no day outside it.
    QMap<QDate, int> held;
    for (const QString &key : got) {
        QDate start = QDate::fromString(key.leftJustified(10, QLatin1Char('x')).replace(QStringLiteral("xxxxxx"),
                                                                                      QStringLiteral("-01-01"))
                                            .replace(QStringLiteral("xxx"), QStringLiteral("-01")),
                                        QStringLiteral("yyyy-MM-dd"));
        QVERIFY2(start.isValid(), qPrintable(key));
        const QDate end = key.size() == 4 ? start.addYears(1) : key.size() == 7 ? start.addMonths(1) : start.addDays(1);
        for (QDate d = start; d < end; d = d.addDays(1))
            ++held[d];
    }
    QCOMPARE(held.firstKey(), from);
    QCOMPARE(held.lastKey(), to);
    QCOMPARE(qint64(held.size()), from.daysTo(to) + 1);
    for (auto it = held.cbegin(); it != held.cend(); ++it)
        QCOMPARE(it.value(), 1);
}

void TestStatisticsFigures::upgradeSumsTheSalesAlreadyThere()
{
    if (TestShopDatabase::onServer())
        QSKIP("the server's step is checked by the shop copied to it (tst_migra)");
    // The same shop as a file of the version before the summary.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vecchio.mdb"));
    m_shop->release();
    db::Database::closeAll();
    QVERIFY(QFile::copy(m_shop->path(), path));
    sqlite3 *handle = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &handle), SQLITE_OK);
    db::dropSalesSummaryTriggers(handle);
    QCOMPARE(sqlite3_exec(handle, "drop table VenditeGiorno; drop table VenditeArticoli; pragma user_version = 7",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    db::SchemaVersions::upgrade(handle);
    QCOMPARE(db::SchemaVersions::versionOf(handle), db::SchemaVersions::latest());
    sqlite3_close(handle);

    auto old = db::Database::open(path);
    QCOMPARE(SalesSummaryCheck::problem(*old), QString());
    // And kept from there on.
    old->execute(QStringLiteral("delete from scarico where sc_Codice = 3"));
    old->execute(QStringLiteral("update scarico set sc_Quantita = sc_Quantita + 2, sc_Saldo = 1.005 where sc_Codice = 4"));
    QCOMPARE(SalesSummaryCheck::problem(*old), QString());
    const SalesStatistics s = SalesStatistics::read(*old, StatisticsPeriod::of(Kind::Year, QDate(2024, 1, 1)));
    QVERIFY(s.cents != 0);
}

QTEST_GUILESS_MAIN(TestStatisticsFigures)
#include "tst_statistics_figures.moc"
