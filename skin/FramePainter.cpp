#include "skin/FramePainter.h"

#include "skin/SkinError.h"
#include "skin/SkinImage.h"
#include "skin/SkinPath.h"

#include <QPainter>
#include <QPainterPath>

namespace skin {

const char *const FrameImages::kFileNames[8] = {
    "img_Caption_Left.bmp", "img_Caption_Center.bmp", "img_Caption_Right.bmp",
    "img_Button_Close.gif", "img_Button_Restore.gif", "img_Button_Maximize.gif",
    "img_Button_Minimize.gif", "img_Borders.bmp",
};

FrameImages FrameImages::load(const QString &skinPath)
{
    QImage loaded[8];
    for (int slot = 0; slot < 8; ++slot)
        loaded[slot] = loadSkinImage(skinFile(skinPath, QString::fromLatin1(kFileNames[slot])));
    const QImage &borders = loaded[7];
    if (borders.width() < 5 * frame::kBorderTile || borders.height() < frame::kBorderTile)
        throw SkinError::invalidPicture(skinFile(skinPath, QString::fromLatin1(kFileNames[7])));

    FrameImages images;
    images.leftCaption = loaded[0];
    images.centerCaption = loaded[1];
    images.rightCaption = loaded[2];
    images.closeButton = loaded[3];
    images.restoreButton = loaded[4];
    images.maximizeButton = loaded[5];
    images.minimizeButton = loaded[6];
    images.borders = loaded[7];
    return images;
}

FrameArt FrameImages::art() const
{
    return {leftCaption.size(), centerCaption.size(), rightCaption.size(), closeButton.size(),
            restoreButton.size(), maximizeButton.size(), minimizeButton.size()};
}

QImage FramePainter::middleStrip(const QImage &center, int width, int tiles)
{
    using namespace frame;
    const int stripWidth = std::max(width, tiles * kCenterTileStep + kCenterTileWidth);
    QImage strip(std::max(1, stripWidth), std::max(1, center.height()), QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, center);
    for (int i = 1; i <= tiles; ++i) {
        // Copy from the strip itself, as it stands after the previous copies.
        const QImage area = strip.copy(0, 0, kCenterTileWidth, std::min(kCenterTileHeight, strip.height()));
        p.drawImage(i * kCenterTileStep, 0, area);
    }
    p.end();
    return strip.copy(0, 0, std::max(1, width), strip.height());
}

void FramePainter::paint(QPainter &painter, const FrameGeometry &g, const FrameImages &images,
                         const FrameLook &look)
{
    if (images.isNull())
        return;

    if (g.centerCaption.width() > 0)
        painter.drawImage(g.centerCaption.topLeft(),
                          middleStrip(images.centerCaption, g.centerCaption.width(), g.centerTiles));
    painter.drawImage(g.leftCaption.topLeft(), images.leftCaption);
    painter.drawImage(g.rightCaption.topLeft(), images.rightCaption);

    const QRect captionBand(0, 0, g.rightCaption.right() + 1, g.contentMargins.top());
    if (!look.active)
        painter.fillRect(captionBand, QColor(214, 221, 231, 96));

    if (g.captionLabel.width() > 8) {
        const QRect textRect = g.captionLabel.adjusted(4, 0, -4, 0).intersected(
            QRect(0, 0, std::max(0, g.minimizeButton.left() - 4), g.captionLabel.bottom() + 1));
        painter.setFont(look.captionFont);
        const QString text = painter.fontMetrics().elidedText(look.caption, Qt::ElideRight, textRect.width());
        QColor shadow(0, 0, 0, look.active ? 90 : 40);
        painter.setPen(shadow);
        painter.drawText(textRect.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, text);
        QColor ink = look.captionColor;
        if (!look.active)
            ink.setAlpha(170);
        painter.setPen(ink);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    paintButton(painter, g.closeButton, images.closeButton, FramePart::CloseButton, look);
    if (g.restoreVisible)
        paintButton(painter, g.restoreButton, images.restoreButton, FramePart::RestoreButton, look);
    if (g.maximizeVisible)
        paintButton(painter, g.maximizeButton, images.maximizeButton, FramePart::MaximizeButton, look);
    if (g.minimizeVisible)
        paintButton(painter, g.minimizeButton, images.minimizeButton, FramePart::MinimizeButton, look);

    paintBorders(painter, g, images.borders);
}

void FramePainter::paintButton(QPainter &painter, const QRect &rect, const QImage &image, FramePart part,
                               const FrameLook &look)
{
    const bool pressed = look.pressed == part && look.hovered == part;
    const bool hovered = look.hovered == part;
    if (hovered || pressed) {
        QColor back = part == FramePart::CloseButton ? QColor(214, 64, 55) : QColor(255, 255, 255, 46);
        if (pressed)
            back = part == FramePart::CloseButton ? QColor(168, 42, 36) : QColor(0, 0, 0, 60);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, back);
        painter.restore();
    }
    painter.drawImage(rect.topLeft(), image);
}

void FramePainter::paintBorders(QPainter &painter, const FrameGeometry &g, const QImage &borders)
{
    using namespace frame;
    const QRect leftTile(0, 0, kBorderTile, kBorderTile);
    const QRect bottomLeftTile(10, 0, kBorderTile, kBorderTile);
    const QRect bottomTile(20, 0, kBottomTileWidth, kBorderTile);
    const QRect rightTile(30, 0, kBorderTile, kBorderTile);
    const QRect bottomRightTile(40, 0, kBorderTile, kBorderTile);

    painter.save();
    painter.setClipRect(g.leftBorder);
    for (int i = 0; i < g.leftBorderTiles; ++i)
        painter.drawImage(QPoint(g.leftBorder.left(), g.leftBorder.top() + i * kBorderTile), borders, leftTile);
    painter.setClipRect(g.rightBorder);
    for (int i = 0; i < g.rightBorderTiles; ++i)
        painter.drawImage(QPoint(g.rightBorder.left(), g.rightBorder.top() + i * kBorderTile), borders, rightTile);
    painter.setClipRect(g.bottomBorder);
    for (int i = 0; i < g.bottomTiles; ++i)
        painter.drawImage(QPoint(g.bottomBorder.left() + i * kBottomTileWidth, g.bottomBorder.top()), borders,
                          bottomTile);
    painter.drawImage(g.bottomLeftCorner.topLeft(), borders, bottomLeftTile);
    painter.drawImage(g.bottomRightCorner.topLeft(), borders, bottomRightTile);
    painter.restore();
}

} // namespace skin
