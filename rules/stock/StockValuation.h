#pragma once

#include <QDate>
#include <QString>
#include <atomic>
#include <memory>
#include <string_view>
#include <vector>

namespace db { class Connection; class Database; }

// One stock item in the stock value at a date.
struct StockValueLine {
    QString fornitore;        // the article's supplier, StockValuation::kNoSupplier without one
    QString codice;           // bar code
    QString descrizione;
    QString taglia;
    QString colore;
    qint64 quantita = 0;      // at the end of the day
    qint64 prezzoCents = 0;   // weighted average load price up to the day, to the cent
    qint64 valoreCents = 0;   // quantita x prezzo
};

// The items of one supplier: lines [firstLine, firstLine + lines).
struct StockValueGroup {
    QString fornitore;
    qint64 firstLine = 0;
    qint64 lines = 0;
    qint64 quantita = 0;
    qint64 valoreCents = 0;
};

// The value of the stock at the end of a day ("Valore del magazzino").
//
// An item's quantity on the day is today's stock less what the movements
// dated after the day did to it (loads added, sales took away, stock-take
// adjustments added their signed quantity), each by the whole number it
// moved the stock by: so the value at today's date is today's stock, and
// stock typed in before any load is kept. A movement without a date counts
// as made before any day.
//
// Its price is the weighted average of its loads up to the day, each at its
// own price or, when the load recorded none (0), at the article's load
// price; with no load (or no quantity loaded) the article's load price. The
// average is rounded to the cent, and the value is the quantity times that.
//
// Items whose quantity on the day is 0 are left out; a negative quantity
// (more sold than loaded) is shown and counted as it is. Lines come grouped
// by supplier (names compared ignoring case, the articles without one last),
// by bar code within.
//
// Read in a handful of passes over the tables, the codes held in a compact
// table of their own: the million items of a large shop take well under
// 200 MB and a couple of seconds.
class StockValuation {
public:
    // Reads the shop's tables on `database`; engine errors go to the caller.
    static std::shared_ptr<const StockValuation> read(db::Database &database, const QDate &day);
    // The same on a connection of its own to the shop at `path`, so that it
    // may run on a thread of its own while the windows stay painted; null
    // when `stop` turned true before the end (checked every few thousand
    // rows).
    static std::shared_ptr<const StockValuation> readAside(const QString &path, const QDate &day,
                                                           const std::atomic<bool> *stop);
    ~StockValuation();

    QDate day() const { return m_day; }
    const std::vector<StockValueGroup> &groups() const { return m_groups; }
    qint64 lineCount() const { return qint64(m_order.size()); }
    // How many articles the lines' article places range over.
    std::int32_t articleCount() const;
    StockValueLine line(qint64 index) const;

    // Line `index` as the valuation holds it: for a writer of a million
    // lines, which would not make five texts of every line.
    struct LineParts {
        std::int32_t supplier = -1;       // place for supplierName(), -1 for none
        std::string_view code;            // UTF-8
        std::int32_t article = -1;        // place for description(), -1 for none
        std::uint32_t size = 0;           // places for word()
        std::uint32_t colour = 0;
        qint64 quantity = 0;
        qint64 priceCents = 0;
    };
    LineParts lineParts(qint64 index) const;
    const QString &supplierName(std::int32_t supplier) const;   // kNoSupplier for -1
    QString description(std::int32_t article) const;            // a null text for -1
    const QString &word(std::uint32_t place) const;
    qint64 totalQuantity() const { return m_totalQuantity; }
    qint64 totalCents() const { return m_totalCents; }

    static const QString kNoSupplier;   // "Senza fornitore"

    // The movements after the day are read through the date index when
    // there are at most this many (200,000), else by reading the whole
    // table; tests choose either way.
    static void setIndexedReadLimit(qint64 rows);

private:
    StockValuation() = default;
    static std::shared_ptr<const StockValuation> readOn(db::Connection &connection, const QDate &day,
                                                        const std::atomic<bool> *stop);
    struct Data;
    std::unique_ptr<Data> d;
    QDate m_day;
    std::vector<std::int32_t> m_order;   // the items shown, in the order of the lines
    std::vector<qint64> m_priceCents;    // the price of each line
    std::vector<StockValueGroup> m_groups;
    qint64 m_totalQuantity = 0;
    qint64 m_totalCents = 0;
};
