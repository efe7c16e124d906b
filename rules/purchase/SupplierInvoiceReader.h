#pragma once

#include "rules/purchase/SupplierInvoice.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The invoices of a FatturaPA file (versions FPR12 and FPA12, one body or
// several). Reads the XML as it stands: a document type declaration, an
// entity or an external reference is refused, never expanded or fetched.
class SupplierInvoiceReader {
public:
    // The invoices of `xml`; none, and `error` set to the Italian reason,
    // when the file cannot be read whole. `fileName` names the file in it.
    static QList<SupplierInvoice> read(const QByteArray &xml, const QString &fileName, QString *error);
};
