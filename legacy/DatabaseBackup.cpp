#include "legacy/DatabaseBackup.h"

#include "db/DatabaseCopy.h"
#include "db/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace legacy {

namespace {

QString copyPrefix(const QFileInfo &database)
{
    return database.completeBaseName() + QStringLiteral("-prima-dell-importazione-");
}

QString freeName(const QString &databasePath, const QDateTime &now)
{
    const QFileInfo info(databasePath);
    const QString stem = info.dir().filePath(copyPrefix(info) + now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    QString name = stem + QStringLiteral(".mdb");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("-%1.mdb").arg(n);
    return name;
}

// Newest first: by the time in the name, then by the number added to it
// ("-2", "-10") when several were taken in one second.
void keepNewestCopies(const QString &databasePath, int keep)
{
    const QFileInfo info(databasePath);
    const QString prefix = copyPrefix(info);
    const QDir folder = info.dir();
    const QRegularExpression name(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(prefix) + QStringLiteral("(\\d{8}-\\d{6})(?:-(\\d+))?\\.mdb")));
    std::vector<std::pair<QString, QString>> copies; // sort key, file name
    for (const QString &file : folder.entryList({prefix + QStringLiteral("*.mdb")}, QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file);
        if (match.hasMatch())
            copies.emplace_back(match.captured(1) + match.captured(2).rightJustified(6, QLatin1Char('0')), file);
    }
    std::sort(copies.begin(), copies.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (size_t i = size_t(qMax(keep, 1)); i < copies.size(); ++i)
        QFile::remove(folder.filePath(copies[i].second));
}

} // namespace

QString backupBeforeImport(sqlite3 *database, const QString &databasePath, const QDateTime &now, int keep)
{
    const QString target = freeName(databasePath, now);
    try {
        db::copyDatabase(database, target);
    } catch (const db::DbError &error) {
        throw std::runtime_error(
            QStringLiteral("la copia %1 non si scrive: %2").arg(target, error.description()).toStdString());
    }
    keepNewestCopies(databasePath, keep);
    return target;
}

} // namespace legacy
