#include "rules/ExportableLists.h"

#include "rules/general/Today.h"
#include "rules/invoicing/InvoiceList.h"
#include "rules/register/JournalList.h"
#include "rules/register/RegisterList.h"
#include "rules/ShopDatabase.h"
#include "rules/stock/ArticleList.h"
#include "rules/stock/ReorderList.h"
#include "rules/stock/StockValueList.h"
#include "rules/stock/StockList.h"
#include "rules/stock/StockTakeList.h"
#include "rules/stock/TakingsList.h"

#include <functional>
#include <map>

namespace {

using Period = ExportableLists::Period;
using Prepared = ExportableLists::Prepared;

// The stock lists' boxes start at today.
QString orToday(const QString &typed)
{
    return typed.isEmpty() ? today().toString(QStringLiteral("dd/MM/yyyy")) : typed;
}

Prepared stockList(StockList::Kind kind, const Period &period)
{
    const StockList list(kind);
    const StockListSearch search = list.search(
        {QString(), QString(), QStringLiteral("Nuovo e usato"), orToday(period.from), orToday(period.to)}, QString());
    return {list.list(search.sql), QString(), list.noMatch()};
}

Prepared journal(JournalList::Kind kind, const Period &period)
{
    const JournalList list(kind);
    return {list.list(list.periodStatement(period.from, period.to)), QString(), QString()};
}

Prepared takings(const Period &period)
{
    QDate from, to;
    if (!TakingsList::period(period.from, period.to, from, to))
        return {TakingsList::list(nullptr), TakingsList::badPeriod(), QString()};
    const DailyTakings read = DailyTakings::read(from, to);
    return {TakingsList::list(&read), QString(), QString()};
}

// A count's lines as its window shows them: computed whole, since the stock
// on the count's day is no column of the database.
Prepared stockTake(StockTakeList::Kind kind, const Period &period)
{
    bool whole = false;
    const qlonglong numero = period.numero.trimmed().toLongLong(&whole);
    bool found = false;
    if (whole && numero > 0) {
        const ListExport list = StockTakeList::read(*ShopDatabase::open(), kind, numero, &found);
        if (found)
            return {list, QString(), QString()};
    }
    const QString refusal = period.numero.trimmed().isEmpty() ? StockTakeList::noCountGiven()
                                                              : StockTakeList::noSuchCount(period.numero.trimmed());
    return {StockTakeList::list(kind, {}), refusal, QString()};
}

// The stock value on the day given as the end of the period (--al).
Prepared stockValue(const Period &period)
{
    QDate day;
    if (!StockValueList::day(period.to, day))
        return {StockValueList::list(nullptr), StockValueList::badDay(), QString()};
    return {StockValueList::list(StockValuation::read(*ShopDatabase::open(), day)), QString(),
            StockValueList::noLines()};
}

Prepared reorder(const Period &period)
{
    return {ReorderList::list(ReorderItems::read(*ShopDatabase::open(), today(), period.fornitore)), QString(),
            ReorderList::noLines()};
}

const std::map<QString, std::function<Prepared(const Period &)>> &all()
{
    static const std::map<QString, std::function<Prepared(const Period &)>> lists = {
        {QStringLiteral("articoli"),
         [](const Period &) { return Prepared{ArticleList::list(ArticleList::statement()), {}, {}}; }},
        {QStringLiteral("carichi"), [](const Period &p) { return stockList(StockList::Kind::Loads, p); }},
        {QStringLiteral("scarichi"), [](const Period &p) { return stockList(StockList::Kind::Unloads, p); }},
        {QStringLiteral("fatture"),
         [](const Period &p) {
             return Prepared{InvoiceList::list(InvoiceList::period(p.from, p.to)), {}, InvoiceList::noMatch()};
         }},
        {QStringLiteral("anagrafica"),
         [](const Period &) {
             return Prepared{RegisterList::list(RegisterList::everyEntry()), {}, RegisterList::noMatch()};
         }},
        {QStringLiteral("primanota"), [](const Period &p) { return journal(JournalList::Kind::PrimaNota, p); }},
        {QStringLiteral("notafornitori"),
         [](const Period &p) { return journal(JournalList::Kind::NotaFornitori, p); }},
        {QStringLiteral("incassi"), &takings},
        {QStringLiteral("inventario"), [](const Period &p) { return stockTake(StockTakeList::Kind::Counted, p); }},
        {QStringLiteral("inventario-differenze"),
         [](const Period &p) { return stockTake(StockTakeList::Kind::Differences, p); }},
        {QStringLiteral("valore"), &stockValue},
        {QStringLiteral("sottoscorta"), &reorder},
    };
    return lists;
}

} // namespace

QStringList ExportableLists::names()
{
    return {QStringLiteral("articoli"), QStringLiteral("carichi"), QStringLiteral("scarichi"),
            QStringLiteral("fatture"), QStringLiteral("anagrafica"), QStringLiteral("primanota"),
            QStringLiteral("notafornitori"), QStringLiteral("incassi"), QStringLiteral("inventario"),
            QStringLiteral("inventario-differenze"), QStringLiteral("valore"), QStringLiteral("sottoscorta")};
}

bool ExportableLists::has(const QString &name)
{
    return all().count(name) != 0;
}

ExportableLists::Prepared ExportableLists::prepare(const QString &name, const Period &period)
{
    return all().at(name)(period);
}
