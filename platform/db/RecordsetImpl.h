#pragma once

#include "db/Recordset.h"

#include "Connection.h"
#include "FieldCodec.h"

#include <QHash>
#include <limits>
#include <memory>
#include <vector>

namespace db {

// The rows behind a record set. A keyed set keeps only the row keys (the
// rowids of its tables) in order, and reads a row when it is visited; other
// sets (grouped, distinct, aggregate) are small and kept whole.
struct Recordset::Impl {
    static constexpr qint64 nullKey = std::numeric_limits<qint64>::min();

    Impl(std::shared_ptr<Connection> connection, QString legacySql);

    void openSet();             // translates the source and runs it
    void run();                 // (re)reads the keys, with the filter
    const RawRow &currentRow(); // throws when there is no current record
    QVariant currentValue(int column);
    // The first position >= start whose row matches a criterion; -1 if none.
    int findFrom(const QString &criterion, int start);

    void ensureOpen() const;
    void requireKeyed() const;
    int visibleColumns() const { return int(shape->columns.size()); }
    const qint64 *keyAt(int position) const { return keys.data() + size_t(position) * size_t(keyCount); }

    // Writes of update(): changed fields by table, new rows of addNew.
    void writeChanges();
    void insertRow();
    void deleteCurrent();

    std::shared_ptr<Connection> connection;
    QString source;
    std::shared_ptr<const Translation> translation;
    std::vector<Literal> literals;
    std::shared_ptr<const RowShape> shape;

    QString filter;
    std::shared_ptr<const Translation> filterTranslation;
    std::vector<Literal> filterLiterals;
    QString runSql;             // the statement of the last run

    bool open = true;
    int keyCount = 0;
    std::vector<qint64> keys;   // keyCount values per row
    std::vector<RawRow> rows;   // sets without keys: every row
    QHash<int, RawRow> cache;   // keyed sets: rows read, by position
    int count = 0;
    int position = 0;           // -1 = BOF, count = EOF
    bool onDeleted = false;

    EditMode mode = EditMode::None;
    std::vector<BoundValue> pending;
    std::vector<bool> pendingSet;
    bool noMatch = false;
    qint64 lastId = 0;
};

} // namespace db
