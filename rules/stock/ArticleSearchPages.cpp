#include "rules/stock/ArticleSearchPages.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "db/TextKeys.h"

#include <QHash>
#include <QStringList>

namespace {

const QString kTrigramTable = QStringLiteral("ArticoliTrigrammi");

// ?1 the trigram query, ?2 the last code read, ?3 and ?4 the like patterns
// (Null: no criterion), ?5 the page's size, ?6 the bar code's article.
const char *const kIndexedPage =
    "select a.art_Codice, a.art_Descrizione, a.art_Fornitore from ArticoliTrigrammi t "
    "join Articoli a on a.art_Codice = t.rowid "
    "where ArticoliTrigrammi match ?1 and t.rowid > ?2 and a.art_Descrizione like ?3 "
    "and (?4 is null or a.art_Fornitore like ?4) order by t.rowid limit ?5";
const char *const kScannedPage =
    "select art_Codice, art_Descrizione, art_Fornitore from Articoli "
    "where art_Codice > ?2 and (?6 is null or art_Codice = ?6) and (?3 is null or art_Descrizione like ?3) "
    "and (?4 is null or art_Fornitore like ?4) order by art_Codice limit ?5";

// On the server: ?1 a plain pattern of the folded description (server's
// own "like": the trigram index, or the sort key's index for a prefix)
// that every match fits, the other numbers as above.
const char *const kServerPage =
    "select art_Codice, art_Descrizione, art_Fornitore from Articoli "
    "where art_Codice > ?2 and (CAST(?6 AS bigint) is null or art_Codice = ?6) "
    "and (CAST(?1 AS text) is null or tarvo_key(art_Descrizione) OPERATOR(pg_catalog.~~) ?1) "
    "and (CAST(?3 AS text) is null or art_Descrizione like ?3) "
    "and (CAST(?4 AS text) is null or art_Fornitore like ?4) order by art_Codice limit ?5";

// On the server, first the next few thousand articles by code: a common
// start ("giac") fills a page from them at once, where the trigram index
// would fetch and sort every match first. ?1 the last code read, ?2 how
// many articles to look at, ?3 and ?4 the like patterns, ?5 the page.
const char *const kServerNearPage =
    "select art_Codice, art_Descrizione, art_Fornitore from "
    "(select art_Codice, art_Descrizione, art_Fornitore from Articoli where art_Codice > ?1 "
    "order by art_Codice limit ?2) AS nearest "
    "where (CAST(?3 AS text) is null or art_Descrizione like ?3) "
    "and (CAST(?4 AS text) is null or art_Fornitore like ?4) order by art_Codice limit ?5";
constexpr int kNearArticles = 3000;
// The last code of such a window (Null past the last article).
const char *const kServerWindowEnd =
    "select max(art_Codice) from (select art_Codice from Articoli where art_Codice > ?1 "
    "order by art_Codice limit ?2) AS window_codes";

// An empty text binds Null: no criterion.
void bindText(db::Statement *statement, int index, const QString &text)
{
    if (text.isEmpty())
        statement->bindNull(index);
    else
        statement->bindText(index, text);
}

// The longest run of plain characters typed, as the server's "like" finds
// it in the folded description ("%run%"); a prefix search keeps the start.
QString serverPrefilter(const QString &typed, bool anywhere)
{
    QString longest, run;
    bool first = true;
    QString start;
    for (const QChar c : typed + QLatin1Char('*')) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('[')) {
            if (first)
                start = run;
            first = false;
            if (run.size() > longest.size())
                longest = run;
            run.clear();
        } else {
            run += c;
        }
    }
    const auto escaped = [](QString text) {
        text = db::foldedText(text);
        text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        text.replace(QLatin1Char('%'), QStringLiteral("\\%"));
        text.replace(QLatin1Char('_'), QStringLiteral("\\_"));
        return text;
    };
    if (!anywhere)
        return start.isEmpty() ? QString() : escaped(start) + QLatin1Char('%');
    return longest.size() < 3 ? QString() : QLatin1Char('%') + escaped(longest) + QLatin1Char('%');
}

} // namespace

QString ArticleSearchPages::matchQuery(const QString &typed)
{
    QStringList phrases;
    QString run;
    const auto endRun = [&] {
        if (run.size() >= 3)
            phrases << QLatin1Char('"') + QString(run).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        run.clear();
    };
    for (const QChar c : typed) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?'))
            endRun();
        else
            run += c;
    }
    endRun();
    return phrases.join(QStringLiteral(" AND "));
}

bool ArticleSearchPages::databaseHasIndex(db::Database &database)
{
    return database.textSearch(kTrigramTable) != db::TextSearch::Scan;
}

