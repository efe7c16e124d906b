#pragma once

#include "rules/purchase/PreparedInvoice.h"
#include "rules/purchase/SupplierInvoiceFiles.h"

#include <memory>

namespace db { class Database; }

// What an import would do with the invoices of a file, read from the shop
// and written nowhere: the supplier found by its partita IVA, an invoice
// already imported, each line's item found by its bar code or by the
// supplier's code as the user matched it last time.
class SupplierInvoiceMatcher {
public:
    explicit SupplierInvoiceMatcher(std::shared_ptr<db::Database> database);

    QList<PreparedInvoice> prepare(const SupplierInvoiceFile &file);
    // The line matched by the user to the item `barcode`; false when the
    // shop has no such item (the line stays as it was).
    bool chooseItem(PreparedLine &line, const QString &barcode);

    // The codes a line is remembered by for its supplier: its own codes, or
    // its description when it has none.
    static QList<SupplierArticleCode> rememberedCodes(const SupplierInvoiceLine &line);

private:
    void findSupplier(PreparedInvoice &prepared);
    bool isImported(const PreparedInvoice &prepared);
    void match(const QString &vatNumber, PreparedLine &line);
    struct Item {
        bool found = false;
        QString barcode;
        QString text;      // the article's description, size and colour
    };
    Item findItem(const QString &code);

    std::shared_ptr<db::Database> m_database;
};
