#include "LabelSheet.h"

#include "Barcode.h"
#include "ReportProgress.h"
#include "StandardFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>

namespace report {

namespace {

constexpr double kShopNameHeight = 2.8;     // mm
constexpr double kDescriptionHeight = 3.6;
constexpr double kDetailHeight = 4.2;
constexpr double kGapAboveBars = 0.5;
constexpr double kPriceSize = 10;           // points

// The width a one-line text takes with its padding, mm: the wider of
// Helvetica (the PDF) and the family of the screen and the printer.
double textWidth(const QString &text, double pointSize, bool bold)
{
    QByteArray codes;
    StandardFont::encode(text, codes);
    QFont font(Barcode::kFamily);
    font.setPixelSize(1000);
    font.setBold(bold);
    const double ems = qMax(StandardFont::width(codes, bold), QFontMetricsF(font).horizontalAdvance(text) / 1000.0);
    return ems * pointSize * 25.4 / 72.0 + 2 * PageItem::kTextPadding + 0.3;
}

PageItem textItem(const QString &text, const QRectF &rect, double pointSize, bool bold, int align)
{
    PageItem item;
    item.kind = PageItem::Kind::Text;
    item.text = text;
    item.rect = rect;
    item.pointSize = pointSize;
    item.bold = bold;
    item.align = align | Qt::AlignVCenter;
    item.family = Barcode::kFamily;
    return item;
}

QString sizeAndColour(const LabelContent &label)
{
    QStringList parts;
    if (!label.size.trimmed().isEmpty())
        parts << QStringLiteral("Tg. ") + label.size.trimmed();
    if (!label.colour.trimmed().isEmpty())
        parts << QStringLiteral("Col. ") + label.colour.trimmed();
    return parts.join(QStringLiteral(" - "));
}

} // namespace

QString LabelSheet::priceText(double price)
{
    return QStringLiteral("€ ") + QLocale(QLocale::Italian, QLocale::Italy).toString(price, 'f', 2);
}

int LabelSheet::count(const std::vector<LabelContent> &labels)
{
    int total = 0;
    for (const LabelContent &label : labels)
        total += qMax(0, label.copies);
    return total;
}

std::vector<PageItem> LabelSheet::draw(const LabelContent &label, const QRectF &box, const QString &shopName)
{
    const double padding = box.height() < 30 ? 1.5 : 2;
    QRectF free = box.adjusted(padding, padding, -padding, -padding);
    std::vector<PageItem> items;
    const auto takeRow = [&](double height) {
        const QRectF row(free.topLeft(), QSizeF(free.width(), height));
        free.setTop(free.top() + height);
        return row;
    };
    if (!shopName.isEmpty())
        items.push_back(textItem(shopName, takeRow(kShopNameHeight), 6, false, Qt::AlignHCenter));
    items.push_back(textItem(label.description.simplified(), takeRow(kDescriptionHeight), 8, true, Qt::AlignLeft));
    const QRectF detail = takeRow(kDetailHeight);
    const QString price = label.hasPrice ? priceText(label.price) : QString();
    // The price keeps its width; the size and colour are cut first.
    const double priceWidth = price.isEmpty() ? 0 : qMin(detail.width() * 2 / 3, textWidth(price, kPriceSize, true));
    items.push_back(textItem(sizeAndColour(label), detail.adjusted(0, 0, -priceWidth, 0), 7, false, Qt::AlignLeft));
    if (!price.isEmpty())
        items.push_back(textItem(price, detail.adjusted(detail.width() - priceWidth, 0, 0, 0), kPriceSize, true,
                                 Qt::AlignRight));
    free.setTop(free.top() + kGapAboveBars);
    for (PageItem &bar : Barcode::draw(label.code, free))
        items.push_back(std::move(bar));
    return items;
}

void LabelSheet::layOut(const std::vector<LabelContent> &labels, const Options &options, PageStore &pages,
                        const std::function<bool()> &stop)
{
    const LabelLayout &layout = *options.layout;
    // A label already used on a sheet is left blank; a roll has none.
    int position = layout.roll() ? 0 : qBound(0, options.startAt - 1, layout.perPage() - 1);
    ReportPage page;
    page.size = layout.page;
    bool pageHasLabels = false;
    for (const LabelContent &label : labels) {
        // One drawing for all the copies of a label: only the place changes.
        std::vector<PageItem> drawn;
        QRectF drawnAt;
        for (int copy = 0; copy < label.copies; ++copy) {
            if (position == layout.perPage()) {
                if (stop && stop())
                    throw ReportCancelled();
                pages.append(std::move(page));
                page = ReportPage();
                page.size = layout.page;
                position = 0;
            }
            const QRectF box = layout.labelRect(position++, options.offset);
            if (drawn.empty()) {
                drawn = draw(label, box, options.shopName);
                drawnAt = box;
            }
            const QPointF shift = box.topLeft() - drawnAt.topLeft();
            for (PageItem item : drawn) {
                item.rect.translate(shift);
                page.items.push_back(std::move(item));
            }
            pageHasLabels = true;
        }
    }
    if (pageHasLabels)
        pages.append(std::move(page));
}

} // namespace report
