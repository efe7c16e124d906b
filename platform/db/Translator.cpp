#include "Translator.h"

#include "EngineErrors.h"
#include "SchemaCatalog.h"
#include "TextFunctions.h"
#include "TextKeys.h"

#include <algorithm>

namespace db {

namespace {

bool equalsWord(QStringView text, const char *word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isOneOf(QStringView text, std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (equalsWord(text, w))
            return true;
    return false;
}

const char *const fromStopWords[] = {"where", "group", "having", "order", "union", "intersect", "except", "limit"};

bool isJoinWord(QStringView text)
{
    return isOneOf(text, {"inner", "left", "right", "full", "cross", "natural", "join", "outer"});
}

bool isAggregate(QStringView text)
{
    return isOneOf(text, {"count", "max", "min", "sum", "avg", "total", "group_concat", "first", "last",
                          "stdev", "stdevp", "var", "varp"});
}

// Legacy function names that SQLite spells differently.
QString functionName(QStringView name)
{
    if (equalsWord(name, "ucase"))
        return QStringLiteral("upper");
    if (equalsWord(name, "lcase"))
        return QStringLiteral("lower");
    if (equalsWord(name, "len"))
        return QStringLiteral("length");
    if (equalsWord(name, "nz"))
        return QStringLiteral("ifnull");
    if (equalsWord(name, "mid"))
        return QStringLiteral("substr");
    return name.toString();
}

// Words that end a table reference in a from clause (never an alias).
bool isClauseWord(QStringView text)
{
    return isJoinWord(text)
           || isOneOf(text, {"where", "order", "group", "having", "on", "union", "intersect", "except", "limit", "set",
                             "values", "select", "from", "and", "or", "as", "by", "into"});
}

// Operators that bind tighter than "=": an operand next to one of them is
// part of a larger expression.
bool bindsTighter(QStringView punct)
{
    return punct != QLatin1String("(") && punct != QLatin1String(")") && punct != QLatin1String(",");
}

} // namespace

QString quotedName(const QString &name)
{
    QString out;
    out.reserve(name.size() + 2);
    out.append(QLatin1Char('"'));
    for (QChar c : name) {
        out.append(c);
        if (c == QLatin1Char('"'))
            out.append(c);
    }
    out.append(QLatin1Char('"'));
    return out;
}

Translator::Translator(const SchemaCatalog &catalog, const QString &source, const LexedText &lexed,
                       const QString &context, bool server)
    : m_catalog(catalog), m_server(server), m_source(source), m_lexed(lexed), m_count(int(lexed.tokens.size()))
{
    findStatementTables();
    for (const QString &line : context.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("T:"))) {
            if (const TableMeta *table = m_catalog.table(QStringView(line).mid(2)))
                if (std::find(m_tables.begin(), m_tables.end(), table) == m_tables.end())
                    m_tables.push_back(table);
        } else if (line.startsWith(QLatin1String("A:"))) {
            m_textAliases.insert(SchemaCatalog::fold(QStringView(line).mid(2)));
        } else if (line.startsWith(QLatin1String("X:"))) {
            const qsizetype tab = line.indexOf(QLatin1Char('\t'));
            m_aliasColumns.insert(SchemaCatalog::fold(QStringView(line).mid(2, tab - 2)), line.mid(tab + 1));
        }
    }
}

QString Translator::contextOf(int selectStart, int selectEnd) const
{
    QString context;
    for (const TableMeta *table : m_tables)
        context += QStringLiteral("T:") + table->name + QLatin1Char('\n');
    for (int i = selectStart + 1; i + 1 < selectEnd; ++i) {
        if (!isWord(i, "as"))
            continue;
        const int first = isPunct(i - 2, ".") ? i - 3 : i - 1;
        const QString alias = LegacyLexer::text(m_source, m_lexed.tokens[size_t(i + 1)]).toString();
        if (textColumnEnd(first) == i)
            context += QStringLiteral("A:") + alias + QLatin1Char('\n');
        // The server reads no alias of the select list in a condition: a
        // criterion names the column itself.
        const bool column = m_lexed.tokens[size_t(first)].kind != Token::Kind::Literal
                            && (first == i - 1 || first == i - 3) && (first == selectStart || isPunct(first - 1, ","));
        if (m_server && column)
            context += QStringLiteral("X:") + alias + QLatin1Char('\t') + emit(first, i) + QLatin1Char('\n');
    }
    return context;
}

