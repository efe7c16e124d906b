#pragma once

#include "rules/ListExport.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLine.h"

#include <QList>

namespace db { class Database; }

// A count's lists as "Esporta" writes them: every counted line, or the
// differences (what posting changes), with the counted quantity, the stock
// and the difference as numbers.
class StockTakeList {
public:
    enum class Kind { Counted, Differences };

    static QString title(Kind kind);
    // Codice, Descrizione, Taglia, Colore, Contato (empty for an item not
    // counted, to be set to zero), Giacenza, Differenza.
    static QList<ExportColumn> columns();
    static ListExport list(Kind kind, const QList<StockTakeLine> &lines);
    // The list of count `numero` read from the database; `found` false (and
    // no rows) when there is no such count.
    static ListExport read(db::Database &database, Kind kind, qlonglong numero, bool *found);
    static QString noSuchCount(const QString &numero);
    static QString noCountGiven();
};
