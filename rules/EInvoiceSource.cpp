#include "rules/EInvoiceSource.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/InvoiceLine.h"
#include "rules/InvoiceVatSummary.h"
#include "rules/ShopIdentity.h"

#include <QHash>
#include <QLocale>

namespace {

QString text(const db::Recordset &rs, const QString &field)
{
    const QVariant value = rs.value(field);
    return value.isNull() ? QString() : value.toString().trimmed();
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
    std::unique_ptr<db::Recordset> header = m_db.openRecordset(
        QStringLiteral("select * from Fattura where fat_Numero = ") + db::quoted(numero));
    if (header->eof())
        return doc;
    doc.data = date(*header, QStringLiteral("fat_Data"));
    doc.pagamento = text(*header, QStringLiteral("fat_Descrizione_Pagamento"));
    doc.dataPagamento = date(*header, QStringLiteral("fat_Data_Pagamento"));
    const QVariant cliente = header->value(QStringLiteral("fat_Codice_Cliente"));
    header->close();

    if (!cliente.isNull()) {
        std::unique_ptr<db::Recordset> rs = m_db.openRecordset(
            QStringLiteral("select * from Anagrafica where anag_Contatore = ") + QString::number(cliente.toLongLong()));
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

    // The lines in the order they were typed, each with its VAT code's rate
    // and nature (looked up once per code).
    struct Code { bool found = false; double rate = 0; QString natura; };
    QHash<qlonglong, Code> codes;
    std::unique_ptr<db::Recordset> lines = m_db.openRecordset(
        QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = ") + db::quoted(numero));
    for (; !lines->eof(); lines->moveNext()) {
        EInvoiceLine line;
        line.descrizione = text(*lines, QStringLiteral("df_Descrizione"));
        // A number stored as text reads as the engine reads texts given
        // to number fields, with the decimal comma: the line and the VAT
        // summary then see the same amount.
        const QLocale italian(QLocale::Italian, QLocale::Italy);
        line.quantita = InvoiceLine::number(lines->value(QStringLiteral("df_Quantità")), italian);
        line.prezzo = InvoiceLine::number(lines->value(QStringLiteral("df_Prezzo")), italian);
        const QVariant importo = lines->value(QStringLiteral("df_Importo"));
        if (!importo.isNull())
            line.importo = InvoiceLine::number(importo, italian);
        line.codiceIva = lines->value(QStringLiteral("df_IVA"));
        if (!line.codiceIva.isNull()) {
            const qlonglong key = line.codiceIva.toLongLong();
            if (!codes.contains(key)) {
                Code code;
                std::unique_ptr<db::Recordset> rs = m_db.openRecordset(
                    QStringLiteral("select IVA_Aliquota, IVA_Natura from IVA where IVA_Codice = ") + QString::number(key));
                if (!rs->eof()) {
                    code.found = true;
                    code.rate = InvoiceVatSummary::rate(rs->value(QStringLiteral("IVA_Aliquota")));
                    code.natura = text(*rs, QStringLiteral("IVA_Natura"));
                }
                rs->close();
                codes.insert(key, code);
            }
            const Code &code = codes[key];
            line.codiceIvaTrovato = code.found;
            line.aliquota = code.rate;
            line.natura = code.natura;
        }
        doc.righe.push_back(line);
    }
    lines->close();
    return doc;
}
