#include "rules/stock/StockValuation.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/IdleConnections.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "db/TextKeys.h"
#include "rules/MoneyText.h"
#include "rules/StockQuantity.h"
#include "rules/stock/StockValueCodes.h"

#include <QHash>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>

const QString StockValuation::kNoSupplier = QStringLiteral("Senza fornitore");

namespace {

std::atomic<qint64> indexedReadLimit{200000};

} // namespace

void StockValuation::setIndexedReadLimit(qint64 rows)
{
    indexedReadLimit = rows;
}

namespace {

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

struct StockValuation::Data {
    // Short texts of many rows in one block.
    class Texts {
    public:
        std::uint32_t add(const char *utf8, int bytes)
        {
            m_offsets.push_back(std::uint32_t(m_text.size()));
            if (utf8)
                m_text.append(utf8, std::size_t(bytes));
            return std::uint32_t(m_offsets.size() - 1);
        }
        QString at(std::uint32_t index) const
        {
            const std::size_t from = m_offsets[index];
            const std::size_t to = index + 1 < m_offsets.size() ? m_offsets[index + 1] : m_text.size();
            return QString::fromUtf8(m_text.data() + from, qsizetype(to - from));
        }
        void reserve(std::size_t rows, std::size_t bytesEach)
        {
            m_offsets.reserve(rows);
            m_text.reserve(rows * bytesEach);
        }

    private:
        std::string m_text;
        std::vector<std::uint32_t> m_offsets;
    };

    StockValueCodes codes;
    std::vector<qint64> quantity;          // today's, then on the day
    std::vector<std::int32_t> article;     // the article's place, -1 for none
    std::vector<double> loaded;            // quantity loaded up to the day
    std::vector<double> pricedValue;       // value of the loads up to the day that have a price
    std::vector<double> unpriced;          // quantity of those that have none
    // Sizes and colours are a few words used again and again: each item
    // names its two by their place among them.
    class Words {
    public:
        std::uint32_t add(std::string_view utf8)
        {
            const auto known = m_places.find(std::string(utf8));
            if (known != m_places.end())
                return known->second;
            const auto place = std::uint32_t(m_words.size());
            m_words.push_back(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
            m_places.emplace(std::string(utf8), place);
            return place;
        }
        const QString &at(std::uint32_t place) const { return m_words[place]; }

    private:
        std::vector<QString> m_words;
        std::unordered_map<std::string, std::uint32_t> m_places;
    };
    Words words;
    std::vector<std::uint32_t> sizesAndColours;   // two per item, places in words

    std::unordered_map<qint64, std::int32_t> articleByCode;
    Texts descriptions;                    // one per article
    std::vector<std::int32_t> supplierOf;  // per article, -1 for none
    std::vector<double> loadPrice;         // per article: art_Prezzo_Carico
    std::vector<QString> suppliers;

    const std::atomic<bool> *stop = nullptr;
    // Checked every few thousand rows: a cancelled read ends soon.
    bool stopped(std::uint32_t &rows) const { return stop && (++rows & 4095u) == 0 && stop->load(); }

