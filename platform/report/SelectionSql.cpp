#include "SelectionSql.h"

#include <QDate>
#include <QHash>
#include <optional>

namespace report {

namespace {

using db::FieldKind;
using db::Literal;
using Kind = FormulaNode::Kind;

// Terms of one chain the statement takes at most: the database refuses
// expressions much longer. A longer chain is tested on the rows.
constexpr int kMaxOrTerms = 200;

bool isNumericKind(FieldKind k)
{
    return k == FieldKind::Counter || k == FieldKind::Long || k == FieldKind::Number;
}

QString flipped(const QString &op)
{
    if (op == QLatin1String("<")) return QStringLiteral(">");
    if (op == QLatin1String(">")) return QStringLiteral("<");
    if (op == QLatin1String("<=")) return QStringLiteral(">=");
    if (op == QLatin1String(">=")) return QStringLiteral("<=");
    return op;
}

Literal integerLiteral(qint64 v)
{
    Literal l;
    l.type = Literal::Type::Integer;
    l.integer = v;
    return l;
}

Literal numberLiteral(double v)
{
    if (std::abs(v) < 9.0e15 && double(qint64(v)) == v)
        return integerLiteral(qint64(v));
    Literal l;
    l.type = Literal::Type::Real;
    l.real = v;
    return l;
}

Literal textLiteral(const QString &text)
{
    Literal l;
    l.type = Literal::Type::Text;
    l.text = text;
    return l;
}

// The day a literal stands for when compared with a date, as the formula
// reads it; invalid when it is no date (the comparison is then false).
QDate dayOf(const QVariant &literal)
{
    if (literal.typeId() == QMetaType::QDate)
        return literal.toDate();
    const QString text = literal.toString().trimmed();
    QDate d = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid())
        d = QDate::fromString(text.left(10), Qt::ISODate);
    return d;
}

class Compiler {
public:
    explicit Compiler(const std::vector<SqlColumn> &columns) : m_columns(columns) {}
    std::vector<Literal> parameters;

    std::optional<QString> condition(const FormulaNode &n)
    {
        // The database's parser refuses a statement nested much deeper (a
        // formula may nest further): such a part is tested on the rows.
        if (m_nesting >= kMaxNesting)
            return std::nullopt;
        const Nesting nesting(m_nesting);
        switch (n.kind) {
        case Kind::And: {
            if (n.args.size() > size_t(kMaxOrTerms))
                return std::nullopt;
            QStringList parts;
            for (const auto &a : n.args) {
                const auto sql = condition(*a);
                if (!sql) return std::nullopt;
                parts << *sql;
            }
            return QLatin1Char('(') + parts.join(QStringLiteral(" AND ")) + QLatin1Char(')');
        }
        case Kind::Or:
            return anyOf(n);
        case Kind::Not: {
            // Null is false before "not" turns it round, as in the formula.
            const auto a = condition(*n.args[0]);
            if (!a) return std::nullopt;
            return QStringLiteral("NOT coalesce(%1, 0)").arg(*a);
        }
        case Kind::Compare:
            return compare(n);
        case Kind::Literal:
            return Formula::truth(n.literal) ? QStringLiteral("1") : QStringLiteral("0");
        case Kind::Field: {
            const SqlColumn *c = column(n);
            if (c && (c->kind == FieldKind::YesNo || isNumericKind(c->kind)))
                return QStringLiteral("(%1 <> 0)").arg(c->expression);
            return std::nullopt;
        }
        default:
            return std::nullopt;
        }
    }

private:
    // A chain of "or" (a list of codes from a search window can hold
    // thousands) becomes one flat list, equalities on one column an IN list,
    // so the statement stays shallow whatever the length.
    std::optional<QString> anyOf(const FormulaNode &n)
    {
        std::vector<const FormulaNode *> terms, pending {&n};
        while (!pending.empty()) {
            const FormulaNode *t = pending.back();
            pending.pop_back();
            if (t->kind == Kind::Or) {
                for (auto a = t->args.rbegin(); a != t->args.rend(); ++a)
                    pending.push_back(a->get());
            } else {
                terms.push_back(t);
            }
        }
        QStringList parts;
        std::vector<Literal> params;
        QHash<QString, QStringList> inLists;   // column expression -> its "?"
        QHash<QString, std::vector<Literal>> inParams;
        QStringList inOrder;
        for (const FormulaNode *t : terms) {
            std::vector<Literal> saved;
            saved.swap(parameters);
            const auto sql = condition(*t);
            std::vector<Literal> own;
            own.swap(parameters);
            parameters.swap(saved);
            if (!sql)
                return std::nullopt;
            const QString inColumn = equalityColumn(*t, *sql);
            if (!inColumn.isEmpty() && own.size() == 1) {
                if (!inLists.contains(inColumn))
                    inOrder << inColumn;
                inLists[inColumn] << QStringLiteral("?");
                inParams[inColumn].push_back(own.front());
                continue;
            }
            parts << *sql;
            params.insert(params.end(), own.begin(), own.end());
        }
        if (parts.size() > kMaxOrTerms)
            return std::nullopt;   // too deep for the statement: tested on the rows
        for (const QString &col : inOrder) {
            const QStringList &marks = inLists[col];
            const std::vector<Literal> &values = inParams[col];
            for (qsizetype from = 0; from < marks.size(); from += kInChunk) {
                const qsizetype count = qMin<qsizetype>(kInChunk, marks.size() - from);
                parts << QStringLiteral("%1 IN (%2)").arg(col, marks.mid(from, count).join(QStringLiteral(", ")));
                params.insert(params.end(), values.begin() + from, values.begin() + from + count);
            }
        }
        if (parts.size() > kMaxOrTerms)
            return std::nullopt;
        parameters.insert(parameters.end(), params.begin(), params.end());
        return QLatin1Char('(') + parts.join(QStringLiteral(" OR ")) + QLatin1Char(')');
    }

