#include "AnotherProgramLock.h"
#include "FailureOf.h"
#include "TestShopDatabase.h"

#include "safety/SafetyCommands.h"
#include "safety/ShopSafety.h"
#include "db/DatabaseCopy.h"
#include "db/SchemaVersions.h"
#include "db/TextFunctions.h"
#include "ui/ScriptedMessages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <csignal>
#include <sqlite3.h>
#include <thread>

// Backups, restore, the daily rotation and the check at start.
class SafetyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backupDuringAnOpenWriteIsConsistent();
    void restoreRefusesABadFile_data();
    void restoreRefusesABadFile();
    void restoreBringsBackTheBackup();
    void dailyBackupKeepsTheNewest();
    void upgradeKeepsADatedSafetyCopy();
    void damagedFileIsNeverWritten_data();
    void damagedFileIsNeverWritten();
    void startRecoveryTakesTheNewestGoodBackup();
    void recoveryKilledAnywhereLeavesAShop();
    void missingShopIsOfferedTheRecovery_data();
    void missingShopIsOfferedTheRecovery();
    void noReplaceWhileAnotherProgramHasTheShop_data();
    void noReplaceWhileAnotherProgramHasTheShop();
    void noOpenWhileAnotherProgramReplacesTheShop_data();
    void noOpenWhileAnotherProgramReplacesTheShop();
    void replacedFileIsNeitherWrittenNorRead_data();
    void replacedFileIsNeitherWrittenNorRead();
    void staleHalfCopiesAreRemoved_data();
    void staleHalfCopiesAreRemoved();
    void dailyBackupOfTwoTillsAtOnce_data();
    void dailyBackupOfTwoTillsAtOnce();
};

namespace {

const QDateTime morning(QDate(2026, 12, 8), QTime(9, 30, 0));
// The start the checks at start take place on: the day after the backups.
const QDateTime nextMorning = morning.addDays(1);

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void exec(sqlite3 *handle, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("%s: %s", sql, message);
}

qint64 countIn(const QString &path, const char *sql)
{
    return TestShopDatabase::scalarInFile(path, sql);
}

const QString inUseElsewhere = QStringLiteral("Il database è aperto in un altro programma (un'altra cassa?): "
                                              "chiuderlo e riprovare. Il database non è stato modificato.");

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Pages of the articles overwritten, as a failing disk would.
void damage(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.seek(file.size() / 2);
    file.write(QByteArray(8192, '\x5a'));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setArticles(const TestShopDatabase &shop, int articles)
{
    shop.database().beginTrans();
    shop.execute(QStringLiteral("delete from Articoli"));
    for (int i = 1; i <= articles; ++i)
        shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Articolo %1')").arg(i));
    shop.database().commitTrans();
}

void fillShop(const TestShopDatabase &shop, int articles)
{
    shop.database().beginTrans();
    for (int i = 1; i <= articles; ++i)
        shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Articolo %1')").arg(i));
    shop.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Quantita) values ('800', 1)"));
    shop.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Codice_Cliente) values ('26-00001', 1)"));
    shop.database().commitTrans();
}

} // namespace

