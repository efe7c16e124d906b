#include "rules/stock/StockValuation.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/IdleConnections.h"
#include "rules/stock/StockValuationData.h"

#include <algorithm>
#include <thread>

const QString StockValuation::kNoSupplier = QStringLiteral("Senza fornitore");

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
    // Every page is read once: a cache of them would only hold memory.
    database.readOnce(true);
    const std::unique_ptr<db::Connection, void (*)(db::Connection *)> restore(
        &database, [](db::Connection *connection) { connection->readOnce(false); });
    d.readAllButSales(database, after);
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
    std::vector<std::int32_t> itemRank(d.quantity.size());
    for (const std::int32_t item : order)
        itemRank[std::size_t(item)] = rankOf(item);
    // Each price made in the items' order, where its figures lie one after
    // the other, before the order of the lines scatters them; on a thread of
    // its own while the lines are sorted.
    std::vector<qint64> itemPrice(d.quantity.size(), 0);
    std::exception_ptr pricesFailure;
    std::thread prices([&] {
        try {
            for (std::size_t item = 0; item < d.quantity.size(); ++item)
                if (d.quantity[item] != 0)
                    itemPrice[item] = d.priceCents(std::int32_t(item));
        } catch (...) {
            pricesFailure = std::current_exception();
        }
    });
    try {
        d.codes.sortByRankAndCode(order, itemRank);
    } catch (...) {
        prices.join();
        throw;
    }
    prices.join();
    if (pricesFailure)
        std::rethrow_exception(pricesFailure);
    std::vector<double>().swap(d.loaded);
    std::vector<double>().swap(d.pricedValue);
    std::vector<double>().swap(d.unpriced);
    valuation->m_priceCents.reserve(order.size());

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
        const qint64 price = itemPrice[std::size_t(item)];
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

std::int32_t StockValuation::articleCount() const
{
    return std::int32_t(d->supplierOf.size());
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
