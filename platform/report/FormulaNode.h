#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace report {

// One node of a parsed formula. Values typed by the user stay in `literal`:
// they are compared with the data, never pasted into a statement.
struct FormulaNode {
    enum class Kind {
        Literal,   // number, text, true/false, date(y,m,d)
        Field,     // {table.field}; `column` is set when the formula is bound
        Named,     // {@Name}: a named formula of the report
        Not,
        And, Or,   // a chain: two or more args
        Compare,   // op: = <> < > <= >=
        Arith,     // op: + - * /
        Negate,
        Call       // name: sum, count, page, pages
    };

    Kind kind = Kind::Literal;
    QVariant literal;
    QString table;   // Field
    QString name;    // Field: field name; Named and Call: the name
    QString op;      // Compare, Arith
    int column = -1; // Field, after binding
    int height = 0;  // operators from this node down (0: a value)
    std::vector<std::unique_ptr<FormulaNode>> args;
};

} // namespace report
