#include "rules/stock/ReorderItems.h"

#include "db/Database.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "db/TextKeys.h"
#include "rules/StockQuantity.h"

#include <QHash>
#include <algorithm>

namespace {

qint64 reorderInteger(const db::Statement &row, int column)
{
    return row.columnType(column) == db::NullValue ? 0 : row.columnInteger(column);
}

double reorderReal(const db::Statement &row, int column)
{
    return row.columnType(column) == db::NullValue ? 0.0 : row.columnReal(column);
}

} // namespace

QList<ReorderLine> ReorderItems::read(db::Database &database, const QDate &today, const QString &supplier)
{
    // The partial index on the minimum stock holds only the items that have one.
    const QString sql = QStringLiteral(
        "select c.ca_Codice, c.ca_Taglia, c.ca_Colore, c.ca_Quantita, c.ca_Scorta_Minima, a.art_Descrizione, "
        "a.art_Fornitore from \"Codice Articolo\" c left join Articoli a on a.art_Codice = c.ca_Codice_Articolo "
        "where c.ca_Scorta_Minima is not null and ifnull(c.ca_Quantita, 0) <= c.ca_Scorta_Minima");
    const QString wanted = db::foldedText(supplier.trimmed());
    QList<ReorderLine> lines;
    QHash<QString, qsizetype> lineOfCode;
    {
        db::Statement *row = database.statement(sql);
        const db::StatementUse use(row);
        while (row->step(sql)) {
            ReorderLine line;
            line.fornitore = row->columnString(6).trimmed();
            if (!wanted.isEmpty() && db::foldedText(line.fornitore) != wanted)
                continue;
            line.codice = row->columnString(0);
            line.taglia = row->columnString(1);
            line.colore = row->columnString(2);
            line.giacenza = reorderInteger(*row, 3);
            line.scortaMinima = reorderInteger(*row, 4);
            line.descrizione = row->columnString(5);
            lineOfCode.insert(db::foldedText(line.codice), lines.size());
            lines << line;
        }
    }
    if (!lines.isEmpty()) {
        const QString sales = db::selectInStoredOrder(QStringLiteral("sc_Codice_Articolo, sc_Quantita"),
                                                      QStringLiteral("scarico"),
                                                      QStringLiteral("sc_Data >= ? and sc_Data < ?"), database.onServer());
        db::Statement *row = database.statement(sales);
        const db::StatementUse use(row);
        row->bindText(1, monthStart(today).toString(QStringLiteral("yyyy-MM-dd")));
        row->bindText(2, today.addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
        while (row->step(sales)) {
            const auto line = lineOfCode.constFind(db::foldedText(row->columnString(0)));
            // A quantity beyond the stock's range never moved it.
            const double sold = reorderReal(*row, 1);
            if (line != lineOfCode.constEnd() && StockQuantity::fitsStock(sold))
                lines[*line].venduti += StockQuantity::whole(sold);
        }
    }
    for (ReorderLine &line : lines)
        line.daOrdinare = std::max<qint64>(0, line.scortaMinima - line.giacenza + line.venduti);
    std::sort(lines.begin(), lines.end(), [](const ReorderLine &a, const ReorderLine &b) {
        if (a.fornitore.isEmpty() != b.fornitore.isEmpty())
            return b.fornitore.isEmpty();
        const int bySupplier = a.fornitore.compare(b.fornitore, Qt::CaseInsensitive);
        if (bySupplier != 0)
            return bySupplier < 0;
        return a.codice.compare(b.codice, Qt::CaseInsensitive) < 0;
    });
    return lines;
}

QStringList ReorderItems::suppliers(const QList<ReorderLine> &lines)
{
    QStringList names;
    for (const ReorderLine &line : lines)
        if (names.isEmpty() || names.last().compare(line.fornitore, Qt::CaseInsensitive) != 0)
            names << line.fornitore;
    return names;
}
