#pragma once

#include "NamedFormulas.h"
#include "ReportDataSource.h"
#include "ReportPage.h"
#include "ReportTemplate.h"

#include <QDate>
#include <vector>

namespace report {

class FieldResolver;

// Lays a template's bands out over the selected records: report header on
// the first page, page header on every page, group header and footer around
// each group, details, report footer, and a page footer that knows the page
// count ("Pagina 2 di 5"). The result is drawing primitives per page, so a
// layout is checked without painting anything.
class ReportLayout {
public:
    ReportLayout(ReportTemplate &tmpl, const FieldResolver &resolver, const NamedFormulas &named, QDate today);

    std::vector<ReportPage> layout(const std::vector<ReportRow> &rows);

    // Splits a text into the lines that fit `width` mm in the given font.
    static QStringList wrapText(const QString &text, const QString &family, double pointSize, bool bold, double width);

private:
    class Context;
    std::vector<PageItem> renderBand(const TemplateBand &band, const Context &ctx, double &height) const;
    void renderText(const TemplateItem &item, const std::vector<ContentPart> &parts, const QRectF &rect,
                    const Context &ctx, std::vector<PageItem> &out, double &bottom) const;
    void renderLetterhead(const TemplateItem &item, std::vector<PageItem> &out) const;
    std::vector<ContentPart> repeated(const TemplateItem &item, int k) const;

    ReportTemplate &m_template;
    const FieldResolver &m_resolver;
    const NamedFormulas &m_named;
    QDate m_today;
    int m_groupColumn = -1;
};

} // namespace report
