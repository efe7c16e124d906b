#pragma once

#include "rules/purchase/SupplierInvoice.h"

#include <QString>

namespace db { class Database; }

// A new article and its item for goods a supplier sent that the shop did
// not have yet, made from the invoice's line: its description, the
// supplier's name, the net unit price as load price. The item takes the
// line's EAN when it has one the shop does not use, else a code of the
// shop's own. Written at once, in one transaction.
class SupplierInvoiceArticle {
public:
    // The new item's bar code. Throws db::DbError when the database refuses.
    static QString create(db::Database &database, const SupplierInvoiceLine &line, const QString &supplierName);
};
