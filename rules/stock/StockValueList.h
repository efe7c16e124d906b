#pragma once

#include "rules/ListExport.h"
#include "rules/stock/StockValuation.h"

#include <QDate>
#include <memory>

// The stock value at a date ("Valore del magazzino") without its window:
// the day it is asked for, its columns, and its lines as "Esporta" and
// tarvo-esporta write them (one row per item, made as they are written).
class StockValueList {
public:
    static QString title();
    // Fornitore, Codice, Descrizione, Taglia, Colore, Quantità, Prezzo medio, Valore.
    static QList<ExportColumn> columns();
    // The lines of `shown` (no rows without one).
    static ListExport list(std::shared_ptr<const StockValuation> shown);
    // The day the window starts with: the last of the year before `today`.
    static QDate defaultDay(const QDate &today);
    // The day typed day first; empty is defaultDay(today()). False when the
    // text is no date (badDay() says so).
    static bool day(const QString &typed, QDate &day);
    static QString badDay();
    // What the window says when no item was in stock on the day.
    static QString noLines();
    // The fields of the table "valore" that valore.rpt prints, one per
    // column of the list, in its order.
    static QStringList reportFields();
    // The heading of the window and of the print: "Valore del magazzino al 31/12/2025".
    static QString heading(const QDate &day);
};
