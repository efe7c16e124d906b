#include "rules/stock/StockValuationData.h"

#include "db/Connection.h"
#include "db/IdleConnections.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "db/TextKeys.h"
#include "rules/MoneyText.h"
#include "rules/StockQuantity.h"
#include "rules/stock/StockValueLoads.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <limits>
#include <optional>
#include <thread>

namespace {

std::atomic<qint64> indexedReadLimit{200000};

} // namespace

void StockValuation::setIndexedReadLimit(qint64 rows)
{
    indexedReadLimit = rows;
}

namespace {

constexpr qint64 kNoArticle = std::numeric_limits<qint64>::min();

std::string_view valuedText(const db::Statement &row, int column)
{
    const char *text = row.columnText(column);
    return text ? std::string_view(text, std::size_t(row.columnBytes(column))) : std::string_view();
}

double valuedReal(const db::Statement &row, int column)
{
    return row.columnType(column) == db::NullValue ? 0.0 : row.columnReal(column);
}

// What a movement's quantity moved the stock by. A quantity beyond the
// stock's long integer never moved it (the change was refused), and is no
// reason to refuse the whole value.
qint64 movedBy(double quantity)
{
    return StockQuantity::fitsStock(quantity) ? StockQuantity::whole(quantity) : 0;
}

} // namespace

void StockValuation::Data::readArticles(db::Connection &database)
{
    const QString sql = QStringLiteral("select art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico from Articoli");
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    QHash<QString, std::int32_t> supplierByKey;
    std::uint32_t rows = 0;
    while (row->step(sql) && !stopped(rows)) {
        articleCodes.push_back(row->columnInteger(0));
        descriptions.add(row->columnText(1), row->columnBytes(1));
        const QString name = row->columnString(2).trimmed();
        std::int32_t place = -1;
        if (!name.isEmpty()) {
            const QString key = db::foldedText(name);
            const auto known = supplierByKey.constFind(key);
            if (known != supplierByKey.constEnd()) {
                place = *known;
            } else {
                place = std::int32_t(suppliers.size());
                suppliers.push_back(name);
                supplierByKey.insert(key, place);
            }
        }
        supplierOf.push_back(place);
        loadPrice.push_back(valuedReal(*row, 3));
    }
}

void StockValuation::Data::readItems(db::Connection &database)
{
    const QString count = QStringLiteral("select count(*) from \"Codice Articolo\"");
    db::Statement *counted = database.statement(count, count);
    {
        const db::StatementUse use(counted);
        if (counted->step(count)) {
            const auto items = std::size_t(std::max<qint64>(0, counted->columnInteger(0)));
            codes.reserve(items);
            quantity.reserve(items);
            itemArticleCodes.reserve(items);
            sizesAndColours.reserve(items * 2);
        }
    }
    const QString sql = QStringLiteral("select ca_Codice, ca_Quantita, ca_Codice_Articolo, ca_Taglia, ca_Colore "
                                       "from \"Codice Articolo\"");
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    // A page of rows at a time, their codes numbered together.
    struct Item {
        qint64 quantity;
        qint64 article;
        std::uint32_t size, colour;
    };
    constexpr std::size_t kPage = 64;
    std::vector<StockValueCodes::Lookup> lookups(kPage);
    std::vector<Item> page(kPage);
    std::size_t held = 0;
    const auto addHeld = [&] {
        lookups.resize(held);
        codes.addAll(lookups);
        for (std::size_t i = 0; i < held; ++i) {
            if (std::size_t(lookups[i].number) < quantity.size())
                continue;   // the same code again, in another case: one item
            quantity.push_back(page[i].quantity);
            itemArticleCodes.push_back(page[i].article);
            sizesAndColours.push_back(page[i].size);
            sizesAndColours.push_back(page[i].colour);
        }
        lookups.resize(kPage);
        held = 0;
    };
    std::uint32_t rows = 0;
    while (row->step(sql) && !stopped(rows)) {
        const std::string_view code = valuedText(*row, 0);
        lookups[held].key.assign(code.data(), code.size());
        Item &item = page[held];
        item.quantity = row->columnType(1) == db::NullValue ? 0 : row->columnInteger(1);
        item.article = row->columnType(2) == db::NullValue ? kNoArticle : row->columnInteger(2);
        item.size = words.add(valuedText(*row, 3));
        item.colour = words.add(valuedText(*row, 4));
        if (++held == kPage)
            addHeld();
    }
    addHeld();
}