void Translator::findStatementTables()
{
    for (int i = 0; i < m_count; ++i) {
        const Token &t = m_lexed.tokens[size_t(i)];
        if ((t.kind != Token::Kind::Word && t.kind != Token::Kind::Bracketed) || isPunct(i - 1, ".")
            || isPunct(i + 1, ".") || isPunct(i + 1, "("))
            continue;
        const TableMeta *table = m_catalog.table(LegacyLexer::text(m_source, t));
        if (!table)
            continue;
        if (std::find(m_tables.begin(), m_tables.end(), table) == m_tables.end())
            m_tables.push_back(table);
        int next = isWord(i + 1, "as") ? i + 2 : i + 1;
        if (next < m_count) {
            const Token &a = m_lexed.tokens[size_t(next)];
            const QStringView alias = LegacyLexer::text(m_source, a);
            if ((a.kind == Token::Kind::Word && !isClauseWord(alias)) || a.kind == Token::Kind::Bracketed)
                m_aliases.insert(SchemaCatalog::fold(alias), table);
        }
    }
}

int Translator::textColumnEnd(int index) const
{
    if (index < 0 || index >= m_count || isPunct(index - 1, "."))
        return -1;
    const auto isName = [this](int i) {
        if (i >= m_count)
            return false;
        const Token::Kind kind = m_lexed.tokens[size_t(i)].kind;
        return kind == Token::Kind::Word || kind == Token::Kind::Bracketed;
    };
    if (!isName(index))
        return -1;
    const QStringView first = LegacyLexer::text(m_source, m_lexed.tokens[size_t(index)]);
    std::vector<const TableMeta *> candidates;
    QStringView column;
    int end;
    if (isPunct(index + 1, ".")) {
        if (!isName(index + 2) || isPunct(index + 3, "(") || isPunct(index + 3, "."))
            return -1;
        column = LegacyLexer::text(m_source, m_lexed.tokens[size_t(index + 2)]);
        end = index + 3;
        const TableMeta *table = m_aliases.value(SchemaCatalog::fold(first));
        if (!table)
            table = m_catalog.table(first);
        if (table)
            candidates.push_back(table);
    } else {
        if (isPunct(index + 1, "(") || m_catalog.table(first))
            return -1;
        if (m_textAliases.contains(SchemaCatalog::fold(first)))
            return index + 1;
        column = first;
        end = index + 1;
    }
    if (candidates.empty()) {
        // A name alone: the tables of the statement that have it, or (a
        // criterion without its statement) every table that has it.
        const auto consider = [&](const TableMeta *table) {
            if (table->column(column))
                candidates.push_back(table);
        };
        for (const TableMeta *table : m_tables)
            consider(table);
        if (m_tables.empty())
            for (const TableMeta &table : m_catalog.tables())
                consider(&table);
    }
    if (candidates.empty())
        return -1;
    for (const TableMeta *table : candidates)
        if (table->column(column)->kind != FieldKind::Text)
            return -1;
    return end;
}

bool Translator::isPlainOperand(int index, int *end) const
{
    if (index < m_count && m_lexed.tokens[size_t(index)].kind == Token::Kind::Literal) {
        *end = index + 1;
        return true;
    }
    const int columnEnd = textColumnEnd(index);
    if (columnEnd < 0)
        return false;
    *end = columnEnd;
    return true;
}

