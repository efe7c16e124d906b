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

std::vector<ReportPage> ReportEngine::run(const ReportRequest &request, ReportDataSource &source)
{
    ReportTemplate tmpl = TemplateParser::load(request.templatePath);
    Formula selection = Formula::parse(request.selection);
    NamedFormulas named = NamedFormulas::fromSlots(request.formulas);

    const ReportQuery query(tmpl, source, selection.tables());
    selection.bind(query);
    if (!named.contains(QStringLiteral("Titolo")))
        named.set(QStringLiteral("Titolo"), request.title.isEmpty() ? tmpl.title : request.title);
    if (!named.contains(QStringLiteral("Tabella")))
        named.set(QStringLiteral("Tabella"), query.mainTable());

    std::vector<ReportRow> rows = source.select(query.sql(), query.columnCount());
    if (!selection.isEmpty()) {
        RowContext ctx;
        ctx.formulas = &named;
        ctx.today = request.today;
        std::vector<ReportRow> kept;
        for (auto &row : rows) {
            ctx.row = &row;
            if (selection.test(ctx))
                kept.push_back(std::move(row));
        }
        rows = std::move(kept);
    }
    ReportLayout layout(tmpl, query, named, request.today);
    return layout.layout(rows);
}

} // namespace report
