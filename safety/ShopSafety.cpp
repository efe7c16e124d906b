#include "safety/ShopSafety.h"

#include "base/Globals.h"
#include "db/Database.h"
#include "db/DatabaseSettings.h"
#include "db/DatabaseCopy.h"
#include "db/EngineErrors.h"
#include "db/SchemaVersions.h"
#include "db/ShopLock.h"
#include "db/TextFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safety {

namespace {

// Split in two: "??-" would be read as a trigraph.
const QString backupPattern = QStringLiteral("tarvo-????????" "-??????.mdb");

db::DbError refusal(const QString &text)
{
    return db::DbError(db::ErrorKind::Io, 3026, text);
}

QString serverCopiesMessage()
{
    return QStringLiteral("Il database è sul server indicato in tarvo.ini: le sue copie si fanno sul server "
                          "(pg_dump), non da questo programma.");
}

// A read-only connection of its own, with the program's text functions
// (a file of the first release names its collation).
struct ReadOnlyFile {
    sqlite3 *handle = nullptr;
    explicit ReadOnlyFile(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
        db::registerTextFunctions(handle);
    }
    ~ReadOnlyFile() { sqlite3_close_v2(handle); }
    void run(const char *sql) const { sqlite3_exec(handle, sql, nullptr, nullptr, nullptr); }
    bool isLogged() const
    {
        sqlite3_stmt *statement = nullptr;
        const bool logged = sqlite3_prepare_v2(handle, "pragma journal_mode", -1, &statement, nullptr) == SQLITE_OK
                            && sqlite3_step(statement) == SQLITE_ROW
                            && qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)), "wal") == 0;
        sqlite3_finalize(statement);
        return logged;
    }
    qint64 scalar(const char *sql, bool *ok) const
    {
        sqlite3_stmt *statement = nullptr;
        qint64 value = 0;
        *ok = sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK
              && sqlite3_step(statement) == SQLITE_ROW;
        if (*ok)
            value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        return value;
    }
};

void requireSpace(const QString &folder, qint64 bytes)
{
    const QStorageInfo storage(folder);
    const qint64 needed = bytes + bytes / 10 + 16 * 1024 * 1024;
    if (storage.isValid() && storage.bytesAvailable() < needed)
        throw refusal(QStringLiteral("Spazio su disco insufficiente in %1: servono %2 MB, ne restano %3 MB. "
                                     "Liberare spazio o scegliere un'altra cartella.")
                          .arg(QDir::toNativeSeparators(folder))
                          .arg(needed / (1024 * 1024))
                          .arg(storage.bytesAvailable() / (1024 * 1024)));
}

qint64 sizeOf(const QString &databasePath)
{
    return QFileInfo(databasePath).size() + QFileInfo(databasePath + QStringLiteral("-wal")).size();
}

db::DbError stillOpenHere()
{
    return refusal(QStringLiteral("Il database è ancora aperto in una finestra: chiudere tutte le finestre e "
                                  "riprovare. Il database non è stato modificato."));
}

bool sameFile(const QString &one, const QString &other)
{
    struct stat a {}, b {};
    return ::stat(QFile::encodeName(one).constData(), &a) == 0 && ::stat(QFile::encodeName(other).constData(), &b) == 0
           && a.st_ino == b.st_ino && a.st_dev == b.st_dev;
}

// The damaged file keeps its pages under a name of its own, while the shop's
// name still holds it until the backup takes its place.
void keepDamagedAside(const QString &databasePath)
{
    const QString damaged = damagedPath(databasePath);
    const QString log = QStringLiteral("-wal");
    // A recovery stopped halfway has kept it already.
    if (!sameFile(databasePath, damaged)) {
        QFile::remove(damaged);
        QFile::remove(damaged + log);
        if (::link(QFile::encodeName(databasePath).constData(), QFile::encodeName(damaged).constData()) != 0
            && !QFile::copy(databasePath, damaged))
            throw refusal(QStringLiteral("Impossibile conservare il file danneggiato come %1. Il database non è "
                                         "stato modificato.").arg(QDir::toNativeSeparators(damaged)));
    }
    if (QFileInfo::exists(databasePath + log)) {
        QFile::remove(damaged + log);
        if (!QFile::rename(databasePath + log, damaged + log))
            throw refusal(QStringLiteral("Impossibile conservare il file danneggiato come %1. Il database non è "
                                         "stato modificato.").arg(QDir::toNativeSeparators(damaged + log)));
    }
}