QString Translator::emitCompared(int from, int to) const
{
    QString out;
    int i = from;
    const auto append = [&](int first, const QString &piece) {
        const bool glued = isPunct(first, ".") || isPunct(first - 1, ".") || isPunct(first, ",")
                           || isPunct(first, ")") || isPunct(first - 1, "(");
        if (first > from && !glued)
            out.append(QLatin1Char(' '));
        out.append(piece);
    };
    const auto standsAlone = [&](int before, int after) {
        const bool freeBefore = before < from || m_lexed.tokens[size_t(before)].kind != Token::Kind::Punct
                                || !bindsTighter(LegacyLexer::text(m_source, m_lexed.tokens[size_t(before)]));
        const bool freeAfter = after >= to || m_lexed.tokens[size_t(after)].kind != Token::Kind::Punct
                               || !bindsTighter(LegacyLexer::text(m_source, m_lexed.tokens[size_t(after)]));
        return freeBefore && freeAfter;
    };
    while (i < to) {
        int leftEnd = -1;
        int rightEnd = -1;
        const int columnEnd = textColumnEnd(i);
        if (isPlainOperand(i, &leftEnd) && leftEnd < to && isPunct(leftEnd, "=")
            && isPlainOperand(leftEnd + 1, &rightEnd) && rightEnd <= to
            && (columnEnd > 0 || textColumnEnd(leftEnd + 1) > 0) && standsAlone(i - 1, rightEnd)) {
            append(i, foldedOperand(i, leftEnd) + QStringLiteral(" = ") + foldedOperand(leftEnd + 1, rightEnd));
            i = rightEnd;
        } else if (columnEnd > 0 && columnEnd <= to) {
            append(i, emit(i, columnEnd) + QStringLiteral(" COLLATE ") + QLatin1String(textCollation));
            i = columnEnd;
        } else {
            append(i, emitToken(i));
            ++i;
        }
    }
    return out;
}

QString Translator::foldedOperand(int from, int to) const
{
    const Token &first = m_lexed.tokens[size_t(from)];
    if (first.kind != Token::Kind::Literal)
        return foldedKey(emit(from, to));
    // A value: bound folded, a number as its text (Connection::foldLiterals).
    m_foldedLiterals.push_back(first.literal);
    return QStringLiteral("?");
}

QString Translator::foldedKey(const QString &operand) const
{
    return m_server ? QStringLiteral("tarvo_key(") + operand + QLatin1Char(')') : foldedTextKey(operand);
}

QString Translator::sortKey(const QString &operand) const
{
    return m_server ? QStringLiteral("tarvo_sort(") + operand + QLatin1Char(')') : sortTextKey(operand);
}

// The select list; on the server "*" and "table.*" name the columns of the
// schema, without the rowid every server table has.
QString Translator::emitSelectList(int from, int to, const std::vector<FromTable> &tables) const
{
    if (!m_server)
        return emit(from, to);
    return joinItems(from, to, [&](int itemStart, int i) {
        const bool all = i == itemStart + 1 && isPunct(itemStart, "*");
        const bool ofOne = i == itemStart + 3 && isPunct(itemStart + 1, ".") && isPunct(itemStart + 2, "*");
        QStringList columns;
        if (all || ofOne) {
            const QString qualifier = ofOne ? LegacyLexer::text(m_source, m_lexed.tokens[size_t(itemStart)]).toString() : QString();
            for (const FromTable &table : tables) {
                const QString name = table.reference.mid(1, table.reference.size() - 2);
                if (ofOne && name.compare(qualifier, Qt::CaseInsensitive) != 0
                    && table.table.compare(qualifier, Qt::CaseInsensitive) != 0)
                    continue;
                if (const TableMeta *meta = m_catalog.table(table.table))
                    for (const ColumnMeta &column : meta->columns)
                        columns << table.reference + QLatin1Char('.') + quotedName(column.name);
            }
        }
        return columns.isEmpty() ? emit(itemStart, i) : columns.join(QStringLiteral(", "));
    });
}

// The items of a list (select list, order, grouping) split at its top-level
// commas, each as `item(start, end)` writes it, joined again.
QString Translator::joinItems(int from, int to, const std::function<QString(int, int)> &item) const
{
    QStringList items;
    int itemStart = from;
    int depth = 0;
    for (int i = from; i <= to; ++i) {
        if (i < to && isPunct(i, "("))
            ++depth;
        else if (i < to && isPunct(i, ")"))
            --depth;
        if (i < to && (depth > 0 || !isPunct(i, ",")))
            continue;
        items << item(itemStart, i);
        itemStart = i + 1;
    }
    return items.join(QStringLiteral(", "));
}

