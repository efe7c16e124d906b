#include "DatabaseCopy.h"

#include "EngineErrors.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <QStringList>
#include <sqlite3.h>
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

} // namespace

void copyDatabase(sqlite3 *source, const QString &target, const std::function<bool(int, int)> &progress)
{
    const QString temporary = target + QStringLiteral(".parziale");
    QFile::remove(temporary);
    sqlite3 *copy = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temporary).constData(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const auto abandon = [&](const DbError &error) {
        sqlite3_close_v2(copy);
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
        return error;
    };
    if (rc != SQLITE_OK)
        throw abandon(errors::fromSqlite(copy, rc, target));
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
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        throw abandon(copyFailed(target, QStringLiteral("impossibile dare il nome al file.")));
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
