#pragma once

#include "skin/FrameGeometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

class QPainter;

namespace skin {

// The eight skin pictures of the frame, in the order they are loaded.
struct FrameImages {
    QImage leftCaption;    // img_Caption_Left.bmp
    QImage centerCaption;  // img_Caption_Center.bmp
    QImage rightCaption;   // img_Caption_Right.bmp
    QImage closeButton;    // img_Button_Close.gif
    QImage restoreButton;  // img_Button_Restore.gif
    QImage maximizeButton; // img_Button_Maximize.gif
    QImage minimizeButton; // img_Button_Minimize.gif
    QImage borders;        // img_Borders.bmp: five 10 x 10 tiles

    static const char *const kFileNames[8];
    // Loads all eight from a skin folder; throws SkinError and then leaves
    // nothing half loaded.
    static FrameImages load(const QString &skinPath);
    bool isNull() const { return leftCaption.isNull(); }
    FrameArt art() const;
};

// What changes the frame's look besides its geometry.
struct FrameLook {
    QString caption;
    QColor captionColor;
    QFont captionFont;
    bool active = true;
    FramePart hovered = FramePart::None;
    FramePart pressed = FramePart::None;
};

// Every pixel of the frame is painted here.
class FramePainter {
public:
    static void paint(QPainter &painter, const FrameGeometry &geometry, const FrameImages &images,
                      const FrameLook &look);

    // The middle caption widened the way the skin expects: the picture at 0,
    // then its own first 100 x 48 pixels copied to x = i * 50 for i = 1..n.
    static QImage middleStrip(const QImage &center, int width, int tiles);

private:
    static void paintBorders(QPainter &painter, const FrameGeometry &geometry, const QImage &borders);
    static void paintButton(QPainter &painter, const QRect &rect, const QImage &image, FramePart part,
                            const FrameLook &look);
};

} // namespace skin