QString Translator::emitOrder(int from, int to) const
{
    return joinItems(from, to, [&](int itemStart, int i) {
        const int columnEnd = textColumnEnd(itemStart);
        const bool direction = columnEnd + 1 == i && (isWord(columnEnd, "asc") || isWord(columnEnd, "desc"));
        if (columnEnd <= 0 || (columnEnd != i && !direction))
            return emitCompared(itemStart, i);
        const QString column = emit(itemStart, columnEnd);
        const QString suffix = direction ? QLatin1Char(' ') + emitToken(columnEnd) : QString();
        return sortKey(column) + suffix + QStringLiteral(", ") + column + QStringLiteral(" COLLATE ")
               + QLatin1String(textCollation) + suffix;
    });
}

// Rows that tie on the order are kept apart by their keys. Where an index of
// one table begins with the order's columns (plain columns of that table,
// ascending, no text), the index's further columns break ties first: the
// index then yields the whole order and a page is read from it without a
// sort ("order by sc_Prezzo" over the index on price and date).
QString Translator::indexTieBreakers(int from, int to, const std::vector<FromTable> &tables) const
{
    if (m_server)
        return QString();
    QStringList ordered;
    for (int i = from; i < to;) {
        const Token::Kind kind = m_lexed.tokens[size_t(i)].kind;
        if (kind != Token::Kind::Word && kind != Token::Kind::Bracketed)
            return QString();
        ordered << LegacyLexer::text(m_source, m_lexed.tokens[size_t(i)]).toString();
        int next = i + 1;
        if (isWord(next, "asc"))
            ++next;
        if (next < to && !isPunct(next, ","))
            return QString();
        i = next + 1;
    }
    if (ordered.isEmpty())
        return QString();
    for (const FromTable &named : tables) {
        const TableMeta *table = m_catalog.table(named.table);
        if (!table)
            continue;
        QStringList columns;
        for (const QString &name : std::as_const(ordered)) {
            const ColumnMeta *column = table->column(name);
            if (!column || column->kind == FieldKind::Text)
                break;
            columns << SchemaCatalog::fold(column->name);
        }
        if (columns.size() != ordered.size())
            continue;
        for (const QStringList &index : table->indexes) {
            if (index.size() <= columns.size())
                continue;
            bool begins = true;
            for (qsizetype c = 0; c < columns.size() && begins; ++c)
                begins = SchemaCatalog::fold(index.at(c)) == columns.at(c);
            if (!begins)
                continue;
            QString more;
            for (qsizetype c = columns.size(); c < index.size(); ++c) {
                const ColumnMeta *column = table->column(index.at(c));
                if (!column || column->kind == FieldKind::Text)
                    break;
                more += QStringLiteral(", ") + named.reference + QLatin1Char('.') + quotedName(column->name);
            }
            if (!more.isEmpty())
                return more;
        }
    }
    return QString();
}

// Groups by the folded key of a text column: the same groups as its
// collation, and the key indexes of the schema serve them.
QString Translator::emitGroup(int from, int to) const
{
    return joinItems(from, to, [&](int itemStart, int i) {
        const int columnEnd = textColumnEnd(itemStart);
        if (columnEnd != i)
            return emitCompared(itemStart, i);
        // The server wants the grouped column itself in the select list:
        // it groups the text as written (case apart).
        return m_server ? emit(itemStart, columnEnd) : foldedKey(emit(itemStart, columnEnd));
    });
}

// FROM ... WHERE ... GROUP BY ... HAVING ... as the engine runs it.
QString Translator::emitGrouped(int from, int to) const
{
    const int groupPos = findTopLevel(from, to, "group");
    if (groupPos < 0 || !isWord(groupPos + 1, "by"))
        return emitCompared(from, to);
    int groupEnd = to;
    for (const char *stop : {"having", "union", "intersect", "except", "limit"}) {
        const int at = findTopLevel(groupPos + 2, to, stop);
        if (at >= 0 && at < groupEnd)
            groupEnd = at;
    }
    QString out = emitCompared(from, groupPos) + QStringLiteral(" group by ") + emitGroup(groupPos + 2, groupEnd);
    if (groupEnd < to)
        out += QLatin1Char(' ') + emitCompared(groupEnd, to);
    return out;
}