// Everything the log holds written into the file, the log emptied: the file
// alone is the whole shop (no other program may have it open).
void emptyTheLog(sqlite3 *shop)
{
    int logged = 0, written = 0;
    if (sqlite3_wal_checkpoint_v2(shop, "main", SQLITE_CHECKPOINT_TRUNCATE, &logged, &written) != SQLITE_OK
        || written < logged)
        throw refusal(QStringLiteral("Impossibile completare la scrittura del database prima del ripristino (%1). "
                                     "Il database non è stato modificato.")
                          .arg(QString::fromUtf8(sqlite3_errmsg(shop))));
}

} // namespace

QString defaultBackupFolder()
{
    return programFolder() + QStringLiteral("/backup");
}

QString backupFileName(const QDateTime &when)
{
    return QStringLiteral("tarvo-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".mdb");
}

QString safetyCopyPath(const QString &databasePath, const QDate &day, int version)
{
    return QFileInfo(databasePath).absolutePath() + QStringLiteral("/tarvo-")
           + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("-v%1.mdb").arg(version);
}

QString backUp(const QString &databasePath, const QString &folder, const QDateTime &when, const Progress &progress,
               bool quickCheck)
{
    const QString target = copyShop(databasePath, folder, when, progress);
    checkCopy(target, quickCheck);
    return target;
}

QString damagedPath(const QString &databasePath)
{
    return databasePath + QStringLiteral(".danneggiato");
}

QString copyShop(const QString &databasePath, const QString &folder, const QDateTime &when, const Progress &progress)
{
    if (!QDir().mkpath(folder))
        throw refusal(QStringLiteral("Impossibile creare la cartella %1.").arg(QDir::toNativeSeparators(folder)));
    // Backups killed halfway, each as big as the shop, would fill the disk.
    db::removeStaleCopies(folder);
    requireSpace(folder, sizeOf(databasePath));
    const QString target = QDir(folder).filePath(backupFileName(when));
    if (db::DatabaseSettings::beside(databasePath).copiesItself())
        throw refusal(serverCopiesMessage());
    if (!QFileInfo::exists(databasePath))
        throw db::errors::fileNotFound(databasePath);
    // A connection of its own, on any thread, reading one moment of the
    // file from the first page to the last: what the windows write
    // meanwhile neither waits for the copy nor makes it start again.
    db::ShopLock::share(databasePath);
    try {
        ReadOnlyFile shop(databasePath);
        bool ok = false;
        shop.run("begin");
        shop.scalar("select count(*) from sqlite_master", &ok);
        db::copyDatabase(shop.handle, target, progress);
    } catch (...) {
        db::ShopLock::unshare(databasePath);
        throw;
    }
    db::ShopLock::unshare(databasePath);
    return target;
}

void checkCopy(const QString &target, bool quickCheck)
{
    QString integrity;
    {
        ReadOnlyFile copy(target);
        integrity = db::integrityOf(copy.handle, quickCheck);
    }
    if (integrity != QLatin1String("ok")) {
        QFile::remove(target);
        throw refusal(QStringLiteral("La copia in %1 non ha superato il controllo di integrità (%2): è stata "
                                     "eliminata.").arg(QDir::toNativeSeparators(target), integrity));
    }
}

void keepNewest(const QString &folder, int keep)
{
    // The names sort as their dates do.
    const QStringList backups = QDir(folder).entryList({backupPattern}, QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = keep; i < backups.size(); ++i)
        QFile::remove(QDir(folder).filePath(backups.at(i)));
}

bool dailyBackupDue(const QString &folder, const QDateTime &now)
{
    const QString today = QStringLiteral("tarvo-") + now.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral("-??????.mdb");
    // A half copy left after the cleanup is one another till is writing now:
    // today's backup is on its way.
    db::removeStaleCopies(folder);
    return QDir(folder).entryList({today, today + QStringLiteral(".parziale")}, QDir::Files).isEmpty();
}

QString dailyBackUp(const QString &databasePath, const QString &folder, const QDateTime &now, int keep,
                    const Progress &progress)
{
    if (!dailyBackupDue(folder, now))
        return QString();
    QString made;
    try {
        made = copyShop(databasePath, folder, now, progress);
        checkCopy(made, true);
    } catch (const db::DbError &error) {
        if (error.kind() == db::ErrorKind::Busy && !dailyBackupDue(folder, now))
            return QString();
        throw;
    }
    keepNewest(folder, keep);
    return made;
}

BackupContents inspectBackup(const QString &file)
{
    BackupContents contents;
    const QFileInfo info(file);
    if (!info.isFile()) {
        contents.refusal = QStringLiteral("Il file %1 non esiste.").arg(QDir::toNativeSeparators(file));
        return contents;
    }
    contents.written = info.lastModified();
    QFile header(file);
    if (!header.open(QIODevice::ReadOnly) || header.read(16) != QByteArray("SQLite format 3\0", 16)) {
        contents.refusal = QStringLiteral("Il file non è un database di Tarvo.");
        return contents;
    }
    ReadOnlyFile copy(file);
    const QString integrity = db::integrityOf(copy.handle);
    if (integrity != QLatin1String("ok")) {
        contents.refusal = QStringLiteral("Il file è danneggiato o incompleto (%1).").arg(integrity.section(QLatin1Char('\n'), 0, 0));
        return contents;
    }
    bool ok = false;
    contents.version = int(copy.scalar("pragma user_version", &ok));
    if (contents.version > db::SchemaVersions::latest()) {
        contents.refusal = db::SchemaVersions::newerDatabaseMessage(contents.version);
        return contents;
    }
    bool articles = false, sales = false, invoices = false;
    contents.articles = copy.scalar("select count(*) from Articoli", &articles);
    contents.sales = copy.scalar("select count(*) from scarico", &sales);
    contents.invoices = copy.scalar("select count(*) from Fattura", &invoices);
    bool items = false;
    copy.scalar("select count(*) from \"Codice Articolo\"", &items);
    if (!articles || !sales || !invoices || !items)
        contents.refusal = QStringLiteral("Il file non è un database di Tarvo: mancano le tabelle del negozio.");
    return contents;
}

QString restore(const QString &databasePath, const QString &backupFile, const QDateTime &now)
{
    if (db::DatabaseSettings::beside(databasePath).copiesItself())
        throw refusal(serverCopiesMessage());
    const BackupContents contents = inspectBackup(backupFile);
    if (!contents.refusal.isEmpty())
        throw refusal(contents.refusal);
    const QString folder = QFileInfo(databasePath).absolutePath();
    requireSpace(folder, sizeOf(databasePath) + QFileInfo(backupFile).size());
    const QString kept = folder + QStringLiteral("/tarvo-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"))
                         + QStringLiteral("-prima-del-ripristino.mdb");
    db::Database::closeAll();
    if (db::Database::inUse(databasePath))
        throw stillOpenHere();
    // Alone before the copy: nothing another till writes may land after it.
    const db::ShopLock alone(databasePath);
    {
        const auto shop = db::Database::open(databasePath);
        db::copyDatabase(shop->handle(), kept);
        emptyTheLog(shop->handle());
    }
    putInPlace(databasePath, backupFile);
    return kept;
}

