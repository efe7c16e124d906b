#include "FailureOf.h"
#include "TestShopDatabase.h"

#include "safety/SafetyCommands.h"
#include "safety/ShopSafety.h"
#include "safety/StartCheck.h"
#include "db/Database.h"
#include "db/Statement.h"
#include "db/WriteGate.h"
#include "ui/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <atomic>
#include <sqlite3.h>
#include <thread>

// The start's check and daily backup behind the main window: what a write
// that comes meanwhile meets.
class StartBehindTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesWaitForTheVerdict_data();
    void writesWaitForTheVerdict();
    void theHeaderIsReadBeforeTheWindow_data();
    void theHeaderIsReadBeforeTheWindow();
    void checkBehindTheWindow_data();
    void checkBehindTheWindow();
    void theLogStaysOutOfTheFileUntilTheVerdict_data();
    void theLogStaysOutOfTheFileUntilTheVerdict();
    void onlyTheFirstStartOfTheDayReadsEveryPage();
};

namespace {

// The start the tests make: the day after their backups, whatever the clock says.
const QDateTime dayAfterTheBackup(QDate(2026, 12, 8), QTime(8, 0));

const QString damagedWrite = QStringLiteral(
    "Il controllo ha trovato il database danneggiato (pagina 12 illeggibile): non vi è stato registrato nulla.");
const QString givenUp = QStringLiteral("Registrazione annullata: il controllo del database non è ancora terminato. "
                                       "Non è stato registrato nulla.");

qint64 countIn(const QString &path, const char *sql)
{
    return TestShopDatabase::scalarInFile(path, sql);
}

void fill(const TestShopDatabase &shop, int articles)
{
    shop.database().beginTrans();
    for (int i = 1; i <= articles; ++i)
        shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Articolo %1')").arg(i));
    shop.database().commitTrans();
}

// Pages in the middle overwritten, as a failing disk would: the header and
// the schema still read well.
void damageTheMiddle(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.seek(file.size() / 2);
    file.write(QByteArray(8192, '\x5a'));
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The three ways a write reaches the file: an action statement on its own,
// a transaction, a statement of the caller's own (only its commit sees it).
void writeArticle(db::Database &shop, const QString &way)
{
    const QString insert = QStringLiteral("insert into Articoli (art_Descrizione) values ('Scritto')");
    if (way == QLatin1String("statement")) {
        shop.execute(insert);
    } else if (way == QLatin1String("transaction")) {
        db::Transaction transaction(shop);
        shop.execute(insert);
        transaction.commit();
    } else {
        db::Statement *own = shop.statement(QStringLiteral("insert into Articoli (art_Descrizione) values (?)"));
        db::StatementUse use(own);
        own->bindText(1, QStringLiteral("Scritto"));
        own->step(QString());
    }
}

struct Gate {
    QString path;
    explicit Gate(QString shop) : path(std::move(shop)) { db::WriteGate::hold(path); }
    ~Gate()
    {
        db::WriteGate::release(path);
        db::WriteGate::setWaiter({});
    }
};

} // namespace

void StartBehindTest::writesWaitForTheVerdict_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("failure");
    for (const char *way : {"statement", "transaction", "own"}) {
        QTest::addRow("%s, no check", way) << way << "none" << QString();
        QTest::addRow("%s, sound", way) << way << "sound" << QString();
        QTest::addRow("%s, damaged", way) << way << "damaged" << damagedWrite;
    }
    // Only the writes that ask first can be given up: a statement of its own
    // meets the check at its commit, and waits there.
    QTest::addRow("statement, given up") << "statement" << "given up" << givenUp;
    QTest::addRow("transaction, given up") << "transaction" << "given up" << givenUp;
}

