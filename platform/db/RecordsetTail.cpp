#include "RecordsetImpl.h"
#include "SchemaCatalog.h"

#include <QStringList>
#include <algorithm>

namespace db {

namespace {

// The terms of an order by list, split at its top-level commas; empty when
// the list does not parse.
QStringList orderTerms(const QString &order)
{
    QStringList terms;
    int depth = 0;
    QChar quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QChar c = order.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            terms << order.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    if (!quote.isNull() || depth != 0)
        return QStringList();
    terms << order.mid(start).trimmed();
    return terms;
}

// An order by list read backwards: each term's direction turned. The list
// ends with the row keys, so the order is total and its reverse exact (Null
// first one way, last the other, on SQLite and on the server alike). Empty
// when a term cannot be turned.
QString reversedOrder(const QString &order)
{
    QStringList terms = orderTerms(order);
    if (terms.isEmpty())
        return QString();
    for (QString &term : terms) {
        if (term.isEmpty())
            return QString();
        if (term.endsWith(QLatin1String(" desc"), Qt::CaseInsensitive))
            term.chop(5);
        else if (term.endsWith(QLatin1String(" asc"), Qt::CaseInsensitive))
            term = term.chopped(4) + QStringLiteral(" DESC");
        else
            term += QStringLiteral(" DESC");
    }
    return terms.join(QStringLiteral(", "));
}

bool sameKeys(const qint64 *a, const qint64 *b, int keyCount)
{
    return std::equal(a, a + keyCount, b);
}

} // namespace

void Recordset::Impl::readToEnd()
{
    if (tailed() || complete)
        return;
    if (!readTail())
        readAll();
}

// The count of the rows and the last page of keys, read backwards. False
// when the set cannot be read so (a `top`, an order that is not total) or
// little is left to read: then it is read on to its end.
bool Recordset::Impl::readTail()
{
    const Translation &t = *translation;
    if (!t.keyed || !t.limit.isEmpty() || complete || tailed() || count == 0 || keyCount == 0)
        return false;
    QString order = t.orderBy;
    if (order.isEmpty()) {
        // Pages of one table without an order follow its keys.
        if (t.tables.size() != 1)
            return false;
        order = t.keyColumns;
    }
    const QString backwards = reversedOrder(order);
    if (backwards.isEmpty())
        return false;

    const QString where = selection();
    const int mainEnd = t.selectListLiterals + t.fromLiterals + t.whereLiterals;

    qint64 total = 0;
    {
        const QString sql = QStringLiteral("SELECT count(*) FROM ") + t.from + where;
        Statement *statement = connection->statement(sql, source);
        StatementUse use(statement);
        bindSelected(statement, t.selectListLiterals);
        if (statement->step(source))
            total = statement->columnInteger(0);
    }
    const int rows = std::max(1, firstPage);
    if (total - count <= qint64(rows) || total > std::numeric_limits<int>::max())
        return false;

    const bool withColumns = t.orderNeedsSelectList;
    QString sql = QStringLiteral("SELECT ");
    if (withColumns)
        sql += t.selectList + QStringLiteral(", ");
    sql += t.keyColumns + QStringLiteral(" FROM ") + t.from + where + QStringLiteral(" ORDER BY ") + backwards
           + QStringLiteral(" LIMIT ?");
    std::vector<qint64> last;
    int returned = 0;
    {
        Statement *statement = connection->statement(sql, source);
        StatementUse use(statement);
        int next = bindSelected(statement, withColumns ? 0 : t.selectListLiterals);
        Connection::bindLiterals(statement, literals, mainEnd, int(literals.size()), next);
        next += int(literals.size()) - mainEnd;
        connection->bindLimit(statement, next, rows);
        const int keyColumn = withColumns ? visibleColumns() : 0;
        while (statement->step(source)) {
            for (int k = 0; k < keyCount; ++k)
                last.push_back(statement->columnType(keyColumn + k) == NullValue
                                   ? nullKey : statement->columnInteger(keyColumn + k));
            ++returned;
        }
    }
    // Fewer rows than counted: written meanwhile; read on as usual.
    if (returned != rows)
        return false;

    const size_t width = size_t(keyCount);
    keys.resize(size_t(total) * width, nullKey);
    for (int r = 0; r < rows; ++r)
        std::copy(last.begin() + ptrdiff_t(size_t(r) * width), last.begin() + ptrdiff_t(size_t(r + 1) * width),
                  keys.begin() + ptrdiff_t(size_t(total - 1 - r) * width));
    headEnd = count;
    tailStart = int(total) - rows;
    count = int(total);
    complete = true;
    return true;
}

void Recordset::Impl::placeInGap(const std::vector<qint64> &fresh, bool lastPage)
{
    const size_t width = size_t(keyCount);
    const int read = int(fresh.size() / width);
    const int placed = std::min(read, tailStart - headEnd);
    // Rows read past the gap are the last keys, in their order; a select
    // that ends before them, or goes on after them, met rows written
    // elsewhere meanwhile.
    const int past = read - placed;
    bool same = past <= count - tailStart;
    for (int r = 0; same && r < past; ++r)
        same = sameKeys(fresh.data() + size_t(placed + r) * width, keys.data() + size_t(tailStart + r) * width,
                        keyCount);
    if (same && lastPage && (headEnd + placed < tailStart || tailStart + past < count))
        same = false;
    // The row a find placed in the gap must come where the find put it.
    if (same && found >= headEnd && found < headEnd + placed)
        same = sameKeys(fresh.data() + size_t(found - headEnd) * width, keyAt(found), keyCount);
    if (!same) {
        tailBroken = true;
        return;
    }
    std::copy(fresh.begin(), fresh.begin() + ptrdiff_t(size_t(placed) * width),
              keys.begin() + ptrdiff_t(size_t(headEnd) * width));
    headEnd += placed;
    if (found >= 0 && found < headEnd)
        found = -1;
    if (headEnd == tailStart) {
        headEnd = -1; // every key read
        found = -1;
    }
}

// The set read again from its start, its rows as they are now; the current
// row is found again by its key (a row between the keys read, by its
// distance from the first of the last keys).
void Recordset::Impl::readAgainWithoutTail()
{
    tailBroken = false;
    std::vector<qint64> current;
    int back = 0;
    if (position == found && inGap(position)) {
        current.assign(keyAt(position), keyAt(position) + keyCount);
    } else if (inGap(position)) {
        current.assign(keyAt(tailStart), keyAt(tailStart) + keyCount);
        back = tailStart - position;
    } else if (position >= 0 && position < count) {
        current.assign(keyAt(position), keyAt(position) + keyCount);
    }
    const int was = position;
    const bool deleted = onDeleted;
    headEnd = -1;
    run();
    readAll();
    position = std::min(was, count);
    onDeleted = deleted;
    for (int r = 0; !current.empty() && r < count; ++r) {
        if (sameKeys(keyAt(r), current.data(), keyCount)) {
            position = std::max(0, r - back);
            break;
        }
    }
}

// The rows of the set, as a where clause: its own condition and the filter.
QString Recordset::Impl::selection() const
{
    const Translation &t = *translation;
    if (!t.where.isEmpty() && filterTranslation)
        return QStringLiteral(" WHERE (") + t.where + QStringLiteral(") AND (") + filterTranslation->sql
               + QLatin1Char(')');
    if (!t.where.isEmpty())
        return QStringLiteral(" WHERE ") + t.where;
    if (filterTranslation)
        return QStringLiteral(" WHERE ") + filterTranslation->sql;
    return QString();
}

// Binds the literals of selection() (and of the select list before it from
// `firstLiteral`); returns the next parameter.
int Recordset::Impl::bindSelected(Statement *statement, int firstLiteral) const
{
    const Translation &t = *translation;
    const int mainEnd = t.selectListLiterals + t.fromLiterals + t.whereLiterals;
    int next = 1;
    Connection::bindLiterals(statement, literals, firstLiteral, mainEnd, next);
    next += mainEnd - firstLiteral;
    if (filterTranslation) {
        Connection::bindLiterals(statement, filterLiterals, 0, int(filterLiterals.size()), next);
        next += int(filterLiterals.size());
    }
    return next;
}

// An order term naming the key of the set's one table: the key itself, or
// on the file the integer primary key that is its rowid.
bool Recordset::Impl::isRowKey(const QString &term) const
{
    const auto plain = [](QString name) { return name.remove(QLatin1Char('"')).trimmed(); };
    const FromTable &table = translation->tables.front();
    QString name = plain(term);
    const QString reference = plain(table.reference) + QLatin1Char('.');
    if (name.startsWith(reference, Qt::CaseInsensitive))
        name.remove(0, reference.size());
    if (name.compare(plain(table.key), Qt::CaseInsensitive) == 0)
        return true;
    if (table.key != QLatin1String("rowid"))
        return false;
    const TableMeta *meta = connection->catalog().table(table.table);
    const ColumnMeta *column = meta ? meta->column(name) : nullptr;
    if (!column || !column->primaryKey || column->declaredType.compare(QLatin1String("integer"), Qt::CaseInsensitive) != 0)
        return false;
    return std::count_if(meta->columns.begin(), meta->columns.end(), [](const ColumnMeta &c) { return c.primaryKey; })
           == 1;
}

int Recordset::Impl::positionInGap(qint64 key)
{
    const Translation &t = *translation;
    if (!tailed() || t.tables.size() != 1 || keyCount != 1 || t.tables.front().nullable || t.orderNeedsSelectList)
        return -1;
    // The order's first term must be the table's key (the terms after it
    // then never decide): the rows before the key are those with a smaller
    // one, or a greater one read backwards.
    const QString order = t.orderBy.isEmpty() ? t.keyColumns : t.orderBy;
    QString first = orderTerms(order).value(0);
    bool descending = false;
    if (first.endsWith(QLatin1String(" desc"), Qt::CaseInsensitive)) {
        descending = true;
        first.chop(5);
    } else if (first.endsWith(QLatin1String(" asc"), Qt::CaseInsensitive)) {
        first.chop(4);
    }
    if (!isRowKey(first))
        return -1;

    // The rows on the nearer side of the key are counted: those before it,
    // or those after it taken from the count of the set.
    const qint64 last = keys[size_t(headEnd - 1)];
    const qint64 next = keys[size_t(tailStart)];
    if (descending ? !(key < last && key > next) : !(key > last && key < next))
        return -1;
    const bool fromEnd = double(key - last) / double(next - last) > 0.5;
    QString where = selection();
    where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + t.keyColumns
             + (descending != fromEnd ? QStringLiteral(" > ?") : QStringLiteral(" < ?"));
    qint64 rows = -1;
    {
        Statement *statement = connection->statement(QStringLiteral("SELECT count(*) FROM ") + t.from + where, source);
        StatementUse use(statement);
        statement->bindInteger(bindSelected(statement, t.selectListLiterals), key);
        if (statement->step(source))
            rows = statement->columnInteger(0);
    }
    const qint64 before = fromEnd ? count - 1 - rows : rows;
    // Rows written elsewhere since the count: the keys are read instead.
    if (rows < 0 || before < headEnd || before >= tailStart)
        return -1;
    if (found >= 0) { // one row of the gap is known at a time
        keys[size_t(found)] = nullKey;
        forgetRow(found);
    }
    const int at = int(before);
    keys[size_t(at)] = key;
    found = at;
    return at;
}

} // namespace db
