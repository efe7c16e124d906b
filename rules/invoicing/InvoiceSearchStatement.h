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
// With every box empty (only the widest dates filter), the same count as
// all invoices less those outside the dates: the engine counts a
// whole table without visiting its rows, and the few outside through the
// index on the date. Empty when another filter is filled.
QString invoiceOutsideDatesCountStatement(const InvoiceSearchFilters &filters);
QString invoiceAllCountStatement();
// The same search for an export: every matching invoice, in the same order,
// with its customer's name (anag_Denominazione).
QString invoiceExportStatement(const InvoiceSearchFilters &filters);

// The selection formula printing the listed invoices:
// "{fattura.fat_Numero} = 'A' or {fattura.fat_Numero} = 'B'".
QString invoiceListFormula(const QStringList &numbers);
