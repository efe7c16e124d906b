#pragma once

#include <QImage>
#include <QRect>

class QPainter;

namespace skin {

// The three looks of the skinned push button, cut from one 24-pixel-high
// strip (img_Buttons.bmp): a 15-pixel left end, a 15-pixel middle tile
// repeated across the button and a 16-pixel right end.
enum class ButtonLook { Normal, Hover, Pressed };

struct ButtonPieces {
    int leftFrom;     // x of the left end in the strip
    int middleFrom;   // x of the middle tile
    int rightFrom;    // x of the right end
    int captionTop;   // the caption's top in pixels (60 or 75 in 1/1440 inch)
};

namespace button {
constexpr int kHeight = 24;       // 360 in 1/1440 inch
constexpr int kLeftWidth = 15;
constexpr int kMiddleWidth = 15;
constexpr int kRightWidth = 16;
constexpr int kCaptionInset = 10; // the caption is 20 px narrower than the button
constexpr int kStripWidth = 218;  // the pressed look's right end ends at 202 + 16
} // namespace button

ButtonPieces buttonPieces(ButtonLook look);

// Where each piece lands on a button of the given width: the left end at 0,
// middle tiles at i * 15 for i = 1 .. width / 15, the right end at width - 16
// (over the left end on a button narrower than 31 pixels).
struct ButtonLayout {
    QRect left;
    QList<QRect> middles;
    QRect right;
    QRect caption;
};
ButtonLayout buttonLayout(ButtonLook look, int width);

// The button face of one look, 24 pixels high: the face is cleared, then
// each piece replaces what lies under it, so the right end's transparent
// corners stay transparent even where it overlaps a middle tile.
QImage composeButtonLook(const QImage &strip, ButtonLook look, int width);

} // namespace skin
