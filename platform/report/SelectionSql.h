#pragma once

#include "Formula.h"
#include "db/LegacyLexer.h"
#include "db/SchemaCatalog.h"

#include <QString>
#include <vector>

namespace report {

// A column of a report's statement as a condition can name it.
struct SqlColumn {
    QString expression;      // "table"."field", as SQLite reads it
    db::FieldKind kind = db::FieldKind::Unknown;
};

// A bound selection formula turned into the WHERE of the report's statement.
// Values stay parameters; only column names and operators become text.
//
// Each term joined by the formula's outer "and" is translated on its own; a
// term whose meaning SQL cannot reproduce exactly (a field against a field,
// arithmetic, named formulas, a text field against a number...) is left out
// and `complete` turns false: the caller then tests the whole formula on the
// rows the narrower WHERE returns.
//
// The translation keeps the formula's rules: a Null field compares false,
// also under "not"; text compares with the collation of the database (case
// ignored, accented letters next to their base letter); a date compares by
// its day, whatever time is stored with it.
struct SelectionSql {
    QString where;                        // empty: no condition
    std::vector<db::Literal> parameters;  // in the order of the "?" in `where`
    bool complete = true;

    static SelectionSql compile(const Formula &selection, const std::vector<SqlColumn> &columns);
};

} // namespace report
