#include "FaultyVfs.h"
#include "TestShopDatabase.h"

#include "safety/ShopSafety.h"
#include "db/DatabaseCopy.h"
#include "rules/StockMovement.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sqlite3.h>

// A disk error at every write of a sale, a load and a backup, one write
// after the other: nothing acknowledged is lost, the file stays sound and
// the stock equals its movements.
class IoErrorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyWriteOfAMovementMayFail_data();
    void everyWriteOfAMovementMayFail();
    void everyWriteOfABackupMayFail();
};

namespace {

constexpr int startingStock = 10;

struct Reopened {
    sqlite3 *handle = nullptr;
    explicit Reopened(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Reopened() { sqlite3_close_v2(handle); }
    double number(const QString &sql) const
    {
        sqlite3_stmt *s = nullptr;
        double value = -1;
        if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &s, nullptr) == SQLITE_OK
            && sqlite3_step(s) == SQLITE_ROW)
            value = sqlite3_column_double(s, 0);
        sqlite3_finalize(s);
        return value;
    }
};

} // namespace

void IoErrorTest::everyWriteOfAMovementMayFail_data()
{
    QTest::addColumn<bool>("sale");
    QTest::newRow("sale") << true;
    QTest::newRow("load") << false;
}

void IoErrorTest::everyWriteOfAMovementMayFail()
{
    QFETCH(bool, sale);
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('800', 1, %1)").arg(startingStock));
    db::Database::closeAll();
    FaultyVfs vfs;
    int failures = 0;
    for (int n = 1; n < 500; ++n) {
        vfs.failFrom(n);
        bool acknowledged = false;
        qlonglong number = 0;
        try {
            if (sale) {
                SaleRow row{QStringLiteral("08/12/2026"), QStringLiteral("800"), 2, 5, 0, 10, QStringLiteral("CO"), 0};
                acknowledged = StockMovement::recordSale(row, &number) == StockMovement::Result::Done;
            } else {
                LoadRow row{QStringLiteral("08/12/2026"), QStringLiteral("800"), 0, 3};
                acknowledged = StockMovement::recordLoad(row, &number) == StockMovement::Result::Done;
            }
        } catch (...) {
        }
        const bool hit = vfs.failed();
        vfs.disarm();
        db::Database::closeAll();

        Reopened file(shop.path());
        QCOMPARE(db::integrityOf(file.handle), QStringLiteral("ok"));
        const double loads = file.number(QStringLiteral("select total(ca_Quantita) from carico"));
        const double sales = file.number(QStringLiteral("select total(sc_Quantita) from scarico"));
        QCOMPARE(file.number(QStringLiteral("select ca_Quantita from [Codice Articolo]")), startingStock + loads - sales);
        if (acknowledged)
            QCOMPARE(file.number(QStringLiteral("select count(*) from %1 where %2 = %3")
                                     .arg(sale ? "scarico" : "carico", sale ? "sc_Codice" : "ca_Codice")
                                     .arg(number)), 1.0);
        if (!hit) {
            QVERIFY(acknowledged);
            break;
        }
        ++failures;
    }
    QVERIFY2(failures >= 3, qPrintable(QString::number(failures)));
}

void IoErrorTest::everyWriteOfABackupMayFail()
{
    TestShopDatabase shop;
    shop.database().beginTrans();
    for (int i = 0; i < 3000; ++i)
        shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Articolo %1')").arg(i));
    shop.database().commitTrans();
    db::Database::closeAll();
    const QString folder = shop.folder() + QStringLiteral("/backup");
    FaultyVfs vfs;
    int failures = 0;
    for (int n = 1; n < 2000; ++n) {
        const QDateTime when(QDate(2026, 12, 8), QTime(0, 0).addSecs(n));
        vfs.failFrom(n);
        QString made;
        try {
            made = safety::backUp(shop.path(), folder, when);
        } catch (const db::DbError &) {
        }
        const bool hit = vfs.failed();
        vfs.disarm();
        db::Database::closeAll();
        if (made.isEmpty()) {
            // A failed backup leaves no file behind, not even a partial one.
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
        } else {
            QCOMPARE(safety::inspectBackup(made).refusal, QString());
            QCOMPARE(safety::inspectBackup(made).articles, 3000);
            QFile::remove(made);
        }
        Reopened file(shop.path());
        QCOMPARE(db::integrityOf(file.handle), QStringLiteral("ok"));
        if (!hit) {
            QVERIFY(!made.isEmpty());
            break;
        }
        ++failures;
    }
    QVERIFY2(failures >= 3, qPrintable(QString::number(failures)));
}

QTEST_GUILESS_MAIN(IoErrorTest)
#include "tst_io_errors.moc"