void StockValuation::Data::readAllButSales(db::Connection &database, const std::string &after)
{
    StockValueLoads loads;
    atOnce(database, [&](db::Connection &here) { readItems(here); }, [&](db::Connection &there) {
        readArticles(there);
        loads.read(there, after, stop);
    });
    placeArticles();
    applyLoads(loads);
}

void StockValuation::Data::atOnce(db::Connection &database, const std::function<void(db::Connection &)> &here,
                                  const std::function<void(db::Connection &)> &there)
{
    std::shared_ptr<db::Connection> other;
    try {
        other = db::IdleConnections::take(database.path());
    } catch (...) {
        other.reset();   // no second connection: one after the other here
    }
    if (!other) {
        there(database);
        here(database);
        return;
    }
    other->readOnce(true);
    std::exception_ptr thereFailure;
    std::thread second([&] {
        try {
            there(*other);
        } catch (...) {
            thereFailure = std::current_exception();
        }
    });
    std::exception_ptr failure;
    try {
        here(database);
    } catch (...) {
        failure = std::current_exception();
    }
    second.join();
    other->readOnce(false);
    db::IdleConnections::giveBack(std::move(other));
    if (failure)
        std::rethrow_exception(failure);
    if (thereFailure)
        std::rethrow_exception(thereFailure);
}

// The articles come in the order of their code, the table's key; should
// they not, their places are sorted by code here.
void StockValuation::Data::placeArticles()
{
    std::vector<std::int32_t> byCode(articleCodes.size());
    for (std::size_t i = 0; i < byCode.size(); ++i)
        byCode[i] = std::int32_t(i);
    if (!std::is_sorted(articleCodes.begin(), articleCodes.end()))
        std::stable_sort(byCode.begin(), byCode.end(), [&](std::int32_t a, std::int32_t b) {
            return articleCodes[std::size_t(a)] < articleCodes[std::size_t(b)];
        });
    std::vector<qint64> sortedCodes(byCode.size());
    for (std::size_t i = 0; i < byCode.size(); ++i)
        sortedCodes[i] = articleCodes[std::size_t(byCode[i])];
    article.resize(itemArticleCodes.size());
    for (std::size_t item = 0; item < itemArticleCodes.size(); ++item) {
        const qint64 code = itemArticleCodes[item];
        const auto found = std::lower_bound(sortedCodes.begin(), sortedCodes.end(), code);
        article[item] = code != kNoArticle && found != sortedCodes.end() && *found == code
                            ? byCode[std::size_t(found - sortedCodes.begin())]
                            : -1;
    }
    std::vector<qint64>().swap(itemArticleCodes);
    std::vector<qint64>().swap(articleCodes);
}

// The loads after the day are taken off the stock, those up to it make the
// average price.
void StockValuation::Data::applyLoads(const StockValueLoads &loads)
{
    loaded.assign(quantity.size(), 0.0);
    pricedValue.assign(quantity.size(), 0.0);
    unpriced.assign(quantity.size(), 0.0);
    loads.apply(codes, [&](std::int32_t item, const StockValueLoads::Load &load) {
        if (load.after) {
            quantity[std::size_t(item)] -= movedBy(load.typed);
            return;
        }
        loaded[std::size_t(item)] += load.typed;
        if (load.price > 0)
            pricedValue[std::size_t(item)] += load.typed * load.price;
        else
            unpriced[std::size_t(item)] += load.typed;
    });
}

