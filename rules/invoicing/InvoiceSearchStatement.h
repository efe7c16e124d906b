#pragma once

#include <QString>

// What the user typed into the invoice search.
struct InvoiceSearchFilters {
    QString numero;
    QString dataInizio;     // day first, as typed; empty for 01/01/1900
    QString dataFine;       // day first, as typed; empty for 01/01/2100
    QString codiceCliente;
    QString saldata;        // "Si", "No" or "Tutte"
};

// The select of the invoice search: the newest 200 invoices (by date, then
// number) that match every filled filter. The number is a pattern in which
// the user's * and ? are wildcards and everything else, quotes included, is
// literal; the dates reach the statement month first, as the database reads
// them; the customer is the whole number the text starts with.
QString invoiceSearchStatement(const InvoiceSearchFilters &filters);
// How many invoices the search matches, the 200 listed and those beyond.
QString invoiceCountStatement(const InvoiceSearchFilters &filters);
// Without typed dates (only the widest dates filter) the same count is made
// of two that never walk the index on the date, which visits the invoices
// one by one all over the table: the invoices matching the other filters
// (the engine reads the table, or a smaller index, in its own order) less
// those of them outside the dates (a few, found through the date's index).
// Empty when a date is typed.
QString invoiceOutsideDatesCountStatement(const InvoiceSearchFilters &filters);
QString invoiceUndatedCountStatement(const InvoiceSearchFilters &filters);
// The same search for an export: every matching invoice, in the same order,
// with its customer's name (anag_Denominazione).
QString invoiceExportStatement(const InvoiceSearchFilters &filters);

// The selection formula printing the listed invoices:
// "{fattura.fat_Numero} = 'A' or {fattura.fat_Numero} = 'B'".
QString invoiceListFormula(const QStringList &numbers);
