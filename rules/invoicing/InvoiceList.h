#pragma once

#include "rules/ListExport.h"
#include "rules/invoicing/InvoiceSearchStatement.h"

// The invoice search's list ("Fatture") without its window: the columns it
// shows and "Esporta" writes, every invoice a search finds.
class InvoiceList {
public:
    static QString title();
    // Numero, Data, Cliente, Saldata ("Si"/"No"), Data Pagamento.
    static QList<ExportColumn> columns();
    static QString noMatch();
    // Every invoice the search of `filters` finds.
    static ListExport list(const InvoiceSearchFilters &filters);
    // The filters with nothing typed: every invoice, paid or not.
    static InvoiceSearchFilters period(const QString &from, const QString &to);
};
