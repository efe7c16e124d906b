#include "ReportEngine.h"

#include "Formula.h"
#include "NamedFormulas.h"
#include "ReportLayout.h"
#include "ReportQuery.h"
#include "TemplateParser.h"

namespace report {

namespace {

class RowContext : public FormulaContext {
public:
    const ReportRow *row = nullptr;
    const NamedFormulas *formulas = nullptr;
    QDate today;
    QVariant column(int index) const override { return (*row)[size_t(index)]; }
    QVariant named(const QString &name) const override { return formulas->value(name); }
    QVariant special(const QString &name) const override
    {
        return name == QLatin1String("today") ? QVariant(today) : QVariant();
    }
};

} // namespace

PageStore ReportEngine::run(const ReportRequest &request, ReportDataSource &source, ReportProgress *progress)
{
    ReportTemplate tmpl = TemplateParser::load(request.templatePath);
    const QStringList letterhead = source.letterhead();
    if (!letterhead.isEmpty())
        for (TemplateBand &band : tmpl.bands)
            for (TemplateItem &item : band.items)
                if (item.kind == TemplateItem::Kind::Letterhead)
                    item.content = letterhead.join(QLatin1Char('\n'));
    Formula selection = Formula::parse(request.selection);
    NamedFormulas named = NamedFormulas::fromSlots(request.formulas);

    const std::shared_ptr<const ReportQuery> built = ReportQuery::of(tmpl, source, selection.tables());
    const ReportQuery &query = *built;
    selection.bind(query);
    if (!named.contains(QStringLiteral("Titolo")))
        named.set(QStringLiteral("Titolo"), request.title.isEmpty() ? tmpl.title : request.title);
    if (!named.contains(QStringLiteral("Tabella")))
        named.set(QStringLiteral("Tabella"), query.mainTable());

    ReportLayout layout(tmpl, query, named, request.today);
    RowContext ctx;
    ctx.formulas = &named;
    ctx.today = request.today;
    const RowTest test = [&](const ReportRow &row) {
        ctx.row = &row;
        return selection.test(ctx);
    };
    qint64 count = 0;
    bool stopped = false;
    const RowSink sink = [&](ReportRow &&row) {
        layout.add(std::move(row));
        ++count;
        if (progress && (count & 63) == 0) {
            progress->setRows(count);
            progress->setPages(layout.pageCount());
            if (progress->cancelled()) {
                stopped = true;
                return false;
            }
        }
        return true;
    };
    try {
        source.stream(query, selection, test, sink);
    } catch (...) {
        if (progress && progress->cancelled())
            throw ReportCancelled();
        throw;
    }
    if (stopped || (progress && progress->cancelled()))
        throw ReportCancelled();
    PageStore pages = layout.finish();
    if (progress) {
        progress->setRows(count);
        progress->setPages(int(pages.size()));
        progress->setPeakRowsHeld(layout.peakRowsHeld());
    }
    return pages;
}

} // namespace report
