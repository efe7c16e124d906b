#include "rules/stock/StockList.h"

namespace {

// The fields of the columns, then of the key.
QStringList fieldsOf(StockList::Kind kind)
{
    if (kind == StockList::Kind::Loads)
        return {QStringLiteral("carico.ca_Data"), QStringLiteral("carico.ca_Codice_Articolo"),
                QStringLiteral("art_Descrizione"), QStringLiteral("ca_Usato"),
                QStringLiteral("carico.ca_Quantita"), QStringLiteral("carico.ca_Prezzo"),
                QStringLiteral("carico.ca_Codice")};
    return {QStringLiteral("sc_Data"), QStringLiteral("sc_Codice_Articolo"), QStringLiteral("art_Descrizione"),
            QStringLiteral("sc_Usato"), QStringLiteral("sc_Quantita"), QStringLiteral("sc_Prezzo"),
            QStringLiteral("sc_Codice")};
}

} // namespace

QString StockList::title() const
{
    return m_kind == Kind::Loads ? QStringLiteral("Lista Carichi") : QStringLiteral("Lista Scarichi");
}

QList<ExportColumn> StockList::columns() const
{
    using K = ExportColumn::Kind;
    const QStringList fields = fieldsOf(m_kind);
    return {{QStringLiteral("Data"), fields.at(0), K::Date},
            {QStringLiteral("Codice"), fields.at(1)},
            {QStringLiteral("Descrizione"), fields.at(2)},
            {QStringLiteral("Usato"), fields.at(3), K::YesNo},
            {QStringLiteral("Quantità"), fields.at(4), K::Number},
            {QStringLiteral("Prezzo"), fields.at(5), K::Amount}};
}

QString StockList::keyField() const
{
    return fieldsOf(m_kind).last();
}

StockListSearch StockList::search(const StockListFilters &filters, const QString &sortField) const
{
    return m_kind == Kind::Loads ? loadListSearch(filters, sortField) : unloadListSearch(filters, sortField);
}

QString StockList::noMatch() const
{
    return m_kind == Kind::Loads ? QStringLiteral("Nessun carico trovato con le caratteristiche specificate")
                                 : QStringLiteral("Nessuno scarico trovato con le caratteristiche specificate");
}

ListExport StockList::list(const QString &statement) const
{
    return {title(), statement, columns(), {}};
}
