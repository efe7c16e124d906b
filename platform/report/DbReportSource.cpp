#include "DbReportSource.h"

#include "db/Database.h"
#include "db/Recordset.h"

namespace report {

DbReportSource::DbReportSource(const QString &path, const QString &connect)
    : m_db(db::Database::open(path, connect))
{
}

QStringList DbReportSource::fieldNames(const QString &table)
{
    auto rs = m_db->openRecordset(QStringLiteral("SELECT * FROM [%1] WHERE 1 = 0").arg(table));
    const QStringList names = rs->fieldNames();
    rs->close();
    return names;
}

std::vector<ReportRow> DbReportSource::select(const QString &sql, int columns)
{
    std::vector<ReportRow> rows;
    auto rs = m_db->openRecordset(sql);
    while (!rs->eof()) {
        ReportRow row;
        row.reserve(size_t(columns));
        for (int c = 0; c < columns; ++c)
            row.push_back(rs->value(c));
        rows.push_back(std::move(row));
        rs->moveNext();
    }
    rs->close();
    return rows;
}

} // namespace report