void StartBehindTest::writesWaitForTheVerdict()
{
    QFETCH(QString, way);
    QFETCH(QString, verdict);
    QFETCH(QString, failure);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    fill(shop, 3);
    std::optional<Gate> gate;
    if (verdict != QLatin1String("none"))
        gate.emplace(shop.path());
    std::atomic<bool> decided {false};
    int waited = 0;
    // The verdict comes from another thread, as the check's does.
    std::thread check([&] {
        if (verdict == QLatin1String("none") || verdict == QLatin1String("given up"))
            return;
        QThread::msleep(50);
        decided.store(true);
        if (verdict == QLatin1String("sound"))
            db::WriteGate::pass(shop.path());
        else
            db::WriteGate::refuse(shop.path(), QStringLiteral("pagina 12 illeggibile\naltro"));
    });
    db::WriteGate::setWaiter([&](const std::function<bool()> &isDecided) {
        ++waited;
        while (verdict != QLatin1String("given up") && !isDecided())
            QThread::msleep(5);
    });
    const QString failed = failureOf([&] { writeArticle(shop.database(), way); });
    check.join();
    QCOMPARE(failed, failure);
    // Nothing is written before the verdict, nothing after a refusal.
    if (verdict == QLatin1String("sound") || verdict == QLatin1String("damaged"))
        QVERIFY(decided.load());
    QCOMPARE(shop.count(QStringLiteral("Articoli where art_Descrizione = 'Scritto'")), failure.isEmpty() ? 1 : 0);
    QCOMPARE(waited, verdict == QLatin1String("none") || way == QLatin1String("own") ? 0 : 1);
    // The refusal holds for the next write too, with no wait.
    if (verdict == QLatin1String("damaged")) {
        QCOMPARE(failureOf([&] { writeArticle(shop.database(), way); }), damagedWrite);
        QCOMPARE(waited, way == QLatin1String("own") ? 0 : 1);
    }
}

void StartBehindTest::theHeaderIsReadBeforeTheWindow_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::newRow("sound") << -1 << QByteArray() << QString();
    QTest::newRow("not a database") << 0 << QByteArray("SQLite format 2") << "intestazione del file non valida";
    QTest::newRow("page size") << 16 << QByteArray("\x03\x00", 2) << "dimensione di pagina non valida";
    QTest::newRow("truncated") << -2 << QByteArray() << "file troncato";
    QTest::newRow("schema") << 100 << QByteArray(3996, '\x7f') << "malformed";
}

void StartBehindTest::theHeaderIsReadBeforeTheWindow()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    fill(shop, 2000);
    const QString folder = shop.folder() + QStringLiteral("/backup");
    safety::backUp(shop.path(), folder, QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    shop.release();
    db::Database::closeAll();
    {
        // The log written into the file: the header's page count is the file's.
        sqlite3 *handle = nullptr;
        sqlite3_open(QFile::encodeName(shop.path()).constData(), &handle);
        sqlite3_exec(handle, "pragma wal_checkpoint(truncate); pragma journal_mode=delete", nullptr, nullptr, nullptr);
        sqlite3_close(handle);
    }
    QFile file(shop.path());
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (offset == -2)
        file.resize(file.size() / 2);
    else if (offset >= 0 && file.seek(offset))
        file.write(bytes);
    file.close();
    const QString found = safety::headerCheck(shop.path());
    if (problem.isEmpty())
        QCOMPARE(found, QStringLiteral("ok"));
    else
        QVERIFY2(found.contains(problem), qPrintable(found));
    // A damaged header or schema is offered the backup before any window.
    ui::ScriptedMessages messages;
    messages.queueAnswer(ui::vbNo);
    QCOMPARE(safety::openAtStart(shop.path(), folder), problem.isEmpty());
    QCOMPARE(messages.texts().isEmpty(), problem.isEmpty());
    if (!problem.isEmpty())
        QCOMPARE(messages.texts().first(),
                 QStringLiteral("Il database %1 è danneggiato.\n\nRipristinare l'ultimo backup valido "
                                "(tarvo-20261207-090000.mdb)? Il file danneggiato resta conservato accanto.")
                     .arg(QDir::toNativeSeparators(shop.path())));
}

void StartBehindTest::checkBehindTheWindow_data()
{
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<bool>("withBackup");
    QTest::addColumn<int>("answer");
    // Begun early: the check started before the window is built and ended
    // before the window takes it over; it must still tell the window.
    QTest::addColumn<bool>("begunEarly");
    QTest::newRow("sound") << false << true << int(ui::vbYes) << false;
    QTest::newRow("damaged, backup restored") << true << true << int(ui::vbYes) << false;
    QTest::newRow("damaged, backup declined") << true << true << int(ui::vbNo) << false;
    QTest::newRow("damaged, no backup") << true << false << int(ui::vbYes) << false;
    QTest::newRow("sound, begun early") << false << true << int(ui::vbYes) << true;
    QTest::newRow("damaged, begun early, restored") << true << true << int(ui::vbYes) << true;
}

