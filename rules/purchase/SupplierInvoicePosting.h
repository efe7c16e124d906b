#pragma once

#include "rules/purchase/PreparedInvoice.h"

#include <QDate>
#include <QString>

// Posts one prepared invoice, whole or not at all: the supplier (added to
// the register and the suppliers' names when new), a load per line of goods
// at the line's net unit price with the article's load price brought to it,
// the codes the user matched remembered for the supplier, the supplier
// journal's entry and the invoice's record with its file's name and
// fingerprint. An invoice already imported, here or by another till, is
// never posted twice.
class SupplierInvoicePosting {
public:
    struct Outcome {
        bool posted = false;
        int loads = 0;
        QString error;     // the Italian reason, naming the invoice
    };

    // `loadDate` dates the loads (the invoice's date or another the user
    // chose); `today` is the day of the import.
    static Outcome post(const PreparedInvoice &invoice, const QDate &loadDate, const QDate &today);
    // How the messages name an invoice: "FT/118 del 27/11/2026 di Lanificio srl".
    static QString name(const PreparedInvoice &invoice);
};