void SafetyTest::backupDuringAnOpenWriteIsConsistent()
{
    TestShopDatabase shop;
    fillShop(shop, 500);
    // Another connection holds a write transaction open while the copy is made.
    sqlite3 *writer = nullptr;
    sqlite3_open_v2(QFile::encodeName(shop.path()).constData(), &writer, SQLITE_OPEN_READWRITE, nullptr);
    exec(writer, "begin immediate; delete from Articoli where art_Codice > 100; "
                 "insert into scarico (sc_Codice_Articolo, sc_Quantita) values ('801', 2)");
    int reports = 0;
    const QString made = safety::backUp(shop.path(), shop.folder() + QStringLiteral("/backup"), morning,
                                        [&](int done, int total) {
                                            ++reports;
                                            return done <= total;
                                        });
    exec(writer, "commit");
    sqlite3_close_v2(writer);
    QCOMPARE(made, shop.folder() + QStringLiteral("/backup/tarvo-20261208-093000.mdb"));
    QVERIFY(reports > 0);
    QCOMPARE(countIn(made, "select count(*) from Articoli"), 500);
    QCOMPARE(countIn(made, "select count(*) from scarico"), 1);
    const safety::BackupContents contents = safety::inspectBackup(made);
    QCOMPARE(contents.refusal, QString());
    QCOMPARE(contents.articles, 500);
    QCOMPARE(contents.sales, 1);
    QCOMPARE(contents.invoices, 1);
    QCOMPARE(contents.version, db::SchemaVersions::latest());
    // The committed change is in the next copy.
    const QString next = safety::backUp(shop.path(), shop.folder() + QStringLiteral("/backup"), morning.addSecs(60));
    QCOMPARE(countIn(next, "select count(*) from Articoli"), 100);
}

void SafetyTest::restoreRefusesABadFile_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("reason");
    QTest::newRow("truncated") << "truncated" << "Il file è danneggiato o incompleto";
    QTest::newRow("another program's database") << "foreign" << "Il file non è un database di Tarvo: mancano le tabelle del negozio.";
    QTest::newRow("not a database") << "text" << "Il file non è un database di Tarvo.";
    QTest::newRow("newer version") << "newer"
        << db::SchemaVersions::newerDatabaseMessage(db::SchemaVersions::latest() + 1);
    QTest::newRow("missing") << "missing" << "Il file";
}

