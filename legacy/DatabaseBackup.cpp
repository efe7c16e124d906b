#include "legacy/DatabaseBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <stdexcept>

namespace legacy {

namespace {

QString freeName(const QString &databasePath, const QDateTime &now)
{
    const QFileInfo info(databasePath);
    const QString stem = info.dir().filePath(info.completeBaseName() + QStringLiteral("-prima-dell-importazione-")
                                             + now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString name = stem + QStringLiteral(".mdb");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("-%1.mdb").arg(n);
    return name;
}

} // namespace

QString backupBeforeImport(sqlite3 *database, const QString &databasePath, const QDateTime &now)
{
    const QString target = freeName(databasePath, now);
    sqlite3 *copy = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    QString failure;
    if (rc == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(copy, "main", database, "main");
        if (backup) {
            rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE)
                failure = QString::fromUtf8(sqlite3_errstr(rc));
        } else {
            failure = QString::fromUtf8(sqlite3_errmsg(copy));
        }
    } else {
        failure = QString::fromUtf8(sqlite3_errstr(rc));
    }
    sqlite3_close(copy);
    if (!failure.isEmpty()) {
        QFile::remove(target);
        throw std::runtime_error(QStringLiteral("la copia %1 non si scrive: %2").arg(target, failure).toStdString());
    }
    return target;
}

} // namespace legacy
