#include "rules/EInvoiceSource.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/InvoiceLine.h"
#include "rules/ShopIdentity.h"
#include "rules/invoicing/InvoiceReader.h"

#include <QLocale>

namespace {

QString text(const db::Recordset &rs, const QString &field)
{
    const QVariant value = rs.value(field);
    return value.isNull() ? QString() : value.toString().trimmed();
}

QString isoLiteral(const QDate &d)
{
    return QLatin1Char('#') + d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('#');
}

} // namespace

EInvoiceShop EInvoiceSource::shop() const
{
    return ShopIdentity::read(m_db).value_or(EInvoiceShop{});
}

QStringList EInvoiceSource::numbersBetween(const QDate &from, const QDate &to) const
{
    QStringList out;
    std::unique_ptr<db::Recordset> rs = m_db.openRecordset(
        QStringLiteral("select fat_Numero from Fattura where fat_Data between ") + isoLiteral(from)
        + QStringLiteral(" and ") + isoLiteral(to) + QStringLiteral(" order by fat_Numero"));
    for (; !rs->eof(); rs->moveNext())
        out << rs->value(0).toString();
    rs->close();
    return out;
}

EInvoiceDocument EInvoiceSource::invoice(const QString &numero) const
{
    EInvoiceDocument doc;
    doc.numero = numero;
    const StoredInvoice stored = InvoiceReader(m_db).read(numero);
    if (!stored.headerFound)
        return doc;
    doc.data = stored.date;
    doc.pagamento = stored.payment;
    doc.dataPagamento = stored.paymentDate;

    if (!stored.customer.isNull()) {
        std::unique_ptr<db::Recordset> rs = m_db.openRecordset(
            QStringLiteral("select * from Anagrafica where anag_Contatore = ")
            + QString::number(stored.customer.toLongLong()));
        if (!rs->eof()) {
            doc.clienteTrovato = true;
            EInvoiceCustomer &c = doc.cliente;
            c.denominazione = text(*rs, QStringLiteral("anag_Denominazione"));
            c.partitaIva = text(*rs, QStringLiteral("anag_Partita_IVA"));
            c.codiceFiscale = text(*rs, QStringLiteral("anag_Codice_Fiscale"));
            c.indirizzo = text(*rs, QStringLiteral("anag_Indirizzo"));
            c.cap = text(*rs, QStringLiteral("anag_Cap"));
            c.comune = text(*rs, QStringLiteral("anag_Località"));
            c.provincia = text(*rs, QStringLiteral("anag_Provincia"));
            c.stato = text(*rs, QStringLiteral("anag_Stato"));
            c.codiceDestinatario = text(*rs, QStringLiteral("anag_Codice_Destinatario"));
            c.pec = text(*rs, QStringLiteral("anag_PEC"));
        }
        rs->close();
    }

    // The lines in the order they were row, each with its VAT code's rate
    // and nature. A number stored as text reads as the engine reads texts
    // given to number fields, with the decimal comma: the line and the VAT
    // summary then see the same amount.
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    for (const StoredInvoice::Line &row : stored.lines) {
        EInvoiceLine line;
        line.descrizione = row.description.isNull() ? QString() : row.description.toString().trimmed();
        line.quantita = InvoiceLine::number(row.quantity, italian);
        line.prezzo = InvoiceLine::number(row.price, italian);
        if (!row.amount.isNull())
            line.importo = InvoiceLine::number(row.amount, italian);
        line.codiceIva = row.vatCode;
        if (!line.codiceIva.isNull()) {
            const StoredInvoice::VatCode code = stored.vatCode(line.codiceIva);
            line.codiceIvaTrovato = code.found;
            line.aliquota = code.rate;
            line.natura = code.nature.trimmed();
        }
        doc.righe.push_back(line);
    }
    return doc;
}
