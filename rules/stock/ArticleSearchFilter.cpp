#include "rules/stock/ArticleSearchFilter.h"

#include "db/SqlText.h"

#include <QStringList>

namespace {

QString likePattern(const QString &typed, bool anywhere)
{
    const QString pattern = db::typedLikePattern(typed);
    return db::quoted(anywhere ? QStringLiteral("*") + pattern + QStringLiteral("*") : pattern + QStringLiteral("*"));
}

} // namespace

QString articleSearchFilter(const ArticleSearchCriteria &criteria)
{
    QString conditions;
    if (!criteria.articolo.isEmpty())
        conditions += QStringLiteral("art_Codice = ") + criteria.articolo + QStringLiteral(" and ");
    // The description is used as typed, blanks included.
    if (!criteria.descrizione.trimmed().isEmpty())
        conditions += QStringLiteral(" art_Descrizione like ") + likePattern(criteria.descrizione, criteria.generica)
                      + QStringLiteral(" and ");
    if (!criteria.fornitore.trimmed().isEmpty())
        conditions += QStringLiteral(" art_Fornitore like ") + likePattern(criteria.fornitore, false)
                      + QStringLiteral(" and ");
    conditions.chop(5);
    return conditions;
}

QString articleListFormula(const QStringList &codes)
{
    QString formula;
    for (const QString &code : codes)
        formula += QStringLiteral("{articoli.art_Codice} = ") + code + QStringLiteral(" or ");
    formula.chop(4);
    return formula;
}