void SafetyTest::restoreRefusesABadFile()
{
    QFETCH(QString, damage);
    QFETCH(QString, reason);
    TestShopDatabase shop;
    fillShop(shop, 2000);
    const QString good = safety::backUp(shop.path(), shop.folder() + QStringLiteral("/backup"), morning);
    const QString bad = shop.folder() + QStringLiteral("/offerto.mdb");
    if (damage == QLatin1String("truncated")) {
        QFile in(good);
        in.open(QIODevice::ReadOnly);
        QFile out(bad);
        out.open(QIODevice::WriteOnly);
        out.write(in.read(in.size() / 2));
    } else if (damage == QLatin1String("foreign")) {
        sqlite3 *other = nullptr;
        sqlite3_open_v2(QFile::encodeName(bad).constData(), &other, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        exec(other, "create table Rubrica (nome text); insert into Rubrica values ('x')");
        sqlite3_close_v2(other);
    } else if (damage == QLatin1String("newer")) {
        // A whole backup of the shop, made by a later version of the program.
        QVERIFY(QFile::copy(good, bad));
        sqlite3 *later = nullptr;
        sqlite3_open_v2(QFile::encodeName(bad).constData(), &later, SQLITE_OPEN_READWRITE, nullptr);
        exec(later, ("pragma user_version = " + QByteArray::number(db::SchemaVersions::latest() + 1)).constData());
        sqlite3_close_v2(later);
        QCOMPARE(countIn(bad, "select count(*) from Articoli"), 2000);
    } else if (damage == QLatin1String("text")) {
        QFile out(bad);
        out.open(QIODevice::WriteOnly);
        out.write("Elenco dei clienti\n");
    }
    db::Database::closeAll();
    const QByteArray before = fileHash(shop.path());
    QVERIFY2(safety::inspectBackup(bad).refusal.startsWith(reason), qPrintable(safety::inspectBackup(bad).refusal));
    bool refused = false;
    try {
        safety::restore(shop.path(), bad, morning);
    } catch (const db::DbError &error) {
        refused = error.description().startsWith(reason);
    }
    QVERIFY(refused);
    QCOMPARE(fileHash(shop.path()), before);
    QVERIFY(QDir(shop.folder()).entryList({QStringLiteral("*prima-del-ripristino*")}).isEmpty());
}

void SafetyTest::restoreBringsBackTheBackup()
{
    TestShopDatabase shop;
    fillShop(shop, 50);
    const QString yesterday = safety::backUp(shop.path(), shop.folder() + QStringLiteral("/backup"), morning.addDays(-1));
    shop.execute(QStringLiteral("delete from Articoli")); // the mistake
    {
        // A set still open: the file is not replaced under it.
        auto open = shop.database().openRecordset(QStringLiteral("select * from Articoli"));
        shop.release();
        const QByteArray before = fileHash(shop.path());
        bool refused = false;
        try {
            safety::restore(shop.path(), yesterday, morning);
        } catch (const db::DbError &error) {
            refused = error.description().startsWith(QStringLiteral("Il database è ancora aperto in una finestra"));
        }
        QVERIFY(refused);
        QCOMPARE(fileHash(shop.path()), before);
    }
    const QString kept = safety::restore(shop.path(), yesterday, morning);
    QCOMPARE(kept, shop.folder() + QStringLiteral("/tarvo-20261208-093000-prima-del-ripristino.mdb"));
    QCOMPARE(countIn(kept, "select count(*) from Articoli"), 0);
    // Opened again, as the windows do after the restore.
    const auto restored = db::Database::open(shop.path());
    QCOMPARE(restored->openRecordset(QStringLiteral("select count(*) from Articoli"))->value(0).toInt(), 50);
    QCOMPARE(db::integrityOf(restored->handle()), QStringLiteral("ok"));
    // The program writes into the restored file as into any other.
    restored->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Nuovo')"));
    QCOMPARE(restored->openRecordset(QStringLiteral("select count(*) from Articoli where art_Descrizione = 'NUOVO'"))
                 ->value(0).toInt(), 1);
}

void SafetyTest::dailyBackupKeepsTheNewest()
{
    TestShopDatabase shop;
    const QString folder = shop.folder() + QStringLiteral("/backup");
    QDir().mkpath(folder);
    QStringList older;
    for (int day = 0; day < 35; ++day) {
        const QString name = safety::backupFileName(morning.addDays(-35 + day));
        QFile(folder + QLatin1Char('/') + name).open(QIODevice::WriteOnly);
        older << name;
    }
    QFile(folder + QStringLiteral("/appunti.txt")).open(QIODevice::WriteOnly);
    const QString made = safety::dailyBackUp(shop.path(), folder, morning, 30);
    QCOMPARE(made, folder + QStringLiteral("/tarvo-20261208-093000.mdb"));
    QStringList expected = older.mid(6);
    expected << QFileInfo(made).fileName();
    QCOMPARE(QDir(folder).entryList({QStringLiteral("tarvo-*.mdb")}, QDir::Files, QDir::Name), expected);
    QVERIFY(QFile::exists(folder + QStringLiteral("/appunti.txt")));
    // A second start the same day makes none.
    QCOMPARE(safety::dailyBackUp(shop.path(), folder, morning.addSecs(3600), 30), QString());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("tarvo-*.mdb")}).size(), 30);
}

void SafetyTest::upgradeKeepsADatedSafetyCopy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tarvo.mdb"));
    sqlite3 *old = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &old, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    db::registerTextFunctions(old);
    exec(old, TestShopDatabase::firstReleaseSchema().toUtf8().constData());
    exec(old, "insert into Articoli (art_Descrizione) values ('Giacca')");
    sqlite3_close_v2(old);
    // A file of the first release is sound to the checks, backups of it too.
    QCOMPARE(safety::quickCheck(path), QStringLiteral("ok"));
    QCOMPARE(safety::inspectBackup(path).refusal, QString());
    safety::upgradeShop(path, morning.date());
    QCOMPARE(countIn(path, "pragma user_version"), db::SchemaVersions::latest());
    // One copy before each step, at the version the step found.
    for (int version = 0; version < db::SchemaVersions::latest(); ++version)
        QCOMPARE(countIn(dir.filePath(QStringLiteral("tarvo-20261208-v%1.mdb").arg(version)), "pragma user_version"),
                 version);
    QCOMPARE(countIn(dir.filePath(QStringLiteral("tarvo-20261208-v4.mdb")),
                     "select count(*) from sqlite_schema where name = 'CodiciNegozio'"), 0);
    QCOMPARE(countIn(path, "select count(*) from sqlite_schema where name = 'CodiciNegozio'"), 1);
    QCOMPARE(countIn(path, "select count(*) from Articoli"), 1);
    db::Database::closeAll();
}

