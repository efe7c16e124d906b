#pragma once

#include "stock/ArticleSearchFilter.h"

#include <QList>
#include <QString>
#include <memory>

namespace db { class Database; }

struct FoundArticle {
    qlonglong codice = 0;
    QString descrizione;   // Null read as empty
    QString fornitore;
};

// The description search through the trigram index of the article
// descriptions (ArticoliTrigrammi): the index proposes the articles holding
// every run of three or more literal characters typed, the engine's own
// like then keeps exactly those the typed pattern matches. Pages are read in
// code order, each from the last code read, so no statement stays open.
class IndexedArticleSearch {
public:
    // nullptr when the index cannot serve this search: the database has no
    // index (made before it existed), a bar code is given, or the typed
    // description holds no run of three literal characters.
    static std::unique_ptr<IndexedArticleSearch> prepare(std::shared_ptr<db::Database> database,
                                                         const ArticleSearchCriteria &criteria);
    // The trigram query of a typed description, empty when it has no run
    // of three literal characters: "sca" -> "\"sca\"", "ab*cde" -> "\"cde\"".
    static QString matchQuery(const QString &typed);
    static bool databaseHasIndex(db::Database &database);

    // The next articles, at most `rows`; fewer only at the end.
    QList<FoundArticle> next(int rows);
    bool atEnd() const { return m_atEnd; }

private:
    IndexedArticleSearch() = default;

    std::shared_ptr<db::Database> m_database;
    QString m_match;
    QString m_descrizione;   // like patterns in the engine's dialect
    QString m_fornitore;     // empty: no supplier criterion
    qlonglong m_lastCode = 0;
    bool m_atEnd = false;
};
