#pragma once

#include "LabelLayout.h"
#include "PageStore.h"

#include <QString>
#include <functional>
#include <vector>

namespace report {

// What one label shows, and how many of it.
struct LabelContent {
    QString code;
    QString description;
    QString size;
    QString colour;
    double price = 0;
    bool hasPrice = false;
    int copies = 1;
};

// Labels laid out on the pages of a sheet or a roll.
class LabelSheet {
public:
    struct Options {
        const LabelLayout *layout = nullptr;
        QPointF offset;        // the user's margins, mm
        int startAt = 1;       // the first free label of a partly used sheet
        QString shopName;      // empty: not printed
    };

    // Appends the pages to `pages`; `stop` answering true ends it with
    // ReportCancelled. Throws db::DbError for a code no symbology can draw.
    static void layOut(const std::vector<LabelContent> &labels, const Options &options, PageStore &pages,
                       const std::function<bool()> &stop = {});
    // The items of one label drawn into `box`.
    static std::vector<PageItem> draw(const LabelContent &label, const QRectF &box, const QString &shopName);
    // "€ 12,50", the Italian way.
    static QString priceText(double price);
    // The labels the list asks for, copies included.
    static int count(const std::vector<LabelContent> &labels);
};

} // namespace report
