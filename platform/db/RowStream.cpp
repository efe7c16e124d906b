#include "RowStream.h"

#include "Connection.h"
#include "EngineErrors.h"
#include "FieldCodec.h"

#include <sqlite3.h>

namespace db {

RowStream::RowStream(Connection &connection, const QString &sql, const std::vector<Literal> &parameters,
                     std::vector<FieldKind> kinds)
    : m_connection(connection), m_sql(sql), m_kinds(std::move(kinds)), m_row(std::make_unique<RawRow>())
{
    // A report prints the same statement again with other values: the
    // connection keeps it prepared. A stream inside a stream of the same
    // statement prepares its own.
    m_statement = connection.statement(sql, sql);
    if (sqlite3_stmt_busy(m_statement)) {
        m_statement = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(connection.handle(), utf8.constData(), int(utf8.size()), &m_statement, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(m_statement);
            throw errors::fromSqlite(connection.handle(), rc, sql);
        }
        m_own = true;
    }
    Connection::bindLiterals(m_statement, parameters, 0, int(parameters.size()), 1);
    if (int(m_kinds.size()) > sqlite3_column_count(m_statement))
        m_kinds.resize(size_t(sqlite3_column_count(m_statement)));
}

RowStream::~RowStream()
{
    if (m_own) {
        sqlite3_finalize(m_statement);
    } else {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}

bool RowStream::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) {
        m_row->capture(m_statement, int(m_kinds.size()));
        return true;
    }
    if (rc == SQLITE_DONE)
        return false;
    throw errors::fromSqlite(m_connection.handle(), rc, m_sql);
}

QVariant RowStream::value(int column) const
{
    return FieldCodec::decode(*m_row, column, m_kinds[size_t(column)]);
}

} // namespace db
