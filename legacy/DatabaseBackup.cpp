#include "legacy/DatabaseBackup.h"

#include "db/DatabaseCopy.h"
#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    try {
        db::copyDatabase(database, target);
    } catch (const db::DbError &error) {
        throw std::runtime_error(
            QStringLiteral("la copia %1 non si scrive: %2").arg(target, error.description()).toStdString());
    }
    return target;
}

} // namespace legacy
