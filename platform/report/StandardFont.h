#pragma once

#include <QByteArray>
#include <QString>

namespace report {

// Helvetica, the sans-serif every PDF reader has built in: a PDF that uses it
// carries no font, so it is small and quick to write. It covers the WinAnsi
// code page: the Latin-1 letters, the euro sign and the typographic marks.
class StandardFont {
public:
    static constexpr double kAscent = 0.905;    // of the font size
    static constexpr double kDescent = 0.212;

    // Whether texts in this family are drawn as Helvetica.
    static bool drawsFamily(const QString &family);
    // The text in WinAnsi codes; false when a character has none (or is a
    // control character).
    static bool encode(QStringView text, QByteArray &codes);
    // Width of one code / of codes, as a fraction of the font size.
    static double width(unsigned char code, bool bold);
    static double width(const QByteArray &codes, bool bold);
    // The reader's name of the font in a given style.
    static const char *postScriptName(bool bold, bool italic);
};

} // namespace report
