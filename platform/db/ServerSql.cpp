#include "ServerSql.h"

#include "SchemaCatalog.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace db {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Where the word that ends just before `end` (blanks skipped) starts; its
// text in `word`.
qsizetype wordBefore(const QString &text, qsizetype end, QString *word)
{
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    qsizetype start = end;
    while (start > 0 && isWordChar(text.at(start - 1)))
        --start;
    *word = text.mid(start, end - start).toLower();
    return start;
}

// Words after which a "-" is a sign, not a subtraction.
bool signFollows(const QString &word)
{
    static const QStringList words = {QStringLiteral("select"), QStringLiteral("where"), QStringLiteral("and"),
                                      QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("values"),
                                      QStringLiteral("set"), QStringLiteral("then"), QStringLiteral("else"),
                                      QStringLiteral("when"), QStringLiteral("between"), QStringLiteral("in"),
                                      QStringLiteral("like"), QStringLiteral("is"), QStringLiteral("on"),
                                      QStringLiteral("having"), QStringLiteral("by"), QStringLiteral("return")};
    return words.contains(word);
}

// Words that may follow a subquery in a from clause when it has no alias.
bool endsSubquery(const QString &word)
{
    static const QStringList words = {QString(), QStringLiteral("where"), QStringLiteral("order"),
                                      QStringLiteral("group"), QStringLiteral("having"), QStringLiteral("limit"),
                                      QStringLiteral("union"), QStringLiteral("except"), QStringLiteral("intersect"),
                                      QStringLiteral("inner"), QStringLiteral("left"), QStringLiteral("right"),
                                      QStringLiteral("full"), QStringLiteral("cross"), QStringLiteral("join"),
                                      QStringLiteral("on"), QStringLiteral("natural"), QStringLiteral("offset"),
                                      QStringLiteral("window")};
    return words.contains(word);
}

// The word that starts at `from` (blanks skipped), lowered; empty when a
// symbol or the end comes first.
QString wordAfter(const QString &text, qsizetype from)
{
    while (from < text.size() && text.at(from).isSpace())
        ++from;
    qsizetype end = from;
    while (end < text.size() && isWordChar(text.at(end)))
        ++end;
    return text.mid(from, end - from).toLower();
}

// The parameter whose "?" is at `at`, as the server numbers it: "?NNN"
// names its number, a plain "?" takes the next one. `end` receives where it
// ends, `count` the largest number so far.
QString parameterAt(const QString &sql, qsizetype at, qsizetype *end, int *count)
{
    qsizetype j = at + 1;
    while (j < sql.size() && sql.at(j).isDigit())
        ++j;
    const int number = j > at + 1 ? QStringView(sql).mid(at + 1, j - at - 1).toInt() : *count + 1;
    *count = std::max(*count, number);
    *end = j;
    return QLatin1Char('$') + QString::number(number);
}

} // namespace

QString serverSql(const QString &sql, const SchemaCatalog *catalog, int *parameters)
{
    QString out;
    out.reserve(sql.size() + sql.size() / 8);
    int count = 0;
    int subqueries = 0;
    std::vector<bool> openedAfterFrom; // each open parenthesis: a table's place?
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('(')) {
            QString before;
            wordBefore(out, out.size(), &before);
            const bool tablePlace = (before == QLatin1String("from") || before == QLatin1String("join"))
                                    && out.trimmed().endsWith(before, Qt::CaseInsensitive);
            openedAfterFrom.push_back(tablePlace);
        } else if (c == QLatin1Char(')') && !openedAfterFrom.empty()) {
            const bool tablePlace = openedAfterFrom.back();
            openedAfterFrom.pop_back();
            if (tablePlace) {
                // The server wants a name for every subquery in a from clause.
                qsizetype next = i + 1;
                while (next < n && sql.at(next).isSpace())
                    ++next;
                const bool symbol = next < n && !isWordChar(sql.at(next)) && sql.at(next) != QLatin1Char('"');
                if ((symbol || endsSubquery(wordAfter(sql, i + 1))) && wordAfter(sql, i + 1) != QLatin1String("as")) {
                    out += QStringLiteral(") AS tarvo_subquery_") + QString::number(++subqueries);
                    ++i;
                    continue;
                }
            }
        } else if (c == QLatin1Char('-')) {
            // A sign before a value: the server cannot tell the type of
            // "-$1"; a number it is.
            qsizetype next = i + 1;
            while (next < n && sql.at(next).isSpace())
                ++next;
            const QString trimmed = out.trimmed();
            QString before;
            wordBefore(out, out.size(), &before);
            const bool afterSymbol = trimmed.isEmpty() || QStringLiteral("(,=<>+-*/%|").contains(trimmed.back());
            const bool afterWord = !before.isEmpty() && trimmed.endsWith(before, Qt::CaseInsensitive) && signFollows(before);
            if (next < n && sql.at(next) == QLatin1Char('?') && (afterSymbol || afterWord)) {
                out += QStringLiteral("-CAST(") + parameterAt(sql, next, &i, &count) + QStringLiteral(" AS numeric)");
                continue;
            }
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // Copied whole, doubled quotes included.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += QStringView(sql).mid(i, std::min(n, j + 1) - i);
            i = j + 1;
            continue;
        }
        if (c == QLatin1Char('?')) {
            QString before;
            const qsizetype at = wordBefore(out, out.size(), &before);
            QString earlier;
            if (before == QLatin1String("is")) {
                out.truncate(at + 2);
                out += QStringLiteral(" NOT DISTINCT FROM ");
            } else if (before == QLatin1String("not") && (wordBefore(out, at, &earlier), earlier == QLatin1String("is"))) {
                out.truncate(at);
                out += QStringLiteral("DISTINCT FROM ");
            }
            out += parameterAt(sql, i, &i, &count);
            continue;
        }
        if (isWordChar(c) && (i == 0 || !isWordChar(sql.at(i - 1)))) {
            qsizetype j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            const QStringView word = QStringView(sql).mid(i, j - i);
            qsizetype next = j;
            while (next < n && sql.at(next).isSpace())
                ++next;
            QString previous;
            wordBefore(out, out.size(), &previous);
            const bool call = next < n && sql.at(next) == QLatin1Char('(') && previous != QLatin1String("into");
            QString spelling;
            if (catalog && !call && !c.isDigit()) {
                if (const TableMeta *table = catalog->table(word))
                    spelling = table->name;
                else
                    spelling = catalog->columnSpelling(word);
            }
            if (word.compare(QLatin1String("ifnull"), Qt::CaseInsensitive) == 0)
                out += QStringLiteral("coalesce");
            else if (!spelling.isEmpty())
                out += QLatin1Char('"') + QString(spelling).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
            else
                out += word;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    if (parameters)
        *parameters = count;
    return out;
}

} // namespace db