bool Translator::isWord(int index, const char *word) const
{
    if (index < 0 || index >= m_count)
        return false;
    const Token &t = m_lexed.tokens[size_t(index)];
    return t.kind == Token::Kind::Word && equalsWord(LegacyLexer::text(m_source, t), word);
}

bool Translator::isPunct(int index, const char *punct) const
{
    if (index < 0 || index >= m_count)
        return false;
    const Token &t = m_lexed.tokens[size_t(index)];
    return t.kind == Token::Kind::Punct && LegacyLexer::text(m_source, t) == QLatin1String(punct);
}

int Translator::literalsIn(int from, int to) const
{
    int count = 0;
    for (int i = from; i < to; ++i)
        if (m_lexed.tokens[size_t(i)].kind == Token::Kind::Literal)
            ++count;
    return count;
}

int Translator::findTopLevel(int from, int to, const char *word) const
{
    int depth = 0;
    for (int i = from; i < to; ++i) {
        if (isPunct(i, "("))
            ++depth;
        else if (isPunct(i, ")"))
            --depth;
        else if (depth == 0 && isWord(i, word))
            return i;
    }
    return -1;
}

QString Translator::emitToken(int index) const
{
    const Token &t = m_lexed.tokens[size_t(index)];
    const QStringView text = LegacyLexer::text(m_source, t);
    switch (t.kind) {
    case Token::Kind::Literal:
        return QStringLiteral("?");
    case Token::Kind::InlineNumber:
        return text.toString();
    case Token::Kind::Punct:
        return text == QLatin1String("&") ? QStringLiteral("||") : text.toString();
    case Token::Kind::Word:
    case Token::Kind::Bracketed:
        break;
    }
    const bool bracketed = t.kind == Token::Kind::Bracketed;
    if (isPunct(index + 1, ".")) { // qualifier: a table or an alias
        if (const TableMeta *table = m_catalog.table(text))
            return quotedName(table->name);
        return quotedName(text.toString());
    }
    if (isPunct(index - 1, ".")) { // a column of a qualified name
        if (!bracketed && equalsWord(text, "rowid"))
            return QStringLiteral("rowid");
        const QString spelling = m_catalog.columnSpelling(text);
        return quotedName(spelling.isEmpty() ? text.toString() : spelling);
    }
    if (!bracketed && isPunct(index + 1, "(") && !isWord(index - 1, "into"))
        return functionName(text);
    if (!bracketed) {
        if (equalsWord(text, "true"))
            return QStringLiteral("-1");
        if (equalsWord(text, "false"))
            return QStringLiteral("0");
        if (equalsWord(text, "distinctrow"))
            return QStringLiteral("DISTINCT");
        if (equalsWord(text, "mod"))
            return QStringLiteral("%");
    }
    if (const TableMeta *table = m_catalog.table(text))
        return quotedName(table->name);
    const QString spelling = m_catalog.columnSpelling(text);
    if (!spelling.isEmpty())
        return quotedName(spelling);
    if (m_server && !m_aliasColumns.isEmpty() && !isPunct(index - 1, "."))
        if (const auto alias = m_aliasColumns.constFind(SchemaCatalog::fold(text)); alias != m_aliasColumns.cend())
            return *alias;
    // An alias keeps its spelling on the server, which lowers unquoted names
    // (a type in cast(x as type) is no alias).
    if (m_server && isWord(index - 1, "as") && !isPunct(index + 1, ")"))
        return quotedName(text.toString());
    return bracketed ? quotedName(text.toString()) : text.toString();
}

QString Translator::emit(int from, int to) const
{
    QString out;
    for (int i = from; i < to; ++i) {
        const bool glued = isPunct(i, ".") || isPunct(i - 1, ".") || isPunct(i, ",") || isPunct(i, ")")
                           || isPunct(i - 1, "(");
        if (i > from && !glued)
            out.append(QLatin1Char(' '));
        out.append(emitToken(i));
    }
    return out;
}

