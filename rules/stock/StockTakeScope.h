#pragma once

#include "rules/stock/StockTake.h"

#include <QString>

namespace db { class Database; }

// The part of the shop a count covers: the stock items whose article has the
// count's supplier and whose description contains the count's text (case
// ignored); either left empty covers every item. One condition, used both
// to check a scanned item and to list the items not counted, so that the
// two always agree.
class StockTakeScope {
public:
    explicit StockTakeScope(const StockTake &take);

    bool everything() const { return m_fornitore.isEmpty() && m_descrizione.isEmpty(); }
    // The condition on Articoli (joined to [Codice Articolo]) in the
    // program's dialect, each typed text a literal; empty when the count
    // covers everything.
    QString condition() const;
    // Whether a count may be limited to this supplier: one of the register
    // of suppliers, or one some article names (older shops fill only the
    // articles).
    static bool knownSupplier(db::Database &database, const QString &supplier);
    // Whether the stock item with this (stored) bar code is in scope.
    bool contains(db::Database &database, const QString &barcode) const;

private:
    QString m_fornitore;
    QString m_descrizione;
};
