#include "stock/ArticleSearchPages.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/SqlText.h"

#include <sqlite3.h>

namespace {

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

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

// An empty text binds Null: no criterion.
void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    if (text.isEmpty()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
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
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(database.handle(),
                           "select 1 from sqlite_master where type = 'table' and name = 'ArticoliTrigrammi'", -1,
                           &statement, nullptr) != SQLITE_OK)
        return false;
    const bool found = sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return found;
}

std::unique_ptr<ArticleSearchPages> ArticleSearchPages::prepare(std::shared_ptr<db::Database> database,
                                                                const ArticleSearchCriteria &criteria)
{
    std::unique_ptr<ArticleSearchPages> search(new ArticleSearchPages);
    if (!criteria.articolo.isEmpty())
        search->m_articolo = criteria.articolo.toLongLong();
    if (!criteria.descrizione.trimmed().isEmpty()) {
        const QString pattern = db::typedLikePattern(criteria.descrizione);
        search->m_descrizione = criteria.generica ? QStringLiteral("*") + pattern + QStringLiteral("*")
                                                  : pattern + QStringLiteral("*");
        // A bar code names one article: the index has nothing to add.
        if (search->m_articolo < 0 && databaseHasIndex(*database))
            search->m_match = matchQuery(criteria.descrizione);
    }
    if (!criteria.fornitore.trimmed().isEmpty())
        search->m_fornitore = db::typedLikePattern(criteria.fornitore) + QStringLiteral("*");
    search->m_statement = search->m_match.isEmpty() ? kScannedPage : kIndexedPage;
    search->m_database = std::move(database);
    return search;
}

QList<FoundArticle> ArticleSearchPages::next(int rows)
{
    QList<FoundArticle> found;
    if (m_atEnd)
        return found;
    sqlite3 *handle = m_database->handle();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v3(handle, m_statement.constData(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr)
        != SQLITE_OK)
        throw db::DbError(db::ErrorKind::General, 3001, QString::fromUtf8(sqlite3_errmsg(handle)));
    bindText(statement, 1, m_match);
    sqlite3_bind_int64(statement, 2, m_lastCode);
    bindText(statement, 3, m_descrizione);
    bindText(statement, 4, m_fornitore);
    sqlite3_bind_int(statement, 5, rows);
    if (m_articolo >= 0)
        sqlite3_bind_int64(statement, 6, m_articolo);
    else
        sqlite3_bind_null(statement, 6);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        FoundArticle article;
        article.codice = sqlite3_column_int64(statement, 0);
        article.descrizione = columnText(statement, 1);
        article.fornitore = columnText(statement, 2);
        m_lastCode = article.codice;
        found << article;
    }
    const QString error = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_finalize(statement);
    if (!error.isEmpty())
        throw db::DbError(db::ErrorKind::General, 3001, error);
    m_atEnd = found.size() < rows;
    return found;
}
