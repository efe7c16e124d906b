#pragma once

#include "FormulaContext.h"
#include "ReportDataSource.h"
#include "ReportTemplate.h"

#include <QHash>
#include <memory>
#include <vector>

namespace report {

// The statement that feeds a template, and the column each {table.field}
// reads. A "choose" table takes the alternative that the selection formula
// names (the first one otherwise), so one template serves two tables of the
// same shape.
class ReportQuery : public FieldResolver {
public:
    struct Column {
        QString table;   // the table read, as the template names it
        QString field;   // stored spelling
        int position = -1;   // its place among the table's fieldNames()
    };

    ReportQuery(const ReportTemplate &tmpl, ReportDataSource &source, const QStringList &formulaTables);
    // The same, built once for a parse of a template, the tables the formula
    // names and the source's shape, then kept: a card printed again costs
    // no new query.
    static std::shared_ptr<const ReportQuery> of(const ReportTemplate &tmpl, ReportDataSource &source,
                                                 const QStringList &formulaTables);

    QString sql() const { return m_sql; }
    int columnCount() const { return m_columnCount; }
    int resolve(const QString &table, const QString &field) const override;
    // The table actually read for the template's first table.
    QString mainTable() const { return m_mainTable; }
    const std::vector<Column> &columns() const { return m_list; }

private:
    QHash<QString, int> m_columns;
    std::vector<Column> m_list;   // "table\x1field", lower case
    QString m_sql;
    QString m_mainTable;
    int m_columnCount = 0;
};

} // namespace report
