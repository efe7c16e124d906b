#include "TestShopDatabase.h"

#include "app/safety/SafetyCommands.h"
#include "app/safety/ShopSafety.h"
#include "db/DatabaseCopy.h"
#include "db/SchemaVersions.h"
#include "db/TextFunctions.h"
#include "ui/ScriptedMessages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>
#include <sqlite3.h>

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
};

namespace {

const QDateTime morning(QDate(2026, 12, 8), QTime(9, 30, 0));

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
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *statement = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close_v2(handle);
    return value;
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
        << QStringLiteral("Il database è della versione %1, più recente").arg(db::SchemaVersions::latest() + 1);
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
    } else if (damage == QLatin1String("foreign") || damage == QLatin1String("newer")) {
        sqlite3 *other = nullptr;
        sqlite3_open_v2(QFile::encodeName(bad).constData(), &other, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        const QByteArray newer = "pragma user_version = " + QByteArray::number(db::SchemaVersions::latest() + 1);
        exec(other, damage == QLatin1String("foreign") ? "create table Rubrica (nome text); insert into Rubrica values ('x')"
                                                       : newer.constData());
        sqlite3_close_v2(other);
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
    const QString first = dir.filePath(QStringLiteral("tarvo-20261208-v0.mdb"));
    QCOMPARE(countIn(first, "pragma user_version"), 0);
    QCOMPARE(countIn(dir.filePath(QStringLiteral("tarvo-20261208-v1.mdb")), "pragma user_version"), 1);
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
    // Pages of the articles overwritten, as a failing disk would.
    QFile file(shop.path());
    file.open(QIODevice::ReadWrite);
    file.seek(file.size() / 2);
    file.write(QByteArray(8192, '\x5a'));
    file.close();
    const QByteArray damaged = fileHash(shop.path());

    ui::ScriptedMessages messages;
    messages.queueAnswer(answer);
    const bool goesOn = safety::checkAtStart(shop.path(), folder);
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

QTEST_MAIN(SafetyTest)
#include "tst_safety.moc"