// The movements of `table` dated after the day undone: `sign` +1 for those
// that added to the stock, -1 for those that took from it. When few come
// after the day they are read through the date index. Many are read in two
// halves at once: on the file, the sales from the index that holds their
// item and quantity beside the date, split at the day halfway to the last
// one; otherwise the whole table in its own order, split by row number,
// since reading half of a large table through an index that only has the
// date costs ten times as much, in pages read one by one all over it.
void StockValuation::Data::undoAfter(db::Connection &database, const QString &table, const QString &prefix,
                                     const std::string &after, int sign)
{
    const qint64 kFewRows = indexedReadLimit.load();
    const QString date = prefix + QStringLiteral("_Data");
    const QString columns = QStringLiteral("%1_Codice_Articolo, %1_Quantita, %1_Data").arg(prefix);
    const QString few = QStringLiteral("select count(*) from (select 1 from %1 where %2 >= ? limit %3) r")
                            .arg(table, date)
                            .arg(kFewRows + 1);
    bool byIndex = false;
    {
        db::Statement *counted = database.statement(few, few);
        const db::StatementUse use(counted);
        counted->bindText(1, after.data(), int(after.size()));
        byIndex = counted->step(few) && counted->columnInteger(0) <= kFewRows;
    }
    const bool covered = !database.onServer() && hasIndex(database, table, columns);
    const QString fromDay = QStringLiteral("select %1 from %2 where %3 >= ?").arg(columns, table, date);
    if (byIndex) {
        const QString sql = covered ? fromDay
                                    : db::selectInStoredOrder(columns, table, date + QStringLiteral(" >= ?"),
                                                              database.onServer());
        undoRows(database, Read{sql, {after}}, after, sign, quantity);
        return;
    }
    if (covered) {
        const std::string middle = dayBetween(database, table, date, after);
        undoInTwo(database, Read{fromDay + QStringLiteral(" and ") + date + QStringLiteral(" < ?"), {after, middle}},
                  Read{fromDay, {middle}}, after, sign);
        return;
    }
    qint64 last = 0;
    {
        const QString sql = QStringLiteral("select max(rowid) from ") + table;
        db::Statement *highest = database.statement(sql, sql);
        const db::StatementUse use(highest);
        if (highest->step(sql) && highest->columnType(0) != db::NullValue)
            last = highest->columnInteger(0);
    }
    // A number the program computed, not a typed value: written into the statement.
    const QString middle = QString::number(last / 2);
    const QString whole = QStringLiteral("select %1 from %2").arg(columns, table);
    undoInTwo(database, Read{whole + QStringLiteral(" where rowid <= ") + middle, {}},
              Read{whole + QStringLiteral(" where rowid > ") + middle, {}}, after, sign);
}

// Whether the file has an index on the date of `table` that holds all of
// `columns` (the movement's code, quantity and date).
bool StockValuation::Data::hasIndex(db::Connection &database, const QString &table, const QString &columns)
{
    const QString sql = QStringLiteral("select count(*) from pragma_index_list(?) l where (select count(*) from "
                                       "pragma_index_info(l.name) i where i.seqno = 0 and i.name = ?) = 1 and "
                                       "(select count(*) from pragma_index_info(l.name) i where i.name in (?, ?, ?)) = 3");
    const QStringList names = columns.split(QStringLiteral(", "));
    std::vector<QByteArray> texts{table.toUtf8(), names.value(2).toUtf8()};
    for (const QString &name : names)
        texts.push_back(name.toUtf8());
    db::Statement *found = database.statement(sql, sql);
    const db::StatementUse use(found);
    for (std::size_t i = 0; i < texts.size(); ++i)
        found->bindText(int(i) + 1, texts[i].constData(), int(texts[i].size()));
    return found->step(sql) && found->columnInteger(0) > 0;
}

