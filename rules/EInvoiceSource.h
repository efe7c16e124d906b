#pragma once

#include "rules/EInvoice.h"

#include <QStringList>

namespace db { class Database; }

// The shop's database read as electronic invoices: the shop's identity
// (table Azienda, empty fields when it has no row), the invoices of a
// period, one invoice with its customer, lines and VAT codes.
class EInvoiceSource {
public:
    explicit EInvoiceSource(db::Database &database) : m_db(database) {}

    EInvoiceShop shop() const;
    // The numbers of the invoices dated from `from` to `to`, in number order.
    QStringList numbersBetween(const QDate &from, const QDate &to) const;
    // An invoice that is not there has no date, no customer and no lines.
    EInvoiceDocument invoice(const QString &numero) const;

private:
    db::Database &m_db;
};