void SafetyTest::damagedFileIsNeverWritten_data()
{
    QTest::addColumn<bool>("withBackup");
    QTest::addColumn<int>("answer");
    QTest::newRow("backup restored") << true << int(ui::vbYes);
    QTest::newRow("backup declined") << true << int(ui::vbNo);
    QTest::newRow("no backup") << false << int(ui::vbYes);
}

void SafetyTest::damagedFileIsNeverWritten()
{
    QFETCH(bool, withBackup);
    QFETCH(int, answer);
    TestShopDatabase shop;
    fillShop(shop, 3000);
    const QString folder = shop.folder() + QStringLiteral("/backup");
    if (withBackup)
        safety::backUp(shop.path(), folder, morning.addDays(-1));
    shop.release();
    db::Database::closeAll();
    damage(shop.path());
    const QByteArray damaged = fileHash(shop.path());

    ui::ScriptedMessages messages;
    messages.queueAnswer(answer);
    const bool goesOn = safety::checkAtStart(shop.path(), folder, nextMorning);
    QVERIFY(!messages.texts().isEmpty());
    QVERIFY2(messages.texts().first().contains(QStringLiteral("è danneggiato")), qPrintable(messages.texts().first()));
    if (withBackup && answer == ui::vbYes) {
        QVERIFY(goesOn);
        QCOMPARE(fileHash(shop.path() + QStringLiteral(".danneggiato")), damaged);
        QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 3000);
    } else {
        QVERIFY(!goesOn);
        QCOMPARE(fileHash(shop.path()), damaged);
    }
}

void SafetyTest::startRecoveryTakesTheNewestGoodBackup()
{
    TestShopDatabase shop;
    const QString folder = shop.folder() + QStringLiteral("/backup");
    // Three days of backups, each with its own number of articles; the
    // newest is damaged, so the newest good one is the middle one.
    const int articlesOfDay[] = {10, 20, 30};
    QStringList backups;
    for (int day = 0; day < 3; ++day) {
        setArticles(shop, articlesOfDay[day]);
        backups << safety::backUp(shop.path(), folder, morning.addDays(day - 3));
    }
    QFile newest(backups.last());
    newest.resize(newest.size() / 2);
    setArticles(shop, 3000);
    shop.release();
    db::Database::closeAll();
    damage(shop.path());

    ui::ScriptedMessages messages;
    messages.queueAnswer(ui::vbYes);
    QVERIFY(safety::checkAtStart(shop.path(), folder, nextMorning));
    QCOMPARE(messages.texts().first(),
             QStringLiteral("Il database %1 è danneggiato.\n\nRipristinare l'ultimo backup valido "
                            "(tarvo-20261206-093000.mdb)? Il file danneggiato resta conservato accanto.")
                 .arg(shown(shop.path())));
    QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 20);
}

