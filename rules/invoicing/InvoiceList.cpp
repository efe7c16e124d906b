#include "rules/invoicing/InvoiceList.h"

QString InvoiceList::title()
{
    return QStringLiteral("Fatture");
}

QList<ExportColumn> InvoiceList::columns()
{
    using K = ExportColumn::Kind;
    ExportColumn saldata(QStringLiteral("Saldata"), QStringLiteral("fat_Pagato"), K::YesNo);
    saldata.yes = QStringLiteral("Si");
    return {{QStringLiteral("Numero"), QStringLiteral("fat_Numero")},
            {QStringLiteral("Data"), QStringLiteral("fat_Data"), K::Date},
            {QStringLiteral("Cliente"), QStringLiteral("anag_Denominazione")},
            saldata,
            {QStringLiteral("Data Pagamento"), QStringLiteral("fat_Data_Pagamento"), K::Date}};
}

QString InvoiceList::noMatch()
{
    return QStringLiteral("Nessuna fattura trovata con le caratteristiche specificate");
}

ListExport InvoiceList::list(const InvoiceSearchFilters &filters)
{
    return {title(), invoiceExportStatement(filters), columns(), {}};
}

InvoiceSearchFilters InvoiceList::period(const QString &from, const QString &to)
{
    return {QString(), from, to, QString(), QStringLiteral("Tutte")};
}
