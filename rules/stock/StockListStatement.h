#pragma once

#include <QString>

// What the user typed into the filters of a stock list.
struct StockListFilters {
    QString codice;       // load list: bar code of the item; unload list: article code
    QString fornitore;
    QString usato;        // text of cboUsato
    QString dataInizio;   // dd/mm/yyyy or empty
    QString dataFine;
    QString articolo{};   // load list: the article picked (art_Codice), in place of a bar code
};

// The statement and the report's selection formula of one search of a stock
// list. Typed values never change their meaning: texts are quoted with their
// quote doubled, an article code must be a whole number (else `refused` is
// set and nothing is to be run), dates go through the date check.
struct StockListSearch {
    QString sql;
    QString formula;
    bool refused = false;
};

// The loads (carico) of the load list, sorted by sortField when given.
StockListSearch loadListSearch(const StockListFilters &filters, const QString &sortField);
// The sales (scarico) of the unload list.
StockListSearch unloadListSearch(const StockListFilters &filters, const QString &sortField);
