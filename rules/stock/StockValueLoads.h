#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace db {
class Connection;
}
class StockValueCodes;

// The loads of a shop as a stock value reads them, kept before their codes
// are looked up: so they can be read on a connection of their own while
// the items are still being numbered, and applied once they are.
class StockValueLoads {
public:
    struct Load {
        double typed = 0;      // the quantity as stored
        double price = 0;
        bool after = false;    // dated after the day valued
    };

    // `after`: the first day after the one valued, "yyyy-mm-dd". Ends early,
    // with what it has, when `stop` turns true.
    void read(db::Connection &database, const std::string &after, const std::atomic<bool> *stop);
    // Each load whose code names an item, with the item's number, in the
    // order read.
    void apply(const StockValueCodes &codes, const std::function<void(std::int32_t item, const Load &load)> &to) const;

private:
    std::string m_codes;                 // the codes one after the other
    std::vector<std::uint64_t> m_ends;   // where each ends
    std::vector<Load> m_loads;
};
