#include "LabelLayout.h"

namespace report {

namespace {

LabelLayout sheet(const QString &name, const QString &caption, int columns, int rows, QSizeF label, QSizeF pitch)
{
    LabelLayout layout;
    layout.name = name;
    layout.caption = caption;
    layout.page = QSizeF(210, 297);
    layout.label = label;
    layout.columns = columns;
    layout.rows = rows;
    layout.pitch = pitch;
    // The grid sits in the middle of the sheet, as the makers cut it.
    const double width = (columns - 1) * pitch.width() + label.width();
    const double height = (rows - 1) * pitch.height() + label.height();
    layout.first = QPointF((layout.page.width() - width) / 2, (layout.page.height() - height) / 2);
    return layout;
}

LabelLayout rollOf(const QString &name, const QString &caption, QSizeF label)
{
    LabelLayout layout;
    layout.name = name;
    layout.caption = caption;
    layout.page = label;
    layout.label = label;
    layout.pitch = label;
    return layout;
}

} // namespace

QRectF LabelLayout::labelRect(int index, const QPointF &offset) const
{
    const int column = index % columns;
    const int row = index / columns;
    return QRectF(first + offset + QPointF(column * pitch.width(), row * pitch.height()), label);
}

const std::vector<LabelLayout> &LabelLayout::all()
{
    static const std::vector<LabelLayout> layouts = {
        sheet(QStringLiteral("A4-3x8"), QStringLiteral("Foglio A4, 3 × 8 etichette da 70 × 37 mm"), 3, 8,
              QSizeF(70, 37), QSizeF(70, 37)),
        sheet(QStringLiteral("A4-3x7"), QStringLiteral("Foglio A4, 3 × 7 etichette da 70 × 42,3 mm"), 3, 7,
              QSizeF(70, 42.3), QSizeF(70, 42.3)),
        sheet(QStringLiteral("A4-4x10"), QStringLiteral("Foglio A4, 4 × 10 etichette da 48,5 × 25,4 mm"), 4, 10,
              QSizeF(48.5, 25.4), QSizeF(48.5, 25.4)),
        sheet(QStringLiteral("A4-2x7"), QStringLiteral("Foglio A4, 2 × 7 etichette da 99,1 × 38,1 mm"), 2, 7,
              QSizeF(99.1, 38.1), QSizeF(101.6, 38.1)),
        rollOf(QStringLiteral("rotolo-50x25"), QStringLiteral("Rotolo, etichette da 50 × 25 mm"), QSizeF(50, 25)),
        rollOf(QStringLiteral("rotolo-40x30"), QStringLiteral("Rotolo, etichette da 40 × 30 mm"), QSizeF(40, 30)),
    };
    return layouts;
}

const LabelLayout *LabelLayout::named(const QString &name)
{
    for (const LabelLayout &layout : all())
        if (layout.name.compare(name, Qt::CaseInsensitive) == 0)
            return &layout;
    return nullptr;
}

} // namespace report
