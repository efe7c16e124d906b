#include "skin/ButtonLooks.h"

#include <QPainter>

namespace skin {

ButtonPieces buttonPieces(ButtonLook look)
{
    switch (look) {
    case ButtonLook::Hover: return {72, 83, 128, 75 / 15};
    case ButtonLook::Pressed: return {144, 159, 202, 75 / 15};
    case ButtonLook::Normal: break;
    }
    return {0, 15, 55, 60 / 15};
}

ButtonLayout buttonLayout(ButtonLook look, int width)
{
    using namespace button;
    ButtonLayout layout;
    layout.left = QRect(0, 0, kLeftWidth, kHeight);
    const int tiles = std::max(0, width) / kMiddleWidth;
    for (int i = 1; i <= tiles; ++i)
        layout.middles.append(QRect(i * kMiddleWidth, 0, kMiddleWidth, kHeight));
    layout.right = QRect(width - kRightWidth, 0, kRightWidth, kHeight);
    const int top = buttonPieces(look).captionTop;
    layout.caption = QRect(kCaptionInset, top, std::max(0, width - 2 * kCaptionInset), kHeight - top);
    return layout;
}

QImage composeButtonLook(const QImage &strip, ButtonLook look, int width)
{
    using namespace button;
    QImage face(std::max(1, width), kHeight, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    const ButtonPieces pieces = buttonPieces(look);
    const ButtonLayout layout = buttonLayout(look, width);
    QPainter painter(&face);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(layout.left.topLeft(), strip, QRect(pieces.leftFrom, 0, kLeftWidth, kHeight));
    for (const QRect &tile : layout.middles)
        painter.drawImage(tile.topLeft(), strip, QRect(pieces.middleFrom, 0, kMiddleWidth, kHeight));
    painter.drawImage(layout.right.topLeft(), strip, QRect(pieces.rightFrom, 0, kRightWidth, kHeight));
    return face;
}

} // namespace skin
