#pragma once

#include "report/ReportDataSource.h"
#include "report/ReportQuery.h"

#include <QHash>

// Records of one table kept in memory, for templates that read one table.
class MemorySource : public report::ReportDataSource {
public:
    MemorySource(QString table, QStringList fields) : m_table(std::move(table)), m_fields(std::move(fields)) {}
    void add(report::ReportRow row) { m_rows.push_back(std::move(row)); }
    QStringList fieldNames(const QString &table) override
    {
        return table.compare(m_table, Qt::CaseInsensitive) == 0 ? m_fields : QStringList();
    }
    // Selects in memory: the reference the database's selection must match.
    void stream(const report::ReportQuery &query, const report::Formula &, const report::RowTest &test,
                const report::RowSink &sink) override
    {
        lastSql = query.sql();
        for (const report::ReportRow &row : m_rows)
            if (test(row) && !sink(report::ReportRow(row)))
                break;
    }
    QString lastSql;

private:
    QString m_table;
    QStringList m_fields;
    std::vector<report::ReportRow> m_rows;
};
