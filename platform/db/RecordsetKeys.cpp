#include "RecordsetImpl.h"

#include "EngineErrors.h"

#include <QElapsedTimer>
#include <algorithm>

namespace db {

namespace {

constexpr int anchorRows = 16;        // rows read again before each page
constexpr int largestPage = 1 << 22;
constexpr qint64 shortTop = 1000;

// The select of a keyed set, one page at a time: its keys, and its fields
// too when `withColumns`. The first page (`firstLimit` not negative) has
// its limit written in and no offset; later ones bind both.
QString pageSql(const Translation &t, const Translation *filter, bool withColumns, qint64 firstLimit = -1)
{
    QString sql = QStringLiteral("SELECT ");
    if (withColumns)
        sql += t.selectList + QStringLiteral(", ");
    sql += t.keyColumns + QStringLiteral(" FROM ") + t.from;
    if (!t.where.isEmpty() && filter)
        sql += QStringLiteral(" WHERE (") + t.where + QStringLiteral(") AND (") + filter->sql + QLatin1Char(')');
    else if (!t.where.isEmpty())
        sql += QStringLiteral(" WHERE ") + t.where;
    else if (filter)
        sql += QStringLiteral(" WHERE ") + filter->sql;
    if (!t.orderBy.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + t.orderBy;
    else if (t.tables.size() == 1)
        // Pages of keys alone may be read through an index that covers them,
        // in that index's order: every page must follow the same order.
        sql += QStringLiteral(" ORDER BY ") + t.keyColumns;
    if (firstLimit >= 0)
        return sql + QStringLiteral(" LIMIT ") + QString::number(firstLimit);
    return sql + QStringLiteral(" LIMIT ? OFFSET ?");
}

bool sameKey(const qint64 *a, const qint64 *b, int keyCount)
{
    return std::equal(a, a + keyCount, b);
}

} // namespace

void Recordset::Impl::run()
{
    keys.clear();
    rows.clear();
    forgetRows();
    edited.clear();
    count = 0;
    consumed = 0;
    position = 0;
    onDeleted = false;
    headEnd = -1;
    found = -1;
    tailBroken = false;
    if (!translation->keyed) {
        complete = true;
        runWhole();
        return;
    }
    complete = false;
    nextPage = std::max(1, firstPage);
    // A short "top N" (the searches' lists) comes whole in its first page,
    // with its fields: no row is fetched again one by one.
    if (!translation->limit.isEmpty()) {
        const qint64 top = translation->limit.toLongLong();
        if (top > nextPage && top <= shortTop)
            nextPage = int(top);
    }
    try {
        readTimedPage(true);
    } catch (...) {
        // A set read halfway would show a wrong count: show none instead.
        keys.clear();
        forgetRows();
        count = 0;
        complete = true;
        throw;
    }
}

void Recordset::Impl::runWhole()
{
    const Translation &t = *translation;
    runSql = t.sql;
    if (filterTranslation)
        runSql = QStringLiteral("SELECT * FROM (") + t.sql + QStringLiteral(") AS tarvo_rows WHERE (")
                 + filterTranslation->sql + QLatin1Char(')');
    Statement *statement = connection->statement(runSql, source);
    StatementUse use(statement);
    Connection::bindLiterals(statement, literals, 0, int(literals.size()), 1);
    if (filterTranslation)
        Connection::bindLiterals(statement, filterLiterals, 0, int(filterLiterals.size()), int(literals.size()) + 1);
    if (!shape) {
        connection->shapeOf(t, statement);
        shape = t.shape;
    }
    const int visible = visibleColumns();
    try {
        while (statement->step(source)) {
            rows.emplace_back();
            rows.back().capture(*statement, visible);
            ++count;
        }
    } catch (...) {
        rows.clear();
        count = 0;
        throw;
    }
}

// Reads up to `wanted` more rows (all that remain when negative). The page
// starts a few rows before the last one read, and rows already in the set
// are skipped, so that rows removed or added meanwhile before that point do
// not make the page skip or repeat rows.
void Recordset::Impl::readPage(int wanted, bool first)
{
    const Translation &t = *translation;
    // The pages of a join in no given order are read with its columns, as
    // its first page is: the very statement, so the same plan and the same
    // order. Its keys alone may be read through an index that covers them,
    // in that index's order, and the pages would skip and repeat rows.
    const bool unorderedJoin = t.orderBy.isEmpty() && t.tables.size() > 1;
    const bool withColumns = first || t.orderNeedsSelectList || unorderedJoin;
    const int anchor = std::min(consumed, anchorRows);
    const int offset = consumed - anchor;
    qint64 limit = wanted < 0 ? -1 : qint64(wanted) + anchor;
    qint64 top = -1;
    if (!t.limit.isEmpty()) {
        top = t.limit.toLongLong();
        const qint64 room = std::max<qint64>(0, top - offset);
        limit = limit < 0 ? room : std::min(limit, room);
    }
    // A lookup reads its first page only: a statement of its own.
    const bool firstRead = first && offset == 0 && limit >= 0;
    Statement *statement = nullptr;
    if (filterTranslation) {
        statement = connection->statement(pageSql(t, filterTranslation.get(), withColumns, firstRead ? limit : -1),
                                          source);
    } else if (firstRead) {
        if (t.firstPageSql.isEmpty() || t.firstPageLimit != limit) {
            t.firstPageSql = pageSql(t, nullptr, true, limit);
            t.firstPageLimit = limit;
            t.firstPage = CachedStatement();
        }
        statement = connection->statement(t.firstPageSql, source, t.firstPage);
    } else {
        QString &sql = withColumns ? t.pageSqlWithColumns : t.pageSqlKeys;
        if (sql.isEmpty())
            sql = pageSql(t, nullptr, withColumns);
        statement = connection->statement(sql, source, withColumns ? t.pageWithColumns : t.pageKeys);
    }
    StatementUse use(statement);

    const int mainEnd = t.selectListLiterals + t.fromLiterals + t.whereLiterals;
    int next = bindSelected(statement, withColumns ? 0 : t.selectListLiterals);
    Connection::bindLiterals(statement, literals, mainEnd, int(literals.size()), next);
    next += int(literals.size()) - mainEnd;
    if (!firstRead) {
        connection->bindLimit(statement, next, limit);
        statement->bindInteger(next + 1, offset);
    }

    if (!shape) {
        connection->shapeOf(t, statement);
        shape = t.shape;
    }
    const int keyColumn = withColumns ? visibleColumns() : 0;
    // The first page goes straight into the set (it starts empty); later
    // ones are checked against it first.
    const int head = headRows();
    std::vector<qint64> later;
    std::vector<qint64> &fresh = head == 0 && !tailed() ? keys : later;
    const size_t before = fresh.size();
    int returned = 0;
    try {
        while (statement->step(source)) {
            for (int k = 0; k < keyCount; ++k)
                fresh.push_back(statement->columnType(keyColumn + k) == NullValue
                                    ? nullKey : statement->columnInteger(keyColumn + k));
            if (first) {
                firstRows.emplace_back();
                firstRows.back().capture(*statement, visibleColumns());
            }
            ++returned;
        }
    } catch (...) {
        fresh.resize(before);
        throw;
    }
    const bool lastPage = limit < 0 || returned < limit || (top >= 0 && offset + returned >= top);
    if (tailed()) {
        if (head > 0)
            dropRowsAlreadyHere(later, returned);
        consumed = offset + returned;
        placeInGap(later, lastPage);
        return;
    }
    if (head > 0) {
        dropRowsAlreadyHere(later, returned);
        keys.insert(keys.end(), later.begin(), later.end());
    }
    count = int(keys.size()) / std::max(1, keyCount);
    consumed = offset + returned;
    complete = lastPage;
}

// The page was read from a few rows before the last key of the set: rows up
// to that key (new ones included: a set shows the rows written elsewhere
// only after a requery) and rows the set holds already are dropped.
void Recordset::Impl::dropRowsAlreadyHere(std::vector<qint64> &fresh, int returned) const
{
    const size_t width = size_t(keyCount);
    const int window = std::min(returned, 3 * anchorRows);
    const int count = headRows();
    const qint64 *last = keys.data() + size_t(count - 1) * width;
    int start = 0;
    for (int r = window - 1; r >= 0; --r) {
        if (sameKey(fresh.data() + size_t(r) * width, last, keyCount)) {
            start = r + 1;
            break;
        }
    }
    const int recentRows = std::min(count, 3 * anchorRows);
    const qint64 *recent = keys.data() + size_t(count - recentRows) * width;
    size_t kept = 0;
    for (int r = start; r < returned; ++r) {
        const qint64 *key = fresh.data() + size_t(r) * width;
        bool known = false;
        if (r < window)
            for (int k = 0; k < recentRows && !known; ++k)
                known = sameKey(recent + size_t(k) * width, key, keyCount);
        if (!known && !edited.empty())
            known = edited.count(std::vector<qint64>(key, key + width)) > 0;
        if (known)
            continue;
        if (kept != size_t(r) * width)
            std::copy(key, key + width, fresh.begin() + ptrdiff_t(kept));
        kept += width;
    }
    fresh.resize(kept);
}

void Recordset::Impl::readTimedPage(bool first)
{
    QElapsedTimer timer;
    timer.start();
    readPage(nextPage, first);
    if (tailBroken)
        readAgainWithoutTail();
    if (nextPage < 0 || timer.elapsed() >= slowPageMs)
        nextPage = -1;
    else
        nextPage = std::min(largestPage, nextPage * 2);
}

bool Recordset::Impl::reach(int wanted)
{
    while (unread(wanted))
        readTimedPage(false);
    while (wanted >= count && !complete)
        readTimedPage(false);
    return wanted >= 0 && wanted < count;
}

void Recordset::Impl::readAll()
{
    while (tailed()) {
        readPage(-1, false);
        if (tailBroken)
            readAgainWithoutTail();
    }
    while (!complete)
        readPage(-1, false);
}

} // namespace db
