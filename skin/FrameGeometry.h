#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace skin {

// The frame's lengths were laid out in the old layout unit, 1/1440 inch,
// which is 15 units per pixel on the usual screen. They are kept here in
// pixels: buttons 45 units (3 px) below the caption's top and 75 units (5 px)
// from its right end, borders 150 units (10 px) wide.
namespace frame {
constexpr int kTwipsPerPixel = 15;
// A length the forms give in twips, in pixels.
constexpr int twips(int value)
{
    return value / kTwipsPerPixel;
}
constexpr int kButtonTop = 45 / kTwipsPerPixel;
constexpr int kButtonRightGap = 75 / kTwipsPerPixel;
constexpr int kBorderWidth = 150 / kTwipsPerPixel;
constexpr int kBorderTile = 10;        // side tiles are 10 x 10
constexpr int kBottomTileWidth = 9;    // 9 x 10 taken from the bottom-edge tile
constexpr int kCenterTileStep = 50;    // the middle caption repeats every 50 px
constexpr int kCenterTileWidth = 100;  // copying its own area of 100 x 48
constexpr int kCenterTileHeight = 48;
} // namespace frame

// Sizes of the skin pictures the layout depends on, in pixels.
struct FrameArt {
    QSize leftCaption;
    QSize centerCaption;
    QSize rightCaption;
    QSize closeButton;
    QSize restoreButton;
    QSize maximizeButton;
    QSize minimizeButton;
};

struct FrameOptions {
    bool maximizeBtn = true;  // the window offers maximize and restore
    bool minimizeBtn = true;  // the window offers minimize
    bool maximized = false;   // restore shows in place of maximize
};

// Where every part of the frame goes on a window of a given size, in the
// window's pixels. Pure: computed without painting, so it can be tested.
struct FrameGeometry {
    QRect leftCaption;
    QRect centerCaption;
    QRect rightCaption;
    QRect captionLabel;
    int centerTiles = 0;  // copies of the middle picture at x = i * 50, i = 1..n

    QRect closeButton;
    QRect restoreButton;
    QRect maximizeButton;
    QRect minimizeButton;
    bool restoreVisible = false;
    bool maximizeVisible = true;
    bool minimizeVisible = true;

    QRect leftBorder;
    QRect rightBorder;
    QRect bottomBorder;
    int leftBorderTiles = 0;   // 10 px tiles from the border's top
    int rightBorderTiles = 0;
    int bottomTiles = 0;       // 9 px tiles from the left end
    QRect bottomLeftCorner;
    QRect bottomRightCorner;

    // What the frame covers at each edge; the window's own controls go inside.
    QMargins contentMargins;
};

// The part of the frame under a point of the window.
enum class FramePart {
    None, Caption, CloseButton, RestoreButton, MaximizeButton, MinimizeButton,
    LeftEdge, RightEdge, BottomEdge, BottomLeftCorner, BottomRightCorner
};

FrameGeometry computeFrameGeometry(const FrameArt &art, const QSize &window, const FrameOptions &options);

// The narrowest window that still holds both caption ends and the borders.
QSize minimumFrameSize(const FrameArt &art);

// Visible buttons first, then the caption, then the borders; the last
// 16 pixels of a border next to a bottom corner resize both ways.
FramePart framePartAt(const FrameGeometry &geometry, const QSize &window, const QPoint &point);

} // namespace skin
