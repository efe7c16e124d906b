#pragma once

#include "ReportDataSource.h"

#include <memory>

namespace db { class Database; }

namespace report {

// Reads a report's records from a database file through the engine.
class DbReportSource : public ReportDataSource {
public:
    // Opens (or reuses) the database; throws db::DbError.
    DbReportSource(const QString &path, const QString &connect);
    QStringList fieldNames(const QString &table) override;
    std::vector<ReportRow> select(const QString &sql, int columns) override;

private:
    std::shared_ptr<db::Database> m_db;
};

} // namespace report