// An insert that writes a table's counter itself ("insert into Articoli
// (art_Codice, ...)"): on SQLite the next counter then follows the largest;
// the server's identity must be moved past it alike, or its next row would
// take a number already used.
QString Translator::counterAdvance() const
{
    if (!isWord(1, "into") || m_count < 4)
        return QString();
    const TableMeta *table = m_catalog.table(LegacyLexer::text(m_source, m_lexed.tokens[2]));
    if (!table || table->rowKey == QLatin1String("rowid") || !isPunct(3, "("))
        return QString();
    for (int i = 4; i < m_count && !isPunct(i, ")"); ++i) {
        const ColumnMeta *column = table->column(LegacyLexer::text(m_source, m_lexed.tokens[size_t(i)]));
        if (!column || quotedName(column->name) != table->rowKey)
            continue;
        const QString name = quotedName(table->name);
        const QString literalName = QString(name).replace(QLatin1Char('\''), QStringLiteral("''"));
        const QString literalColumn = QString(column->name).replace(QLatin1Char('\''), QStringLiteral("''"));
        return QStringLiteral("SELECT setval(s, m) FROM (SELECT pg_get_serial_sequence('%1', '%2') AS s, "
                              "(SELECT max(%3) FROM %4) AS m) AS counter "
                              "WHERE m > coalesce(pg_sequence_last_value(s::regclass), 0)")
            .arg(literalName, literalColumn, table->rowKey, name);
    }
    return QString();
}

Translation Translator::expression() const
{
    Translation t;
    t.kind = Translation::Kind::Expression;
    if (m_count == 0)
        throw errors::syntax(QStringLiteral("espressione vuota"), m_source);
    t.sql = emitCompared(0, m_count);
    t.parameterCount = int(m_lexed.literals.size());
    t.foldedLiterals = m_foldedLiterals;
    return t;
}

Translation Translator::statement() const
{
    Translation t;
    t.parameterCount = int(m_lexed.literals.size());
    if (m_count == 0 || m_lexed.tokens[0].kind != Token::Kind::Word)
        throw DbError(ErrorKind::Syntax, 3129,
                      QStringLiteral("Istruzione SQL non valida; prevista 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' o 'UPDATE'."));
    if (isWord(0, "select")) {
        t.kind = Translation::Kind::Select;
        buildSelect(t);
        t.foldedLiterals = m_foldedLiterals;
        return t;
    }
    if (isWord(0, "insert")) {
        t.kind = Translation::Kind::Action;
        t.sql = emit(0, m_count);
        t.foldedLiterals = m_foldedLiterals;
        if (m_server)
            t.counterAdvance = counterAdvance();
        return t;
    }
    if (isWord(0, "update")) {
        t.kind = Translation::Kind::Action;
        const int wherePos = findTopLevel(0, m_count, "where");
        t.sql = wherePos < 0 ? emit(0, m_count) : emit(0, wherePos) + QLatin1Char(' ') + emitCompared(wherePos, m_count);
        t.foldedLiterals = m_foldedLiterals;
        return t;
    }
    if (isWord(0, "delete")) {
        t.kind = Translation::Kind::Action;
        int next = 1;
        if (isPunct(1, "*"))
            next = 2;
        else if (isPunct(2, ".") && isPunct(3, "*"))
            next = 4;
        t.sql = QStringLiteral("DELETE ") + emitCompared(next, m_count);
        t.foldedLiterals = m_foldedLiterals;
        return t;
    }
    if (isWord(0, "create") || isWord(0, "drop") || isWord(0, "alter")) {
        t.kind = Translation::Kind::Schema;
        t.sql = emit(0, m_count);
        t.foldedLiterals = m_foldedLiterals;
        return t;
    }
    throw DbError(ErrorKind::Syntax, 3129,
                  QStringLiteral("Istruzione SQL non valida; prevista 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' o 'UPDATE'."));
}

