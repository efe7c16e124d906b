#pragma once

#include "rules/EInvoice.h"

#include <QStringList>
#include <optional>

namespace db { class Database; }

// The shop's fiscal identity, the one row of table Azienda, edited in "Dati
// azienda": the seller of the electronic invoices and the letterhead of the
// printed documents.
class ShopIdentity {
public:
    // The stored row; none when the shop has not filled it in yet.
    static std::optional<EInvoiceShop> read(db::Database &database);
    // Writes the row (made on the first save); the send counter stays.
    static void write(db::Database &database, const EInvoiceShop &shop);
    // What is filled in but cannot be right (a partita IVA whose check digit
    // is wrong, a CAP that is not five digits...): one sentence each. Empty
    // fields are not problems here: the export says what it still needs.
    static QStringList entryProblems(const EInvoiceShop &shop);
};
