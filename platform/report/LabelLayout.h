#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace report {

// Where the labels of a sheet or a roll are, in millimetres from the page's
// top left corner: a grid of equal labels. A roll is one label a page.
struct LabelLayout {
    QString name;          // as the command line and the remembered margins know it
    QString caption;       // as the user reads it
    QSizeF page;
    QSizeF label;
    int columns = 1;
    int rows = 1;
    QPointF first;         // the top left corner of the first label
    QSizeF pitch;          // from one label's corner to the next one's

    int perPage() const { return columns * rows; }
    bool roll() const { return perPage() == 1; }
    // The label at `index` on its page (0 = top left, row by row), moved by
    // `offset` (the user's margins: how far this printer draws off the sheet).
    QRectF labelRect(int index, const QPointF &offset = {}) const;

    static const std::vector<LabelLayout> &all();
    // Null when no layout has that name.
    static const LabelLayout *named(const QString &name);
};

} // namespace report
