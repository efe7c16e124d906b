#pragma once

#include "db/LegacyLexer.h"
#include "db/SchemaCatalog.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace db {

class Connection;
class Statement;
struct RawRow;

// Reads the rows of one select one at a time, for work that must not hold a
// whole result (reports over years of sales). The statement is SQLite text
// with "?" parameters bound from `parameters`; values decode as a record set
// decodes them, by the kind of each column. The statement comes from the
// connection's cache of prepared statements and is reset when the stream
// ends; nothing else may run on the connection while the stream reads.
class RowStream {
public:
    RowStream(Connection &connection, const QString &sql, const std::vector<Literal> &parameters,
              std::vector<FieldKind> kinds);
    ~RowStream();
    RowStream(const RowStream &) = delete;
    RowStream &operator=(const RowStream &) = delete;

    // Steps to the next row; false at the end. Throws DbError.
    bool next();
    int columnCount() const { return int(m_kinds.size()); }
    QVariant value(int column) const;

private:
    Connection &m_connection;
    Statement *m_statement = nullptr;
    std::unique_ptr<Statement> m_own; // prepared for this stream alone
    QString m_sql;
    std::vector<FieldKind> m_kinds;
    std::unique_ptr<RawRow> m_row;
};

} // namespace db
