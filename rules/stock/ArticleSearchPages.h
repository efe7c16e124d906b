#pragma once

#include "rules/stock/ArticleSearchFilter.h"

#include <QList>
#include <QString>
#include <memory>

namespace db { class Database; }

struct FoundArticle {
    qlonglong codice = 0;
    QString descrizione;   // Null read as empty
    QString fornitore;
    qlonglong quantita = 0;   // the stock: the sum of its items' quantities
};

// The articles the search finds, read a page at a time in code order, each
// page from the last code read (no statement stays open). Where the
// database has the trigram index of the descriptions (ArticoliTrigrammi)
// and the typed description a run of three or more literal characters, the
// index proposes the articles holding every such run; the engine's own like
// then keeps exactly those the typed patterns match.
class ArticleSearchPages {
public:
    static std::unique_ptr<ArticleSearchPages> prepare(std::shared_ptr<db::Database> database,
                                                         const ArticleSearchCriteria &criteria);
    // The trigram query of a typed description, empty when it has no run
    // of three literal characters: "sca" -> "\"sca\"", "ab*cde" -> "\"cde\"".
    static QString matchQuery(const QString &typed);
    static bool databaseHasIndex(db::Database &database);

    // The next articles, at most `rows`; fewer only at the end. Each comes
    // with its stock.
    QList<FoundArticle> next(int rows);
    bool atEnd() const { return m_atEnd; }
    bool usesIndex() const { return !m_match.isEmpty(); }

private:
    ArticleSearchPages() = default;
    QList<FoundArticle> nextPage(int rows);
    QList<FoundArticle> nearPage(qlonglong from, int rows);
    qlonglong windowEnd(qlonglong from);
    void addStock(QList<FoundArticle> &found);

    std::shared_ptr<db::Database> m_database;
    QByteArray m_statement;
    QString m_match;         // empty: no index
    bool m_nearFirst = false;  // the server's like: the nearest articles by code first
    qlonglong m_articolo = -1; // -1: no bar code criterion
    QString m_descrizione;   // like patterns in the engine's dialect; empty: none
    QString m_fornitore;
    qlonglong m_lastCode = 0;
    bool m_atEnd = false;
};
