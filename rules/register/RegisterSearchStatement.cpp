#include "rules/register/RegisterSearchStatement.h"

#include "rules/general/GeneralValues.h"
#include "db/SqlText.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

QString pattern(const QString &trimmed)
{
    return db::quoted(db::typedLikePattern(trimmed), QLatin1Char('"'));
}

QString nameLike(const QString &pattern)
{
    return QStringLiteral("anag_Denominazione like ") + db::quoted(pattern, QLatin1Char('"'));
}

// The name: typed with * or ?, the pattern as typed; else each typed word
// starts the name or one of its words (after a blank, an apostrophe or a
// dash), in any order.
QString nameCondition(const QString &trimmed)
{
    if (trimmed.contains(QLatin1Char('*')) || trimmed.contains(QLatin1Char('?')))
        return nameLike(db::typedLikePattern(trimmed));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList words;
    for (const QString &word : trimmed.split(blanks, Qt::SkipEmptyParts)) {
        const QString literal = db::typedLikePattern(word) + QLatin1Char('*');
        words << QStringLiteral("(") + nameLike(literal) + QStringLiteral(" or ") + nameLike(QStringLiteral("* ") + literal)
                     + QStringLiteral(" or ") + nameLike(QStringLiteral("*'") + literal) + QStringLiteral(" or ")
                     + nameLike(QStringLiteral("*-") + literal) + QStringLiteral(")");
    }
    return words.join(QStringLiteral(" and "));
}

// From the table on: the conditions of the filled filters, without order.
QString searchFrom(const RegisterSearchFilters &filters)
{
    QString sql = QStringLiteral(" from anagrafica where ");
    const QString codice = filters.codice.trimmed();
    if (!codice.isEmpty())
        sql += QStringLiteral("anag_contatore = ") + QString::number(ValLong(codice)) + QStringLiteral(" and ");
    const QString denominazione = filters.denominazione.trimmed();
    if (!denominazione.isEmpty())
        sql += nameCondition(denominazione) + QStringLiteral(" and ");
    const QString partitaIva = filters.partitaIva.trimmed();
    if (!partitaIva.isEmpty())
        sql += QStringLiteral(" anag_partita_Iva like ") + pattern(partitaIva) + QStringLiteral(" and ");
    const QString stato = filters.stato.trimmed();
    if (!stato.isEmpty())
        sql += QStringLiteral(" anag_Stato like ") + pattern(stato) + QStringLiteral(" and ");
    if (filters.tipo == QLatin1String("Clienti"))
        sql += QStringLiteral(" anag_Fornitore = 0 and ");
    else if (filters.tipo == QLatin1String("Fornitori"))
        sql += QStringLiteral(" anag_Fornitore <> 0 and ");
    sql.chop(5);
    return sql;
}

QString searchStatement(const QString &head, const RegisterSearchFilters &filters)
{
    return head + QStringLiteral(" *") + searchFrom(filters) + QStringLiteral(" order by anag_Denominazione");
}

} // namespace

QString registerSearchStatement(const RegisterSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select top 100"), filters);
}

QString registerCountStatement(const RegisterSearchFilters &filters)
{
    return QStringLiteral("Select count(*) as n") + searchFrom(filters);
}

QString registerExportStatement(const RegisterSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select"), filters);
}
