#pragma once

#include "rules/purchase/SupplierInvoice.h"

#include <QList>
#include <QString>
#include <QStringList>

// One file a supplier sent, read whole: its invoices, or why it cannot be.
struct SupplierInvoiceFile {
    QString path;
    QString name;                 // the file's own name, as messages give it
    QString fingerprint;          // SHA-256 of the file's bytes, in hex
    QString signer;               // empty when the file is not signed
    QList<SupplierInvoice> invoices;
    QString error;                // empty when read
};

class SupplierInvoiceFiles {
public:
    // The files named, and those of the folders named (".xml" and ".p7m",
    // in the order of their names), each read on its own: a file that
    // cannot be read stops no other.
    static QList<SupplierInvoiceFile> read(const QStringList &filesOrFolders);
    static SupplierInvoiceFile readOne(const QString &path);
};
