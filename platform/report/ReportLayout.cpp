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
#include <algorithm>

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

bool isNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

} // namespace

bool ReportLayout::KeyLess::operator()(const QVariant &a, const QVariant &b) const
{
    if (isNull(a) || isNull(b))
        return isNull(a) && !isNull(b);
    if (isNumber(a) && isNumber(b))
        return a.toDouble() < b.toDouble();
    if (isNumber(a) != isNumber(b))
        return isNumber(a);
    return a.toString() < b.toString();
}

void ReportLayout::collect(const FormulaNode &n, bool &fields)
{
    if (n.kind == FormulaNode::Kind::Call && n.name == QLatin1String("sum") && n.args.size() == 3) {
        const KeyedSum keyed{n.args[0]->column, n.args[1]->column};
        if (std::find(m_keyedSums.begin(), m_keyedSums.end(), keyed) == m_keyedSums.end())
            m_keyedSums.push_back(keyed);
        return;
    }
    if (n.kind == FormulaNode::Kind::Call && n.name == QLatin1String("sum") && !n.args.empty()) {
        if (std::find(m_sumColumns.begin(), m_sumColumns.end(), n.args[0]->column) == m_sumColumns.end())
            m_sumColumns.push_back(n.args[0]->column);
        return;
    }
    if (n.kind == FormulaNode::Kind::Field)
        fields = true;
    for (const auto &a : n.args)
        collect(*a, fields);
}

void ReportLayout::Totals::add(const ReportRow &row, const std::vector<int> &columns,
                               const std::vector<KeyedSum> &keyedSums)
{
    ++count;
    for (int c : columns) {
        const QVariant &v = row[size_t(c)];
        if (v.isValid() && !v.isNull())
            sums[size_t(c)] += v.toDouble();
    }
    for (size_t i = 0; i < keyedSums.size(); ++i) {
        const QVariant &v = row[size_t(keyedSums[i].column)];
        double &sum = keyed[i][row[size_t(keyedSums[i].keyColumn)]];
        if (!isNull(v))
            sum += v.toDouble();
    }
}

void ReportLayout::Totals::reset(size_t width, size_t keyedCount)
{
    count = 0;
    sums.assign(width, 0.0);
    keyed.assign(keyedCount, KeyedSums());
}

class ReportLayout::Context : public FormulaContext {
public:
    const ReportRow *row = nullptr;
    const NamedFormulas *formulas = nullptr;
    const Totals *scope = nullptr;
    const std::vector<KeyedSum> *keyedSums = nullptr;
    int page = 1;
    int pages = 1;
    QDate today;

