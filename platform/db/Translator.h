#pragma once

#include "LegacyLexer.h"
#include "Translation.h"

namespace db {

class SchemaCatalog;

// Rewrites lexed legacy SQL for SQLite: names in the schema's spelling and
// quoted, literals as parameters, top N as LIMIT, true/false as -1/0, & as
// ||, delete * as delete.
class Translator {
public:
    Translator(const SchemaCatalog &catalog, const QString &source, const LexedText &lexed);

    Translation statement() const;
    Translation expression() const;

private:
    QString emit(int from, int to) const;
    QString emitToken(int index) const;
    int literalsIn(int from, int to) const;
    bool isWord(int index, const char *word) const;
    bool isPunct(int index, const char *punct) const;
    int findTopLevel(int from, int to, const char *word) const;
    void buildSelect(Translation &t) const;
    bool readFromTables(int from, int to, std::vector<FromTable> *tables) const;

    const SchemaCatalog &m_catalog;
    const QString &m_source;
    const LexedText &m_lexed;
    int m_count;
};

QString quotedName(const QString &name);

} // namespace db
