#pragma once

#include <QColor>
#include <QLineF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <vector>

namespace report {

// One drawing primitive of a laid-out page, in millimetres from the page's
// top left corner.
struct PageItem {
    enum class Kind { Text, Line, Rect, Image };
    // What a text keeps clear inside its rectangle, left and right (mm).
    static constexpr double kTextPadding = 0.8;
    Kind kind = Kind::Text;
    QRectF rect;
    QLineF line;
    QString text;              // Text: the text; Image: the file
    QString family;
    double pointSize = 9;
    bool bold = false;
    bool italic = false;
    bool wrap = false;
    int align = 0;             // Qt::Alignment
    QColor color = Qt::black;
    QColor fill;               // Rect, and a Text's background
    bool border = false;
    double penWidth = 0.25;    // mm
};

struct ReportPage {
    QSizeF size {210, 297};
    std::vector<PageItem> items;

    // The page's texts in reading order (top to bottom, left to right).
    QStringList texts() const;
    bool contains(const QString &text) const;
};

} // namespace report