// The recovery at start killed at moments spread over it: a shop's file is
// there after every kill, and the next start ends with the backup in place.
void SafetyTest::recoveryKilledAnywhereLeavesAShop()
{
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    const QString folder = shop.folder() + QStringLiteral("/backup");
    setArticles(shop, 20000);
    safety::backUp(shop.path(), folder, morning.addDays(-1));
    shop.release();
    db::Database::closeAll();
    damage(shop.path());
    const QByteArray damagedBytes = readFile(shop.path());
    const auto putTheDamagedFileBack = [&] {
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"),
                                      QStringLiteral(".danneggiato"), QStringLiteral(".danneggiato-wal")})
            QFile::remove(shop.path() + suffix);
        writeFile(shop.path(), damagedBytes);
    };
    // Returns the exit code, or -1 when killed `killAfter` ms after the start.
    const auto start = [&](int killAfter) {
        QProcess child;
        child.start(QStringLiteral(RECOVERY_CHILD), {shop.path(), folder, nextMorning.toString(Qt::ISODate)});
        if (!child.waitForStarted() || !child.waitForReadyRead(10000) || child.readLine().trimmed() != "READY")
            return -2;
        if (killAfter >= 0 && !child.waitForFinished(killAfter)) {
            ::kill(pid_t(child.processId()), SIGKILL);
            child.waitForFinished();
            return -1;
        }
        child.waitForFinished(60000);
        return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -3;
    };
    // The first start also makes the day's backup; the second one is as
    // long as the starts that are killed.
    QCOMPARE(start(-1), 0);
    putTheDamagedFileBack();
    QElapsedTimer span;
    span.start();
    QCOMPARE(start(-1), 0);
    const int whole = int(span.elapsed());
    constexpr int trials = 20;
    for (int trial = 0; trial < trials; ++trial) {
        putTheDamagedFileBack();
        const int at = whole * (2 * trial + 1) / (2 * trials);
        start(at);
        QVERIFY2(QFile::exists(shop.path()), qPrintable(QStringLiteral("no shop after a kill at %1 of %2 ms")
                                                            .arg(at).arg(whole)));
    }
    QCOMPARE(start(-1), 0);
    QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 20000);
    QCOMPARE(safety::quickCheck(shop.path()), QStringLiteral("ok"));
}

void SafetyTest::missingShopIsOfferedTheRecovery_data()
{
    QTest::addColumn<bool>("damagedKept");
    QTest::addColumn<bool>("withBackup");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<QString>("message");   // %1 the shop, %2 the damaged file kept
    QTest::addColumn<int>("articles");      // in the shop afterwards; -1: no shop
    QTest::newRow("damaged kept, backup restored")
        << true << true << int(ui::vbYes) << true
        << QStringLiteral("Il database %1 manca. Il file danneggiato è conservato in %2.\n\n"
                          "Ripristinare l'ultimo backup valido (tarvo-20261207-093000.mdb)?") << 40;
    QTest::newRow("backup restored")
        << false << true << int(ui::vbYes) << true
        << QStringLiteral("Il database %1 manca.\n\nRipristinare l'ultimo backup valido (tarvo-20261207-093000.mdb)?")
        << 40;
    QTest::newRow("backup declined")
        << false << true << int(ui::vbNo) << false
        << QStringLiteral("Il database %1 manca.\n\nRipristinare l'ultimo backup valido (tarvo-20261207-093000.mdb)?")
        << -1;
    QTest::newRow("damaged kept, no backup")
        << true << false << int(ui::vbYes) << false
        << QStringLiteral("Il database %1 manca e non c'è un backup valido da ripristinare. Il file danneggiato è "
                          "conservato in %2. Il programma si chiude senza modificare nulla.") << -1;
    QTest::newRow("a new installation") << false << false << int(ui::vbYes) << true << QString() << -1;
}