// The day halfway from `after` to the last date of `table`, as "yyyy-mm-dd";
// `after` itself when there is no later date to go by.
std::string StockValuation::Data::dayBetween(db::Connection &database, const QString &table, const QString &date,
                                             const std::string &after)
{
    const QString sql = QStringLiteral("select max(%1) from %2").arg(date, table);
    db::Statement *latest = database.statement(sql, sql);
    const db::StatementUse use(latest);
    const QString format = QStringLiteral("yyyy-MM-dd");
    const QDate first = QDate::fromString(QString::fromStdString(after), format);
    QDate last;
    if (latest->step(sql) && latest->columnType(0) == db::TextValue)
        last = QDate::fromString(latest->columnString(0).left(10), format);
    if (!first.isValid() || !last.isValid() || last <= first)
        return after;
    return first.addDays(first.daysTo(last) / 2).toString(format).toStdString();
}

void StockValuation::Data::undoRows(db::Connection &database, const Read &statement, const std::string &after,
                                    int sign, std::vector<qint64> &changes)
{
    readMoves<qint64>(database, statement, [&](const db::Statement &row) -> std::optional<qint64> {
        const std::string_view day = valuedText(row, 2);
        if (day.empty() || day.substr(0, after.size()) < after)
            return std::nullopt;
        return movedBy(valuedReal(row, 1));
    }, [&](std::int32_t item, qint64 moved) {
        changes[std::size_t(item)] -= sign * moved;
    });
}

void StockValuation::Data::undoInTwo(db::Connection &database, const Read &first, const Read &second,
                                     const std::string &after, int sign)
{
    // The pages of the items and loads read so far make room for those of
    // the sales, which each connection reads once.
    database.releaseCache();
    std::vector<qint64> laterChanges(quantity.size(), 0);
    atOnce(database, [&](db::Connection &here) { undoRows(here, first, after, sign, quantity); },
           [&](db::Connection &there) { undoRows(there, second, after, sign, laterChanges); });
    for (std::size_t item = 0; item < quantity.size(); ++item)
        quantity[item] += laterChanges[item];
}

// Reads the rows of `sql` (the movement's code first), `read` taking what
// each row says, and hands it with the item's number to `apply`; the codes
// are looked up a page at a time (StockValueCodes::findAll).
template <typename Move, typename ReadRow, typename Apply>
void StockValuation::Data::readMoves(db::Connection &database, const Read &statement, ReadRow read, Apply apply)
{
    constexpr std::size_t kPage = 64;
    std::vector<StockValueCodes::Lookup> lookups(kPage);
    std::vector<Move> moves(kPage);
    std::size_t held = 0;
    const auto applyHeld = [&] {
        lookups.resize(held);
        codes.findAll(lookups);
        for (std::size_t i = 0; i < held; ++i)
            if (lookups[i].number != StockValueCodes::kNone)
                apply(lookups[i].number, moves[i]);
        lookups.resize(kPage);
        held = 0;
    };
    const QString &sql = statement.sql;
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    for (std::size_t i = 0; i < statement.parameters.size(); ++i)
        row->bindText(int(i) + 1, statement.parameters[i].data(), int(statement.parameters[i].size()));
    std::uint32_t rows = 0;
    while (row->step(sql) && !stopped(rows)) {
        std::optional<Move> move = read(*row);
        if (!move)
            continue;
        const std::string_view code = valuedText(*row, 0);
        lookups[held].key.assign(code.data(), code.size());
        moves[held] = *move;
        if (++held == kPage)
            applyHeld();
    }
    applyHeld();
}

qint64 StockValuation::Data::priceCents(std::int32_t item) const
{
    const std::int32_t place = article[std::size_t(item)];
    const double own = place < 0 ? 0.0 : loadPrice[std::size_t(place)];
    const double quantityLoaded = loaded[std::size_t(item)];
    if (quantityLoaded <= 0)
        return MoneyText::cents(own);
    return MoneyText::cents((pricedValue[std::size_t(item)] + unpriced[std::size_t(item)] * own) / quantityLoaded);
}