std::unique_ptr<ArticleSearchPages> ArticleSearchPages::prepare(std::shared_ptr<db::Database> database,
                                                                const ArticleSearchCriteria &criteria)
{
    std::unique_ptr<ArticleSearchPages> search(new ArticleSearchPages);
    const db::TextSearch index = database->textSearch(kTrigramTable);
    search->m_nearFirst = index == db::TextSearch::FoldedKeyLike;
    if (!criteria.articolo.isEmpty())
        search->m_articolo = criteria.articolo.toLongLong();
    if (!criteria.descrizione.trimmed().isEmpty()) {
        const QString pattern = db::typedLikePattern(criteria.descrizione);
        search->m_descrizione = criteria.generica ? QStringLiteral("*") + pattern + QStringLiteral("*")
                                                  : pattern + QStringLiteral("*");
        // A bar code names one article: the index has nothing to add.
        if (search->m_articolo < 0 && index == db::TextSearch::FoldedKeyLike)
            search->m_match = serverPrefilter(criteria.descrizione, criteria.generica);
        else if (search->m_articolo < 0 && index == db::TextSearch::TrigramTable)
            search->m_match = matchQuery(criteria.descrizione);
    }
    if (!criteria.fornitore.trimmed().isEmpty())
        search->m_fornitore = db::typedLikePattern(criteria.fornitore) + QStringLiteral("*");
    search->m_statement = search->m_nearFirst         ? kServerPage
                          : search->m_match.isEmpty() ? kScannedPage
                                                      : kIndexedPage;
    search->m_database = std::move(database);
    return search;
}

QList<FoundArticle> ArticleSearchPages::next(int rows)
{
    QList<FoundArticle> found = nextPage(rows);
    addStock(found);
    return found;
}

// The stock of the page's articles, in one statement.
void ArticleSearchPages::addStock(QList<FoundArticle> &found)
{
    if (found.isEmpty())
        return;
    QStringList codes;
    QHash<qlonglong, qsizetype> rowOf;
    for (qsizetype i = 0; i < found.size(); ++i) {
        codes << QString::number(found.at(i).codice);
        rowOf.insert(found.at(i).codice, i);
    }
    auto rs = m_database->openRecordset(
        QStringLiteral("select ca_Codice_Articolo, sum(ca_Quantita) as q from [Codice Articolo] "
                       "where ca_Codice_Articolo in (")
        + codes.join(QStringLiteral(", ")) + QStringLiteral(") group by ca_Codice_Articolo"));
    for (; !rs->eof(); rs->moveNext()) {
        const auto row = rowOf.constFind(rs->value(0).toLongLong());
        if (row != rowOf.constEnd())
            found[*row].quantita = rs->value(1).toLongLong();
    }
}

QList<FoundArticle> ArticleSearchPages::nextPage(int rows)
{
    QList<FoundArticle> found;
    if (m_atEnd)
        return found;
    if (m_nearFirst && m_articolo < 0 && (!m_descrizione.isEmpty() || !m_fornitore.isEmpty())) {
        // Without a trigram to look for (fewer than three plain letters)
        // the whole search would read every article before sorting: the
        // windows go on to the end instead, as a scan in code order would.
        const bool windowsToTheEnd = m_match.isEmpty();
        qlonglong from = m_lastCode;
        for (;;) {
            found += nearPage(from, rows - int(found.size()));
            if (found.size() == rows) {
                m_lastCode = found.last().codice;
                return found;
            }
            if (!windowsToTheEnd)
                break;
            const qlonglong end = windowEnd(from);
            if (end <= from) {
                m_atEnd = true;
                if (!found.isEmpty())
                    m_lastCode = found.last().codice;
                return found;
            }
            from = end;
        }
        // Fewer than a page among the nearest: the trigram index decides.
        found.clear();
    }
    const QString sql = QString::fromUtf8(m_statement);
    db::Statement *statement = m_database->statement(sql);
    const db::StatementUse use(statement);
    bindText(statement, 1, m_match);
    statement->bindInteger(2, m_lastCode);
    bindText(statement, 3, m_descrizione);
    bindText(statement, 4, m_fornitore);
    statement->bindInteger(5, rows);
    if (m_articolo >= 0)
        statement->bindInteger(6, m_articolo);
    else
        statement->bindNull(6);
    while (statement->step(sql)) {
        FoundArticle article;
        article.codice = statement->columnInteger(0);
        article.descrizione = statement->columnString(1);
        article.fornitore = statement->columnString(2);
        m_lastCode = article.codice;
        found << article;
    }
    m_atEnd = found.size() < rows;
    return found;
}

QList<FoundArticle> ArticleSearchPages::nearPage(qlonglong from, int rows)
{
    QList<FoundArticle> found;
    const QString sql = QString::fromUtf8(kServerNearPage);
    db::Statement *statement = m_database->statement(sql);
    const db::StatementUse use(statement);
    statement->bindInteger(1, from);
    statement->bindInteger(2, kNearArticles);
    bindText(statement, 3, m_descrizione);
    bindText(statement, 4, m_fornitore);
    statement->bindInteger(5, rows);
    while (statement->step(sql))
        found << FoundArticle{statement->columnInteger(0), statement->columnString(1), statement->columnString(2)};
    return found;
}

qlonglong ArticleSearchPages::windowEnd(qlonglong from)
{
    const QString sql = QString::fromUtf8(kServerWindowEnd);
    db::Statement *statement = m_database->statement(sql);
    const db::StatementUse use(statement);
    statement->bindInteger(1, from);
    statement->bindInteger(2, kNearArticles);
    return statement->step(sql) && statement->columnType(0) != db::NullValue ? statement->columnInteger(0) : from;
}