// A start killed during the recovery of an earlier version left no shop's
// file: the next start must offer the recovery again, not go on without one.
void SafetyTest::missingShopIsOfferedTheRecovery()
{
    QFETCH(bool, damagedKept);
    QFETCH(bool, withBackup);
    QFETCH(int, answer);
    QFETCH(bool, goesOn);
    QFETCH(QString, message);
    QFETCH(int, articles);
    TestShopDatabase shop;
    const QString folder = shop.folder() + QStringLiteral("/backup");
    setArticles(shop, 40);
    if (withBackup)
        safety::backUp(shop.path(), folder, morning.addDays(-1));
    shop.release();
    db::Database::closeAll();
    const QString damaged = shop.path() + QStringLiteral(".danneggiato");
    if (damagedKept) {
        QVERIFY(QFile::rename(shop.path(), damaged));
        damage(damaged);
    } else {
        QVERIFY(QFile::remove(shop.path()));
    }
    const QByteArray damagedBytes = readFile(damaged);

    ui::ScriptedMessages messages;
    messages.queueAnswer(answer);
    QCOMPARE(safety::checkAtStart(shop.path(), folder, nextMorning), goesOn);
    const QStringList expected = message.isEmpty() ? QStringList()
                                                   : QStringList{QString(message)
                                                                     .replace(QLatin1String("%1"), shown(shop.path()))
                                                                     .replace(QLatin1String("%2"), shown(damaged))};
    QCOMPARE(messages.texts(), expected);
    if (articles < 0)
        QVERIFY(!QFile::exists(shop.path()));
    else
        QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), articles);
    QCOMPARE(readFile(damaged), damagedBytes);
}

void SafetyTest::noReplaceWhileAnotherProgramHasTheShop_data()
{
    QTest::addColumn<QString>("replace");
    QTest::newRow("restore") << "restore";
    QTest::newRow("recovery at start") << "recovery";
}

// Another till has the shop open: a restore, or the recovery of a start,
// must not replace the file it goes on writing into.
void SafetyTest::noReplaceWhileAnotherProgramHasTheShop()
{
    QFETCH(QString, replace);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    const QString folder = shop.folder() + QStringLiteral("/backup");
    setArticles(shop, 3000);
    const QString backup = safety::backUp(shop.path(), folder, morning.addDays(-1));
    setArticles(shop, 2999);
    shop.release();
    db::Database::closeAll();
    if (replace == QLatin1String("recovery"))
        damage(shop.path());
    const QByteArray before = fileHash(shop.path());
    const auto replaceIt = [&] {
        if (replace == QLatin1String("restore"))
            return failureOf([&] { safety::restore(shop.path(), backup, morning); });
        ui::ScriptedMessages messages;
        messages.queueAnswer(ui::vbYes);
        if (safety::checkAtStart(shop.path(), folder, nextMorning))
            return QString();
        return messages.texts().last();
    };
    {
        AnotherProgramLock till(AnotherProgramLock::shopLockOf(shop.path()), AnotherProgramLock::Shared);
        QVERIFY(till.held());
        const QString refusal = replaceIt();
        QCOMPARE(refusal, replace == QLatin1String("restore") ? inUseElsewhere
                                                              : QStringLiteral("Ripristino non riuscito.\n") + inUseElsewhere);
        QCOMPARE(fileHash(shop.path()), before);
        QCOMPARE(QDir(shop.folder()).entryList({QStringLiteral("*prima-del-ripristino*"),
                                                QStringLiteral("*.danneggiato*"), QStringLiteral("*.parziale*")}),
                 QStringList());
    }
    // The other till closed: the same goes through.
    QCOMPARE(replaceIt(), QString());
    QCOMPARE(countIn(shop.path(), "select count(*) from Articoli"), 3000);
}

void SafetyTest::noOpenWhileAnotherProgramReplacesTheShop_data()
{
    QTest::addColumn<bool>("replacedSoon");
    QTest::newRow("waits for the new file") << true;
    QTest::newRow("says why when it takes too long") << false;
}