void putInPlace(const QString &databasePath, const QString &backupFile, bool keepDamaged)
{
    db::Database::closeAll();
    // A connection left open would go on writing into the file replaced.
    if (db::Database::inUse(databasePath))
        throw stillOpenHere();
    const db::ShopLock alone(databasePath);
    {
        ReadOnlyFile source(backupFile);
        // Written aside and renamed over the shop's file: the file is the
        // old one or the restored one, never a mixture, never missing.
        db::copyDatabase(source.handle, databasePath, {}, [&] {
            if (keepDamaged)
                keepDamagedAside(databasePath);
            // The old file's log must not be read over the new file's pages.
            QFile::remove(databasePath + QStringLiteral("-wal"));
            QFile::remove(databasePath + QStringLiteral("-shm"));
        });
    }
    upgradeShop(databasePath, QDate::currentDate());
}

void upgradeShop(const QString &databasePath, const QDate &today)
{
    const auto shop = db::Database::open(databasePath);
    // On a server the schema is the server's; its copies are the server's
    // own business (pg_dump), not files beside the program.
    if (shop->copiesItself()) {
        db::SchemaVersions::upgradeServer(*shop);
        return;
    }
    if (db::SchemaVersions::versionOf(shop->handle()) == db::SchemaVersions::latest())
        return;
    db::SchemaVersions::upgrade(shop->handle(), [&](int version) {
        requireSpace(QFileInfo(databasePath).absolutePath(), sizeOf(databasePath));
        db::copyDatabase(shop->handle(), safetyCopyPath(databasePath, today, version));
    });
    db::Database::closeAll(); // the next open reads the new schema
}

