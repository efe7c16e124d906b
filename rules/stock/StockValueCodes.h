#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The bar codes of every stock item of a shop, each numbered by its place,
// looked up by the code a movement names. Codes compare as the database
// compares them (case ignored, accented capitals too), so a sale typed
// "1234u" finds the item "1234U".
//
// Millions of movements are looked up one after the other in no order, so
// what a lookup touches is what it costs: the table holds the number and a
// few bits of the hash of each code, and each number its folded code packed
// in 16 bytes (codes up to 15 bytes, i.e. every EAN-13 with its "U"), so a
// lookup reads two places in memory, not four. A million items take about
// 50 MB.
class StockValueCodes {
public:
    static constexpr std::int32_t kNone = -1;

    void reserve(std::size_t items);
    // Numbers `code` (the item's stored spelling) with the next number and
    // returns it; a code already there (differing by case only) keeps its
    // number.
    std::int32_t add(std::string_view code);
    // The number of a movement's code, kNone when no item has it.
    std::int32_t find(std::string_view code) const;
    // The numbers of many codes at once (a page of movements): the places
    // each lookup reads are fetched together rather than one after the
    // other, which is most of what a lookup costs.
    struct Lookup {
        std::string key;                    // set by the caller: the code as the movement names it
        std::int32_t number = kNone;        // the answer
        std::size_t hash = 0;
        std::string folded;                 // addAll's own
    };
    void findAll(std::vector<Lookup> &lookups) const;
    // add() for a page of codes (each lookup's key the stored spelling),
    // with the places they go to fetched together: the numbers come back in
    // the lookups, a code already there keeping its own.
    void addAll(std::vector<Lookup> &lookups);
    std::size_t size() const { return m_packed.size(); }
    // The item's code as stored, and as folded.
    std::string_view code(std::int32_t number) const;
    std::string_view key(std::int32_t number) const
    {
        const std::uint64_t from = m_offsets[std::size_t(number)];
        return std::string_view(m_keys).substr(from, m_offsets[std::size_t(number) + 1] - from);
    }
    // `numbers` sorted by their `rank` (indexed by number), then by their
    // folded code (byte order).
    void sortByRankAndCode(std::vector<std::int32_t> &numbers, const std::vector<std::int32_t> &rank) const;

    // A code as the database folds it for equality.
    static std::string folded(std::string_view code);

private:
    // The first 15 bytes of a folded code, big-endian (so that comparing the
    // words compares the texts), and its length in the last byte (255 for
    // a longer code, whose whole text then decides).
    struct Packed {
        std::uint64_t high = 0;
        std::uint64_t low = 0;
        bool operator==(const Packed &other) const { return high == other.high && low == other.low; }
    };
    struct Slot {
        std::int32_t number = kNone;
        std::uint32_t tag = 0;
    };
    static Packed pack(std::string_view key);
    static void foldInPlace(std::string &code);
    std::size_t slotOf(std::string_view key, const Packed &packed, std::size_t hash) const;
    std::int32_t addFolded(std::string_view code, const std::string &foldedCode, std::size_t hash);
    void prepare(std::vector<Lookup> &lookups, bool keepKey) const;
    void makeRoom(std::size_t codes);
    void rehash(std::size_t slots);

    std::string m_keys;                          // the folded codes, one after the other
    std::vector<std::uint64_t> m_offsets{0};     // where each starts; one more than the codes
    std::vector<Packed> m_packed;                // by number
    std::vector<bool> m_spelledOtherwise;        // by number: stored spelling differs from the key
    std::unordered_map<std::int32_t, std::string> m_spelled;   // those spellings ("1234U")
    std::vector<Slot> m_slots;                   // by hash, power-of-two size
};