    void readArticles(db::Connection &database);
    void readItems(db::Connection &database);
    void readLoads(db::Connection &database, const std::string &after);
    void undoAfter(db::Connection &database, const QString &table, const QString &prefix, const std::string &after,
                   int sign);
    // The table read whole: its rows up to `middle` by rowid here, those
    // past it on a second connection at the same time, each half into
    // changes of its own.
    void undoAfterInTwo(db::Connection &database, const QString &table, const QString &fields,
                        const std::string &after, int sign);
    void undoRows(db::Connection &database, const QString &sql, const std::string *parameter, const std::string &after,
                  int sign, std::vector<qint64> &changes);
    // `parameter`: the statement's one parameter, when it has one.
    template <typename Move, typename Read, typename Apply>
    void readMoves(db::Connection &database, const QString &sql, const std::string *parameter, Read read, Apply apply);
    qint64 priceCents(std::int32_t item) const;
    std::int32_t supplier(std::int32_t item) const
    {
        return article[std::size_t(item)] < 0 ? -1 : supplierOf[std::size_t(article[std::size_t(item)])];
    }
};

void StockValuation::Data::readArticles(db::Connection &database)
{
    const QString sql = QStringLiteral("select art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico from Articoli");
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    QHash<QString, std::int32_t> supplierByKey;
    std::uint32_t rows = 0;
    while (row->step(sql) && !stopped(rows)) {
        articleByCode.emplace(row->columnInteger(0), std::int32_t(supplierOf.size()));
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
            article.reserve(items);
            sizesAndColours.reserve(items * 2);
        }
    }
    const QString sql = QStringLiteral("select ca_Codice, ca_Quantita, ca_Codice_Articolo, ca_Taglia, ca_Colore "
                                       "from \"Codice Articolo\"");
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    std::uint32_t rows = 0;
    while (row->step(sql) && !stopped(rows)) {
        const std::int32_t item = codes.add(valuedText(*row, 0));
        if (std::size_t(item) < quantity.size())
            continue;   // the same code again, in another case: one item
        quantity.push_back(row->columnType(1) == db::NullValue ? 0 : row->columnInteger(1));
        std::int32_t place = -1;
        if (row->columnType(2) != db::NullValue) {
            const auto found = articleByCode.find(row->columnInteger(2));
            if (found != articleByCode.end())
                place = found->second;
        }
        article.push_back(place);
        sizesAndColours.push_back(words.add(valuedText(*row, 3)));
        sizesAndColours.push_back(words.add(valuedText(*row, 4)));
    }
    loaded.assign(quantity.size(), 0.0);
    pricedValue.assign(quantity.size(), 0.0);
    unpriced.assign(quantity.size(), 0.0);
}

// One pass over the loads: those after the day are taken off the stock,
// those up to it make the average price. Dates read as "yyyy-mm-dd..." on
// either engine; `after` is the first day after.
void StockValuation::Data::readLoads(db::Connection &database, const std::string &after)
{
    const QString sql = QStringLiteral("select ca_Codice_Articolo, ca_Quantita, ca_Prezzo, ca_Data from carico");
    struct Load {
        double typed;
        double price;
        bool after;
    };
    readMoves<Load>(database, sql, nullptr, [&](const db::Statement &row) {
        const std::string_view date = valuedText(row, 3);
        return std::optional<Load>(
            Load{valuedReal(row, 1), valuedReal(row, 2), !date.empty() && date.substr(0, after.size()) >= after});
    }, [&](std::int32_t item, const Load &load) {
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
// after the day they are read through the date index; otherwise the whole
// table is read in its own order, since reading half the sales of a large
// shop through the index costs ten times as much, in pages read one by one
// all over the table.
void StockValuation::Data::undoAfter(db::Connection &database, const QString &table, const QString &prefix,
                                     const std::string &after, int sign)
{
    const qint64 kFewRows = indexedReadLimit.load();
    const QString date = prefix + QStringLiteral("_Data");
    const QString fields = QStringLiteral("select %1_Codice_Articolo, %1_Quantita, %1_Data from %2").arg(prefix, table);
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
    if (!byIndex)
        return undoAfterInTwo(database, table, fields, after, sign);
    const QString sql = db::selectInStoredOrder(QStringLiteral("%1_Codice_Articolo, %1_Quantita, %1_Data").arg(prefix),
                                                table, date + QStringLiteral(" >= ?"), database.onServer());
    undoRows(database, sql, &after, after, sign, quantity);
}

void StockValuation::Data::undoRows(db::Connection &database, const QString &sql, const std::string *parameter,
                                    const std::string &after, int sign, std::vector<qint64> &changes)
{
    readMoves<qint64>(database, sql, parameter, [&](const db::Statement &row) -> std::optional<qint64> {
        const std::string_view day = valuedText(row, 2);
        if (day.empty() || day.substr(0, after.size()) < after)
            return std::nullopt;
        return movedBy(valuedReal(row, 1));
    }, [&](std::int32_t item, qint64 moved) {
        changes[std::size_t(item)] -= sign * moved;
    });
}

void StockValuation::Data::undoAfterInTwo(db::Connection &database, const QString &table, const QString &fields,
                                          const std::string &after, int sign)
{
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
    std::shared_ptr<db::Connection> second;
    try {
        second = db::IdleConnections::take(database.path());
    } catch (...) {
        second.reset();   // no second connection: the whole table here
    }
    if (!second) {
        undoRows(database, fields, nullptr, after, sign, quantity);
        return;
    }
    // The pages of the items and loads read so far make room for those of
    // the sales, which each connection reads once.
    database.releaseCache();
    std::vector<qint64> laterChanges(quantity.size(), 0);
    std::exception_ptr laterFailure;
    second->readOnce(true);
    std::thread later([&] {
        try {
            undoRows(*second, fields + QStringLiteral(" where rowid > ") + middle, nullptr, after, sign, laterChanges);
        } catch (...) {
            laterFailure = std::current_exception();
        }
    });
    std::exception_ptr failure;
    try {
        undoRows(database, fields + QStringLiteral(" where rowid <= ") + middle, nullptr, after, sign, quantity);
    } catch (...) {
        failure = std::current_exception();
    }
    later.join();
    second->readOnce(false);
    db::IdleConnections::giveBack(std::move(second));
    if (failure)
        std::rethrow_exception(failure);
    if (laterFailure)
        std::rethrow_exception(laterFailure);
    for (std::size_t item = 0; item < quantity.size(); ++item)
        quantity[item] += laterChanges[item];
}

// Reads the rows of `sql` (the movement's code first), `read` taking what
// each row says, and hands it with the item's number to `apply`; the codes
// are looked up a page at a time (StockValueCodes::findAll).
template <typename Move, typename Read, typename Apply>
void StockValuation::Data::readMoves(db::Connection &database, const QString &sql, const std::string *parameter,
                                     Read read, Apply apply)
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
    db::Statement *row = database.statement(sql, sql);
    const db::StatementUse use(row);
    row->readRowByRow();
    if (parameter)
        row->bindText(1, parameter->data(), int(parameter->size()));
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

StockValuation::~StockValuation() = default;

std::shared_ptr<const StockValuation> StockValuation::read(db::Database &database, const QDate &day)
{
    return readOn(*database.connection(), day, nullptr);
}

std::shared_ptr<const StockValuation> StockValuation::readAside(const QString &path, const QDate &day,
                                                                const std::atomic<bool> *stop)
{
    std::shared_ptr<db::Connection> connection = db::IdleConnections::take(path);
    std::shared_ptr<const StockValuation> read;
    try {
        read = readOn(*connection, day, stop);
    } catch (...) {
        db::IdleConnections::giveBack(std::move(connection));
        throw;
    }
    db::IdleConnections::giveBack(std::move(connection));
    return read;
}

std::shared_ptr<const StockValuation> StockValuation::readOn(db::Connection &database, const QDate &day,
                                                             const std::atomic<bool> *stop)
{
    std::shared_ptr<StockValuation> valuation(new StockValuation);
    valuation->m_day = day;
    valuation->d = std::make_unique<Data>();
    Data &d = *valuation->d;
    const std::string after = day.addDays(1).toString(QStringLiteral("yyyy-MM-dd")).toStdString();

    d.stop = stop;
    d.readArticles(database);
    d.readItems(database);
    d.readLoads(database, after);
    d.undoAfter(database, QStringLiteral("scarico"), QStringLiteral("sc"), after, -1);
    d.undoAfter(database, QStringLiteral("Rettifiche"), QStringLiteral("re"), after, +1);
    if (stop && stop->load())
        return nullptr;

    // Suppliers by name, case ignored; the articles without one last.
    std::vector<std::int32_t> bySupplierName(d.suppliers.size());
    for (std::size_t i = 0; i < bySupplierName.size(); ++i)
        bySupplierName[i] = std::int32_t(i);
    std::sort(bySupplierName.begin(), bySupplierName.end(), [&](std::int32_t a, std::int32_t b) {
        return d.suppliers[std::size_t(a)].compare(d.suppliers[std::size_t(b)], Qt::CaseInsensitive) < 0;
    });
    std::vector<std::int32_t> rank(d.suppliers.size() + 1);
    for (std::size_t r = 0; r < bySupplierName.size(); ++r)
        rank[std::size_t(bySupplierName[r])] = std::int32_t(r);
    rank.back() = std::int32_t(d.suppliers.size());
    const auto rankOf = [&](std::int32_t item) {
        const std::int32_t supplier = d.supplier(item);
        return rank[supplier < 0 ? rank.size() - 1 : std::size_t(supplier)];
    };

    std::vector<std::int32_t> &order = valuation->m_order;
    for (std::size_t item = 0; item < d.quantity.size(); ++item)
        if (d.quantity[item] != 0)
            order.push_back(std::int32_t(item));
    valuation->m_priceCents.reserve(order.size());
    std::vector<std::int32_t> itemRank(d.quantity.size());
    for (const std::int32_t item : order)
        itemRank[std::size_t(item)] = rankOf(item);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const std::int32_t ra = itemRank[std::size_t(a)], rb = itemRank[std::size_t(b)];
        return ra != rb ? ra < rb : d.codes.before(a, b);
    });

    std::int32_t groupRank = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::int32_t item = order[i];
        if (itemRank[std::size_t(item)] != groupRank || valuation->m_groups.empty()) {
            groupRank = itemRank[std::size_t(item)];
            const std::int32_t supplier = d.supplier(item);
            StockValueGroup group;
            group.fornitore = supplier < 0 ? kNoSupplier : d.suppliers[std::size_t(supplier)];
            group.firstLine = qint64(i);
            valuation->m_groups.push_back(group);
        }
        StockValueGroup &group = valuation->m_groups.back();
        const qint64 quantity = d.quantity[std::size_t(item)];
        const qint64 price = d.priceCents(item);
        valuation->m_priceCents.push_back(price);
        const qint64 value = quantity * price;
        ++group.lines;
        group.quantita += quantity;
        group.valoreCents += value;
        valuation->m_totalQuantity += quantity;
        valuation->m_totalCents += value;
    }
    return valuation;
}

StockValuation::LineParts StockValuation::lineParts(qint64 index) const
{
    const std::int32_t item = m_order[std::size_t(index)];
    LineParts parts;
    parts.supplier = d->supplier(item);
    parts.code = d->codes.code(item);
    parts.article = d->article[std::size_t(item)];
    parts.size = d->sizesAndColours[std::size_t(item) * 2];
    parts.colour = d->sizesAndColours[std::size_t(item) * 2 + 1];
    parts.quantity = d->quantity[std::size_t(item)];
    parts.priceCents = m_priceCents[std::size_t(index)];
    return parts;
}

const QString &StockValuation::supplierName(std::int32_t supplier) const
{
    return supplier < 0 ? kNoSupplier : d->suppliers[std::size_t(supplier)];
}

QString StockValuation::description(std::int32_t article) const
{
    return article < 0 ? QString() : d->descriptions.at(std::uint32_t(article));
}

const QString &StockValuation::word(std::uint32_t place) const
{
    return d->words.at(place);
}

StockValueLine StockValuation::line(qint64 index) const
{
    const LineParts parts = lineParts(index);
    StockValueLine line;
    line.fornitore = supplierName(parts.supplier);
    line.codice = QString::fromUtf8(parts.code.data(), qsizetype(parts.code.size()));
    line.descrizione = description(parts.article);
    line.taglia = word(parts.size);
    line.colore = word(parts.colour);
    line.quantita = parts.quantity;
    line.prezzoCents = parts.priceCents;
    line.valoreCents = line.quantita * line.prezzoCents;
    return line;
}
