#include "RowStream.h"

#include "Connection.h"
#include "EngineErrors.h"
#include "FieldCodec.h"


namespace db {

RowStream::RowStream(Connection &connection, const QString &sql, const std::vector<Literal> &parameters,
                     std::vector<FieldKind> kinds)
    : m_connection(connection), m_sql(sql), m_kinds(std::move(kinds)), m_row(std::make_unique<RawRow>())
{
    // A report prints the same statement again with other values: the
    // connection keeps it prepared. A stream inside a stream of the same
    // statement prepares its own.
    m_statement = connection.statement(sql, sql);
    if (m_statement->busy()) {
        m_own = connection.prepareOwn(sql, sql);
        m_statement = m_own.get();
    }
    Connection::bindLiterals(m_statement, parameters, 0, int(parameters.size()), 1);
    // A report of years of sales never holds the whole result.
    m_statement->readRowByRow();
    if (int(m_kinds.size()) > m_statement->columnCount())
        m_kinds.resize(size_t(m_statement->columnCount()));
}

RowStream::~RowStream()
{
    if (!m_own)
        m_statement->reset();
}

bool RowStream::next()
{
    if (!m_statement->step(m_sql))
        return false;
    m_row->capture(*m_statement, int(m_kinds.size()));
    return true;
}

QVariant RowStream::value(int column) const
{
    return FieldCodec::decode(*m_row, column, m_kinds[size_t(column)]);
}

} // namespace db