bool Translator::readFromTables(int from, int to, std::vector<FromTable> *tables) const
{
    bool outer = false;
    int i = from;
    while (i < to) {
        const Token &t = m_lexed.tokens[size_t(i)];
        if (t.kind != Token::Kind::Word && t.kind != Token::Kind::Bracketed)
            return false;
        const TableMeta *table = m_catalog.table(LegacyLexer::text(m_source, t));
        if (!table)
            return false;
        FromTable entry;
        entry.table = table->name;
        entry.reference = quotedName(table->name);
        entry.key = table->rowKey;
        ++i;
        if (isWord(i, "as"))
            ++i;
        if (i < to) {
            const Token &a = m_lexed.tokens[size_t(i)];
            const QStringView aliasText = LegacyLexer::text(m_source, a);
            if ((a.kind == Token::Kind::Word && !isJoinWord(aliasText) && !equalsWord(aliasText, "on"))
                || a.kind == Token::Kind::Bracketed) {
                entry.reference = quotedName(aliasText.toString());
                ++i;
            }
        }
        entry.nullable = outer;
        tables->push_back(entry);
        // Skip an "on" condition up to the next table.
        int depth = 0;
        bool nextTable = false;
        while (i < to && !nextTable) {
            if (isPunct(i, "(")) {
                ++depth;
            } else if (isPunct(i, ")")) {
                --depth;
            } else if (depth == 0 && isPunct(i, ",")) {
                nextTable = true;
            } else if (depth == 0 && m_lexed.tokens[size_t(i)].kind == Token::Kind::Word
                       && isJoinWord(LegacyLexer::text(m_source, m_lexed.tokens[size_t(i)]))) {
                while (i < to && m_lexed.tokens[size_t(i)].kind == Token::Kind::Word
                       && isJoinWord(LegacyLexer::text(m_source, m_lexed.tokens[size_t(i)]))) {
                    if (isWord(i, "left") || isWord(i, "right") || isWord(i, "full"))
                        outer = true;
                    ++i;
                }
                break;
            }
            ++i;
        }
        if (outer)
            for (size_t k = 1; k < tables->size(); ++k)
                (*tables)[k].nullable = true;
    }
    return !tables->empty();
}

