#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace report {

using ReportRow = std::vector<QVariant>;

// Where a report's records come from. Statements are in the legacy dialect
// of the database engine; they are built from the template only, never from
// a formula's values.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    // The fields of a table in their stored spelling; throws db::DbError.
    virtual QStringList fieldNames(const QString &table) = 0;
    // Every row of a select, `columns` values each; throws db::DbError.
    virtual std::vector<ReportRow> select(const QString &sql, int columns) = 0;
};

} // namespace report
