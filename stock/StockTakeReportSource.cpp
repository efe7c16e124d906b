#include "stock/StockTakeReportSource.h"

StockTakeReportSource::StockTakeReportSource(const QList<StockTakeLine> &lines)
{
    m_rows.reserve(size_t(lines.size()));
    for (const StockTakeLine &line : lines)
        m_rows.push_back({line.codice, line.descrizione, line.taglia, line.colore,
                          line.contato ? QVariant(qlonglong(line.quantitaContata)) : QVariant(),
                          qlonglong(line.giacenza), qlonglong(line.differenza())});
}

QStringList StockTakeReportSource::fieldNames(const QString &table)
{
    if (table.compare(QLatin1String("inventario"), Qt::CaseInsensitive) != 0)
        return {};
    return {QStringLiteral("Codice"), QStringLiteral("Descrizione"), QStringLiteral("Taglia"),
            QStringLiteral("Colore"), QStringLiteral("Contato"), QStringLiteral("Giacenza"),
            QStringLiteral("Differenza")};
}

void StockTakeReportSource::stream(const report::ReportQuery &, const report::Formula &, const report::RowTest &test,
                                   const report::RowSink &sink)
{
    for (const report::ReportRow &row : m_rows)
        if (test(row) && !sink(report::ReportRow(row)))
            return;
}
