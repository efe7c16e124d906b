#include "StandardFont.h"

#include <algorithm>
#include <array>
#include <utility>

namespace report {

namespace {

// Advance widths of Helvetica (regular and oblique) and Helvetica-Bold (bold
// and bold oblique), in thousandths of the font size, by WinAnsi code.
constexpr std::array<short, 256> kRegular = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584, 0,
    556, 0, 222, 556, 333, 1000, 556, 556, 333, 1000, 667, 333, 1000, 0, 611, 0,
    0, 222, 222, 333, 333, 350, 556, 1000, 333, 1000, 500, 333, 944, 0, 500, 667,
    278, 333, 556, 556, 556, 556, 260, 556, 333, 737, 370, 556, 584, 333, 737, 333,
    400, 584, 333, 333, 333, 556, 537, 278, 333, 333, 365, 556, 834, 834, 834, 611,
    667, 667, 667, 667, 667, 667, 1000, 722, 667, 667, 667, 667, 278, 278, 278, 278,
    722, 722, 778, 778, 778, 778, 778, 584, 778, 722, 722, 722, 722, 667, 667, 611,
    556, 556, 556, 556, 556, 556, 889, 500, 556, 556, 556, 556, 278, 278, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 584, 611, 556, 556, 556, 556, 500, 556, 500,
};
constexpr std::array<short, 256> kBold = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584, 0,
    556, 0, 278, 556, 500, 1000, 556, 556, 333, 1000, 667, 333, 1000, 0, 611, 0,
    0, 278, 278, 500, 500, 350, 556, 1000, 333, 1000, 556, 333, 944, 0, 500, 667,
    278, 333, 556, 556, 556, 556, 280, 556, 333, 737, 370, 556, 584, 333, 737, 333,
    400, 584, 333, 333, 333, 611, 556, 278, 333, 333, 365, 556, 834, 834, 834, 611,
    722, 722, 722, 722, 722, 722, 1000, 722, 667, 667, 667, 667, 278, 278, 278, 278,
    722, 722, 778, 778, 778, 778, 778, 584, 778, 722, 722, 722, 722, 667, 667, 611,
    556, 556, 556, 556, 556, 556, 889, 556, 556, 556, 556, 556, 278, 278, 278, 278,
    611, 611, 611, 611, 611, 611, 611, 584, 611, 611, 611, 611, 611, 556, 611, 556,
};

// The WinAnsi codes 128-159 and the characters they stand for.
constexpr std::array<std::pair<char16_t, unsigned char>, 27> kHighCodes = {{
    {0x0152, 140},
    {0x0153, 156},
    {0x0160, 138},
    {0x0161, 154},
    {0x0178, 159},
    {0x017D, 142},
    {0x017E, 158},
    {0x0192, 131},
    {0x02C6, 136},
    {0x02DC, 152},
    {0x2013, 150},
    {0x2014, 151},
    {0x2018, 145},
    {0x2019, 146},
    {0x201A, 130},
    {0x201C, 147},
    {0x201D, 148},
    {0x201E, 132},
    {0x2020, 134},
    {0x2021, 135},
    {0x2022, 149},
    {0x2026, 133},
    {0x2030, 137},
    {0x2039, 139},
    {0x203A, 155},
    {0x20AC, 128},
    {0x2122, 153},
}};

} // namespace

bool StandardFont::drawsFamily(const QString &family)
{
    static const char *const sans[] = {"DejaVu Sans", "Helvetica", "Arial", "Liberation Sans", "Nimbus Sans",
                                       "Sans Serif", "sans-serif", "Sans", "MS Sans Serif"};
    if (family.isEmpty())
        return true;
    for (const char *name : sans) {
        if (family.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool StandardFont::encode(QStringView text, QByteArray &codes)
{
    codes.resize(text.size());
    char *out = codes.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF)) {
            *out++ = char(u);
            continue;
        }
        const auto high = std::lower_bound(kHighCodes.begin(), kHighCodes.end(), u,
                                           [](const auto &entry, char16_t value) { return entry.first < value; });
        if (high == kHighCodes.end() || high->first != u)
            return false;
        *out++ = char(high->second);
    }
    return true;
}

double StandardFont::width(unsigned char code, bool bold)
{
    return (bold ? kBold : kRegular)[code] / 1000.0;
}

double StandardFont::width(const QByteArray &codes, bool bold)
{
    const std::array<short, 256> &table = bold ? kBold : kRegular;
    int total = 0;
    for (const char c : codes)
        total += table[static_cast<unsigned char>(c)];
    return total / 1000.0;
}

const char *StandardFont::postScriptName(bool bold, bool italic)
{
    if (bold)
        return italic ? "Helvetica-BoldOblique" : "Helvetica-Bold";
    return italic ? "Helvetica-Oblique" : "Helvetica";
}

} // namespace report
