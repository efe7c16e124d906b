#pragma once

#include "FormulaContext.h"
#include "FormulaNode.h"

#include <QStringList>
#include <memory>

namespace report {

// A parsed formula of the report language. The empty formula selects every
// record.
class Formula {
public:
    Formula() = default;
    explicit Formula(std::unique_ptr<FormulaNode> root, QString text = QString());
    Formula(Formula &&) noexcept = default;
    Formula &operator=(Formula &&) noexcept = default;

    // Parses `text`; throws db::DbError (report::err::FormulaInvalid) with the
    // position and what was expected.
    static Formula parse(const QString &text);

    bool isEmpty() const { return !m_root; }
    QString text() const { return m_text; }
    const FormulaNode *root() const { return m_root.get(); }

    // The table names written in the formula's fields, as written.
    QStringList tables() const;

    // Ties every field to its column; throws db::DbError
    // (report::err::UnknownField) naming the first unknown field.
    void bind(const FieldResolver &resolver);

    QVariant evaluate(const FormulaContext &context) const;
    // The formula as a condition: the empty formula is true, Null is false.
    bool test(const FormulaContext &context) const;

    // Comparison of two values as the language does it; Null compares false.
    static bool compare(const QVariant &left, const QString &op, const QVariant &right);
    static bool truth(const QVariant &value);
    // A value read as a number as comparisons read it (numbers, yes/no, numeric text).
    static bool toNumber(const QVariant &value, double &out);

private:
    std::unique_ptr<FormulaNode> m_root;
    QString m_text;
};

} // namespace report