void StartBehindTest::checkBehindTheWindow()
{
    QFETCH(bool, damaged);
    QFETCH(bool, withBackup);
    QFETCH(int, answer);
    QFETCH(bool, begunEarly);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    fill(shop, 20000);
    const QString folder = shop.folder() + QStringLiteral("/backup");
    if (withBackup)
        safety::backUp(shop.path(), folder, QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    fill(shop, 5);
    shop.release();
    db::Database::closeAll();
    if (damaged)
        damageTheMiddle(shop.path());
    const QByteArray damagedBytes = bytesOf(shop.path());

    ui::ScriptedMessages messages;
    messages.queueAnswer(answer);
    QVERIFY(safety::openAtStart(shop.path(), folder));
    QVERIFY(messages.texts().isEmpty());
    safety::StartCheck *begun = nullptr;
    if (begunEarly) {
        begun = safety::beginCheck(shop.path(), folder, dayAfterTheBackup);
        QVERIFY(begun && begun->due());
        // Ended, and the loop run, before the window listens.
        QTRY_VERIFY_WITH_TIMEOUT(!begun->running(), 60000);
        QTest::qWait(50);
    }
    QMainWindow window;
    int closings = 0;
    safety::StartCheck *check =
        safety::checkBehind(&window, shop.path(), folder, [&] { return ++closings > 0; }, begun, dayAfterTheBackup);
    QVERIFY(check && check->due());
    QVERIFY(!begun || check == begun);
    QSignalSpy finished(check, &safety::StartCheck::finished);
    // The first sale comes at once: it goes into the log while the check
    // runs; once the check has found the file damaged it is refused. (On
    // this small file the check may have ended already: begun early, it has.)
    const QString failed = failureOf([&] {
        db::Database::open(shop.path())->execute(
            QStringLiteral("insert into Articoli (art_Descrizione) values ('Prima vendita')"));
    });
    db::Database::closeAll();
    const bool refused = damaged && (begunEarly || !failed.isEmpty());
    QCOMPARE(failed, refused ? QStringLiteral("Il controllo ha trovato il database danneggiato (%1): non vi è "
                                              "stato registrato nulla.")
                                   .arg(safety::quickCheck(shop.path()).section(QLatin1Char('\n'), 0, 0))
                             : QString());
    const QString lastArticle =
        QStringLiteral("select art_Descrizione = 'Prima vendita' from Articoli where rowid = (select max(rowid) from Articoli)");
    const QString loggedSale = refused ? QString()
                                       : QStringLiteral(" La registrazione fatta durante il controllo resta nel file "
                                                        "danneggiato, non nel backup: dopo il ripristino va ripetuta.");
    // The damaged file's offer ends the program's loop: its end is awaited
    // without one.
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    QCOMPARE(check->parent(), &window);
    // The offer waits for the event loop, after the refused save.
    QTRY_VERIFY_WITH_TIMEOUT(!damaged || !messages.texts().isEmpty(), 10000);
    if (!damaged) {
        QVERIFY(messages.texts().isEmpty());
        QStringList made = QDir(folder).entryList({QStringLiteral("tarvo-*.mdb")}, QDir::Files);
        made.removeAll(QStringLiteral("tarvo-20261207-090000.mdb"));
        QCOMPARE(made.size(), 1);
        QCOMPARE(safety::quickCheck(QDir(folder).filePath(made.first())), QStringLiteral("ok"));
        QCOMPARE(countIn(shop.path(), "select count(*) from Articoli where art_Descrizione = 'Prima vendita'"), 1);
        QCOMPARE(window.statusBar()->currentMessage(), QString());
        return;
    }
    QCOMPARE(closings, 1);
    if (withBackup) {
        QCOMPARE(messages.texts().first(),
                 QStringLiteral("Il database %1 è danneggiato.%2\n\nRipristinare l'ultimo backup valido "
                                "(tarvo-20261207-090000.mdb)? Il file danneggiato resta conservato accanto.")
                     .arg(QDir::toNativeSeparators(shop.path()), loggedSale));
    } else {
        QCOMPARE(messages.texts().first(),
                 QStringLiteral("Il database %1 è danneggiato e non c'è un backup valido da ripristinare. "
                                "Il programma si chiude senza modificarlo.")
                     .arg(QDir::toNativeSeparators(shop.path())));
    }
    if (withBackup && answer == ui::vbYes) {
        // Restored: the backup's articles, the damaged file kept beside, and
        // the restored file open to writes again.
        QCOMPARE(bytesOf(shop.path() + QStringLiteral(".danneggiato")), damagedBytes);
        QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 20000);
        // The sale saved during the check is in the damaged file's log.
        QCOMPARE(countIn(shop.path() + QStringLiteral(".danneggiato"), qPrintable(lastArticle)), refused ? 0 : 1);
        QCOMPARE(failureOf([&] {
                     db::Database::open(shop.path())->execute(
                         QStringLiteral("insert into Articoli (art_Descrizione) values ('Dopo')"));
                 }),
                 QString());
        db::Database::closeAll();
    } else {
        // The program ends; until it does, the damaged file stays as it was.
        QCOMPARE(failureOf([&] {
                     db::Database::open(shop.path())->execute(
                         QStringLiteral("insert into Articoli (art_Descrizione) values ('Dopo')"));
                 }).left(49),
                 damagedWrite.left(49));
        db::Database::closeAll();
        QCOMPARE(bytesOf(shop.path()), damagedBytes);
        QCOMPARE(countIn(shop.path(), qPrintable(lastArticle)), refused ? 0 : 1);
    }
    db::WriteGate::release(shop.path());
}

