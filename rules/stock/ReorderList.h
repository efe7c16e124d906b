#pragma once

#include "rules/ListExport.h"
#include "rules/stock/ReorderItems.h"

// What to reorder ("Sottoscorta") without its window: its columns and its
// lines as "Esporta" and tarvo-esporta write them.
class ReorderList {
public:
    static QString title();
    // Fornitore, Codice, Descrizione, Taglia, Colore, Giacenza, Scorta minima,
    // Venduti ultimo mese, Da ordinare.
    static QList<ExportColumn> columns();
    static ListExport list(const QList<ReorderLine> &lines);
    // The fields of the table "sottoscorta" that sottoscorta.rpt prints, one
    // per column of the list, in its order.
    static QStringList reportFields();
    // What the articles without a supplier are listed under.
    static QString noSupplier();
    // What the window says when nothing is at or under its minimum.
    static QString noLines();
};
