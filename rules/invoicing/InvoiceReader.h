#pragma once

#include "rules/invoicing/StoredInvoice.h"

namespace db { class Database; }

// Reads one invoice from the shop's database: the header of Fattura, the
// lines of [Dettaglio Fattura] in the order they were typed, the rate,
// description and nature of each VAT code they use (looked up once per
// code) and the VAT groups. The print and the electronic invoice both read
// an invoice through it.
class InvoiceReader {
public:
    explicit InvoiceReader(db::Database &database) : m_db(database) {}

    // An invoice without a header still has the lines stored under its number.
    StoredInvoice read(const QString &numero) const;

private:
    void readHeader(StoredInvoice &invoice) const;
    void readLines(StoredInvoice &invoice) const;
    StoredInvoice::VatCode readVatCode(qlonglong code) const;

    db::Database &m_db;
};
