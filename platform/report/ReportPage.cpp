#include "ReportPage.h"

#include <algorithm>

namespace report {

QStringList ReportPage::texts() const
{
    std::vector<const PageItem *> textItems;
    for (const auto &item : items)
        if (item.kind == PageItem::Kind::Text)
            textItems.push_back(&item);
    std::stable_sort(textItems.begin(), textItems.end(), [](const PageItem *a, const PageItem *b) {
        if (qAbs(a->rect.top() - b->rect.top()) > 0.01)
            return a->rect.top() < b->rect.top();
        return a->rect.left() < b->rect.left();
    });
    QStringList out;
    for (const auto *item : textItems)
        out << item->text;
    return out;
}

bool ReportPage::contains(const QString &text) const
{
    for (const auto &item : items)
        if (item.kind == PageItem::Kind::Text && item.text == text)
            return true;
    return false;
}

} // namespace report
