#include "SqliteStatement.h"

#include "EngineErrors.h"

#include <sqlite3.h>

namespace db {

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement *SqliteStatement::prepare(sqlite3 *handle, const QString &sql, const QString &source, bool persistent)
{
    sqlite3_stmt *prepared = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(handle, utf8.constData(), int(utf8.size()),
                                      persistent ? SQLITE_PREPARE_PERSISTENT : 0, &prepared, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(prepared);
        throw errors::fromSqlite(handle, rc, source);
    }
    return new SqliteStatement(handle, prepared);
}

void SqliteStatement::bindNull(int parameter)
{
    sqlite3_bind_null(m_statement, parameter);
}

void SqliteStatement::bindInteger(int parameter, qint64 value)
{
    sqlite3_bind_int64(m_statement, parameter, value);
}

void SqliteStatement::bindReal(int parameter, double value)
{
    sqlite3_bind_double(m_statement, parameter, value);
}

void SqliteStatement::bindText(int parameter, const char *utf8, int bytes)
{
    sqlite3_bind_text(m_statement, parameter, utf8, bytes, SQLITE_TRANSIENT);
}

bool SqliteStatement::step(const QString &source)
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw errors::fromSqlite(m_handle, rc, source);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
}

bool SqliteStatement::busy() const
{
    return sqlite3_stmt_busy(m_statement) != 0;
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

int SqliteStatement::columnType(int column) const
{
    return sqlite3_column_type(m_statement, column);
}

qint64 SqliteStatement::columnInteger(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double SqliteStatement::columnReal(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

const char *SqliteStatement::columnText(int column) const
{
    return reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
}

int SqliteStatement::columnBytes(int column) const
{
    return sqlite3_column_bytes(m_statement, column);
}

qint64 SqliteStatement::changes() const
{
    return sqlite3_changes64(m_handle);
}

qint64 SqliteStatement::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_handle);
}

QString SqliteStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

bool SqliteStatement::columnOrigin(int column, QString *table, QString *origin) const
{
    const char *t = sqlite3_column_table_name(m_statement, column);
    const char *o = sqlite3_column_origin_name(m_statement, column);
    if (!t || !o)
        return false;
    *table = QString::fromUtf8(t);
    *origin = QString::fromUtf8(o);
    return true;
}

QString SqliteStatement::declaredType(int column) const
{
    const char *declared = sqlite3_column_decltype(m_statement, column);
    return declared ? QString::fromUtf8(declared) : QString();
}

} // namespace db
