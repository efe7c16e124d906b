#include "TextFunctions.h"

#include <sqlite3.h>
#include <string>

namespace db {

namespace {

// Letter without accent, then case-folded: the first sorting level.
QString baseKey(const QString &text)
{
    QString key;
    key.reserve(text.size());
    for (QChar c : text) {
        if (c.decompositionTag() == QChar::Canonical) {
            const QString parts = c.decomposition();
            if (!parts.isEmpty())
                c = parts.at(0);
        }
        key.append(c);
    }
    return key.toCaseFolded();
}

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

inline unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

int compareUtf8(const unsigned char *a, int lenA, const unsigned char *b, int lenB)
{
    const int common = lenA < lenB ? lenA : lenB;
    for (int i = 0; i < common; ++i) {
        const unsigned char x = a[i], y = b[i];
        if ((x | y) & 0x80)
            return compareText(QString::fromUtf8(reinterpret_cast<const char *>(a), lenA),
                               QString::fromUtf8(reinterpret_cast<const char *>(b), lenB));
        const unsigned char lx = asciiLower(x), ly = asciiLower(y);
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    // One text is a prefix of the other; a non-ASCII tail can still fold to
    // nothing shorter, so only pure ASCII tails decide by length here.
    const unsigned char *rest = lenA > lenB ? a + common : b + common;
    const int restLen = lenA > lenB ? lenA - common : lenB - common;
    for (int i = 0; i < restLen; ++i)
        if (rest[i] & 0x80)
            return compareText(QString::fromUtf8(reinterpret_cast<const char *>(a), lenA),
                               QString::fromUtf8(reinterpret_cast<const char *>(b), lenB));
    return lenA == lenB ? 0 : (lenA < lenB ? -1 : 1);
}

int collationCallback(void *, int lenA, const void *a, int lenB, const void *b)
{
    return compareUtf8(static_cast<const unsigned char *>(a), lenA,
                       static_cast<const unsigned char *>(b), lenB);
}

// Matches a class "[...]" starting at p (just after '['); returns the
// position after ']' or nullptr when the class is not closed (then '[' is an
// ordinary character).
template <typename Ch>
const Ch *matchClass(const Ch *p, const Ch *end, Ch c, bool *matched)
{
    bool negate = false;
    if (p < end && *p == Ch('!')) {
        negate = true;
        ++p;
    }
    bool found = false;
    bool first = true;
    while (p < end && (*p != Ch(']') || first)) {
        first = false;
        Ch low = *p;
        if (p + 2 < end && p[1] == Ch('-') && p[2] != Ch(']')) {
            const Ch high = p[2];
            if (c >= low && c <= high)
                found = true;
            p += 3;
        } else {
            if (c == low)
                found = true;
            ++p;
        }
    }
    if (p >= end)
        return nullptr;
    *matched = found != negate;
    return p + 1;
}

template <typename Ch>
bool isDigitChar(Ch c)
{
    return c >= Ch('0') && c <= Ch('9');
}

// Single-character step of the pattern at p against c; returns the next
// pattern position or nullptr on mismatch.
template <typename Ch>
const Ch *stepOne(const Ch *p, const Ch *end, Ch c)
{
    if (*p == Ch('?'))
        return p + 1;
    if (*p == Ch('#'))
        return isDigitChar(c) ? p + 1 : nullptr;
    if (*p == Ch('[')) {
        bool matched = false;
        const Ch *after = matchClass(p + 1, end, c, &matched);
        if (after)
            return matched ? after : nullptr;
        return c == Ch('[') ? p + 1 : nullptr;
    }
    return *p == c ? p + 1 : nullptr;
}

template <typename Ch>
bool wildcardMatch(const Ch *p, const Ch *pend, const Ch *s, const Ch *send)
{
    const Ch *starP = nullptr;
    const Ch *starS = nullptr;
    while (s < send) {
        if (p < pend && *p == Ch('*')) {
            starP = ++p;
            starS = s;
            continue;
        }
        if (p < pend) {
            if (const Ch *next = stepOne(p, pend, *s)) {
                p = next;
                ++s;
                continue;
            }
        }
        if (!starP)
            return false;
        p = starP;
        s = ++starS;
    }
    while (p < pend && *p == Ch('*'))
        ++p;
    return p == pend;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

std::string lowerAscii(const unsigned char *text, int len)
{
    std::string out(reinterpret_cast<const char *>(text), size_t(len));
    for (char &c : out)
        c = asciiLower(c);
    return out;
}

bool isAscii(const unsigned char *text, int len)
{
    for (int i = 0; i < len; ++i)
        if (text[i] & 0x80)
            return false;
    return true;
}

void likeCallback(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return; // result stays Null, as any comparison with Null
    const auto *pattern = sqlite3_value_text(argv[0]);
    const int patternLen = sqlite3_value_bytes(argv[0]);
    const auto *value = sqlite3_value_text(argv[1]);
    const int valueLen = sqlite3_value_bytes(argv[1]);
    bool result;
    if (isAscii(value, valueLen) && isAscii(pattern, patternLen)) {
        // The pattern lowered once for the statement (kept with its
        // argument), the value on the stack: a scan of every description
        // allocates nothing per row.
        const auto *kept = static_cast<const std::string *>(sqlite3_get_auxdata(context, 0));
        std::string own;
        if (!kept) {
            own = lowerAscii(pattern, patternLen);
            sqlite3_set_auxdata(context, 0, new std::string(own),
                                [](void *data) { delete static_cast<std::string *>(data); });
        }
        const std::string &p = kept ? *kept : own;
        char shortValue[256];
        std::string longValue;
        char *v = shortValue;
        if (valueLen > int(sizeof shortValue)) {
            longValue.resize(size_t(valueLen));
            v = longValue.data();
        }
        for (int i = 0; i < valueLen; ++i)
            v[i] = asciiLower(char(value[i]));
        result = wildcardMatch(p.data(), p.data() + p.size(), static_cast<const char *>(v),
                               static_cast<const char *>(v) + valueLen);
    } else {
        result = likeMatches(QString::fromUtf8(reinterpret_cast<const char *>(pattern), patternLen),
                             QString::fromUtf8(reinterpret_cast<const char *>(value), valueLen));
    }
    sqlite3_result_int(context, result ? 1 : 0);
}

} // namespace

int compareText(const QString &left, const QString &right)
{
    const int primary = sign(baseKey(left).compare(baseKey(right)));
    if (primary != 0)
        return primary;
    return sign(left.toCaseFolded().compare(right.toCaseFolded()));
}

bool likeMatches(const QString &pattern, const QString &value)
{
    const QString p = pattern.toCaseFolded();
    const QString v = value.toCaseFolded();
    return wildcardMatch(p.constData(), p.constData() + p.size(), v.constData(), v.constData() + v.size());
}

void registerTextFunctions(sqlite3 *handle)
{
    sqlite3_create_collation_v2(handle, textCollation, SQLITE_UTF8, nullptr, collationCallback, nullptr);
    sqlite3_create_function_v2(handle, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               likeCallback, nullptr, nullptr, nullptr);
}

} // namespace db
