#pragma once

#include "rules/EInvoice.h"
#include "rules/InvoiceVatSummary.h"

#include <QByteArray>

// The FatturaPA 1.2.2 document of one checked invoice (EInvoiceChecks): FPR12
// towards private parties, FPA12 when the recipient code has six characters
// (a public administration). The VAT summary is the printed invoice's own
// (InvoiceVatSummary), one DatiRiepilogo per group.
class EInvoiceXml {
public:
    static QByteArray write(const EInvoiceShop &shop, const EInvoiceDocument &invoice, const QString &progressivo);

    static InvoiceVatSummary vatSummary(const EInvoiceDocument &invoice);
    // Taxable amounts plus VAT, in cents, as ImportoTotaleDocumento says.
    static qlonglong totalCents(const EInvoiceDocument &invoice);
    // "FPA12" or "FPR12".
    static QString format(const EInvoiceCustomer &customer);
    // The recipient code written: the customer's, "0000000" for one reached
    // by PEC, "XXXXXXX" abroad.
    static QString codiceDestinatario(const EInvoiceCustomer &customer);
    // The payment kind of an invoice (pag_Descrizione) as ModalitaPagamento.
    static QString modalitaPagamento(const QString &pagamento);
};
