#include "rules/stock/ReorderList.h"

QString ReorderList::title()
{
    return QStringLiteral("Sottoscorta");
}

QList<ExportColumn> ReorderList::columns()
{
    using Kind = ExportColumn::Kind;
    return {{QStringLiteral("Fornitore"), QString()},
            {QStringLiteral("Codice"), QString()},
            {QStringLiteral("Descrizione"), QString()},
            {QStringLiteral("Taglia"), QString()},
            {QStringLiteral("Colore"), QString()},
            {QStringLiteral("Giacenza"), QString(), Kind::Number},
            {QStringLiteral("Scorta minima"), QString(), Kind::Number},
            {QStringLiteral("Venduti ultimo mese"), QString(), Kind::Number},
            {QStringLiteral("Da ordinare"), QString(), Kind::Number}};
}

ListExport ReorderList::list(const QList<ReorderLine> &lines)
{
    ListExport list;
    list.title = title();
    list.columns = columns();
    for (const ReorderLine &line : lines)
        list.rows.append({line.fornitore.isEmpty() ? noSupplier() : line.fornitore, line.codice, line.descrizione,
                          line.taglia, line.colore, line.giacenza, line.scortaMinima, line.venduti, line.daOrdinare});
    return list;
}

QString ReorderList::noSupplier()
{
    return QStringLiteral("Senza fornitore");
}

QString ReorderList::noLines()
{
    return QStringLiteral("Nessun articolo è sotto la scorta minima.");
}

QStringList ReorderList::reportFields()
{
    return {QStringLiteral("fornitore"), QStringLiteral("codice"), QStringLiteral("descrizione"),
            QStringLiteral("taglia"), QStringLiteral("colore"), QStringLiteral("giacenza"),
            QStringLiteral("scorta"), QStringLiteral("venduti"), QStringLiteral("ordinare")};
}
