#include "stock/IndexedArticleSearch.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/SqlText.h"

#include <sqlite3.h>

namespace {

const char *const kPage =
    "select a.art_Codice, a.art_Descrizione, a.art_Fornitore from ArticoliTrigrammi t "
    "join Articoli a on a.art_Codice = t.rowid "
    "where ArticoliTrigrammi match ?1 and t.rowid > ?2 and a.art_Descrizione like ?3 "
    "and (?4 is null or a.art_Fornitore like ?4) order by t.rowid limit ?5";

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

void bindText(sqlite3_stmt *statement, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace

QString IndexedArticleSearch::matchQuery(const QString &typed)
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

bool IndexedArticleSearch::databaseHasIndex(db::Database &database)
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

std::unique_ptr<IndexedArticleSearch> IndexedArticleSearch::prepare(std::shared_ptr<db::Database> database,
                                                                    const ArticleSearchCriteria &criteria)
{
    if (!criteria.articolo.isEmpty() || criteria.descrizione.trimmed().isEmpty())
        return nullptr;
    const QString match = matchQuery(criteria.descrizione);
    if (match.isEmpty() || !databaseHasIndex(*database))
        return nullptr;
    std::unique_ptr<IndexedArticleSearch> search(new IndexedArticleSearch);
    search->m_database = std::move(database);
    search->m_match = match;
    const QString pattern = db::typedLikePattern(criteria.descrizione);
    search->m_descrizione = criteria.generica ? QStringLiteral("*") + pattern + QStringLiteral("*")
                                              : pattern + QStringLiteral("*");
    if (!criteria.fornitore.trimmed().isEmpty())
        search->m_fornitore = db::typedLikePattern(criteria.fornitore) + QStringLiteral("*");
    return search;
}

QList<FoundArticle> IndexedArticleSearch::next(int rows)
{
    QList<FoundArticle> found;
    if (m_atEnd)
        return found;
    sqlite3 *handle = m_database->handle();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v3(handle, kPage, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
        throw db::DbError(db::ErrorKind::General, 3001, QString::fromUtf8(sqlite3_errmsg(handle)));
    bindText(statement, 1, m_match);
    sqlite3_bind_int64(statement, 2, m_lastCode);
    bindText(statement, 3, m_descrizione);
    if (m_fornitore.isEmpty())
        sqlite3_bind_null(statement, 4);
    else
        bindText(statement, 4, m_fornitore);
    sqlite3_bind_int(statement, 5, rows);
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
