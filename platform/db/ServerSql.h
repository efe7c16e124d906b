#pragma once

#include <QString>

namespace db {

class SchemaCatalog;

// A statement as the engine writes it for SQLite, rewritten for the
// PostgreSQL server: "?" becomes $1, $2...; "x IS ?" compares with IS NOT
// DISTINCT FROM (Null equal to Null, as SQLite's IS); ifnull becomes
// coalesce; "-?" is a number's sign; a subquery in a from clause gets a
// name; a name of the schema written unquoted (the program's own
// statements) is quoted in the schema's spelling, since the server lowers
// unquoted names. Quoted names and texts are left alone. `parameters`
// receives the number of parameters.
QString serverSql(const QString &sql, const SchemaCatalog *catalog = nullptr, int *parameters = nullptr);

} // namespace db
