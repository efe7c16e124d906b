#include "rules/register/RegisterSearchStatement.h"

#include "rules/general/GeneralValues.h"
#include "db/SqlText.h"

namespace {

QString pattern(const QString &trimmed)
{
    return db::quoted(db::typedLikePattern(trimmed), QLatin1Char('"'));
}

QString searchStatement(const QString &head, const RegisterSearchFilters &filters)
{
    QString sql = head + QStringLiteral(" * from anagrafica where ");
    const QString codice = filters.codice.trimmed();
    if (!codice.isEmpty())
        sql += QStringLiteral("anag_contatore = ") + QString::number(ValLong(codice)) + QStringLiteral(" and ");
    const QString denominazione = filters.denominazione.trimmed();
    if (!denominazione.isEmpty())
        sql += QStringLiteral("anag_Denominazione like ") + pattern(denominazione) + QStringLiteral(" and ");
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
    return sql + QStringLiteral(" order by anag_Denominazione");
}

} // namespace

QString registerSearchStatement(const RegisterSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select top 100"), filters);
}

QString registerExportStatement(const RegisterSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select"), filters);
}
