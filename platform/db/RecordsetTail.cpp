#include "RecordsetImpl.h"

#include <QStringList>
#include <algorithm>

namespace db {

namespace {

// An order by list read backwards: each term's direction turned. The list
// ends with the row keys, so the order is total and its reverse exact (Null
// first one way, last the other, on SQLite and on the server alike). Empty
// when a term cannot be turned.
QString reversedOrder(const QString &order)
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
        return QString();
    terms << order.mid(start).trimmed();
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

    QString where;
    if (!t.where.isEmpty() && filterTranslation)
        where = QStringLiteral(" WHERE (") + t.where + QStringLiteral(") AND (") + filterTranslation->sql
                + QLatin1Char(')');
    else if (!t.where.isEmpty())
        where = QStringLiteral(" WHERE ") + t.where;
    else if (filterTranslation)
        where = QStringLiteral(" WHERE ") + filterTranslation->sql;
    const int mainEnd = t.selectListLiterals + t.fromLiterals + t.whereLiterals;
    const auto bindSelection = [&](Statement *statement, int firstLiteral) {
        int next = 1;
        Connection::bindLiterals(statement, literals, firstLiteral, mainEnd, next);
        next += mainEnd - firstLiteral;
        if (filterTranslation) {
            Connection::bindLiterals(statement, filterLiterals, 0, int(filterLiterals.size()), next);
            next += int(filterLiterals.size());
        }
        return next;
    };

    qint64 total = 0;
    {
        const QString sql = QStringLiteral("SELECT count(*) FROM ") + t.from + where;
        Statement *statement = connection->statement(sql, source);
        StatementUse use(statement);
        bindSelection(statement, t.selectListLiterals);
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
        int next = bindSelection(statement, withColumns ? 0 : t.selectListLiterals);
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
    if (!same) {
        tailBroken = true;
        return;
    }
    std::copy(fresh.begin(), fresh.begin() + ptrdiff_t(size_t(placed) * width),
              keys.begin() + ptrdiff_t(size_t(headEnd) * width));
    headEnd += placed;
    if (headEnd == tailStart)
        headEnd = -1; // every key read
}

// The set read again from its start, its rows as they are now; the current
// row is found again by its key (a row between the keys read, by its
// distance from the first of the last keys).
void Recordset::Impl::readAgainWithoutTail()
{
    tailBroken = false;
    std::vector<qint64> current;
    int back = 0;
    if (inGap(position)) {
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

} // namespace db