// A program that opens the shop while another one replaces it must not
// open the file on its way out: it waits for the new one, or says why not.
void SafetyTest::noOpenWhileAnotherProgramReplacesTheShop()
{
    QFETCH(bool, replacedSoon);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    setArticles(shop, 10);
    const QString next = shop.folder() + QStringLiteral("/ripristinato.mdb");
    db::copyDatabase(shop.database().handle(), next);
    setArticles(shop, 11);
    shop.release();
    db::Database::closeAll();

    AnotherProgramLock restorer(AnotherProgramLock::shopLockOf(shop.path()), AnotherProgramLock::Alone);
    QVERIFY(restorer.held());
    std::thread replacing;
    if (replacedSoon)
        replacing = std::thread([&] {
            QThread::msleep(300);
            QFile::remove(shop.path() + QStringLiteral("-wal"));
            QFile::remove(shop.path() + QStringLiteral("-shm"));
            QFile::remove(shop.path());
            QFile::rename(next, shop.path());
            restorer.release();
        });
    int articles = -1;
    const QString failure = failureOf([&] {
        articles = db::Database::open(shop.path())->openRecordset(QStringLiteral("select count(*) from Articoli"))
                       ->value(0).toInt();
    });
    if (replacing.joinable())
        replacing.join();
    db::Database::closeAll();
    if (replacedSoon) {
        QCOMPARE(failure, QString());
        QCOMPARE(articles, 10);
    } else {
        QCOMPARE(failure, QStringLiteral("Il database è in corso di sostituzione in un altro programma (un "
                                         "ripristino o un'importazione): riprovare fra qualche istante."));
    }
}

void SafetyTest::replacedFileIsNeitherWrittenNorRead_data()
{
    QTest::addColumn<QString>("write");
    QTest::newRow("statement") << "statement";
    QTest::newRow("transaction") << "transaction";
    QTest::newRow("record set") << "record set";
}

// A program that ignores the lock (a copy by hand, an older version) puts
// another file under the shop's name: the program still holding the old one
// must not write into a file that is no longer the shop, nor read it as such.
void SafetyTest::replacedFileIsNeitherWrittenNorRead()
{
    QFETCH(QString, write);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    setArticles(shop, 10);
    db::Database &database = shop.database();
    auto articles = database.openRecordset(QStringLiteral("select * from Articoli"));
    const QString other = shop.folder() + QStringLiteral("/altro.mdb");
    db::copyDatabase(database.handle(), other);
    QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(shop.path()).constData()) == 0);
    QFile::remove(shop.path() + QStringLiteral("-wal"));
    QFile::remove(shop.path() + QStringLiteral("-shm"));
    const QByteArray replaced = fileHash(shop.path());

    const QString message = QStringLiteral("Il file del database è stato sostituito o spostato da un altro "
                                           "programma: questo programma non può più usarlo e non vi ha registrato "
                                           "nulla. Chiudere il programma e riaprirlo.");
    QCOMPARE(failureOf([&] {
                 if (write == QLatin1String("statement")) {
                     database.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Perso')"));
                 } else if (write == QLatin1String("transaction")) {
                     db::Transaction transaction(database);
                     database.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Perso')"));
                     transaction.commit();
                 } else {
                     articles->edit();
                     articles->setValue(QStringLiteral("art_Descrizione"), QStringLiteral("Perso"));
                     articles->update();
                 }
             }),
             message);
    QCOMPARE(failureOf([&] { database.openRecordset(QStringLiteral("select count(*) from Articoli")); }), message);
    QVERIFY(!database.inTransaction());
    articles.reset();
    shop.release();
    db::Database::closeAll();
    QCOMPARE(fileHash(shop.path()), replaced);
    // Opened again, it is the new file.
    QCOMPARE(db::Database::open(shop.path())->openRecordset(QStringLiteral("select count(*) from Articoli"))
                 ->value(0).toInt(), 10);
    db::Database::closeAll();
}

void SafetyTest::staleHalfCopiesAreRemoved_data()
{
    QTest::addColumn<bool>("atStart");
    QTest::newRow("at start") << true;
    QTest::newRow("before a backup") << false;
}