    QVariant column(int index) const override
    {
        if (!row || index < 0 || index >= int(row->size()))
            return {};
        return (*row)[size_t(index)];
    }
    QVariant named(const QString &name) const override { return formulas->value(name); }
    QVariant aggregate(const QString &function, int index) const override
    {
        if (!scope)
            return function == QLatin1String("count") ? QVariant(0) : QVariant(0.0);
        if (function == QLatin1String("count"))
            return scope->count;
        return index >= 0 && index < int(scope->sums.size()) ? scope->sums[size_t(index)] : 0.0;
    }
    QVariant keyedSum(int column, int keyColumn, int k) const override
    {
        const auto &entries = *keyedSums;
        const auto at = std::find(entries.begin(), entries.end(), KeyedSum{column, keyColumn});
        if (!scope || at == entries.end() || size_t(at - entries.begin()) >= scope->keyed.size())
            return 0.0;
        const KeyedSums &sums = scope->keyed[size_t(at - entries.begin())];
        if (k < 1 || size_t(k) > sums.size())
            return 0.0;
        return std::next(sums.begin(), k - 1)->second;
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
    for (const auto &band : m_template.bands) {
        bool fields = false;
        for (const auto &item : band.items) {
            // A repeated item's sums are the same for every k: its first copy names them.
            const std::vector<ContentPart> first = item.repeat.isEmpty() ? std::vector<ContentPart>() : repeated(item, 1);
            for (const auto &p : item.repeat.isEmpty() ? item.parts : first)
                if (p.value && p.value->root())
                    collect(*p.value->root(), fields);
        }
        if (band.kind == Band::PageFooter)
            m_footerReadsRows = fields || band.condition;
    }
    for (int c : m_sumColumns)
        m_width = qMax(m_width, size_t(c) + 1);
    m_ctx = std::make_unique<Context>();
    m_ctx->formulas = &m_named;
    m_ctx->keyedSums = &m_keyedSums;
    m_ctx->today = m_today;
}

ReportLayout::~ReportLayout() = default;

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
    if (text.trimmed().isEmpty() && !item.whenEmpty.isEmpty())
        text = item.whenEmpty;
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

PageStore ReportLayout::layout(const std::vector<ReportRow> &rows)
{
    for (const ReportRow &row : rows)
        add(ReportRow(row));
    return finish();
}

double ReportLayout::bodyLimit() const
{
    const TemplateBand *footer = m_template.band(Band::PageFooter);
    return m_template.pageSize.height() - m_template.margins[3] - (footer ? footer->height : 0);
}

void ReportLayout::place(const std::vector<PageItem> &items)
{
    for (PageItem pi : items) {
        pi.rect.translate(m_template.margins[0], m_y);
        pi.line.translate(m_template.margins[0], m_y);
        m_page.items.push_back(std::move(pi));
    }
}

void ReportLayout::putBand(const TemplateBand *band, bool body)
{
    Context &ctx = *m_ctx;
    if (!band || (band->condition && !band->condition->test(ctx)))
        return;
    double h = 0;
    auto items = renderBand(*band, ctx, h);
    if (body && m_pageHasBody && m_y + h > bodyLimit()) {
        newPage();
        h = 0;
        items = renderBand(*band, ctx, h);
    }
    place(items);
    m_y += h;
    if (!body)
        return;
    m_pageHasBody = true;
    if (m_rowIndex < 0)
        return;
    PageState &state = m_pageStates.back();
    if (state.first < 0) {
        state.first = m_rowIndex;
        state.before = m_before;
    }
    state.last = m_rowIndex;
    state.through = m_report;
    if (m_footerReadsRows && ctx.row) {
        if (!state.row)
            ++m_pageRowsKept;
        state.row = std::make_shared<ReportRow>(*ctx.row);
        m_peakRowsHeld = qMax(m_peakRowsHeld, (m_havePrevious ? 1 : 0) + 1 + m_pageRowsKept);
    }
}

void ReportLayout::newPage()
{
    const bool first = !m_havePage;
    if (m_havePage)
        m_store.append(std::move(m_page));
    m_page = ReportPage();
    m_page.size = m_template.pageSize;
    m_havePage = true;
    m_pageStates.emplace_back();
    m_y = m_template.margins[1];
    m_pageHasBody = false;
    if (first)
        putBand(m_template.band(Band::ReportHeader), false);
    putBand(m_template.band(Band::PageHeader), false);
    const TemplateBand *gh = m_template.band(Band::GroupHeader);
    if (m_inGroup && gh && gh->repeatOnNewPage)
        putBand(gh, false);
}

void ReportLayout::add(ReportRow row)
{
    Context &ctx = *m_ctx;
    // The previous record, this one, and the last records kept for page footers.
    m_peakRowsHeld = qMax(m_peakRowsHeld, (m_havePrevious ? 1 : 0) + 1 + m_pageRowsKept);
    const bool first = !m_havePrevious;
    if (first) {
        m_report.reset(m_width, m_keyedSums.size());
        m_group.reset(m_width, m_keyedSums.size());
        ctx.row = &row;
        Totals one;
        one.reset(m_width, m_keyedSums.size());
        one.add(row, m_sumColumns, m_keyedSums);
        ctx.scope = &one;
        m_rowIndex = -1;
        newPage();
        ctx.scope = nullptr;
    }
    const bool newGroup = m_groupColumn >= 0
        && (first || row[size_t(m_groupColumn)] != m_previous[size_t(m_groupColumn)]);
    if (newGroup && !first) {
        ctx.row = &m_previous;
        ctx.scope = &m_group;
        putBand(m_template.band(Band::GroupFooter), true);
        m_inGroup = false;
    }
    ++m_rowIndex;
    m_before = m_report;
    m_report.add(row, m_sumColumns, m_keyedSums);
    if (newGroup) {
        m_group.reset(m_width, m_keyedSums.size());
        Totals one;
        one.reset(m_width, m_keyedSums.size());
        one.add(row, m_sumColumns, m_keyedSums);
        ctx.row = &row;
        ctx.scope = &one;
        putBand(m_template.band(Band::GroupHeader), true);
        m_inGroup = true;
    }
    if (m_groupColumn >= 0)
        m_group.add(row, m_sumColumns, m_keyedSums);
    ctx.row = &row;
    ctx.scope = m_groupColumn >= 0 ? &m_group : &m_report;
    putBand(m_template.band(Band::Detail), true);
    m_previous = std::move(row);
    m_havePrevious = true;
    ctx.row = &m_previous;
}

PageStore ReportLayout::finish()
{
    Context &ctx = *m_ctx;
    const ReportTemplate &t = m_template;
    if (!m_havePrevious) {
        ctx.row = nullptr;
        ctx.scope = nullptr;
        m_report.reset(m_width, m_keyedSums.size());
        newPage();
        putBand(t.band(Band::NoRecords), true);
    } else {
        ctx.row = &m_previous;
        if (m_groupColumn >= 0) {
            ctx.scope = &m_group;
            putBand(t.band(Band::GroupFooter), true);
            m_inGroup = false;
        }
    }
    ctx.scope = &m_report;
    putBand(t.band(Band::ReportFooter), true);
    m_store.append(std::move(m_page));
    m_havePage = false;

    if (const TemplateBand *pageFooter = t.band(Band::PageFooter)) {
        const double limit = bodyLimit();
        ctx.pages = m_store.size();
        for (size_t p = 0; p < size_t(m_store.size()); ++p) {
            const PageState &state = m_pageStates[p];
            Totals scope;
            scope.reset(m_width, m_keyedSums.size());
            if (state.first >= 0) {
                scope.count = state.last - state.first + 1;
                for (size_t c = 0; c < m_width; ++c)
                    scope.sums[c] = state.through.sums[c] - state.before.sums[c];
                for (size_t i = 0; i < m_keyedSums.size(); ++i) {
                    for (const auto &[key, sum] : state.through.keyed[i]) {
                        const auto before = state.before.keyed[i].find(key);
                        if (before == state.before.keyed[i].end())
                            scope.keyed[i][key] = sum;
                        else if (sum != before->second)
                            scope.keyed[i][key] = sum - before->second;
                    }
                }
            }
            ctx.page = int(p) + 1;
            ctx.row = state.row ? state.row.get() : (m_havePrevious ? &m_previous : nullptr);
            ctx.scope = &scope;
            double h = 0;
            auto items = renderBand(*pageFooter, ctx, h);
            for (PageItem &pi : items) {
                pi.rect.translate(t.margins[0], limit);
                pi.line.translate(t.margins[0], limit);
            }
            m_store.addItems(int(p), std::move(items));
        }
    }
    m_pageStates.clear();
    return std::move(m_store);
}

} // namespace report
