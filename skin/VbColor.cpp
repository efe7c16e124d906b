#include "skin/VbColor.h"

#include <QApplication>
#include <QPalette>

namespace skin {

namespace {
QColor systemColour(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 0x02: return QColor(0x26, 0x36, 0x50);           // active caption
    case 0x03: return QColor(0x8a, 0x96, 0xa8);           // inactive caption
    case 0x05: return palette.color(QPalette::Base);      // window background
    case 0x06: return palette.color(QPalette::Dark);      // window frame
    case 0x08: return palette.color(QPalette::Text);      // window text
    case 0x09: return QColor(Qt::white);                  // caption text
    case 0x0D: return palette.color(QPalette::Highlight);
    case 0x0E: return palette.color(QPalette::HighlightedText);
    case 0x10: return palette.color(QPalette::Mid);       // button shadow
    case 0x11: return palette.color(QPalette::PlaceholderText); // grey text
    case 0x12: return palette.color(QPalette::ButtonText);
    case 0x14: return palette.color(QPalette::Light);     // button highlight
    case 0x18: return palette.color(QPalette::ToolTipBase);
    default:   return palette.color(QPalette::Window);    // 0x0F and the rest
    }
}
} // namespace

QColor toQColor(VbColor colour)
{
    const unsigned long value = static_cast<unsigned long>(colour) & 0xFFFFFFFFul;
    if (value & 0x80000000ul)
        return systemColour(static_cast<int>(value & 0xFF));
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

VbColor fromQColor(const QColor &colour)
{
    return static_cast<VbColor>(colour.red()) | (static_cast<VbColor>(colour.green()) << 8)
        | (static_cast<VbColor>(colour.blue()) << 16);
}

} // namespace skin
