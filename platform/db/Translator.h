#pragma once

#include "LegacyLexer.h"
#include "Translation.h"

#include <QSet>
#include <functional>

namespace db {

class SchemaCatalog;
struct TableMeta;

// Rewrites lexed legacy SQL for SQLite: names in the schema's spelling and
// quoted, literals as parameters, top N as LIMIT, true/false as -1/0, & as
// ||, delete * as delete.
class Translator {
public:
    // `context`: a select's criterionContext, for a criterion on its rows.
    // `server`: for the PostgreSQL server (text keys by its functions, "*"
    // spelled out so that the tables' rowid columns stay hidden).
    Translator(const SchemaCatalog &catalog, const QString &source, const LexedText &lexed,
               const QString &context = QString(), bool server = false);

    Translation statement() const;
    Translation expression() const;

private:
    QString emit(int from, int to) const;
    // A condition, a join or a grouping: text columns compare with TESTO,
    // "text = value" through the folded key its index is built on.
    QString emitCompared(int from, int to) const;
    // An order by list: a text column sorts by its sort key, then by TESTO.
    QString emitOrder(int from, int to) const;
    // Columns that make an index serve the whole order, to go before the
    // row keys; empty, or ", " and the columns.
    QString indexTieBreakers(int from, int to, const std::vector<FromTable> &tables) const;
    QString emitGroup(int from, int to) const;
    QString emitGrouped(int from, int to) const;
    // The end of the text column reference starting at `index`, or -1.
    int textColumnEnd(int index) const;
    bool isPlainOperand(int index, int *end) const;
    QString foldedOperand(int from, int to) const;
    void findStatementTables();
    QString emitToken(int index) const;
    int literalsIn(int from, int to) const;
    bool isWord(int index, const char *word) const;
    bool isPunct(int index, const char *punct) const;
    int findTopLevel(int from, int to, const char *word) const;
    void buildSelect(Translation &t) const;
    bool readFromTables(int from, int to, std::vector<FromTable> *tables) const;

    QString emitSelectList(int from, int to, const std::vector<FromTable> &tables) const;
    QString joinItems(int from, int to, const std::function<QString(int, int)> &item) const;
    QString foldedKey(const QString &operand) const;
    QString counterAdvance() const;
    QString sortKey(const QString &operand) const;

    const SchemaCatalog &m_catalog;
    bool m_server;
    const QString &m_source;
    const LexedText &m_lexed;
    int m_count;
    std::vector<const TableMeta *> m_tables;          // every table the statement names
    QHash<QString, const TableMeta *> m_aliases;      // folded alias -> table
    QSet<QString> m_textAliases;                      // folded aliases of text columns
    QHash<QString, QString> m_aliasColumns;           // server: folded alias -> its column
    mutable std::vector<int> m_foldedLiterals;
    QString contextOf(int selectStart, int selectEnd) const;
};

QString quotedName(const QString &name);

} // namespace db