QString headerCheck(const QString &databasePath)
{
    QFile file(databasePath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("file non leggibile");
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return QStringLiteral("intestazione del file non valida");
    const auto number = [&](int at, int bytes) {
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i)
            value = value << 8 | quint8(header.at(at + i));
        return value;
    };
    const quint32 pageSize = number(16, 2) == 1 ? 65536 : number(16, 2);
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("dimensione di pagina non valida");
    // The page count in the header holds when it was written with the
    // header's change counter; the log may hold pages beyond it.
    const bool countHolds = number(92, 4) == number(24, 4);
    if (countHolds && qint64(number(28, 4)) * pageSize > file.size())
        return QStringLiteral("file troncato: %1 pagine dichiarate, %2 presenti")
            .arg(number(28, 4))
            .arg(file.size() / pageSize);
    file.close();
    db::ShopLock::share(databasePath);
    QString problem;
    {
        ReadOnlyFile shop(databasePath);
        bool ok = false;
        shop.scalar("select count(*) from sqlite_master where sql is not null", &ok);
        if (ok)
            shop.scalar("pragma user_version", &ok);
        if (!ok)
            problem = QString::fromUtf8(sqlite3_errmsg(shop.handle));
    }
    db::ShopLock::unshare(databasePath);
    return problem.isEmpty() ? QStringLiteral("ok") : problem;
}

QString quickCheck(const QString &databasePath, const std::function<bool()> &goOn, const std::function<void()> &reading)
{
    db::ShopLock::share(databasePath);
    QString result;
    {
        ReadOnlyFile file(databasePath);
        if (reading) {
            // One read transaction for the whole check: while it lasts, the
            // log's later pages cannot be copied over the pages it reads.
            // Only a file with a log lets writes go on meanwhile; without
            // one they wait for the verdict.
            bool ok = false;
            file.run("begin");
            file.scalar("select count(*) from sqlite_master", &ok);
            if (ok && file.isLogged())
                reading();
        }
        if (goOn)
            sqlite3_progress_handler(
                file.handle, 100000, [](void *goOn) { return (*static_cast<const std::function<bool()> *>(goOn))() ? 0 : 1; },
                const_cast<std::function<bool()> *>(&goOn));
        result = db::integrityOf(file.handle, true);
    }
    db::ShopLock::unshare(databasePath);
    return result;
}

QString newestGoodBackup(const QString &folder)
{
    const QStringList backups = QDir(folder).entryList({backupPattern}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &name : backups)
        if (inspectBackup(QDir(folder).filePath(name)).refusal.isEmpty())
            return QDir(folder).filePath(name);
    return QString();
}

} // namespace safety
