#include "rules/stock/ArticleList.h"

QString ArticleList::title()
{
    return QStringLiteral("Articoli");
}

QString ArticleList::statement()
{
    return QStringLiteral("Select * from Articoli");
}

// The quantity and the day of the last sale are written as they are stored.
QList<ExportColumn> ArticleList::columns()
{
    using K = ExportColumn::Kind;
    return {{QStringLiteral("Codice"), QStringLiteral("art_Codice")},
            {QStringLiteral("Descrizione"), QStringLiteral("art_Descrizione")},
            {QStringLiteral("Prezzo Carico"), QStringLiteral("art_Prezzo_Carico"), K::Amount},
            {QStringLiteral("Listino"), QStringLiteral("art_Prezzo_Listino"), K::Amount},
            {QStringLiteral("Quantità"), QStringLiteral("art_Quantita")},
            {QStringLiteral("Prezzo Medio"), QStringLiteral("art_Prezzo_Medio"), K::Amount},
            {QStringLiteral("Ricarico"), QStringLiteral("art_Ricarico"), K::Amount},
            {QStringLiteral("Usato"), QStringLiteral("art_Usato"), K::YesNo},
            {QStringLiteral("Data U.V."), QStringLiteral("art_Data_Ultima_Vendita")}};
}

ListExport ArticleList::list(const QString &statement)
{
    return {title(), statement, columns(), {}};
}