    // "col = ?" as compare() writes it for a number or a text: the part
    // before " = ?" (with its collation), else empty.
    static QString equalityColumn(const FormulaNode &n, const QString &sql)
    {
        if (n.kind != Kind::Compare || n.op != QLatin1String("=") || !sql.endsWith(QLatin1String(" = ?"))
            || sql.startsWith(QLatin1Char('(')))
            return {};
        return sql.left(sql.size() - 4);
    }

    static constexpr int kInChunk = 500;
    static constexpr int kMaxNesting = 8;

    struct Nesting {
        explicit Nesting(int &level) : m_level(++level) {}
        ~Nesting() { --m_level; }
        int &m_level;
    };
    int m_nesting = 0;

    const SqlColumn *column(const FormulaNode &n) const
    {
        if (n.kind != Kind::Field || n.column < 0 || n.column >= int(m_columns.size()))
            return nullptr;
        return &m_columns[size_t(n.column)];
    }

    QString param(Literal l)
    {
        parameters.push_back(std::move(l));
        return QStringLiteral("?");
    }

    std::optional<QString> compare(const FormulaNode &n)
    {
        const FormulaNode *field = n.args[0].get();
        const FormulaNode *value = n.args[1].get();
        QString op = n.op;
        if (field->kind == Kind::Literal && value->kind == Kind::Field) {
            std::swap(field, value);
            op = flipped(op);
        }
        const SqlColumn *c = column(*field);
        if (!c || value->kind != Kind::Literal)
            return std::nullopt;
        const QVariant &v = value->literal;
        const QString &col = c->expression;
        const bool literalBool = v.typeId() == QMetaType::Bool;

        if (c->kind == FieldKind::YesNo || literalBool) {
            if (c->kind != FieldKind::YesNo && !isNumericKind(c->kind))
                return std::nullopt;
            return QStringLiteral("(%1 <> 0) %2 %3").arg(col, op, param(integerLiteral(Formula::truth(v) ? 1 : 0)));
        }
        if (c->kind == FieldKind::Date || v.typeId() == QMetaType::QDate) {
            if (c->kind != FieldKind::Date)
                return std::nullopt;
            const QDate day = dayOf(v);
            if (!day.isValid())
                return QStringLiteral("0");
            return dateRange(col, op, day);
        }
        double number = 0;
        if (isNumericKind(c->kind)) {
            if (!Formula::toNumber(v, number))
                return std::nullopt;   // text against the number's digits: left to the rows
            return QStringLiteral("%1 %2 %3").arg(col, op, param(numberLiteral(number)));
        }
        if (c->kind == FieldKind::Text && v.typeId() == QMetaType::QString)
            return QStringLiteral("%1 COLLATE TESTO %2 %3").arg(col, op, param(textLiteral(v.toString())));
        return std::nullopt;
    }

    // Stored dates are ISO text, with a time or without: the day D holds the
    // texts from "D" up to (not including) the next day.
    std::optional<QString> dateRange(const QString &col, const QString &op, const QDate &day)
    {
        const QString from = day.toString(Qt::ISODate);
        const QString to = day.addDays(1).toString(Qt::ISODate);
        if (op == QLatin1String(">="))
            return QStringLiteral("%1 >= %2").arg(col, param(textLiteral(from)));
        if (op == QLatin1String(">"))
            return QStringLiteral("%1 >= %2").arg(col, param(textLiteral(to)));
        if (op == QLatin1String("<"))
            return QStringLiteral("%1 < %2").arg(col, param(textLiteral(from)));
        if (op == QLatin1String("<="))
            return QStringLiteral("%1 < %2").arg(col, param(textLiteral(to)));
        if (op == QLatin1String("=")) {
            const QString a = param(textLiteral(from));
            return QStringLiteral("(%1 >= %2 AND %1 < %3)").arg(col, a, param(textLiteral(to)));
        }
        if (op == QLatin1String("<>")) {
            const QString a = param(textLiteral(from));
            return QStringLiteral("(%1 < %2 OR %1 >= %3)").arg(col, a, param(textLiteral(to)));
        }
        return std::nullopt;
    }

    const std::vector<SqlColumn> &m_columns;
};

void conjuncts(const FormulaNode &n, std::vector<const FormulaNode *> &out)
{
    if (n.kind == Kind::And) {
        for (const auto &a : n.args)
            conjuncts(*a, out);
    } else {
        out.push_back(&n);
    }
}

} // namespace

SelectionSql SelectionSql::compile(const Formula &selection, const std::vector<SqlColumn> &columns)
{
    SelectionSql out;
    if (selection.isEmpty())
        return out;
    std::vector<const FormulaNode *> terms;
    conjuncts(*selection.root(), terms);
    QStringList parts;
    for (const FormulaNode *term : terms) {
        if (parts.size() >= kMaxOrTerms) {
            out.complete = false;
            break;
        }
        Compiler compiler(columns);
        const auto sql = compiler.condition(*term);
        if (!sql) {
            out.complete = false;
            continue;
        }
        parts << *sql;
        for (auto &p : compiler.parameters)
            out.parameters.push_back(std::move(p));
    }
    out.where = parts.join(QStringLiteral(" AND "));
    return out;
}

} // namespace report
