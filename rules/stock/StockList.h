#pragma once

#include "rules/ListExport.h"
#include "rules/stock/StockListStatement.h"

#include <QStringList>

// The load list ("Lista Carichi") and the unload list ("Lista Scarichi")
// without their window: the search, the columns the window shows and
// "Esporta" writes, the field a row is recalled by, and what a search that
// finds nothing says.
class StockList {
public:
    enum class Kind { Loads, Unloads };

    explicit StockList(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    QString title() const;
    // Data, Codice, Descrizione, Usato, Quantità, Prezzo.
    QList<ExportColumn> columns() const;
    // The key of a row (carico.ca_Codice, sc_Codice), not shown.
    QString keyField() const;
    StockListSearch search(const StockListFilters &filters, const QString &sortField) const;
    QString noMatch() const;
    // The list of a search's statement, as "Esporta" writes it.
    ListExport list(const QString &statement) const;

private:
    Kind m_kind;
};
