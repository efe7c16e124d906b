#pragma once

#include "report/ReportDataSource.h"

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
    std::vector<report::ReportRow> select(const QString &sql, int) override
    {
        lastSql = sql;
        return m_rows;
    }
    QString lastSql;

private:
    QString m_table;
    QStringList m_fields;
    std::vector<report::ReportRow> m_rows;
};
