#include "DatabaseCopy.h"

#include "EngineErrors.h"
#include "ShopLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <QStringList>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

namespace {

constexpr int pagesPerStep = 4096;

bool syncPath(const QString &path, bool directory)
{
    const int fd = ::open(QFile::encodeName(path).constData(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

DbError copyFailed(const QString &target, const QString &why)
{
    return DbError(ErrorKind::Io, 3043, QStringLiteral("Copia di '%1' non riuscita: %2").arg(target, why));
}

const QString halfSuffix = QStringLiteral(".parziale");
const QString journalSuffix = QStringLiteral("-journal");

// The mark of a half file being written: a lock on its first byte, which
// SQLite's own locks never touch, let go by the system when the writer ends
// however it ends.
bool markWritten(int fd)
{
    return ShopLock::lockFirstByte(fd, F_WRLCK);
}

bool stillNamed(int fd, const QString &path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0
           && opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}

// The half file of a copy, emptied and marked as being written; what a
// stopped copy left under that name goes.
int takeHalfFile(const QString &half, const QString &target)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(QFile::encodeName(half).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            throw copyFailed(target, QStringLiteral("impossibile creare il file."));
        if (!markWritten(fd)) {
            ::close(fd);
            throw DbError(ErrorKind::Busy, 3045,
                          QStringLiteral("Un altro programma sta già scrivendo la copia '%1': riprovare fra qualche "
                                         "istante.").arg(target));
        }
        // A cleanup may have removed the name between open and lock.
        if (stillNamed(fd, half)) {
            // A journal left by a stopped copy would be played back into this one.
            QFile::remove(half + journalSuffix);
            if (::ftruncate(fd, 0) == 0)
                return fd;
            ::close(fd);
            throw copyFailed(target, QStringLiteral("scrittura sul disco non riuscita."));
        }
        ::close(fd);
    }
    throw copyFailed(target, QStringLiteral("impossibile creare il file."));
}

} // namespace

void removeStaleCopies(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*") + halfSuffix}, QDir::Files)) {
        const QString half = dir.filePath(name);
        const int fd = ::open(QFile::encodeName(half).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (markWritten(fd) && stillNamed(fd, half)) {
            QFile::remove(half + journalSuffix);
            QFile::remove(half);
        }
        ::close(fd);
    }
    // A copy removes its journal before its half file: a journal alone is left over.
    for (const QString &name : dir.entryList({QStringLiteral("*") + halfSuffix + journalSuffix}, QDir::Files))
        if (!QFileInfo::exists(dir.filePath(name.chopped(journalSuffix.size()))))
            QFile::remove(dir.filePath(name));
}

void copyDatabase(sqlite3 *source, const QString &target, const std::function<bool(int, int)> &progress,
                  const std::function<void()> &beforeRename)
{
    const QString temporary = target + halfSuffix;
    const int held = takeHalfFile(temporary, target);
    sqlite3 *copy = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const auto abandon = [&](const DbError &error) {
        sqlite3_close_v2(copy);
        QFile::remove(temporary + journalSuffix);
        QFile::remove(temporary);
        ::close(held);
        return error;
    };
    if (rc != SQLITE_OK)
        throw abandon(errors::fromSqlite(copy, rc, target));
    // The half file is nobody's until it is whole and synced below: it needs
    // neither a journal nor a sync of its own while it is written.
    sqlite3_exec(copy, "pragma journal_mode=off; pragma synchronous=off", nullptr, nullptr, nullptr);
    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, "main");
    if (!backup)
        throw abandon(errors::fromSqlite(copy, sqlite3_errcode(copy), target));
    bool stopped = false;
    do {
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (progress && (rc == SQLITE_OK || rc == SQLITE_DONE)
            && !progress(sqlite3_backup_pagecount(backup) - sqlite3_backup_remaining(backup),
                         sqlite3_backup_pagecount(backup)))
            stopped = true;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(20);
    } while (!stopped && (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED));
    sqlite3_backup_finish(backup);
    if (stopped)
        throw abandon(copyFailed(target, QStringLiteral("interrotta.")));
    if (rc != SQLITE_DONE)
        throw abandon(errors::fromSqlite(copy, rc, target));
    // A rollback journal, not WAL: the copy is one self-contained file.
    rc = sqlite3_exec(copy, "pragma journal_mode=delete", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw abandon(errors::fromSqlite(copy, rc, target));
    sqlite3_close_v2(copy);
    copy = nullptr;
    if (!syncPath(temporary, false))
        throw abandon(copyFailed(target, QStringLiteral("scrittura sul disco non riuscita.")));
    if (beforeRename) {
        try {
            beforeRename();
        } catch (const DbError &error) {
            throw abandon(error);
        }
    }
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        throw abandon(copyFailed(target, QStringLiteral("impossibile dare il nome al file.")));
    ::close(held);
    syncPath(QFileInfo(target).absolutePath(), true);
}

QString integrityOf(sqlite3 *handle, bool quick)
{
    sqlite3_stmt *check = nullptr;
    const char *sql = quick ? "pragma quick_check(10)" : "pragma integrity_check(10)";
    int rc = sqlite3_prepare_v2(handle, sql, -1, &check, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(check);
        return QString::fromUtf8(sqlite3_errstr(rc));
    }
    QStringList lines;
    while ((rc = sqlite3_step(check)) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)));
    sqlite3_finalize(check);
    if (rc != SQLITE_DONE)
        lines << QString::fromUtf8(sqlite3_errstr(rc));
    return lines.join(QLatin1Char('\n'));
}

} // namespace db
