#include "Formula.h"

#include "FormulaParser.h"
#include "ReportProperties.h"
#include "db/DbError.h"
#include "db/TextFunctions.h"

#include <QDate>
#include <QDateTime>
#include <cmath>

namespace report {

namespace {

bool isNull(const QVariant &v) { return !v.isValid() || v.isNull(); }

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Float:
    case QMetaType::Long: case QMetaType::Short:
        return true;
    default:
        return false;
    }
}

bool isDate(const QVariant &v)
{
    return v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime;
}

QDate asDate(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QString text = v.toString().trimmed();
    QDate d = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid())
        d = QDate::fromString(text.left(10), Qt::ISODate);
    return d;
}

bool numberOf(const QVariant &v, double &out)
{
    if (isNumber(v) || v.typeId() == QMetaType::Bool) {
        out = v.toDouble();
        return true;
    }
    bool ok = false;
    out = v.toString().trimmed().toDouble(&ok);
    return ok;
}

template <class T>
bool ordered(const T &a, const QString &op, const T &b)
{
    if (op == QLatin1String("="))  return a == b;
    if (op == QLatin1String("<>")) return !(a == b);
    if (op == QLatin1String("<"))  return a < b;
    if (op == QLatin1String(">"))  return b < a;
    if (op == QLatin1String("<=")) return !(b < a);
    if (op == QLatin1String(">=")) return !(a < b);
    return false;
}

QVariant arithmetic(const QVariant &left, const QString &op, const QVariant &right)
{
    if (op == QLatin1String("+") && !isNumber(left) && !isNumber(right)
        && (left.typeId() == QMetaType::QString || right.typeId() == QMetaType::QString))
        return left.toString() + right.toString();
    double a = 0, b = 0;
    if (!isNull(left) && !numberOf(left, a))
        return {};
    if (!isNull(right) && !numberOf(right, b))
        return {};
    if (op == QLatin1String("+")) return a + b;
    if (op == QLatin1String("-")) return a - b;
    if (op == QLatin1String("*")) return a * b;
    if (b == 0.0)
        return {};
    return a / b;
}

QVariant eval(const FormulaNode &n, const FormulaContext &ctx)
{
    using K = FormulaNode::Kind;
    switch (n.kind) {
    case K::Literal:
        return n.literal;
    case K::Field:
        return ctx.column(n.column);
    case K::Named:
        return ctx.named(n.name);
    case K::Not:
        return !Formula::truth(eval(*n.args[0], ctx));
    case K::And:
        for (const auto &a : n.args)
            if (!Formula::truth(eval(*a, ctx)))
                return false;
        return true;
    case K::Or:
        for (const auto &a : n.args)
            if (Formula::truth(eval(*a, ctx)))
                return true;
        return false;
    case K::Compare:
        return Formula::compare(eval(*n.args[0], ctx), n.op, eval(*n.args[1], ctx));
    case K::Arith:
        return arithmetic(eval(*n.args[0], ctx), n.op, eval(*n.args[1], ctx));
    case K::Negate: {
        double v = 0;
        const QVariant inner = eval(*n.args[0], ctx);
        if (isNull(inner) || !numberOf(inner, v))
            return {};
        return -v;
    }
    case K::Call:
        if (n.name == QLatin1String("sum") && n.args.size() == 3)
            return ctx.keyedSum(n.args[0]->column, n.args[1]->column, n.args[2]->literal.toInt());
        if (n.name == QLatin1String("sum") || n.name == QLatin1String("count"))
            return ctx.aggregate(n.name, n.args.empty() ? -1 : n.args[0]->column);
        return ctx.special(n.name);
    }
    return {};
}

void collectTables(const FormulaNode &n, QStringList &out)
{
    if (n.kind == FormulaNode::Kind::Field && !out.contains(n.table, Qt::CaseInsensitive))
        out << n.table;
    for (const auto &a : n.args)
        collectTables(*a, out);
}

void bindNode(FormulaNode &n, const FieldResolver &resolver)
{
    if (n.kind == FormulaNode::Kind::Field) {
        n.column = resolver.resolve(n.table, n.name);
        if (n.column < 0)
            throw db::DbError(db::ErrorKind::UnknownName, err::UnknownField,
                              QStringLiteral("Campo sconosciuto nella formula: {%1.%2}").arg(n.table, n.name));
    }
    for (auto &a : n.args)
        bindNode(*a, resolver);
}

} // namespace

Formula::Formula(std::unique_ptr<FormulaNode> root, QString text)
    : m_root(std::move(root)), m_text(std::move(text))
{
}

Formula Formula::parse(const QString &text)
{
    return FormulaParser(text).parse();
}

QStringList Formula::tables() const
{
    QStringList out;
    if (m_root)
        collectTables(*m_root, out);
    return out;
}

void Formula::bind(const FieldResolver &resolver)
{
    if (m_root)
        bindNode(*m_root, resolver);
}

QVariant Formula::evaluate(const FormulaContext &context) const
{
    return m_root ? eval(*m_root, context) : QVariant();
}

bool Formula::test(const FormulaContext &context) const
{
    return !m_root || truth(eval(*m_root, context));
}

bool Formula::toNumber(const QVariant &value, double &out)
{
    return numberOf(value, out);
}

bool Formula::truth(const QVariant &value)
{
    if (isNull(value))
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    double d = 0;
    if (numberOf(value, d))
        return d != 0.0;
    return !value.toString().isEmpty();
}

bool Formula::compare(const QVariant &left, const QString &op, const QVariant &right)
{
    if (isNull(left) || isNull(right))
        return false;
    if (left.typeId() == QMetaType::Bool || right.typeId() == QMetaType::Bool)
        return ordered(truth(left), op, truth(right));
    if (isDate(left) || isDate(right)) {
        const QDate a = asDate(left), b = asDate(right);
        if (!a.isValid() || !b.isValid())
            return false;
        return ordered(a, op, b);
    }
    double a = 0, b = 0;
    if ((isNumber(left) || isNumber(right)) && numberOf(left, a) && numberOf(right, b))
        return ordered(a, op, b);
    // Text compares as the database's collation does, so that a condition
    // handed to the database selects the same rows: case does not matter,
    // accented letters sort next to their base letter.
    const int c = db::compareText(left.toString(), right.toString());
    return ordered(c, op, 0);
}

} // namespace report