// Copies killed halfway, each as big as the shop, go; the one another
// program is writing right now stays.
void SafetyTest::staleHalfCopiesAreRemoved()
{
    QFETCH(bool, atStart);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    setArticles(shop, 10);
    const QString folder = shop.folder() + QStringLiteral("/backup");
    QDir().mkpath(folder);
    const QString backupHalf = folder + QStringLiteral("/tarvo-20261201-080000.mdb.parziale");
    const QString writtenNow = folder + QStringLiteral("/tarvo-20010101-080000.mdb.parziale");
    const QString restoreHalf = shop.folder() + QStringLiteral("/tarvo-20261201-080000-prima-del-ripristino.mdb.parziale");
    for (const QString &half : {backupHalf, writtenNow, restoreHalf}) {
        writeFile(half, QByteArray(4096, 'h'));
        writeFile(half + QStringLiteral("-journal"), QByteArray(512, 'j'));
    }
    writeFile(folder + QStringLiteral("/tarvo-20261202-080000.mdb.parziale-journal"), QByteArray(512, 'j'));
    AnotherProgramLock writer(writtenNow, AnotherProgramLock::Alone);
    QVERIFY(writer.held());
    shop.release();
    db::Database::closeAll();

    ui::ScriptedMessages messages;
    if (atStart)
        QVERIFY(safety::checkAtStart(shop.path(), folder, nextMorning));
    else
        safety::backUp(shop.path(), folder, morning);
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.parziale*")}),
             QStringList({QFileInfo(writtenNow).fileName(), QFileInfo(writtenNow).fileName() + QStringLiteral("-journal")}));
    QCOMPARE(readFile(writtenNow), QByteArray(4096, 'h'));
    // The shop's own folder is cleaned at start; a backup leaves it alone.
    QCOMPARE(QFile::exists(restoreHalf), !atStart);
    QCOMPARE(QFile::exists(restoreHalf + QStringLiteral("-journal")), !atStart);
}

void SafetyTest::dailyBackupOfTwoTillsAtOnce_data()
{
    QTest::addColumn<bool>("otherStillWriting");
    QTest::newRow("the other till is writing it") << true;
    QTest::newRow("the other till was killed writing it") << false;
}

void SafetyTest::dailyBackupOfTwoTillsAtOnce()
{
    QFETCH(bool, otherStillWriting);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the shop's file");
    const QString folder = shop.folder() + QStringLiteral("/backup");
    QDir().mkpath(folder);
    // The other till started a minute earlier, in the same second as this
    // one would name its copy: either name must be left to it.
    for (const QDateTime &when : {morning.addSecs(-60), morning}) {
        const QString half = folder + QLatin1Char('/') + safety::backupFileName(when) + QStringLiteral(".parziale");
        writeFile(half, QByteArray(4096, 'h'));
    }
    std::vector<std::unique_ptr<AnotherProgramLock>> other;
    if (otherStillWriting)
        for (const QDateTime &when : {morning.addSecs(-60), morning})
            other.push_back(std::make_unique<AnotherProgramLock>(
                folder + QLatin1Char('/') + safety::backupFileName(when) + QStringLiteral(".parziale"),
                AnotherProgramLock::Alone));

    QString made;
    QCOMPARE(failureOf([&] { made = safety::dailyBackUp(shop.path(), folder, morning, 30); }), QString());
    if (otherStillWriting) {
        QCOMPARE(made, QString());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({QStringLiteral("tarvo-20261208-092900.mdb.parziale"),
                                                                   QStringLiteral("tarvo-20261208-093000.mdb.parziale")}));
        // Not even a copy of its own under the other's name.
        QCOMPARE(failureOf([&] { safety::backUp(shop.path(), folder, morning); }),
                 QStringLiteral("Un altro programma sta già scrivendo la copia '%1': riprovare fra qualche istante.")
                     .arg(folder + QStringLiteral("/tarvo-20261208-093000.mdb")));
        QCOMPARE(readFile(folder + QStringLiteral("/tarvo-20261208-093000.mdb.parziale")), QByteArray(4096, 'h'));
    } else {
        QCOMPARE(made, folder + QStringLiteral("/tarvo-20261208-093000.mdb"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({QStringLiteral("tarvo-20261208-093000.mdb")}));
        QCOMPARE(safety::inspectBackup(made).refusal, QString());
    }
}

QTEST_MAIN(SafetyTest)
#include "tst_safety.moc"
