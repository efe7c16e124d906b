#include "rules/invoicing/InvoiceReader.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/InvoiceVatSummary.h"

namespace {

QString text(const db::Recordset &rs, const QString &field)
{
    const QVariant value = rs.value(field);
    return value.isNull() ? QString() : value.toString();
}

QDate date(const db::Recordset &rs, const QString &field)
{
    const QVariant value = rs.value(field);
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return value.toDate();
}

} // namespace

StoredInvoice InvoiceReader::read(const QString &numero) const
{
    StoredInvoice invoice;
    invoice.number = numero;
    readHeader(invoice);
    readLines(invoice);
    return invoice;
}

void InvoiceReader::readHeader(StoredInvoice &invoice) const
{
    std::unique_ptr<db::Recordset> header = m_db.openRecordset(
        QStringLiteral("select * from Fattura where fat_Numero = ") + db::quoted(invoice.number));
    if (!header->eof()) {
        invoice.headerFound = true;
        invoice.date = date(*header, QStringLiteral("fat_Data"));
        invoice.payment = text(*header, QStringLiteral("fat_Descrizione_Pagamento")).trimmed();
        invoice.paymentDate = date(*header, QStringLiteral("fat_Data_Pagamento"));
        invoice.customer = header->value(QStringLiteral("fat_Codice_Cliente"));
    }
    header->close();
}

void InvoiceReader::readLines(StoredInvoice &invoice) const
{
    std::unique_ptr<db::Recordset> lines = m_db.openRecordset(
        QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = ") + db::quoted(invoice.number));
    for (; !lines->eof(); lines->moveNext()) {
        StoredInvoice::Line line;
        line.description = lines->value(QStringLiteral("df_Descrizione"));
        line.quantity = lines->value(QStringLiteral("df_Quantità"));
        line.price = lines->value(QStringLiteral("df_Prezzo"));
        line.amount = lines->value(QStringLiteral("df_Importo"));
        line.vatCode = lines->value(QStringLiteral("df_IVA"));
        if (!line.vatCode.isNull()) {
            const qlonglong key = line.vatCode.toLongLong();
            if (!invoice.vatCodes.contains(key))
                invoice.vatCodes.insert(key, readVatCode(key));
        }
        invoice.vatSummary.addLine(line.vatCode, line.amount, invoice.vatCode(line.vatCode).rate);
        invoice.lines.push_back(line);
    }
    lines->close();
}

StoredInvoice::VatCode InvoiceReader::readVatCode(qlonglong code) const
{
    StoredInvoice::VatCode found;
    std::unique_ptr<db::Recordset> rs = m_db.openRecordset(
        QStringLiteral("select IVA_Descrizione, IVA_Aliquota, IVA_Natura from IVA where IVA_Codice = ")
        + QString::number(code));
    if (!rs->eof()) {
        found.found = true;
        found.description = text(*rs, QStringLiteral("IVA_Descrizione"));
        found.rate = InvoiceVatSummary::rate(rs->value(QStringLiteral("IVA_Aliquota")));
        found.nature = text(*rs, QStringLiteral("IVA_Natura"));
    }
    rs->close();
    return found;
}