void StartBehindTest::theLogStaysOutOfTheFileUntilTheVerdict_data()
{
    QTest::addColumn<QString>("verdict");
    QTest::newRow("sound") << "sound";
    QTest::newRow("damaged") << "damaged";
    // The program closed before the verdict: the next start's check decides.
    QTest::newRow("no verdict") << "no verdict";
}

void StartBehindTest::theLogStaysOutOfTheFileUntilTheVerdict()
{
    QFETCH(QString, verdict);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    fill(shop, 10);
    shop.release();
    db::Database::closeAll();
    const QByteArray checked = bytesOf(shop.path());
    const QString log = shop.path() + QStringLiteral("-wal");
    QVERIFY(!QFileInfo::exists(log));
    db::WriteGate::hold(shop.path());
    db::WriteGate::keepInLog(shop.path());
    // Saves while the check reads: more pages than make SQLite copy its log
    // into the file, then every connection closed, as the program closing.
    {
        const auto database = db::Database::open(shop.path());
        int waited = 0;
        db::WriteGate::setWaiter([&](const std::function<bool()> &) { ++waited; });
        const QString text = QString(400, QLatin1Char('x'));
        for (int batch = 0; batch < 3; ++batch) {
            db::Transaction transaction(*database);
            for (int i = 0; i < 4000; ++i)
                database->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('%1')").arg(text));
            transaction.commit();
        }
        writeArticle(*database, QStringLiteral("own"));
        db::WriteGate::setWaiter({});
        QCOMPARE(waited, 0);
    }
    db::Database::closeAll();
    QCOMPARE(bytesOf(shop.path()), checked);
    QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 12011);
    QCOMPARE(db::WriteGate::loggedCommits(shop.path()), 4);
    if (verdict == QLatin1String("sound")) {
        db::WriteGate::pass(shop.path());
        // Sound: the next connection to close puts the log into the file.
        db::Database::open(shop.path())->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Dopo')"));
        db::Database::closeAll();
        QVERIFY(bytesOf(shop.path()) != checked);
        QVERIFY(!QFileInfo::exists(log));
        QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 12012);
        return;
    }
    if (verdict == QLatin1String("damaged")) {
        db::WriteGate::refuse(shop.path(), QStringLiteral("pagina 12 illeggibile"));
        QCOMPARE(failureOf([&] { writeArticle(shop.database(), QStringLiteral("statement")); }), damagedWrite);
        QCOMPARE(db::WriteGate::loggedCommits(shop.path()), 4);
    }
    shop.release();
    db::Database::closeAll();
    QCOMPARE(bytesOf(shop.path()), checked);
    QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 12011);
    db::WriteGate::release(shop.path());
}

void StartBehindTest::onlyTheFirstStartOfTheDayReadsEveryPage()
{
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    fill(shop, 10);
    const QString folder = shop.folder() + QStringLiteral("/backup");
    const QDateTime now = dayAfterTheBackup;
    // Yesterday's backup, and one of another till still being written
    // today: each start of the day after the first finds today's.
    safety::backUp(shop.path(), folder, now.addDays(-1));
    QVERIFY(safety::dailyBackupDue(folder, now));
    safety::StartCheck first(shop.path(), folder, 30, nullptr, now);
    QVERIFY(first.due());
    first.runHere();
    QVERIFY(!safety::dailyBackupDue(folder, now));
    safety::StartCheck second(shop.path(), folder, 30, nullptr, now);
    QVERIFY(!second.due());
    // Not due: nothing is held, a write goes straight on.
    QMainWindow window;
    safety::checkBehind(&window, shop.path(), folder, [] { return true; }, nullptr, now);
    int waited = 0;
    db::WriteGate::setWaiter([&](const std::function<bool()> &) { ++waited; });
    QCOMPARE(failureOf([&] { writeArticle(shop.database(), QStringLiteral("statement")); }), QString());
    db::WriteGate::setWaiter({});
    QCOMPARE(waited, 0);
}

QTEST_MAIN(StartBehindTest)
#include "tst_start_behind.moc"
