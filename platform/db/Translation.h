#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace db {

struct RowShape;
class Statement;

// A prepared statement remembered where it is used, valid while the
// connection's statement cache has not been emptied since.
struct CachedStatement {
    Statement *statement = nullptr;
    quint64 generation = 0;
};

// A table named in the from clause of a select.
struct FromTable {
    QString table;      // schema spelling
    QString reference;  // how the statement refers to it: quoted alias or name
    bool nullable = false; // right side of an outer join: its key may be Null
    QString key = QStringLiteral("rowid"); // the column that keys its rows (TableMeta::rowKey)
};

// One legacy statement (or criterion) in the form it runs on SQLite, with
// one parameter per literal of the source, in the order of the source.
struct Translation {
    enum class Kind { Select, Action, Schema, Expression };
    Kind kind = Kind::Select;
    QString sql;            // the whole statement (select: with its row keys)
    // Server only: run after an insert that wrote a counter itself, to move
    // the identity past it.
    QString counterAdvance;
    int parameterCount = 0;

    // Select only. A keyed select names plain tables and has no grouping:
    // each row is known by the rowids of its tables, appended as hidden
    // columns, so rows can be fetched again, updated and deleted.
    bool keyed = false;
    QString selectList;     // with a leading "DISTINCT " when so written
    QString from;
    QString where;          // empty when there is none
    QString orderBy;        // with the row keys appended as tie breakers
    QString limit;
    int selectListLiterals = 0; // literals in the select list ...
    int fromLiterals = 0;       // ... in the from clause ...
    int whereLiterals = 0;      // ... in the where clause
    std::vector<FromTable> tables;
    bool orderNeedsSelectList = false; // the order by names a result column
    QString keyColumns;     // "ref".rowid, ... ; empty when not keyed
    QString fetchSql;       // one row by its keys

    // The pages of a keyed set without a filter, with and without the
    // select list, made the first time they are needed.
    mutable QString pageSqlWithColumns;
    mutable QString pageSqlKeys;
    mutable CachedStatement pageWithColumns;
    mutable CachedStatement pageKeys;
    // The first page of a set without a filter: its limit written in the
    // text, no offset, so that the server plans a lookup once and reuses
    // the plan (a limit and an offset it is not told make it plan every
    // run anew).
    mutable QString firstPageSql;
    mutable qint64 firstPageLimit = -1;
    mutable CachedStatement firstPage;
    // Updates of one row by its key, by the fields they write.
    mutable QHash<quint64, QString> updateSql;

    // Column layout of the select, filled the first time it runs.
    mutable std::shared_ptr<const RowShape> shape;

    // What a criterion on this set's rows needs to know of it: the tables
    // and the aliases of text columns ("T:name" and "A:alias", by lines).
    QString criterionContext;
    // Literals compared with a text key: bound already folded (foldedText),
    // so that a lookup computes no key of its value in SQL.
    std::vector<int> foldedLiterals;
    int keyCount() const { return keyed ? int(tables.size()) : 0; }
};

} // namespace db
