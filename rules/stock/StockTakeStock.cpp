#include "rules/stock/StockTakeStock.h"

#include "db/Database.h"
#include "db/SqlText.h"
#include "db/TextKeys.h"
#include "rules/StockQuantity.h"

namespace {

struct MovementTable {
    const char *table;
    const char *code;
    const char *date;
    const char *quantity;
    int sign;
};

constexpr MovementTable kTables[] = {
    {"carico", "ca_Codice_Articolo", "ca_Data", "ca_Quantita", +1},
    {"scarico", "sc_Codice_Articolo", "sc_Data", "sc_Quantita", -1},
    {"Rettifiche", "re_Codice_Articolo", "re_Data", "re_Quantita", +1},
};

// From the first moment of the next day: a date kept with a time of day
// still belongs to its day.
QString afterDay(const MovementTable &table, const QDate &date)
{
    return QLatin1String(table.date) + QStringLiteral(" >= #") + date.addDays(1).toString(Qt::ISODate)
           + QLatin1Char('#');
}

long wholeOf(const QVariant &quantity)
{
    return quantity.isValid() && !quantity.isNull() ? StockQuantity::whole(quantity.toDouble()) : 0;
}

} // namespace

long StockTakeStock::movedAfter(db::Database &database, const QString &barcode, const QDate &date)
{
    long moved = 0;
    const QString code = db::quoted(barcode, QLatin1Char('"'));
    for (const MovementTable &table : kTables) {
        auto rs = database.openRecordset(QStringLiteral("select ") + QLatin1String(table.quantity)
                                         + QStringLiteral(" from ") + QLatin1String(table.table)
                                         + QStringLiteral(" where ") + QLatin1String(table.code) + QStringLiteral(" = ")
                                         + code + QStringLiteral(" and ") + afterDay(table, date));
        for (; !rs->eof(); rs->moveNext())
            moved += table.sign * wholeOf(rs->value(0));
    }
    return moved;
}

// Read as one grouped result (each item's quantities with how often each
// came): a record set of the rows themselves reads its keys page by page,
// running the select again for each page. Grouped by the quantity first:
// grouped by the bar code first, the engine would read the whole table in
// the order of the bar code's index rather than the days asked for.
QHash<QString, long> StockTakeStock::allMovedAfter(db::Database &database, const QDate &date)
{
    QHash<QString, long> moved;
    for (const MovementTable &table : kTables) {
        auto rs = database.openRecordset(QStringLiteral("select ") + QLatin1String(table.code) + QStringLiteral(", ")
                                         + QLatin1String(table.quantity) + QStringLiteral(", count(*) from ")
                                         + QLatin1String(table.table) + QStringLiteral(" where ")
                                         + afterDay(table, date) + QStringLiteral(" group by ")
                                         + QLatin1String(table.quantity) + QStringLiteral(", ")
                                         + QLatin1String(table.code));
        for (; !rs->eof(); rs->moveNext()) {
            const QVariant code = rs->value(0);
            if (!code.isNull())
                moved[db::foldedText(code.toString())] +=
                    table.sign * wholeOf(rs->value(1)) * long(rs->value(2).toLongLong());
        }
    }
    return moved;
}
