#pragma once

#include "rules/purchase/SupplierInvoice.h"

#include <QList>
#include <QString>

// How a line of a supplier's invoice found the shop's item it loads.
enum class LineMatch {
    NotGoods,        // transport, a discount, a line without quantity: not loaded
    ByBarcode,       // one of its codes is an item's bar code
    BySupplierCode,  // the supplier's code, as the user matched it before
    ByUser,          // chosen now, remembered for the supplier's next invoice
    Unmatched        // goods no item was found for: the invoice waits
};

struct PreparedLine {
    SupplierInvoiceLine line;
    LineMatch match = LineMatch::Unmatched;
    QString barcode;                 // the shop's item
    QString itemText;                // its article's description, size and colour
};

// An invoice of a file as the import would post it.
struct PreparedInvoice {
    QString fileName;
    QString fingerprint;
    QString signer;
    SupplierInvoice invoice;
    qlonglong supplierId = 0;        // Anagrafica's entry; 0: a new supplier
    QString supplierName;            // as the register or the file has it
    bool alreadyImported = false;
    QList<PreparedLine> lines;

    int unmatchedGoods() const
    {
        int count = 0;
        for (const PreparedLine &line : lines)
            count += line.match == LineMatch::Unmatched ? 1 : 0;
        return count;
    }
    // A credit note gives money back; its goods are not loaded.
    bool isCreditNote() const { return invoice.documentType == QLatin1String("TD04"); }
};