void Translator::buildSelect(Translation &t) const
{
    int start = 1;
    QString distinct;
    if (isWord(start, "distinct") || isWord(start, "distinctrow")) {
        distinct = QStringLiteral("DISTINCT ");
        ++start;
    } else if (isWord(start, "all")) {
        ++start;
    }
    if (isWord(start, "top")) {
        if (start + 1 >= m_count || m_lexed.tokens[size_t(start + 1)].kind != Token::Kind::InlineNumber)
            throw errors::syntax(QStringLiteral("numero mancante dopo TOP"), m_source);
        if (isWord(start + 2, "percent"))
            throw errors::syntax(QStringLiteral("TOP PERCENT non supportato"), m_source);
        t.limit = LegacyLexer::text(m_source, m_lexed.tokens[size_t(start + 1)]).toString();
        start += 2;
    }

    const int fromPos = findTopLevel(start, m_count, "from");
    int fromEnd = m_count;
    bool grouped = !distinct.isEmpty() || fromPos < 0;
    if (fromPos >= 0) {
        for (const char *stop : fromStopWords) {
            const int at = findTopLevel(fromPos + 1, m_count, stop);
            if (at >= 0 && at < fromEnd)
                fromEnd = at;
        }
        for (const char *word : {"group", "having", "union", "intersect", "except", "limit"})
            if (findTopLevel(fromPos + 1, m_count, word) >= 0)
                grouped = true;
    }
    if (!grouped) {
        int depth = 0;
        for (int i = start; i < fromPos; ++i) {
            if (isPunct(i, "("))
                ++depth;
            else if (isPunct(i, ")"))
                --depth;
            else if (m_lexed.tokens[size_t(i)].kind == Token::Kind::Word && isPunct(i + 1, "(")
                     && isAggregate(LegacyLexer::text(m_source, m_lexed.tokens[size_t(i)])))
                grouped = true;
        }
    }
    t.criterionContext = contextOf(start, fromPos >= 0 ? fromPos : m_count);
    std::vector<FromTable> tables;
    if (!grouped && readFromTables(fromPos + 1, fromEnd, &tables)) {
        t.keyed = true;
        t.tables = tables;
        QStringList keys;
        for (const FromTable &table : tables)
            keys << table.reference + QLatin1Char('.') + table.key;
        t.keyColumns = keys.join(QStringLiteral(", "));
        t.selectList = emitSelectList(start, fromPos, tables);
        t.selectListLiterals = literalsIn(start, fromPos);
        t.from = emitCompared(fromPos + 1, fromEnd);
        t.fromLiterals = literalsIn(fromPos + 1, fromEnd);
        const int orderPos = findTopLevel(fromEnd, m_count, "order");
        const int whereEnd = orderPos >= 0 ? orderPos : m_count;
        if (isWord(fromEnd, "where")) {
            t.where = emitCompared(fromEnd + 1, whereEnd);
            t.whereLiterals = literalsIn(fromEnd + 1, whereEnd);
        }
        if (orderPos >= 0) {
            if (!isWord(orderPos + 1, "by"))
                throw errors::syntax(QStringLiteral("BY mancante dopo ORDER"), m_source);
            t.orderBy = emitOrder(orderPos + 2, m_count) + indexTieBreakers(orderPos + 2, m_count, tables)
                        + QStringLiteral(", ") + t.keyColumns;
            // "order by 2" or an alias of the select list: the keys cannot be
            // sorted without the select list.
            for (int i = orderPos + 2; i < m_count; ++i)
                if (m_lexed.tokens[size_t(i)].kind == Token::Kind::InlineNumber)
                    t.orderNeedsSelectList = true;
            for (int i = start; i < fromPos; ++i)
                if (isWord(i, "as"))
                    t.orderNeedsSelectList = true;
        }
        t.sql = QStringLiteral("SELECT ") + t.selectList + QStringLiteral(", ") + t.keyColumns
                + QStringLiteral(" FROM ") + t.from;
        if (!t.where.isEmpty())
            t.sql += QStringLiteral(" WHERE ") + t.where;
        if (!t.orderBy.isEmpty())
            t.sql += QStringLiteral(" ORDER BY ") + t.orderBy;
        if (!t.limit.isEmpty())
            t.sql += QStringLiteral(" LIMIT ") + t.limit;
        QStringList conditions;
        for (const FromTable &table : tables)
            conditions << table.reference + QLatin1Char('.') + table.key
                              + (table.nullable ? QStringLiteral(" IS ?") : QStringLiteral(" = ?"));
        t.fetchSql = QStringLiteral("SELECT ") + t.selectList + QStringLiteral(", ") + t.keyColumns
                     + QStringLiteral(" FROM ") + t.from + QStringLiteral(" WHERE ")
                     + conditions.join(QStringLiteral(" AND "));
        return;
    }
    t.keyed = false;
    t.selectList = distinct + emit(start, fromPos >= 0 ? fromPos : m_count);
    t.sql = QStringLiteral("SELECT ") + distinct;
    if (fromPos < 0) {
        t.sql += emit(start, m_count);
    } else {
        bool compound = false;
        for (const char *word : {"union", "intersect", "except"})
            compound = compound || findTopLevel(fromPos + 1, m_count, word) >= 0;
        const int orderPos = findTopLevel(fromPos + 1, m_count, "order");
        std::vector<FromTable> named;
        if (m_server)
            readFromTables(fromPos + 1, fromEnd, &named);
        t.sql += emitSelectList(start, fromPos, named) + QLatin1Char(' ');
        if (compound || orderPos < 0 || !isWord(orderPos + 1, "by")) {
            t.sql += compound ? emit(fromPos, m_count) : emitGrouped(fromPos, m_count);
        } else {
            t.sql += emitGrouped(fromPos, orderPos) + QLatin1Char(' ') + emit(orderPos, orderPos + 2)
                     + QLatin1Char(' ') + emitOrder(orderPos + 2, m_count);
        }
    }
    if (!t.limit.isEmpty())
        t.sql += QStringLiteral(" LIMIT ") + t.limit;
}

} // namespace db
