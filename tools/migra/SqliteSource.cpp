#include "SqliteSource.h"

#include "MigraError.h"
#include "db/DbError.h"
#include "db/SchemaVersions.h"
#include "db/SqlText.h"

#include <QFileInfo>
#include <memory>
#include <sqlite3.h>

namespace migra {

SqliteSource::SqliteSource(const QString &path)
    : m_path(path)
{
    if (!QFileInfo(path).isFile())
        throw MigraError(QStringLiteral("L'archivio %1 non esiste.").arg(path));
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(m_handle));
        sqlite3_close(m_handle);
        throw MigraError(QStringLiteral("Impossibile aprire l'archivio %1: %2").arg(path, why));
    }
}

SqliteSource::~SqliteSource()
{
    sqlite3_close(m_handle);
}

void SqliteSource::fail(const QString &sql) const
{
    throw MigraError(QStringLiteral("Lettura dell'archivio %1 non riuscita: %2 (%3)")
                         .arg(m_path, QString::fromUtf8(sqlite3_errmsg(m_handle)), sql));
}

sqlite3_stmt *SqliteSource::prepare(const QString &sql) const
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_handle, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        fail(sql);
    }
    return statement;
}

int SqliteSource::schemaVersion() const
{
    try {
        return db::SchemaVersions::versionOf(m_handle);
    } catch (const db::DbError &) {
        throw MigraError(QStringLiteral("L'archivio %1 non è un database di Tarvo: %2")
                             .arg(m_path, QString::fromUtf8(sqlite3_errmsg(m_handle))));
    }
}

QStringList SqliteSource::tables() const
{
    QStringList ordinary, virtualTables;
    sqlite3_stmt *statement = prepare(QStringLiteral(
        "select name, sql like 'CREATE VIRTUAL TABLE%' from sqlite_schema "
        "where type = 'table' and name not like 'sqlite\\_%' escape '\\' order by name"));
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
        (sqlite3_column_int(statement, 1) ? virtualTables : ordinary) << name;
    }
    sqlite3_finalize(statement);
    // A virtual table keeps its data in tables named after it ("x_data").
    QStringList out;
    for (const QString &name : std::as_const(ordinary)) {
        const bool shadow = std::any_of(virtualTables.cbegin(), virtualTables.cend(), [&](const QString &v) {
            return name.startsWith(v + QLatin1Char('_'), Qt::CaseInsensitive);
        });
        if (!shadow)
            out << name;
    }
    return out;
}

QStringList SqliteSource::columns(const QString &table) const
{
    QStringList out;
    const QString sql = QStringLiteral("select name from pragma_table_info(?1)");
    sqlite3_stmt *statement = prepare(sql);
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(statement) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return out;
}

void SqliteSource::beginSnapshot()
{
    // A deferred transaction takes its snapshot at the first read.
    sqlite3_stmt *begin = prepare(QStringLiteral("begin"));
    const int rc = sqlite3_step(begin);
    sqlite3_finalize(begin);
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("begin"));
    sqlite3_stmt *first = prepare(QStringLiteral("select count(*) from sqlite_schema"));
    sqlite3_step(first);
    sqlite3_finalize(first);
}

qint64 SqliteSource::count(const QString &table) const
{
    const QString sql = QStringLiteral("select count(*) from ") + db::quoted(table, QLatin1Char('"'));
    sqlite3_stmt *statement = prepare(sql);
    if (sqlite3_step(statement) != SQLITE_ROW) {
        sqlite3_finalize(statement);
        fail(sql);
    }
    const qint64 rows = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return rows;
}

qint64 SqliteSource::highestCounter(const QString &table) const
{
    sqlite3_stmt *exists = prepare(QStringLiteral("select 1 from sqlite_schema where name = 'sqlite_sequence'"));
    const bool hasSequences = sqlite3_step(exists) == SQLITE_ROW;
    sqlite3_finalize(exists);
    if (!hasSequences)
        return 0;
    sqlite3_stmt *statement = prepare(QStringLiteral("select max(seq) from sqlite_sequence where name = ?1"));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    const qint64 highest = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    sqlite3_finalize(statement);
    return highest;
}

void SqliteSource::readRows(const QString &table, const QStringList &columns,
                            const std::function<void(sqlite3_stmt *)> &row) const
{
    QString sql = QStringLiteral("select rowid");
    for (const QString &column : columns)
        sql += QStringLiteral(", ") + db::quoted(column, QLatin1Char('"'));
    sql += QStringLiteral(" from ") + db::quoted(table, QLatin1Char('"')) + QStringLiteral(" order by rowid");
    // `row` may throw (the server refused a row): the statement goes anyway.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> statement(prepare(sql), sqlite3_finalize);
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        row(statement.get());
    if (rc != SQLITE_DONE)
        fail(sql);
}

} // namespace migra
