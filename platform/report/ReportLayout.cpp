#include "ReportLayout.h"

#include "Formula.h"
#include "FormulaContext.h"
#include "ReportProperties.h"
#include "TemplateParser.h"
#include "ValueFormatter.h"
#include "db/DbError.h"

#include <QFileInfo>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <functional>

namespace report {

namespace {

using Band = TemplateBand::Kind;

constexpr double kMeasureScale = 20.0;   // measuring pixels per mm

QFont measuringFont(const QString &family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(qMax(1, qRound(pointSize * 25.4 / 72.0 * kMeasureScale)));
    font.setBold(bold);
    return font;
}

void bindParts(std::vector<ContentPart> &parts, const FieldResolver &resolver)
{
    for (auto &p : parts)
        if (p.value)
            p.value->bind(resolver);
}

} // namespace

class ReportLayout::Context : public FormulaContext {
public:
    const std::vector<ReportRow> *rows = nullptr;
    const NamedFormulas *formulas = nullptr;
    int current = -1;
    int scopeBegin = 0;
    int scopeEnd = 0;
    int page = 1;
    int pages = 1;
    QDate today;

    QVariant column(int index) const override
    {
        if (current < 0 || current >= int(rows->size()) || index < 0)
            return {};
        return (*rows)[size_t(current)][size_t(index)];
    }
    QVariant named(const QString &name) const override { return formulas->value(name); }
    QVariant aggregate(const QString &function, int index) const override
    {
        if (function == QLatin1String("count"))
            return scopeEnd - scopeBegin;
        double total = 0;
        for (int r = scopeBegin; r < scopeEnd; ++r) {
            const QVariant v = (*rows)[size_t(r)][size_t(index)];
            if (v.isValid() && !v.isNull())
                total += v.toDouble();
        }
        return total;
    }
    QVariant special(const QString &name) const override
    {
        if (name == QLatin1String("page")) return page;
        if (name == QLatin1String("pages")) return pages;
        if (name == QLatin1String("today")) return today;
        return {};
    }
};

ReportLayout::ReportLayout(ReportTemplate &tmpl, const FieldResolver &resolver, const NamedFormulas &named, QDate today)
    : m_template(tmpl), m_resolver(resolver), m_named(named), m_today(today)
{
    for (auto &band : m_template.bands) {
        for (auto &item : band.items)
            bindParts(item.parts, resolver);
        if (band.condition)
            band.condition->bind(resolver);
    }
    if (!m_template.group.isEmpty()) {
        Formula group = Formula::parse(QLatin1Char('{') + m_template.group + QLatin1Char('}'));
        group.bind(resolver);
        m_groupColumn = group.root()->column;
    }
}

QStringList ReportLayout::wrapText(const QString &text, const QString &family, double pointSize, bool bold, double width)
{
    const QFontMetricsF fm(measuringFont(family, pointSize, bold));
    const double limit = width * kMeasureScale;
    QStringList lines;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && fm.horizontalAdvance(candidate) > limit) {
                lines << line;
                line = word;
            } else {
                line = candidate;
            }
        }
        lines << line;
    }
    return lines;
}

std::vector<ContentPart> ReportLayout::repeated(const TemplateItem &item, int k) const
{
    QString content = item.content;
    content.replace(QStringLiteral("$k"), QString::number(k));
    auto parts = TemplateParser::compileContent(content);
    bindParts(parts, m_resolver);
    return parts;
}

