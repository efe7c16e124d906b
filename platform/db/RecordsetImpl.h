#pragma once

#include "db/Recordset.h"

#include "Connection.h"
#include "FieldCodec.h"

#include <QHash>
#include <limits>
#include <memory>
#include <set>
#include <vector>

namespace db {

// The rows behind a record set. A keyed set keeps only the row keys (the
// rowids of its tables) in order, and reads a row when it is visited; other
// sets (grouped, distinct, aggregate) are small and kept whole.
//
// The keys are read in pages as the position moves on, so opening a set
// costs its first page whatever the number of matching rows. Each page
// reruns the select with LIMIT/OFFSET and starts a few rows early: the last
// key read anchors it, so rows added or removed before it since the last
// page neither repeat nor get lost.
struct Recordset::Impl {
    static constexpr qint64 nullKey = std::numeric_limits<qint64>::min();
    // Rows of the first page (read whole); later pages read keys only and
    // double in size, so reading to row n costs O(n) whatever the steps.
    static inline int firstPage = 64;
    // A page that takes this long was sorted again from the whole result
    // (an order no index serves, e.g. a list sorted by price): the rest of
    // the keys then come in one read, not one slow read per page.
    static inline int slowPageMs = 50;

    Impl(std::shared_ptr<Connection> connection, QString legacySql);

    void openSet();             // translates the source and runs it
    void run();                 // (re)reads the first page, with the filter
    // Reads keys until the set has more than `position` rows or is complete;
    // true when the row at `position` exists.
    bool reach(int position);
    void readAll();
    // The last row without the keys before it, where the set can say how
    // many rows it holds and read its order backwards: the count and the
    // last page of keys, the keys between read when a position needs them
    // (RecordsetTail.cpp). Otherwise every key, as readAll().
    void readToEnd();
    bool readTail();
    bool tailed() const { return headEnd >= 0; }
    bool inGap(int at) const { return tailed() && at >= headEnd && at < tailStart; }
    // A gap position whose key is known already (a find by key): the rest
    // of the gap is not read for it.
    bool unread(int at) const { return inGap(at) && at != found; }
    // Where the row of `key` stands in the gap, when the set is ordered by
    // the key of its one table: the rows before it counted, not read; -1
    // when the order is another or the count falls outside the gap.
    int positionInGap(qint64 key);
    bool isRowKey(const QString &term) const;
    QString selection() const;
    int bindSelected(Statement *statement, int firstLiteral) const;
    // A page read on from the keys before the gap: into the gap, the rows
    // past it checked against the last keys; false when they differ (rows
    // written elsewhere meanwhile), after which the set holds the keys as
    // read from the start.
    void placeInGap(const std::vector<qint64> &fresh, bool lastPage);
    void readAgainWithoutTail();
    int headRows() const { return tailed() ? headEnd : count; }
    bool tailBroken = false;    // placeInGap met other rows than the last keys
    void readPage(int wanted, bool first);
    // readPage of the next page size, which grows, or becomes "the rest"
    // after a slow page.
    void readTimedPage(bool first);
    void dropRowsAlreadyHere(std::vector<qint64> &fresh, int returned) const;
    void runWhole();            // sets without keys: every row at once
    const RawRow &currentRow(); // throws when there is no current record
    QVariant currentValue(int column);
    // The first position >= start whose row matches a criterion; -1 if none.
    int findFrom(const QString &criterion, int start);

    void forgetRow(int position); // written: read it again when visited
    void forgetRows();
    void ensureOpen() const;
    void requireKeyed() const;
    int visibleColumns() const { return int(shape->columns.size()); }
    const qint64 *keyAt(int position) const { return keys.data() + size_t(position) * size_t(keyCount); }

    // Writes of update(): changed fields by table, new rows of addNew.
    void writeChanges();
    void insertRow();
    void deleteCurrent();
    [[noreturn]] void changedElsewhere();

    std::shared_ptr<Connection> connection;
    QString source;
    std::shared_ptr<const Translation> translation;
    LiteralList literals;
    std::shared_ptr<const RowShape> shape;

    QString filter;
    std::shared_ptr<const Translation> filterTranslation;
    LiteralList filterLiterals;
    QString runSql;             // the statement of the last run

    bool open = true;
    int keyCount = 0;
    std::vector<qint64> keys;   // keyCount values per row
    bool complete = true;       // every key of the select has been read
    int consumed = 0;           // rows of the select the keys cover
    int nextPage = 0;           // size of the next page of keys
    std::set<std::vector<qint64>> edited; // rows written here: a sort change may move them on
    std::vector<RawRow> rows;   // sets without keys: every row
    std::vector<RawRow> firstRows; // keyed sets: the first page (no cells: read again)
    QHash<int, RawRow> cache;   // keyed sets: other rows read, by position
    int count = 0;
    int position = 0;           // -1 = BOF, count = EOF
    // After readTail(): keys [0, headEnd) read from the start, [tailStart,
    // count) the last ones, between them not read yet (count is exact).
    int headEnd = -1;
    int tailStart = 0;
    // A row of the gap placed by positionInGap (its key written at its
    // place); checked when the pages read on reach it. -1 when none.
    int found = -1;
    bool onDeleted = false;

    EditMode mode = EditMode::None;
    // The current row as it was when Edit began: Update writes only if the
    // fields it changes still hold these values, Delete only if the whole
    // row does (another till may have written meanwhile).
    RawRow readAtEdit;
    std::vector<BoundValue> pending;
    std::vector<bool> pendingSet;
    bool noMatch = false;
    qint64 lastId = 0;
};

} // namespace db
