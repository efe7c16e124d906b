#include "skin/FrameGeometry.h"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {
int tilesToCover(int length, int tile)
{
    return length <= 0 ? 0 : (length + tile - 1) / tile;
}
} // namespace

FrameGeometry computeFrameGeometry(const FrameArt &art, const QSize &window, const FrameOptions &options)
{
    using namespace frame;
    FrameGeometry g;
    const int width = window.width();
    const int height = window.height();

    // Caption: the two ends keep their own size; the middle takes what remains
    // between them (nothing, on a window too narrow for both ends).
    g.leftCaption = QRect(QPoint(0, 0), art.leftCaption);
    g.rightCaption = QRect(QPoint(width - art.rightCaption.width(), 0), art.rightCaption);
    const int middleWidth = std::max(0, width - art.leftCaption.width() - art.rightCaption.width());
    g.centerCaption = QRect(art.leftCaption.width(), 0, middleWidth, art.centerCaption.height());
    g.centerTiles = static_cast<int>(std::lround(double(middleWidth) / kCenterTileStep));
    g.captionLabel = g.centerCaption;

    // Buttons on the right end, from its right edge leftwards: close, then
    // maximize or restore in the same place, then minimize. Without maximize
    // the minimize button moves into its place, leaving no gap.
    const int right = g.rightCaption.left() + art.rightCaption.width() - kButtonRightGap;
    const int closeLeft = right - art.closeButton.width();
    g.closeButton = QRect(QPoint(closeLeft, kButtonTop), art.closeButton);
    g.maximizeButton = QRect(QPoint(closeLeft - art.maximizeButton.width(), kButtonTop), art.maximizeButton);
    g.restoreButton = QRect(QPoint(closeLeft - art.restoreButton.width(), kButtonTop), art.restoreButton);
    g.maximizeVisible = options.maximizeBtn && !options.maximized;
    g.restoreVisible = options.maximizeBtn && options.maximized;
    const int minimizeRight = options.maximizeBtn ? closeLeft - art.maximizeButton.width() : closeLeft;
    g.minimizeButton = QRect(QPoint(minimizeRight - art.minimizeButton.width(), kButtonTop), art.minimizeButton);
    g.minimizeVisible = options.minimizeBtn;

    // Borders: the sides from under their caption end to the window's
    // bottom, the bottom strip (with its corners) over the last 10 pixels.
    const int leftTop = art.leftCaption.height();
    const int rightTop = art.rightCaption.height();
    g.leftBorder = QRect(0, leftTop, kBorderWidth, std::max(0, height - leftTop));
    g.rightBorder = QRect(width - kBorderWidth, rightTop, kBorderWidth, std::max(0, height - rightTop));
    g.leftBorderTiles = tilesToCover(g.leftBorder.height(), kBorderTile);
    g.rightBorderTiles = tilesToCover(g.rightBorder.height(), kBorderTile);
    g.bottomBorder = QRect(0, height - kBorderWidth, width, kBorderWidth);
    g.bottomTiles = tilesToCover(width, kBottomTileWidth);
    g.bottomLeftCorner = QRect(0, height - kBorderWidth, kBorderTile, kBorderTile);
    g.bottomRightCorner = QRect(width - kBorderTile, height - kBorderWidth, kBorderTile, kBorderTile);

    const int captionHeight = std::max({art.leftCaption.height(), art.centerCaption.height(),
                                        art.rightCaption.height()});
    g.contentMargins = QMargins(kBorderWidth, captionHeight, kBorderWidth, kBorderWidth);
    return g;
}

QSize minimumFrameSize(const FrameArt &art)
{
    const int captionHeight = std::max({art.leftCaption.height(), art.centerCaption.height(),
                                        art.rightCaption.height()});
    return QSize(art.leftCaption.width() + art.rightCaption.width(),
                 captionHeight + frame::kBorderWidth);
}

FramePart framePartAt(const FrameGeometry &g, const QSize &window, const QPoint &p)
{
    if (g.closeButton.contains(p))
        return FramePart::CloseButton;
    if (g.restoreVisible && g.restoreButton.contains(p))
        return FramePart::RestoreButton;
    if (g.maximizeVisible && g.maximizeButton.contains(p))
        return FramePart::MaximizeButton;
    if (g.minimizeVisible && g.minimizeButton.contains(p))
        return FramePart::MinimizeButton;
    if (p.y() >= 0 && p.y() < g.contentMargins.top() && p.x() >= 0 && p.x() < window.width())
        return FramePart::Caption;

    constexpr int corner = 16;
    const bool nearLeft = p.x() < corner;
    const bool nearRight = p.x() >= window.width() - corner;
    const bool nearBottom = p.y() >= window.height() - corner;
    if (g.bottomBorder.contains(p) || (nearBottom && (g.leftBorder.contains(p) || g.rightBorder.contains(p)))) {
        if (nearLeft)
            return FramePart::BottomLeftCorner;
        if (nearRight)
            return FramePart::BottomRightCorner;
        return FramePart::BottomEdge;
    }
    if (g.leftBorder.contains(p))
        return FramePart::LeftEdge;
    if (g.rightBorder.contains(p))
        return FramePart::RightEdge;
    return FramePart::None;
}

} // namespace skin
