#pragma once

#include "report/ReportDataSource.h"
#include "rules/stock/StockTakeLine.h"

#include <QList>

// The lines of a count as the report "inventario.rpt" reads them: a table
// "inventario" of its own (Codice, Descrizione, Taglia, Colore, Contato,
// Giacenza, Differenza), computed before the print, since the stock on the
// count's day is no column of the database. Holds its rows: the report reads
// them on a thread of its own.
class StockTakeReportSource : public report::ReportDataSource {
public:
    explicit StockTakeReportSource(const QList<StockTakeLine> &lines);

    QStringList fieldNames(const QString &table) override;
    void stream(const report::ReportQuery &query, const report::Formula &selection, const report::RowTest &test,
                const report::RowSink &sink) override;

private:
    std::vector<report::ReportRow> m_rows;
};
