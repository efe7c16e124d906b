#pragma once

#include "SchemaCatalog.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace db {

class Connection;
class Statement;
struct RawRow;
struct RowShape;

// A select written in the program's dialect, read row by row on a
// connection of its own, for work that must go through every row of a list
// whatever its size (an export of a year of sales): the rows come in the
// order a record set on the same select shows them, with the same field
// names and values, and memory does not grow with them. It may run on a
// thread of its own; interrupt() is the one call meant for other threads.
class SelectStream {
public:
    // The database at `path` (a file, or the server its tarvo.ini names).
    // Throws DbError: a missing file, a statement the engine refuses or that
    // is no select.
    SelectStream(const QString &path, const QString &legacySelect);
    ~SelectStream();
    SelectStream(const SelectStream &) = delete;
    SelectStream &operator=(const SelectStream &) = delete;

    // As a record set on the select names its fields; -1 for an unknown one.
    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const;

    // Steps to the next row; false past the last one. Throws DbError.
    bool next();
    QVariant value(int column) const;

    // Makes the step under way (or the next one) fail soon (any thread).
    void interrupt();

private:
    void start(const QString &legacySelect);
    void finish();

    std::shared_ptr<Connection> m_connection;
    std::shared_ptr<const RowShape> m_shape;
    std::vector<FieldKind> m_kinds;
    std::unique_ptr<Statement> m_statement;
    std::unique_ptr<RawRow> m_row;
    QString m_source;
    bool m_inTransaction = false;
    bool m_batches = false;      // each run of the statement gives the next rows
    int m_batchRows = 0;
};

} // namespace db
