#include "rules/purchase/SupplierInvoiceMatcher.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"

#include <QStringList>

namespace {

QString fieldText(const db::Recordset &rs, const QString &field)
{
    const QVariant value = rs.value(field);
    return value.isNull() ? QString() : value.toString().trimmed();
}

QString invoiceDateLiteral(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char('#');
}

} // namespace

SupplierInvoiceMatcher::SupplierInvoiceMatcher(std::shared_ptr<db::Database> database)
    : m_database(std::move(database))
{
}

QList<SupplierArticleCode> SupplierInvoiceMatcher::rememberedCodes(const SupplierInvoiceLine &line)
{
    QList<SupplierArticleCode> codes;
    for (const SupplierArticleCode &code : line.codes)
        if (!code.value.trimmed().isEmpty())
            codes << SupplierArticleCode{code.type.trimmed(), code.value.trimmed()};
    if (codes.isEmpty() && !line.description.trimmed().isEmpty())
        codes << SupplierArticleCode{QStringLiteral("Descrizione"), line.description.simplified().left(250)};
    return codes;
}

QList<PreparedInvoice> SupplierInvoiceMatcher::prepare(const SupplierInvoiceFile &file)
{
    QList<PreparedInvoice> prepared;
    for (const SupplierInvoice &invoice : file.invoices) {
        PreparedInvoice p;
        p.fileName = file.name;
        p.fingerprint = file.fingerprint;
        p.signer = file.signer;
        p.invoice = invoice;
        findSupplier(p);
        p.alreadyImported = isImported(p);
        for (const SupplierInvoiceLine &line : invoice.lines) {
            PreparedLine l;
            l.line = line;
            if (!line.isGoods() || p.isCreditNote())
                l.match = LineMatch::NotGoods;
            else
                match(invoice.supplier.registerVatNumber(), l);
            p.lines << l;
        }
        prepared << p;
    }
    return prepared;
}

void SupplierInvoiceMatcher::findSupplier(PreparedInvoice &prepared)
{
    const SupplierParty &s = prepared.invoice.supplier;
    prepared.supplierName = s.name;
    const QString vat = s.registerVatNumber();
    if (vat.isEmpty())
        return;
    // The register may keep an Italian number with its country or without.
    QString sql = QStringLiteral("select anag_Contatore, anag_Denominazione from Anagrafica where anag_Fornitore <> 0 "
                                 "and (anag_Partita_IVA = ") + db::quoted(vat);
    if (s.country == QLatin1String("IT"))
        sql += QStringLiteral(" or anag_Partita_IVA = ") + db::quoted(QStringLiteral("IT") + vat);
    sql += QStringLiteral(") order by anag_Contatore");
    auto rs = m_database->openRecordset(sql);
    if (rs->eof())
        return;
    prepared.supplierId = rs->value(QStringLiteral("anag_Contatore")).toLongLong();
    const QString name = fieldText(*rs, QStringLiteral("anag_Denominazione"));
    if (!name.isEmpty())
        prepared.supplierName = name;
}

bool SupplierInvoiceMatcher::isImported(const PreparedInvoice &prepared)
{
    auto rs = m_database->openRecordset(
        QStringLiteral("select ff_Codice from FattureFornitori where ff_Partita_IVA = ")
        + db::quoted(prepared.invoice.supplier.registerVatNumber()) + QStringLiteral(" and ff_Numero = ")
        + db::quoted(prepared.invoice.number) + QStringLiteral(" and ff_Data = ")
        + invoiceDateLiteral(prepared.invoice.date));
    return !rs->eof();
}

SupplierInvoiceMatcher::Item SupplierInvoiceMatcher::findItem(const QString &code)
{
    auto rs = m_database->openRecordset(
        QStringLiteral("select ca_Codice, ca_Taglia, ca_Colore, art_Descrizione from [Codice Articolo] left join "
                       "Articoli on art_Codice = ca_Codice_Articolo where ca_Codice = ") + db::quoted(code));
    if (rs->eof())
        return {};
    QStringList parts{fieldText(*rs, QStringLiteral("art_Descrizione"))};
    for (const QString &field : {QStringLiteral("ca_Taglia"), QStringLiteral("ca_Colore")})
        if (const QString value = fieldText(*rs, field); !value.isEmpty())
            parts << value;
    // The bar code as the shop stores it, whatever the case the file used.
    return {true, fieldText(*rs, QStringLiteral("ca_Codice")), parts.join(QStringLiteral(" - "))};
}

void SupplierInvoiceMatcher::match(const QString &vatNumber, PreparedLine &line)
{
    const auto take = [&line](const Item &item, LineMatch how) {
        line.barcode = item.barcode;
        line.itemText = item.text;
        line.match = how;
    };
    // A code of the line that is one of the shop's bar codes, whatever its type.
    for (const SupplierArticleCode &code : line.line.codes) {
        const QString value = code.value.trimmed();
        if (const Item item = value.isEmpty() ? Item() : findItem(value); item.found)
            return take(item, LineMatch::ByBarcode);
    }
    // Then the supplier's code as the user matched it before (an item
    // deleted since matches nothing).
    for (const SupplierArticleCode &code : rememberedCodes(line.line)) {
        auto rs = m_database->openRecordset(
            QStringLiteral("select cf_Codice_Articolo from CodiciFornitori where cf_Partita_IVA = ") + db::quoted(vatNumber)
            + QStringLiteral(" and cf_Tipo = ") + db::quoted(code.type) + QStringLiteral(" and cf_Valore = ")
            + db::quoted(code.value));
        if (rs->eof())
            continue;
        if (const Item item = findItem(fieldText(*rs, QStringLiteral("cf_Codice_Articolo"))); item.found)
            return take(item, LineMatch::BySupplierCode);
    }
    line.match = LineMatch::Unmatched;
}

bool SupplierInvoiceMatcher::chooseItem(PreparedLine &line, const QString &barcode)
{
    const Item item = findItem(barcode.trimmed());
    if (!item.found || line.match == LineMatch::NotGoods)
        return false;
    line.barcode = item.barcode;
    line.itemText = item.text;
    line.match = LineMatch::ByUser;
    return true;
}
