// Two tills on one shop file, each a process of its own doing the same work
// at the same moment through the program's own stock movements and invoice
// saves: no update may be lost, no till may see an error, and no two
// invoices may share a number. A restore never replaces the file under a
// till that has it open, and a till never writes into a file that is no
// longer the shop.
#include "AnotherProgramLock.h"
#include "TestShopDatabase.h"

#include "app/safety/ShopSafety.h"
#include "db/DatabaseCopy.h"
#include "rules/InvoiceArchive.h"

#include <QProcess>
#include <QtTest>

#include <memory>
#include <sqlite3.h>

class TestTills : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoTillsAtOnceLoseNothing_data();
    void twoTillsAtOnceLoseNothing();
    void linesAnotherTillIsTypingAreNotStray();
    void aRestoreWhileATillSellsIsRefused();
    void aTillOpeningDuringARestoreWaitsForIt();
    void aTillWhoseFileIsReplacedStopsWriting();
};

namespace {

// One number read from the file through a connection of the test's own.
qint64 numberIn(const QString &path, const char *sql)
{
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(handle, 5000);
    sqlite3_stmt *statement = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close_v2(handle);
    return value;
}

qint64 salesIn(const QString &path)
{
    return numberIn(path, "select count(*) from scarico");
}

void stockItem(const TestShopDatabase &shop, int quantity)
{
    shop.execute(QStringLiteral("delete from [Codice Articolo]"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('1234', 42, %1)").arg(quantity));
}

// A till selling `count` units of item "1234", started and told to go.
std::unique_ptr<QProcess> startSelling(const QString &path, int count)
{
    auto till = std::make_unique<QProcess>();
    till->start(QStringLiteral(TILL_CHILD), {path, QStringLiteral("sales"), QString::number(count)});
    if (!till->waitForStarted() || !till->waitForReadyRead(10000) || till->readLine().trimmed() != "READY")
        return nullptr;
    till->write("go\n");
    till->waitForBytesWritten(10000);
    return till;
}

bool waitForSales(const QString &path, qint64 sales)
{
    for (int waited = 0; waited < 30000; waited += 20) {
        if (salesIn(path) >= sales)
            return true;
        QTest::qWait(20);
    }
    return false;
}

// The file put under the shop's name by a program that ignores who has it
// open, as a copy by hand would (or an older restore did).
void replaceByHand(const QString &path, const QString &replacement)
{
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(replacement, path));
}

} // namespace

void TestTills::twoTillsAtOnceLoseNothing_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stock");      // of item "1234", which starts at 5000
    QTest::addColumn<QString>("rows");   // what each till leaves behind
    QTest::addColumn<int>("rowCount");
    QTest::newRow("sales") << "sales" << 1000 << 5000 - 2000 << "scarico" << 2000;
    QTest::newRow("loads") << "loads" << 500 << 5000 + 1000 << "carico" << 1000;
    // Each till rewrites its own sale between one and two units, ending on one.
    QTest::newRow("changes of sales") << "changes" << 300 << 5000 - 2 << "scarico" << 2;
    QTest::newRow("new invoices") << "invoices" << 150 << 5000 << "Fattura" << 300;
}

void TestTills::twoTillsAtOnceLoseNothing()
{
    QFETCH(QString, work);
    QFETCH(int, count);
    QFETCH(int, stock);
    QFETCH(QString, rows);
    QFETCH(int, rowCount);
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('1234', 42, 5000)"));

    std::vector<std::unique_ptr<QProcess>> tills;
    for (int i = 0; i < 2; ++i) {
        auto till = std::make_unique<QProcess>();
        till->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        till->start(QStringLiteral(TILL_CHILD), {shop.path(), work, QString::number(count)});
        QVERIFY(till->waitForStarted());
        QVERIFY(till->waitForReadyRead(10000));
        QCOMPARE(till->readLine().trimmed(), QByteArray("READY"));
        tills.push_back(std::move(till));
    }
    for (auto &till : tills) {
        till->write("go\n");
        QVERIFY(till->waitForBytesWritten(10000));
    }
    for (auto &till : tills) {
        QVERIFY(till->waitForFinished(60000));
        QCOMPARE(till->exitStatus(), QProcess::NormalExit);
        QCOMPARE(till->exitCode(), 0);
    }

    QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '1234'")).toInt(),
             stock);
    QCOMPARE(shop.count(rows), rowCount);
    if (work == QLatin1String("invoices")) {
        // Every number once, none skipped: 26-00001 to 26-00300.
        QCOMPARE(shop.scalar(QStringLiteral("select count(*) from (select distinct fat_Numero from Fattura)")).toInt(),
                 rowCount);
        QCOMPARE(shop.scalar(QStringLiteral("select max(fat_Numero) from Fattura")).toString(),
                 QStringLiteral("26-%1").arg(rowCount, 5, 10, QLatin1Char('0')));
    }
}

