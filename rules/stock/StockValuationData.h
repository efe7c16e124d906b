#pragma once

#include "rules/stock/StockValuation.h"
#include "rules/stock/StockValueCodes.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace db {
class Connection;
}
class StockValueLoads;

// What a stock value reads of the shop, and how: the items numbered by
// their codes, the articles and suppliers they belong to, the sums of the
// loads up to the day, and today's stock brought back to the day by the
// movements after it.
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

    std::vector<qint64> articleCodes;      // per article: art_Codice
    std::vector<qint64> itemArticleCodes;  // per item while the articles are read: ca_Codice_Articolo
    Texts descriptions;                    // one per article
    std::vector<std::int32_t> supplierOf;  // per article, -1 for none
    std::vector<double> loadPrice;         // per article: art_Prezzo_Carico
    std::vector<QString> suppliers;

    const std::atomic<bool> *stop = nullptr;
    // Checked every few thousand rows: a cancelled read ends soon.
    bool stopped(std::uint32_t &rows) const { return stop && (++rows & 4095u) == 0 && stop->load(); }

    // The articles and the loads read on a second connection while the
    // items are read here; then each item given its article's place and
    // its loads.
    void readAllButSales(db::Connection &database, const std::string &after);
    // `here` on `database` while `there` runs on a second connection to the
    // same shop, on a thread of its own; one after the other on `database`
    // when there is no second connection.
    void atOnce(db::Connection &database, const std::function<void(db::Connection &)> &here,
                const std::function<void(db::Connection &)> &there);
    void readArticles(db::Connection &database);
    void readItems(db::Connection &database);
    void placeArticles();
    void applyLoads(const StockValueLoads &loads);
    void undoAfter(db::Connection &database, const QString &table, const QString &prefix, const std::string &after,
                   int sign);
    // A statement with the texts bound to its parameters, in order.
    struct Read {
        QString sql;
        std::vector<std::string> parameters;
    };
    // `first` and `second` read at once (atOnce()).
    void undoInTwo(db::Connection &database, const Read &first, const Read &second, const std::string &after,
                   int sign);
    void undoRows(db::Connection &database, const Read &read, const std::string &after, int sign,
                  std::vector<qint64> &changes);
    template <typename Move, typename ReadRow, typename Apply>
    void readMoves(db::Connection &database, const Read &statement, ReadRow read, Apply apply);
    static bool hasIndex(db::Connection &database, const QString &table, const QString &columns);
    static std::string dayBetween(db::Connection &database, const QString &table, const QString &date,
                                  const std::string &after);
    qint64 priceCents(std::int32_t item) const;
    std::int32_t supplier(std::int32_t item) const
    {
        return article[std::size_t(item)] < 0 ? -1 : supplierOf[std::size_t(article[std::size_t(item)])];
    }
};
