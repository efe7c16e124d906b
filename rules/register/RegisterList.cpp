#include "rules/register/RegisterList.h"

QString RegisterList::title()
{
    return QStringLiteral("Anagrafica");
}

QList<ExportColumn> RegisterList::columns()
{
    return {{QStringLiteral("Codice"), QStringLiteral("anag_Contatore"), ExportColumn::Kind::Number},
            {QStringLiteral("Denominazione"), QStringLiteral("anag_Denominazione")},
            {QStringLiteral("Stato"), QStringLiteral("anag_Stato")},
            {QStringLiteral("Partita IVA"), QStringLiteral("anag_Partita_IVA")}};
}

QString RegisterList::noMatch()
{
    return QStringLiteral("Nessuna anagrafica trovata con le caratteristiche specificate");
}

ListExport RegisterList::list(const RegisterSearchFilters &filters)
{
    return {title(), registerExportStatement(filters), columns(), {}};
}

RegisterSearchFilters RegisterList::everyEntry()
{
    return {QString(), QString(), QString(), QString(), QStringLiteral("Tutte")};
}