// The invoice editor clears, when it opens, lines that no saved invoice owns:
// lines a program left when it stopped. The lines another till is typing for
// a new invoice right now stay; once that till is gone, they are stray.
void TestTills::linesAnotherTillIsTypingAreNotStray()
{
    TestShopDatabase shop;
    QProcess till;
    till.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    till.start(QStringLiteral(TILL_CHILD), {shop.path(), QStringLiteral("draft"), QStringLiteral("3")});
    QVERIFY(till.waitForStarted());
    QVERIFY(till.waitForReadyRead(10000));
    QCOMPARE(till.readLine().trimmed(), QByteArray("READY"));
    till.write("go\n");
    QVERIFY(till.waitForReadyRead(10000));
    QCOMPARE(till.readLine().trimmed(), QByteArray("TYPED"));

    const QString lines = QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00009'");
    InvoiceArchive archive(shop.database());
    QCOMPARE(archive.removeStrayLines(), 0);
    archive.discardUnsaved(QStringLiteral("26-00009"));
    QCOMPARE(shop.count(lines), 3);

    till.write("done\n");
    QVERIFY(till.waitForFinished(10000));
    QCOMPARE(till.exitCode(), 0);
    QCOMPARE(archive.removeStrayLines(), 3);
    QCOMPARE(shop.count(lines), 0);
}

// The other till sells on: the restore is refused with a message, and every
// sale the till reported saved is in the shop; once it has closed, the
// restore goes through.
void TestTills::aRestoreWhileATillSellsIsRefused()
{
    SKIP_ON_SERVER("the shop's file");
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    stockItem(shop, 5000);
    const QString backup = safety::backUp(shop.path(), shop.folder() + QStringLiteral("/backup"),
                                          QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    shop.release();
    db::Database::closeAll();

    const auto till = startSelling(shop.path(), 1500);
    QVERIFY(till);
    QVERIFY(waitForSales(shop.path(), 20));
    QString refusal;
    try {
        safety::restore(shop.path(), backup, QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    } catch (const db::DbError &error) {
        refusal = error.description();
    }
    QCOMPARE(refusal, QStringLiteral("Il database è aperto in un altro programma (un'altra cassa?): chiuderlo e "
                                     "riprovare. Il database non è stato modificato."));
    QVERIFY(till->waitForFinished(60000));
    QCOMPARE(till->exitCode(), 0);
    QCOMPARE(salesIn(shop.path()), 1500);
    QCOMPARE(numberIn(shop.path(), "select ca_Quantita from \"Codice Articolo\""), 3500);

    safety::restore(shop.path(), backup, QDateTime(QDate(2026, 12, 8), QTime(9, 5)));
    QCOMPARE(salesIn(shop.path()), 0);
    db::Database::closeAll();
}

// Another program is replacing the shop: a till that starts selling waits
// for the new file, and its sales land there.
void TestTills::aTillOpeningDuringARestoreWaitsForIt()
{
    SKIP_ON_SERVER("the shop's file");
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    stockItem(shop, 100);
    const QString replacement = shop.folder() + QStringLiteral("/ripristino.mdb");
    db::copyDatabase(shop.database().handle(), replacement);
    stockItem(shop, 5000);
    shop.release();
    db::Database::closeAll();

    AnotherProgramLock restorer(AnotherProgramLock::shopLockOf(shop.path()), AnotherProgramLock::Alone);
    QVERIFY(restorer.held());
    const auto till = startSelling(shop.path(), 20);
    QVERIFY(till);
    QVERIFY(!till->waitForFinished(500));
    QCOMPARE(salesIn(shop.path()), 0);
    replaceByHand(shop.path(), replacement);
    restorer.release();

    QVERIFY(till->waitForFinished(60000));
    QCOMPARE(till->exitCode(), 0);
    QCOMPARE(salesIn(shop.path()), 20);
    QCOMPARE(numberIn(shop.path(), "select ca_Quantita from \"Codice Articolo\""), 80);
}

void TestTills::aTillWhoseFileIsReplacedStopsWriting()
{
    SKIP_ON_SERVER("the shop's file");
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    stockItem(shop, 100000);
    const QString replacement = shop.folder() + QStringLiteral("/ripristino.mdb");
    db::copyDatabase(shop.database().handle(), replacement);
    shop.release();
    db::Database::closeAll();

    const auto till = startSelling(shop.path(), 20000);
    QVERIFY(till);
    QVERIFY(waitForSales(shop.path(), 20));
    replaceByHand(shop.path(), replacement);

    QVERIFY(till->waitForFinished(60000));
    QCOMPARE(till->exitCode(), 1);
    QCOMPARE(QString::fromUtf8(till->readAllStandardError()).trimmed(),
             QStringLiteral("till-child: 3043: Il file del database è stato sostituito o spostato da un altro "
                            "programma: questo programma non può più usarlo e non vi ha registrato nulla. Chiudere "
                            "il programma e riaprirlo."));
    QCOMPARE(salesIn(shop.path()), 0);
    QCOMPARE(numberIn(shop.path(), "select ca_Quantita from \"Codice Articolo\""), 100000);
}

QTEST_MAIN(TestTills)
#include "tst_tills.moc"
