#include "SelectStream.h"

#include "Connection.h"
#include "DatabaseSettings.h"
#include "EngineErrors.h"
#include "FieldCodec.h"
#include "IdleConnections.h"

#include <QFileInfo>
#include <sqlite3.h>

namespace db {

namespace {

// The server sends a whole result at once: through a cursor it sends a
// batch at a time, so a long list never sits whole in memory.
constexpr int kServerBatch = 2000;

// The select as it runs row by row, without the row keys a record set reads.
QString streamSql(const Translation &t)
{
    if (!t.keyed)
        return t.sql;
    QString sql = QStringLiteral("SELECT ") + t.selectList + QStringLiteral(" FROM ") + t.from;
    if (!t.where.isEmpty())
        sql += QStringLiteral(" WHERE ") + t.where;
    // A set of one table without an order reads its pages by rowid.
    if (!t.orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + t.orderBy;
    else if (t.tables.size() == 1)
        sql += QStringLiteral(" ORDER BY ") + t.keyColumns;
    if (!t.limit.isEmpty())
        sql += QStringLiteral(" LIMIT ") + t.limit;
    return sql;
}

} // namespace

SelectStream::SelectStream(const QString &path, const QString &legacySelect)
    : m_row(std::make_unique<RawRow>()), m_source(legacySelect)
{
    if (!QFileInfo::exists(path) && !DatabaseSettings::beside(path).onServer())
        throw errors::fileNotFound(path);
    m_connection = IdleConnections::take(path);
    try {
        start(legacySelect);
    } catch (...) {
        finish();
        throw;
    }
}

SelectStream::~SelectStream()
{
    finish();
}

void SelectStream::start(const QString &legacySelect)
{
    const Connection::Translated translated = m_connection->translate(legacySelect, false);
    const Translation &t = *translated.translation;
    if (t.kind != Translation::Kind::Select)
        throw errors::notASelect();
    // Field names and kinds as a record set on the same select sees them.
    m_connection->shapeOf(t, m_connection->statement(t.sql, legacySelect));
    m_shape = t.shape;
    for (const ColumnInfo &column : m_shape->columns)
        m_kinds.push_back(column.kind);

    const std::vector<Literal> &literals = translated.literals;
    const QString sql = streamSql(t);
    if (m_connection->onServer()) {
        m_connection->beginTrans();
        m_inTransaction = true;
        std::unique_ptr<Statement> declare =
            m_connection->prepareOwn(QStringLiteral("DECLARE tarvo_rows NO SCROLL CURSOR FOR ") + sql, legacySelect);
        Connection::bindLiterals(declare.get(), literals, 0, int(literals.size()), 1);
        declare->step(legacySelect);
        m_statement = m_connection->prepareOwn(QStringLiteral("FETCH FORWARD %1 FROM tarvo_rows").arg(kServerBatch),
                                               legacySelect);
        m_batches = true;
    } else {
        m_statement = m_connection->prepareOwn(sql, legacySelect);
        Connection::bindLiterals(m_statement.get(), literals, 0, int(literals.size()), 1);
    }
}

void SelectStream::finish()
{
    m_statement.reset();
    if (m_inTransaction) {
        m_inTransaction = false;
        try {
            m_connection->rollback();   // it only read: this closes the cursor
        } catch (const DbError &) {
        }
    }
    if (m_connection)
        IdleConnections::giveBack(std::move(m_connection));
}

QStringList SelectStream::fieldNames() const
{
    QStringList names;
    for (const ColumnInfo &column : m_shape->columns)
        names << column.fieldName;
    return names;
}

int SelectStream::fieldIndex(const QString &name) const
{
    return m_shape->find(QStringView(name).trimmed());
}

bool SelectStream::next()
{
    for (;;) {
        if (m_statement->step(m_source)) {
            m_row->capture(*m_statement, int(m_kinds.size()));
            ++m_batchRows;
            return true;
        }
        if (!m_batches || m_batchRows == 0)
            return false;
        m_statement->reset();
        m_batchRows = 0;
    }
}

QVariant SelectStream::value(int column) const
{
    return FieldCodec::decode(*m_row, column, m_kinds[size_t(column)]);
}

void SelectStream::interrupt()
{
    m_connection->interrupt();
}

} // namespace db
