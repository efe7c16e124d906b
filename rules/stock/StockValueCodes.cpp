#include "rules/stock/StockValueCodes.h"

#include "db/TextKeys.h"

#include <QString>
#include <algorithm>
#include <functional>

std::string StockValueCodes::folded(std::string_view code)
{
    std::string key(code);
    foldInPlace(key);
    return key;
}

void StockValueCodes::foldInPlace(std::string &key)
{
    bool plain = true;
    for (char &c : key) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            plain = false;
            break;
        }
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    if (plain)
        return;
    // Beyond ASCII the database's own folding decides (its accented capitals).
    const QByteArray utf8 = db::foldedText(QString::fromUtf8(key.data(), qsizetype(key.size()))).toUtf8();
    key.assign(utf8.constData(), std::size_t(utf8.size()));
}

StockValueCodes::Packed StockValueCodes::pack(std::string_view key)
{
    Packed packed;
    const std::size_t length = key.size();
    for (std::size_t i = 0; i < 15 && i < length; ++i) {
        const std::uint64_t byte = static_cast<unsigned char>(key[i]);
        if (i < 8)
            packed.high |= byte << (8 * (7 - i));
        else
            packed.low |= byte << (8 * (15 - i));
    }
    packed.low |= length > 15 ? 255u : length;
    return packed;
}

void StockValueCodes::reserve(std::size_t items)
{
    m_offsets.reserve(items + 1);
    m_keys.reserve(items * 14);
    m_packed.reserve(items);
    m_spelledOtherwise.reserve(items);
    std::size_t slots = 16;
    while (slots < items + items / 2)
        slots *= 2;
    if (slots > m_slots.size())
        rehash(slots);
}

void StockValueCodes::rehash(std::size_t slots)
{
    m_slots.assign(slots, Slot());
    for (std::int32_t n = 0; n < std::int32_t(size()); ++n) {
        const std::string_view k = key(n);
        const std::size_t hash = std::hash<std::string_view>{}(k);
        Slot &slot = m_slots[slotOf(k, m_packed[std::size_t(n)], hash)];
        slot.number = n;
        slot.tag = std::uint32_t(hash >> 32);
    }
}

std::size_t StockValueCodes::slotOf(std::string_view key, const Packed &packed, std::size_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const auto tag = std::uint32_t(hash >> 32);
    std::size_t at = hash & mask;
    for (;; at = (at + 1) & mask) {
        const Slot &slot = m_slots[at];
        if (slot.number == kNone)
            return at;
        if (slot.tag == tag && m_packed[std::size_t(slot.number)] == packed
            && ((packed.low & 255u) != 255u || this->key(slot.number) == key))
            return at;
    }
}

void StockValueCodes::makeRoom(std::size_t codes)
{
    std::size_t slots = std::max<std::size_t>(16, m_slots.size());
    while (codes * 3 > slots * 2)
        slots *= 2;
    if (slots > m_slots.size())
        rehash(slots);
}

std::int32_t StockValueCodes::add(std::string_view code)
{
    makeRoom(size() + 1);
    const std::string foldedCode = folded(code);
    return addFolded(code, foldedCode, std::hash<std::string_view>{}(foldedCode));
}

void StockValueCodes::addAll(std::vector<Lookup> &lookups)
{
    makeRoom(size() + lookups.size());
    prepare(lookups, true);
    for (Lookup &lookup : lookups)
        lookup.number = addFolded(lookup.key, lookup.folded, lookup.hash);
}

std::int32_t StockValueCodes::addFolded(std::string_view code, const std::string &foldedCode, std::size_t hash)
{
    const Packed packed = pack(foldedCode);
    Slot &slot = m_slots[slotOf(foldedCode, packed, hash)];
    if (slot.number != kNone)
        return slot.number;
    const auto number = std::int32_t(size());
    m_keys.append(foldedCode);
    m_offsets.push_back(m_keys.size());
    m_packed.push_back(packed);
    m_spelledOtherwise.push_back(foldedCode != code);
    if (foldedCode != code)
        m_spelled.emplace(number, std::string(code));
    slot.number = number;
    slot.tag = std::uint32_t(hash >> 32);
    return number;
}

std::int32_t StockValueCodes::find(std::string_view code) const
{
    if (m_slots.empty())
        return kNone;
    const std::string foldedCode = folded(code);
    return m_slots[slotOf(foldedCode, pack(foldedCode), std::hash<std::string_view>{}(foldedCode))].number;
}

void StockValueCodes::findAll(std::vector<Lookup> &lookups) const
{
    if (m_slots.empty()) {
        for (Lookup &lookup : lookups)
            lookup.number = kNone;
        return;
    }
    prepare(lookups, false);
    for (Lookup &lookup : lookups)
        lookup.number = m_slots[slotOf(lookup.key, pack(lookup.key), lookup.hash)].number;
}

// Folds each lookup's code (into its `folded` when `keepKey`, else in its
// key), hashes it, and starts fetching the two places its lookup reads.
void StockValueCodes::prepare(std::vector<Lookup> &lookups, bool keepKey) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (Lookup &lookup : lookups) {
        if (keepKey)
            lookup.folded.assign(lookup.key);
        std::string &key = keepKey ? lookup.folded : lookup.key;
        foldInPlace(key);
        lookup.hash = std::hash<std::string_view>{}(key);
        __builtin_prefetch(&m_slots[lookup.hash & mask]);
    }
    for (const Lookup &lookup : lookups) {
        const Slot &slot = m_slots[lookup.hash & mask];
        if (slot.number != kNone)
            __builtin_prefetch(&m_packed[std::size_t(slot.number)]);
    }
}

std::string_view StockValueCodes::code(std::int32_t number) const
{
    if (!m_spelledOtherwise[std::size_t(number)])
        return key(number);
    return m_spelled.at(number);
}

// The first 15 bytes of each code, packed, are copied beside its number: a
// million numbers sort without reaching into the codes at every comparison.
void StockValueCodes::sortByRankAndCode(std::vector<std::int32_t> &numbers, const std::vector<std::int32_t> &rank) const
{
    struct Entry {
        std::uint64_t high;
        std::uint64_t low;   // without the length
        std::int32_t rank;
        std::int32_t number;
    };
    std::vector<Entry> entries;
    entries.reserve(numbers.size());
    for (const std::int32_t number : numbers) {
        const Packed &packed = m_packed[std::size_t(number)];
        entries.push_back({packed.high, packed.low & ~std::uint64_t(255), rank[std::size_t(number)], number});
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return key(a.number) < key(b.number);
    });
    for (std::size_t i = 0; i < entries.size(); ++i)
        numbers[i] = entries[i].number;
}
