#include "RecordsetImpl.h"

#include "EngineErrors.h"
#include "Translator.h"

#include <set>
#include <unordered_set>

namespace db {

namespace {
constexpr int cacheLimit = 512;
}

Recordset::Impl::Impl(std::shared_ptr<Connection> conn, QString legacySql)
    : connection(std::move(conn)), source(std::move(legacySql))
{
}

void Recordset::Impl::forgetRow(int at)
{
    if (size_t(at) < firstRows.size())
        firstRows[size_t(at)].cells.clear();
    cache.remove(at);
}

void Recordset::Impl::forgetRows()
{
    firstRows.clear();
    cache.clear();
}

void Recordset::Impl::ensureOpen() const
{
    if (!open)
        throw errors::closedObject();
}

void Recordset::Impl::requireKeyed() const
{
    if (!translation->keyed)
        throw errors::readOnlySet();
}

void Recordset::Impl::openSet()
{
    Connection::Translated translated = connection->translate(source, false);
    if (translated.translation->kind != Translation::Kind::Select)
        throw errors::notASelect();
    translation = std::move(translated.translation);
    literals = std::move(translated.literals);
    keyCount = translation->keyCount();
    run();
}

const RawRow &Recordset::Impl::currentRow()
{
    ensureOpen();
    if (onDeleted)
        throw errors::recordDeleted();
    if (count == 0 || position < 0 || position >= count)
        throw errors::noCurrentRecord();
    if (keyCount == 0)
        return rows[size_t(position)];
    if (unread(position))
        reach(position); // a move back from the last keys
    if (position >= count)
        throw errors::noCurrentRecord();
    if (size_t(position) < firstRows.size() && !firstRows[size_t(position)].cells.empty())
        return firstRows[size_t(position)];
    const auto cached = cache.constFind(position);
    if (cached != cache.cend())
        return *cached;

    const Translation &t = *translation;
    Statement *statement = connection->statement(t.fetchSql, source);
    StatementUse use(statement);
    const int leading = t.selectListLiterals + t.fromLiterals;
    Connection::bindLiterals(statement, literals, 0, leading, 1);
    const qint64 *key = keyAt(position);
    for (int k = 0; k < keyCount; ++k) {
        if (key[k] == nullKey)
            statement->bindNull(leading + 1 + k);
        else
            statement->bindInteger(leading + 1 + k, key[k]);
    }
    if (!statement->step(source))
        throw errors::recordDeleted(); // removed meanwhile through another set
    if (cache.size() >= cacheLimit)
        cache.clear();
    RawRow &row = cache[position];
    row.capture(*statement, visibleColumns());
    return row;
}

QVariant Recordset::Impl::currentValue(int column)
{
    ensureOpen();
    if (column < 0 || column >= visibleColumns())
        throw errors::unknownField(QString::number(column));
    const FieldKind kind = shape->columns[size_t(column)].kind;
    if (mode != EditMode::None && pendingSet[size_t(column)])
        return FieldCodec::fromBound(pending[size_t(column)], kind);
    if (mode == EditMode::Adding)
        return kind == FieldKind::YesNo ? QVariant(false) : QVariant();
    return FieldCodec::decode(currentRow(), column, kind);
}

int Recordset::Impl::findFrom(const QString &criterion, int start)
{
    if (criterion.trimmed().isEmpty())
        throw errors::syntax(QStringLiteral("criterio vuoto"), criterion);
    const Connection::Translated crit = connection->translate(criterion, true, translation->criterionContext);
    const Translation &t = *translation;
    if (start < 0)
        start = 0;
    if (!reach(start))
        return -1;

    if (t.keyed) {
        QString sql = QStringLiteral("SELECT ") + t.selectList + QStringLiteral(", ") + t.keyColumns
                      + QStringLiteral(" FROM ") + t.from + QStringLiteral(" WHERE ");
        if (!t.where.isEmpty())
            sql += QLatin1Char('(') + t.where + QStringLiteral(") AND ");
        if (filterTranslation)
            sql += QLatin1Char('(') + filterTranslation->sql + QStringLiteral(") AND ");
        sql += QLatin1Char('(') + crit.translation->sql + QLatin1Char(')');
        std::unordered_set<qint64> single;
        std::set<std::vector<qint64>> multiple;
        {
        Statement *statement = connection->statement(sql, criterion);
        StatementUse use(statement);
        const int mainLiterals = t.selectListLiterals + t.fromLiterals + t.whereLiterals;
        int next = 1;
        Connection::bindLiterals(statement, literals, 0, mainLiterals, next);
        next += mainLiterals;
        if (filterTranslation) {
            Connection::bindLiterals(statement, filterLiterals, 0, int(filterLiterals.size()), next);
            next += int(filterLiterals.size());
        }
        Connection::bindLiterals(statement, crit.literals, 0, int(crit.literals.size()), next);
        const int visible = visibleColumns();
        while (statement->step(criterion)) {
            std::vector<qint64> key(static_cast<size_t>(keyCount));
            for (int k = 0; k < keyCount; ++k)
                key[size_t(k)] = statement->columnType(visible + k) == NullValue
                                     ? nullKey : statement->columnInteger(visible + k);
            if (keyCount == 1)
                single.insert(key[0]);
            else
                multiple.insert(std::move(key));
        }
        }
        if (single.empty() && multiple.empty())
            return -1;
        const auto matches = [&](int p) {
            const qint64 *key = keyAt(p);
            return keyCount == 1 ? single.count(*key) > 0
                                 : multiple.count(std::vector<qint64>(key, key + keyCount)) > 0;
        };
        // The only match, among the last keys: the keys before them stay unread.
        if (tailed() && single.size() + multiple.size() == 1) {
            for (int p = start; p < headEnd; ++p)
                if (matches(p))
                    return p;
            for (int p = std::max(start, tailStart); p < count; ++p)
                if (matches(p))
                    return p;
            // Between them: counted, when the set is in the order of its key.
            if (found >= 0 && found >= start && matches(found))
                return found;
            if (keyCount == 1) {
                const int at = positionInGap(*single.begin());
                if (at >= start)
                    return at;
                if (at >= 0)
                    return -1;
            }
        }
        // Further pages of keys are read only as far as the first match.
        for (int p = start; reach(p); ++p)
            if (matches(p))
                return p;
        return -1;
    }

    // Whole sets: number the rows of the last run and test the criterion.
    const QString sql = QStringLiteral("SELECT tarvo_row FROM (SELECT row_number() OVER () - 1 AS tarvo_row, * FROM (")
                        + runSql + QStringLiteral(") AS tarvo_rows) AS tarvo_numbered WHERE (") + crit.translation->sql
                        + QLatin1Char(')');
    Statement *statement = connection->statement(sql, criterion);
    StatementUse use(statement);
    Connection::bindLiterals(statement, literals, 0, int(literals.size()), 1);
    int next = int(literals.size()) + 1;
    if (filterTranslation) {
        Connection::bindLiterals(statement, filterLiterals, 0, int(filterLiterals.size()), next);
        next += int(filterLiterals.size());
    }
    Connection::bindLiterals(statement, crit.literals, 0, int(crit.literals.size()), next);
    int best = -1;
    while (statement->step(criterion)) {
        const int row = int(statement->columnInteger(0));
        if (row >= start && (best < 0 || row < best))
            best = row;
    }
    return best;
}

namespace {

struct TableChanges {
    QStringList columns;
    std::vector<const BoundValue *> values;
    std::vector<int> setColumns; // where each column sits in the set
    quint64 fields = 0; // the fields of the set written, a bit each; 0 when too many to say
};

constexpr size_t fieldBits = 56; // the table's index takes the bits above

// Changed fields grouped by the table they belong to; a column set twice
// (two aliases of one field) is written once, with the last value.
std::vector<TableChanges> groupChanges(const Recordset::Impl &d)
{
    std::vector<TableChanges> changes(d.translation->tables.size());
    for (size_t c = 0; c < d.pending.size(); ++c) {
        if (!d.pendingSet[c])
            continue;
        const ColumnInfo &info = d.shape->columns[c];
        TableChanges &table = changes[size_t(info.tableIndex)];
        table.fields = c < fieldBits && (table.fields != 0 || table.columns.isEmpty()) ? table.fields | (1ull << c) : 0;
        const qsizetype existing = table.columns.indexOf(info.column);
        if (existing >= 0) {
            table.values[size_t(existing)] = &d.pending[c];
        } else {
            table.columns << info.column;
            table.values.push_back(&d.pending[c]);
            table.setColumns.push_back(int(c));
        }
    }
    return changes;
}

// Runs a write; the row an insert returns on the server (its key) is read
// by lastInsertId().
void stepWrite(Statement *statement, const QString &source)
{
    statement->step(source);
}

// Runs the writes of one update in a savepoint when they touch several
// tables, so that they land together or not at all.
template <typename Work>
void inOneTransaction(Connection &connection, bool needed, Work work)
{
    if (!needed) {
        work();
        return;
    }
    const int outer = connection.transactionDepth();
    connection.beginTrans();
    try {
        work();
        connection.commitTrans();
    } catch (...) {
        // A failed commit has already rolled back.
        if (connection.transactionDepth() > outer)
            connection.rollback();
        throw;
    }
}

} // namespace

void Recordset::Impl::writeChanges()
{
    const std::vector<TableChanges> changes = groupChanges(*this);
    int tablesTouched = 0;
    for (const TableChanges &c : changes)
        tablesTouched += c.columns.isEmpty() ? 0 : 1;
    if (tablesTouched == 0)
        return;
    const qint64 *key = keyAt(position);
    inOneTransaction(*connection, tablesTouched > 1, [&]() {
        for (size_t t = 0; t < changes.size(); ++t) {
            const TableChanges &c = changes[t];
            if (c.columns.isEmpty())
                continue;
            if (key[t] == nullKey)
                throw errors::noCurrentRecord();
            // The same fields written again (a stock change) reuse their text.
            const quint64 shape = c.fields == 0 ? 0 : c.fields | (quint64(t) << fieldBits);
            QString sql = shape ? translation->updateSql.value(shape) : QString();
            if (sql.isEmpty()) {
                QStringList assignments;
                QString unchanged;
                for (const QString &column : c.columns) {
                    assignments << quotedName(column) + QStringLiteral(" = ?");
                    unchanged += QStringLiteral(" AND ") + quotedName(column) + QStringLiteral(" IS ?");
                }
                sql = QStringLiteral("UPDATE ") + quotedName(translation->tables[t].table) + QStringLiteral(" SET ")
                      + assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") + translation->tables[t].key
                      + QStringLiteral(" = ?") + unchanged;
                if (shape)
                    translation->updateSql.insert(shape, sql);
            }
            Statement *statement = connection->statement(sql, source);
            StatementUse use(statement);
            int parameter = 1;
            for (const BoundValue *value : c.values)
                FieldCodec::bind(*statement, parameter++, *value);
            statement->bindInteger(parameter++, key[t]);
            for (const int column : c.setColumns)
                readAtEdit.bind(*statement, parameter++, column);
            stepWrite(statement, source);
            if (statement->changes() == 0)
                changedElsewhere();
        }
    });
    // Rows read on may meet it again where it sorts now (not the last keys:
    // those are not read again).
    if (!complete || (tailed() && position < headEnd))
        edited.insert(std::vector<qint64>(key, key + keyCount));
    forgetRow(position);
}

void Recordset::Impl::changedElsewhere()
{
    // Visiting the row again shows it as it is now.
    forgetRow(position);
    throw errors::changedByAnotherUser();
}

void Recordset::Impl::insertRow()
{
    // The new row goes after the last one; the keys not read yet must come
    // first, and must not meet the new row again.
    readAll();
    const std::vector<TableChanges> changes = groupChanges(*this);
    std::vector<qint64> newKey(size_t(keyCount), nullKey);
    int tablesTouched = 0;
    for (size_t t = 0; t < changes.size(); ++t)
        tablesTouched += (t == 0 || !changes[t].columns.isEmpty()) ? 1 : 0;
    inOneTransaction(*connection, tablesTouched > 1, [&]() {
        for (size_t t = 0; t < changes.size(); ++t) {
            const TableChanges &c = changes[t];
            if (t > 0 && c.columns.isEmpty())
                continue;
            QString sql = QStringLiteral("INSERT INTO ") + quotedName(translation->tables[t].table);
            if (c.columns.isEmpty()) {
                sql += QStringLiteral(" DEFAULT VALUES");
            } else {
                QStringList names, marks;
                for (const QString &column : c.columns) {
                    names << quotedName(column);
                    marks << QStringLiteral("?");
                }
                sql += QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
                       + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
            }
            Statement *statement = connection->insertStatement(sql, translation->tables[t].key, source);
            StatementUse use(statement);
            int parameter = 1;
            for (const BoundValue *value : c.values)
                FieldCodec::bind(*statement, parameter++, *value);
            stepWrite(statement, source);
            newKey[t] = statement->lastInsertId();
        }
    });
    lastId = newKey[0];
    keys.insert(keys.end(), newKey.begin(), newKey.end());
    ++count;
    position = count - 1;
    onDeleted = false;
    forgetRow(position);
}

void Recordset::Impl::deleteCurrent()
{
    currentRow(); // throws when there is none
    const qint64 *key = keyAt(position);
    if (key[0] == nullKey)
        throw errors::noCurrentRecord();
    // The row goes only as it was read: each field of the first table is
    // compared, so a row changed meanwhile elsewhere stays.
    const RawRow read = currentRow();
    QString sql = QStringLiteral("DELETE FROM ") + quotedName(translation->tables[0].table) + QStringLiteral(" WHERE ")
                  + translation->tables[0].key + QStringLiteral(" = ?");
    std::vector<int> compared;
    QStringList names;
    for (size_t c = 0; c < shape->columns.size(); ++c) {
        const ColumnInfo &info = shape->columns[c];
        if (info.tableIndex != 0 || names.contains(info.column))
            continue;
        names << info.column;
        compared.push_back(int(c));
        sql += QStringLiteral(" AND ") + quotedName(info.column) + QStringLiteral(" IS ?");
    }
    Statement *statement = connection->statement(sql, source);
    {
        StatementUse use(statement);
        statement->bindInteger(1, key[0]);
        int parameter = 2;
        for (const int column : compared)
            read.bind(*statement, parameter++, column);
        stepWrite(statement, source);
        if (statement->changes() == 0)
            changedElsewhere();
    }
    keys.erase(keys.begin() + ptrdiff_t(position) * keyCount, keys.begin() + ptrdiff_t(position + 1) * keyCount);
    --count;
    if (tailed()) {
        if (position == found)
            found = -1;
        else if (position < found)
            --found;
        if (position < headEnd) {
            --headEnd;
            --consumed;
        }
        if (position < tailStart)
            --tailStart;
        if (headEnd == tailStart)
            headEnd = -1;
    } else if (!complete) {
        --consumed;
    }
    reach(position); // the row that follows, if any, is the next one
    forgetRows();
    onDeleted = true;
}

} // namespace db
