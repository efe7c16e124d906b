#include "rules/purchase/SupplierInvoice.h"

#include <QStringList>
#include <cmath>

bool SupplierInvoiceLine::isGoods() const
{
    return kind.isEmpty() && hasQuantity && quantity > 0 && totalPrice >= 0;
}

double SupplierInvoiceLine::netUnitPrice() const
{
    if (!hasQuantity || quantity == 0)
        return 0;
    // Prices travel with up to eight decimals; the load keeps what a euro
    // can hold, to the hundredth of a cent.
    return std::round(totalPrice / quantity * 10000.0) / 10000.0;
}

QString SupplierInvoiceLine::ean() const
{
    for (const SupplierArticleCode &code : codes)
        if (code.type.trimmed().compare(QLatin1String("EAN"), Qt::CaseInsensitive) == 0)
            return code.value.trimmed();
    return {};
}

QString SupplierInvoiceLine::codesText() const
{
    QStringList texts;
    for (const SupplierArticleCode &code : codes)
        texts << code.type + QLatin1Char(' ') + code.value;
    return texts.join(QStringLiteral(", "));
}

QString SupplierInvoiceLine::quantityText() const
{
    return QString::number(quantity, 'g', 12);
}

QString SupplierParty::registerVatNumber() const
{
    if (vatNumber.isEmpty())
        return {};
    return country == QLatin1String("IT") || country.isEmpty() ? vatNumber : country + vatNumber;
}

double SupplierInvoice::documentTotal() const
{
    return hasTotal ? total : taxableTotal + vatTotal;
}
