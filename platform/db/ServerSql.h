#pragma once

#include <QString>

namespace db {

// A statement as the engine writes it for SQLite, rewritten for the
// PostgreSQL server: "?" becomes $1, $2...; "x IS ?" compares with IS NOT
// DISTINCT FROM (Null equal to Null, as SQLite's IS); ifnull becomes
// coalesce. Quoted names and texts are left alone. `parameters` receives
// the number of parameters.
QString serverSql(const QString &sql, int *parameters = nullptr);

} // namespace db
