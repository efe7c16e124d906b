#include "rules/stock/StockTakeList.h"

#include "rules/stock/StockTakeLines.h"

QString StockTakeList::title(Kind kind)
{
    return kind == Kind::Counted ? QStringLiteral("Inventario") : QStringLiteral("Differenze inventario");
}

QList<ExportColumn> StockTakeList::columns()
{
    using K = ExportColumn::Kind;
    return {{QStringLiteral("Codice"), QString()},
            {QStringLiteral("Descrizione"), QString()},
            {QStringLiteral("Taglia"), QString()},
            {QStringLiteral("Colore"), QString()},
            {QStringLiteral("Contato"), QString(), K::Number},
            {QStringLiteral("Giacenza"), QString(), K::Number},
            {QStringLiteral("Differenza"), QString(), K::Number}};
}

ListExport StockTakeList::list(Kind kind, const QList<StockTakeLine> &lines)
{
    ListExport list;
    list.title = title(kind);
    list.columns = columns();
    for (const StockTakeLine &line : lines)
        list.rows.append({line.codice, line.descrizione, line.taglia, line.colore,
                          line.contato ? QVariant(qlonglong(line.quantitaContata)) : QVariant(),
                          qlonglong(line.giacenza), qlonglong(line.differenza())});
    return list;
}

ListExport StockTakeList::read(db::Database &database, Kind kind, qlonglong numero, bool *found)
{
    const std::optional<StockTake> take = StockTake::read(database, numero);
    if (found)
        *found = take.has_value();
    if (!take)
        return list(kind, {});
    StockTakeLines lines(database, *take);
    return list(kind, kind == Kind::Counted ? lines.lines() : lines.differences());
}

QString StockTakeList::noSuchCount(const QString &numero)
{
    return QStringLiteral("Non esiste un inventario numero %1.").arg(numero);
}

QString StockTakeList::noCountGiven()
{
    return QStringLiteral("Indicare il numero dell'inventario (--numero N).");
}
