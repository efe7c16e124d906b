#pragma once

#include "NamedFormulas.h"
#include "PageStore.h"
#include "ReportDataSource.h"
#include "ReportPage.h"
#include "ReportTemplate.h"

#include <QDate>
#include <map>
#include <memory>
#include <vector>

namespace report {

class FieldResolver;
struct FormulaNode;

// Lays a template's bands out over the selected records: report header on
// the first page, page header on every page, group header and footer around
// each group, details, report footer, and a page footer that knows the page
// count ("Pagina 2 di 5"). The result is drawing primitives per page, so a
// layout is checked without painting anything.
//
// Records come one at a time (add) in the report's order; the layout keeps
// the previous record (a group ends when the next one differs) and running
// totals, never the records read so far. Page footers are drawn by finish(),
// once the number of pages is known; a page footer that shows fields keeps
// the last record of each page for that. Finished pages go to a PageStore,
// which keeps only the first ones in memory.
class ReportLayout {
public:
    ReportLayout(ReportTemplate &tmpl, const FieldResolver &resolver, const NamedFormulas &named, QDate today);
    ~ReportLayout();

    void add(ReportRow row);
    PageStore finish();
    // add() for each row, then finish().
    PageStore layout(const std::vector<ReportRow> &rows);

    int pageCount() const { return m_store.size() + (m_havePage ? 1 : 0); }
    // The most records held at once (the current one included).
    int peakRowsHeld() const { return m_peakRowsHeld; }

    // Splits a text into the lines that fit `width` mm in the given font.
    static QStringList wrapText(const QString &text, const QString &family, double pointSize, bool bold, double width);

private:
    class Context;
    // Null first, numbers by value, other values by their text.
    struct KeyLess {
        bool operator()(const QVariant &a, const QVariant &b) const;
    };
    using KeyedSums = std::map<QVariant, double, KeyLess>;
    // sum(column, keyColumn, k) reads the sums of `column` by key.
    struct KeyedSum {
        int column = -1;
        int keyColumn = -1;
        bool operator==(const KeyedSum &) const = default;
    };
    // count() and sum() of the rows in a scope (report, group, page).
    struct Totals {
        qint64 count = 0;
        std::vector<double> sums;   // by column; only the columns some sum() reads
        std::vector<KeyedSums> keyed; // by entry of m_keyedSums
        void add(const ReportRow &row, const std::vector<int> &columns, const std::vector<KeyedSum> &keyedSums);
        void reset(size_t width, size_t keyedCount);
    };
    struct PageState {
        int first = -1, last = -1;      // rows shown on the page
        Totals before, through;         // report totals before the first, through the last
        std::shared_ptr<ReportRow> row; // its last row, when the page footer reads fields
    };
    void newPage();
    void putBand(const TemplateBand *band, bool body);
    void place(const std::vector<PageItem> &items);
    double bodyLimit() const;

    std::vector<PageItem> renderBand(const TemplateBand &band, const Context &ctx, double &height) const;
    void renderText(const TemplateItem &item, const std::vector<ContentPart> &parts, const QRectF &rect,
                    const Context &ctx, std::vector<PageItem> &out, double &bottom) const;
    void renderLetterhead(const TemplateItem &item, std::vector<PageItem> &out) const;
    std::vector<ContentPart> repeated(const TemplateItem &item, int k) const;
    // Notes the sums a formula reads; `fields` when it reads a field.
    void collect(const FormulaNode &n, bool &fields);

    ReportTemplate &m_template;
    const FieldResolver &m_resolver;
    const NamedFormulas &m_named;
    QDate m_today;
    int m_groupColumn = -1;
    std::vector<int> m_sumColumns;
    std::vector<KeyedSum> m_keyedSums;
    size_t m_width = 0;
    bool m_footerReadsRows = false;

    std::unique_ptr<Context> m_ctx;
    PageStore m_store;        // finished pages
    ReportPage m_page;        // the page being filled
    bool m_havePage = false;
    std::vector<PageState> m_pageStates;
    ReportRow m_previous;
    bool m_havePrevious = false;
    int m_rowIndex = -1;
    Totals m_report, m_group, m_before;
    double m_y = 0;
    bool m_pageHasBody = false;
    bool m_inGroup = false;
    int m_pageRowsKept = 0;
    int m_peakRowsHeld = 0;
};

} // namespace report