void ReportLayout::renderText(const TemplateItem &item, const std::vector<ContentPart> &parts, const QRectF &rect,
                              const Context &ctx, std::vector<PageItem> &out, double &bottom) const
{
    QString text;
    for (const auto &p : parts)
        text += p.value ? ValueFormatter::format(p.value->evaluate(ctx), item.format) : p.literal;
    PageItem pi;
    pi.kind = PageItem::Kind::Text;
    pi.rect = rect;
    pi.text = text;
    pi.family = m_template.fontFamily;
    pi.pointSize = item.size > 0 ? item.size : m_template.fontSize;
    pi.bold = item.bold;
    pi.italic = item.italic;
    pi.align = item.align;
    pi.wrap = item.wrap;
    pi.border = item.border;
    pi.fill = item.fill;
    pi.penWidth = item.penWidth;
    if (item.color.isValid())
        pi.color = item.color;
    if (item.wrap) {
        const int lines = int(wrapText(text, pi.family, pi.pointSize, pi.bold, rect.width() - 1).size());
        const double lineHeight = pi.pointSize * 25.4 / 72.0 * 1.25;
        if (lines > 1) {
            pi.rect.setHeight(qMax(rect.height(), lines * lineHeight + 1.2));
            pi.align = (item.align & Qt::AlignHorizontal_Mask) | Qt::AlignTop;
        }
    }
    bottom = qMax(bottom, pi.rect.bottom());
    out.push_back(pi);
}

void ReportLayout::renderLetterhead(const TemplateItem &item, std::vector<PageItem> &out) const
{
    const QStringList lines = item.content.split(QLatin1Char('\n'));
    double y = item.rect.top();
    for (int i = 0; i < lines.size(); ++i) {
        PageItem pi;
        pi.kind = PageItem::Kind::Text;
        pi.family = m_template.fontFamily;
        pi.bold = i == 0;
        pi.pointSize = i == 0 ? 15 : 8.5;
        const double h = pi.pointSize * 25.4 / 72.0 * 1.35;
        pi.rect = QRectF(item.rect.left(), y, item.rect.width(), h);
        pi.align = Qt::AlignLeft | Qt::AlignVCenter;
        pi.text = lines.at(i);
        pi.color = i == 0 ? QColor(0x1f, 0x3a, 0x5f) : QColor(0x44, 0x44, 0x44);
        y += h;
        out.push_back(pi);
    }
}

std::vector<PageItem> ReportLayout::renderBand(const TemplateBand &band, const Context &ctx, double &height) const
{
    std::vector<PageItem> out;
    double bottom = band.height;
    for (const TemplateItem &item : band.items) {
        switch (item.kind) {
        case TemplateItem::Kind::Text:
            if (item.repeat.isEmpty()) {
                renderText(item, item.parts, item.rect, ctx, out, bottom);
            } else {
                for (int k = 1; m_named.contains(item.repeat + QString::number(k)); ++k) {
                    const QRectF r = item.rect.translated(0, (k - 1) * item.rect.height());
                    renderText(item, repeated(item, k), r, ctx, out, bottom);
                }
            }
            break;
        case TemplateItem::Kind::Line: {
            PageItem pi;
            pi.kind = PageItem::Kind::Line;
            pi.line = QLineF(item.rect.topLeft(), item.rect.bottomRight());
            pi.penWidth = item.penWidth;
            if (item.color.isValid())
                pi.color = item.color;
            out.push_back(pi);
            break;
        }
        case TemplateItem::Kind::Rect: {
            PageItem pi;
            pi.kind = PageItem::Kind::Rect;
            pi.rect = item.rect;
            pi.fill = item.fill;
            pi.border = item.border || !item.fill.isValid();
            pi.penWidth = item.penWidth;
            if (item.color.isValid())
                pi.color = item.color;
            out.push_back(pi);
            break;
        }
        case TemplateItem::Kind::Image: {
            PageItem pi;
            pi.kind = PageItem::Kind::Image;
            pi.rect = item.rect;
            pi.text = QDir(QFileInfo(m_template.path).absolutePath()).filePath(item.content);
            out.push_back(pi);
            break;
        }
        case TemplateItem::Kind::Letterhead:
            renderLetterhead(item, out);
            break;
        }
    }
    height = bottom;
    return out;
}

