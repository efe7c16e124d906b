#pragma once

#include "rules/EInvoice.h"

#include <QStringList>

// The checks an invoice passes before it is written as an electronic
// invoice: each problem one Italian sentence naming the invoice and the
// field. No problem, no message.
class EInvoiceChecks {
public:
    // The shop's own data, the seller of every invoice.
    static QStringList shopProblems(const EInvoiceShop &shop);
    static QStringList invoiceProblems(const EInvoiceDocument &invoice);

    // The country of a customer as a two-letter code: empty or "Italia" is
    // IT, a code is itself, a few names of neighbouring countries are
    // known; anything else gives an empty text.
    static QString countryCode(const QString &stato);
    static bool isItalian(const EInvoiceCustomer &customer);
};
