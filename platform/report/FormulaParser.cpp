#include "FormulaParser.h"

#include "ReportProperties.h"
#include "db/DbError.h"

#include <QDate>
#include <algorithm>

namespace report {

namespace {

std::unique_ptr<FormulaNode> node(FormulaNode::Kind kind)
{
    auto n = std::make_unique<FormulaNode>();
    n->kind = kind;
    return n;
}

std::unique_ptr<FormulaNode> binary(FormulaNode::Kind kind, const QString &op,
                                    std::unique_ptr<FormulaNode> l, std::unique_ptr<FormulaNode> r)
{
    auto n = node(kind);
    n->op = op;
    n->args.push_back(std::move(l));
    n->args.push_back(std::move(r));
    return n;
}

QString tooDeep()
{
    return QStringLiteral("troppi livelli annidati (al massimo %1)").arg(FormulaParser::maxDepth);
}

} // namespace

// One more level of nesting for as long as it lives.
class FormulaParser::Level {
public:
    explicit Level(FormulaParser &parser) : m_parser(parser)
    {
        if (++m_parser.m_depth > maxDepth)
            m_parser.fail(m_parser.m_tok.pos, tooDeep());
    }
    ~Level() { --m_parser.m_depth; }
    Level(const Level &) = delete;
    Level &operator=(const Level &) = delete;
private:
    FormulaParser &m_parser;
};

FormulaParser::FormulaParser(const QString &text) : m_text(text) {}

Formula FormulaParser::parse()
{
    m_pos = 0;
    m_depth = 0;
    next();
    if (m_tok.kind == Tok::End)
        return Formula();
    auto root = parseOr();
    if (m_tok.kind != Tok::End)
        fail(m_tok.pos, QStringLiteral("testo inatteso \"%1\"").arg(m_text.mid(m_tok.pos, 20)));
    return Formula(std::move(root), m_text);
}

void FormulaParser::fail(int pos, const QString &what) const
{
    throw db::DbError(db::ErrorKind::Syntax, err::FormulaInvalid,
                      QStringLiteral("Errore nella formula (posizione %1): %2.").arg(pos + 1).arg(what));
}

std::unique_ptr<FormulaNode> FormulaParser::grown(std::unique_ptr<FormulaNode> node, int pos) const
{
    for (const auto &arg : node->args)
        node->height = std::max(node->height, arg->height + 1);
    if (node->height > maxDepth)
        fail(pos, tooDeep());
    return node;
}

bool FormulaParser::isWord(const char *word) const
{
    return m_tok.kind == Tok::Word && m_tok.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool FormulaParser::isOp(const char *op) const
{
    return m_tok.kind == Tok::Op && m_tok.text == QLatin1String(op);
}

void FormulaParser::next()
{
    const int n = int(m_text.size());
    while (m_pos < n && m_text.at(m_pos).isSpace())
        ++m_pos;
    m_tok = Token();
    m_tok.pos = m_pos;
    if (m_pos >= n)
        return;
    const QChar c = m_text.at(m_pos);
    if (c == QLatin1Char('{')) {
        const int close = int(m_text.indexOf(QLatin1Char('}'), m_pos + 1));
        if (close < 0)
            fail(m_pos, QStringLiteral("manca la \"}\" del campo"));
        const QString inner = m_text.mid(m_pos + 1, close - m_pos - 1).trimmed();
        m_pos = close + 1;
        if (inner.startsWith(QLatin1Char('@'))) {
            m_tok.kind = Tok::Named;
            m_tok.text = inner.mid(1).trimmed();
            if (m_tok.text.isEmpty())
                fail(m_tok.pos, QStringLiteral("nome di formula mancante"));
            return;
        }
        const int dot = int(inner.lastIndexOf(QLatin1Char('.')));
        m_tok.kind = Tok::Field;
        m_tok.table = inner.left(qMax(dot, 0)).trimmed();
        m_tok.text = inner.mid(dot + 1).trimmed();
        if (dot <= 0 || m_tok.table.isEmpty() || m_tok.text.isEmpty())
            fail(m_tok.pos, QStringLiteral("campo non valido \"{%1}\", atteso {tabella.campo}").arg(inner));
        return;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
        QString value;
        int i = m_pos + 1;
        for (;;) {
            if (i >= n)
                fail(m_tok.pos, QStringLiteral("testo tra virgolette non chiuso"));
            if (m_text.at(i) == c) {
                if (i + 1 < n && m_text.at(i + 1) == c) {   // doubled quote
                    value += c;
                    i += 2;
                    continue;
                }
                break;
            }
            value += m_text.at(i++);
        }
        m_pos = i + 1;
        m_tok.kind = Tok::String;
        m_tok.text = value;
        return;
    }
    if (c.isDigit() || (c == QLatin1Char('.') && m_pos + 1 < n && m_text.at(m_pos + 1).isDigit())) {
        int i = m_pos;
        bool dot = false;
        while (i < n && (m_text.at(i).isDigit() || (m_text.at(i) == QLatin1Char('.') && !dot))) {
            if (m_text.at(i) == QLatin1Char('.'))
                dot = true;
            ++i;
        }
        m_tok.kind = Tok::Number;
        m_tok.text = m_text.mid(m_pos, i - m_pos);
        m_tok.number = m_tok.text.toDouble();
        m_pos = i;
        return;
    }
    if (c.isLetter() || c == QLatin1Char('_')) {
        int i = m_pos;
        while (i < n && (m_text.at(i).isLetterOrNumber() || m_text.at(i) == QLatin1Char('_')))
            ++i;
        m_tok.kind = Tok::Word;
        m_tok.text = m_text.mid(m_pos, i - m_pos);
        m_pos = i;
        return;
    }
    static const char *const twoChar[] = {"<>", "<=", ">="};
    for (const char *op : twoChar) {
        if (m_text.mid(m_pos, 2) == QLatin1String(op)) {
            m_tok.kind = Tok::Op;
            m_tok.text = QLatin1String(op);
            m_pos += 2;
            return;
        }
    }
    m_pos += 1;
    switch (c.unicode()) {
    case '(': m_tok.kind = Tok::LParen; return;
    case ')': m_tok.kind = Tok::RParen; return;
    case ',': m_tok.kind = Tok::Comma; return;
    case '=': case '<': case '>': case '+': case '-': case '*': case '/':
        m_tok.kind = Tok::Op;
        m_tok.text = c;
        return;
    default:
        fail(m_tok.pos, QStringLiteral("carattere non valido \"%1\"").arg(c));
    }
}

void FormulaParser::expect(Tok kind, const QString &what)
{
    if (m_tok.kind != kind)
        fail(m_tok.pos, QStringLiteral("atteso %1").arg(what));
    next();
}

// A search window's list joins thousands of conditions with "or": a chain
// is one node with every term, one level deep whatever its length.
std::unique_ptr<FormulaNode> FormulaParser::parseOr()
{
    auto first = parseAnd();
    if (!isWord("or"))
        return first;
    const int pos = m_tok.pos;
    auto n = node(FormulaNode::Kind::Or);
    n->args.push_back(std::move(first));
    while (isWord("or")) {
        next();
        n->args.push_back(parseAnd());
    }
    return grown(std::move(n), pos);
}

std::unique_ptr<FormulaNode> FormulaParser::parseAnd()
{
    auto first = parseNot();
    if (!isWord("and"))
        return first;
    const int pos = m_tok.pos;
    auto n = node(FormulaNode::Kind::And);
    n->args.push_back(std::move(first));
    while (isWord("and")) {
        next();
        n->args.push_back(parseNot());
    }
    return grown(std::move(n), pos);
}

std::unique_ptr<FormulaNode> FormulaParser::parseNot()
{
    if (isWord("not")) {
        const Level level(*this);
        const int pos = m_tok.pos;
        next();
        auto n = node(FormulaNode::Kind::Not);
        n->args.push_back(parseNot());
        return grown(std::move(n), pos);
    }
    return parseCompare();
}

std::unique_ptr<FormulaNode> FormulaParser::parseCompare()
{
    auto left = parseAdd();
    if (isOp("=") || isOp("<>") || isOp("<") || isOp(">") || isOp("<=") || isOp(">=")) {
        const QString op = m_tok.text;
        const int pos = m_tok.pos;
        next();
        return grown(binary(FormulaNode::Kind::Compare, op, std::move(left), parseAdd()), pos);
    }
    return left;
}

std::unique_ptr<FormulaNode> FormulaParser::parseAdd()
{
    auto left = parseMul();
    while (isOp("+") || isOp("-")) {
        const QString op = m_tok.text;
        const int pos = m_tok.pos;
        next();
        left = grown(binary(FormulaNode::Kind::Arith, op, std::move(left), parseMul()), pos);
    }
    return left;
}

std::unique_ptr<FormulaNode> FormulaParser::parseMul()
{
    auto left = parseUnary();
    while (isOp("*") || isOp("/")) {
        const QString op = m_tok.text;
        const int pos = m_tok.pos;
        next();
        left = grown(binary(FormulaNode::Kind::Arith, op, std::move(left), parseUnary()), pos);
    }
    return left;
}

std::unique_ptr<FormulaNode> FormulaParser::parseUnary()
{
    if (isOp("-")) {
        const Level level(*this);
        const int pos = m_tok.pos;
        next();
        auto n = node(FormulaNode::Kind::Negate);
        n->args.push_back(parseUnary());
        return grown(std::move(n), pos);
    }
    return parsePrimary();
}

std::unique_ptr<FormulaNode> FormulaParser::parsePrimary()
{
    const Token t = m_tok;
    switch (t.kind) {
    case Tok::Number: {
        next();
        auto n = node(FormulaNode::Kind::Literal);
        n->literal = t.number;
        return n;
    }
    case Tok::String: {
        next();
        auto n = node(FormulaNode::Kind::Literal);
        n->literal = t.text;
        return n;
    }
    case Tok::Field: {
        next();
        auto n = node(FormulaNode::Kind::Field);
        n->table = t.table;
        n->name = t.text;
        return n;
    }
    case Tok::Named: {
        next();
        auto n = node(FormulaNode::Kind::Named);
        n->name = t.text;
        return n;
    }
    case Tok::LParen: {
        const Level level(*this);
        next();
        auto inner = parseOr();
        expect(Tok::RParen, QStringLiteral("\")\""));
        return inner;
    }
    case Tok::Word:
        if (isWord("true") || isWord("false")) {
            next();
            auto n = node(FormulaNode::Kind::Literal);
            n->literal = t.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            return n;
        }
        if (isWord("and") || isWord("or") || isWord("not"))
            fail(t.pos, QStringLiteral("atteso un valore prima di \"%1\"").arg(t.text));
        next();
        return parseCall(t);
    case Tok::End:
        fail(t.pos, QStringLiteral("la formula finisce dove è atteso un valore"));
    default:
        fail(t.pos, QStringLiteral("atteso un valore"));
    }
}

std::unique_ptr<FormulaNode> FormulaParser::parseCall(const Token &name)
{
    const QString fn = name.text.toLower();
    if (fn != QLatin1String("date") && fn != QLatin1String("sum") && fn != QLatin1String("count")
        && fn != QLatin1String("page") && fn != QLatin1String("pages") && fn != QLatin1String("today"))
        fail(name.pos, QStringLiteral("parola sconosciuta \"%1\"").arg(name.text));
    expect(Tok::LParen, QStringLiteral("\"(\" dopo %1").arg(name.text));
    if (fn == QLatin1String("date")) {
        int parts[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            if (m_tok.kind != Tok::Number || m_tok.text.contains(QLatin1Char('.')))
                fail(m_tok.pos, QStringLiteral("date() vuole anno, mese e giorno interi"));
            parts[i] = int(m_tok.number);
            next();
            if (i < 2)
                expect(Tok::Comma, QStringLiteral("\",\" in date()"));
        }
        const QDate d(parts[0], parts[1], parts[2]);
        if (!d.isValid())
            fail(name.pos, QStringLiteral("data inesistente %1,%2,%3").arg(parts[0]).arg(parts[1]).arg(parts[2]));
        expect(Tok::RParen, QStringLiteral("\")\" dopo date("));
        auto n = node(FormulaNode::Kind::Literal);
        n->literal = d;
        return n;
    }
    auto n = node(FormulaNode::Kind::Call);
    n->name = fn;
    if (fn == QLatin1String("sum")) {
        if (m_tok.kind != Tok::Field)
            fail(m_tok.pos, QStringLiteral("sum() vuole un campo {tabella.campo}"));
        n->args.push_back(parsePrimary());
        // sum({field}, {key}, k): the sum over the rows whose key is the k-th
        // of the distinct keys in scope, in ascending order.
        if (m_tok.kind == Tok::Comma) {
            next();
            if (m_tok.kind != Tok::Field)
                fail(m_tok.pos, QStringLiteral("sum() vuole come secondo argomento un campo {tabella.campo}"));
            n->args.push_back(parsePrimary());
            expect(Tok::Comma, QStringLiteral("\",\" in sum()"));
            if (m_tok.kind != Tok::Number || m_tok.text.contains(QLatin1Char('.')) || m_tok.number < 1)
                fail(m_tok.pos, QStringLiteral("sum() vuole come terzo argomento un numero intero da 1 in su"));
            auto k = node(FormulaNode::Kind::Literal);
            k->literal = int(m_tok.number);
            next();
            n->args.push_back(std::move(k));
        }
    }
    expect(Tok::RParen, QStringLiteral("\")\""));
    return n;
}

} // namespace report