std::vector<ReportPage> ReportLayout::layout(const std::vector<ReportRow> &rows)
{
    const ReportTemplate &t = m_template;
    const double left = t.margins[0], top = t.margins[1];
    const TemplateBand *pageFooter = t.band(Band::PageFooter);
    const double limit = t.pageSize.height() - t.margins[3] - (pageFooter ? pageFooter->height : 0);

    Context ctx;
    ctx.rows = &rows;
    ctx.formulas = &m_named;
    ctx.today = m_today;
    ctx.scopeEnd = int(rows.size());
    ctx.current = rows.empty() ? -1 : 0;

    std::vector<ReportPage> pages;
    std::vector<std::pair<int, int>> pageRows;   // first and last row shown on each page
    double y = top;
    bool pageHasBody = false;
    int groupBegin = 0;
    bool inGroup = false;

    auto place = [&](const std::vector<PageItem> &items) {
        for (PageItem pi : items) {
            pi.rect.translate(left, y);
            pi.line.translate(left, y);
            pages.back().items.push_back(pi);
        }
    };
    std::function<void()> newPage;
    auto putBand = [&](const TemplateBand *band, bool body) {
        if (!band || (band->condition && !band->condition->test(ctx)))
            return;
        double h = 0;
        auto items = renderBand(*band, ctx, h);
        if (body && pageHasBody && y + h > limit) {
            newPage();
            h = 0;
            items = renderBand(*band, ctx, h);
        }
        place(items);
        y += h;
        if (body) {
            pageHasBody = true;
            if (ctx.current >= 0) {
                auto &range = pageRows.back();
                if (range.first < 0) range.first = ctx.current;
                range.second = ctx.current;
            }
        }
    };
    newPage = [&]() {
        ReportPage page;
        page.size = t.pageSize;
        pages.push_back(page);
        pageRows.push_back({-1, -1});
        y = top;
        pageHasBody = false;
        if (pages.size() == 1)
            putBand(t.band(Band::ReportHeader), false);
        putBand(t.band(Band::PageHeader), false);
        const TemplateBand *gh = t.band(Band::GroupHeader);
        if (inGroup && gh && gh->repeatOnNewPage)
            putBand(gh, false);
    };

    newPage();
    if (rows.empty())
        putBand(t.band(Band::NoRecords), true);
    for (int i = 0; i < int(rows.size()); ++i) {
        const bool newGroup = m_groupColumn >= 0
            && (i == 0 || rows[size_t(i)][size_t(m_groupColumn)] != rows[size_t(i - 1)][size_t(m_groupColumn)]);
        if (newGroup && i > 0) {
            ctx.current = i - 1;
            ctx.scopeBegin = groupBegin;
            ctx.scopeEnd = i;
            putBand(t.band(Band::GroupFooter), true);
            inGroup = false;
        }
        if (m_groupColumn >= 0 && newGroup) {
            groupBegin = i;
            ctx.current = i;
            ctx.scopeBegin = i;
            ctx.scopeEnd = i + 1;
            putBand(t.band(Band::GroupHeader), true);
            inGroup = true;
        }
        ctx.current = i;
        ctx.scopeBegin = m_groupColumn >= 0 ? groupBegin : 0;
        ctx.scopeEnd = i + 1;
        putBand(t.band(Band::Detail), true);
    }
    if (!rows.empty()) {
        ctx.current = int(rows.size()) - 1;
        if (m_groupColumn >= 0) {
            ctx.scopeBegin = groupBegin;
            ctx.scopeEnd = int(rows.size());
            putBand(t.band(Band::GroupFooter), true);
            inGroup = false;
        }
    }
    ctx.scopeBegin = 0;
    ctx.scopeEnd = int(rows.size());
    putBand(t.band(Band::ReportFooter), true);

    if (pageFooter) {
        ctx.pages = int(pages.size());
        for (size_t p = 0; p < pages.size(); ++p) {
            ctx.page = int(p) + 1;
            ctx.current = pageRows[p].second >= 0 ? pageRows[p].second : (rows.empty() ? -1 : int(rows.size()) - 1);
            ctx.scopeBegin = qMax(0, pageRows[p].first);
            ctx.scopeEnd = pageRows[p].second + 1;
            double h = 0;
            auto items = renderBand(*pageFooter, ctx, h);
            for (PageItem pi : items) {
                pi.rect.translate(left, limit);
                pi.line.translate(left, limit);
                pages[p].items.push_back(pi);
            }
        }
    }
    return pages;
}

} // namespace report
