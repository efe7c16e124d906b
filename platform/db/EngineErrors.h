#pragma once

#include "db/DbError.h"

#include <QString>

struct sqlite3;
struct pg_conn;
struct pg_result;

namespace db::errors {

// The engine's failures, numbered as the legacy engine numbered them so that
// the standard error message reads as the users have always seen it.
DbError fileNotFound(const QString &path);
DbError noCurrentRecord();
DbError unknownField(const QString &name);
DbError notInEditMode();
DbError fieldNotUpdatable(const QString &field);
DbError readOnlySet();
DbError typeMismatch(const QString &field, const QString &value);
DbError syntax(const QString &detail, const QString &statement);
DbError badDate(const QString &literal);
DbError recordDeleted();
DbError noTransaction();
DbError closedObject();
DbError invalidArgument();
DbError selectNotExecutable();
DbError notASelect();
DbError alreadyExists(const QString &path);
DbError duplicateKey();
// An Update or Delete of a record set found the row changed, or gone,
// since the set read it: nothing was written.
DbError changedByAnotherUser();
// The shop's file was replaced or moved under an open connection: nothing it
// was about to write was written.
DbError fileReplaced();

// Turns a failed SQLite call into the matching error, reading the
// connection's extended code and message.
DbError fromSqlite(sqlite3 *handle, int rc, const QString &statement);
// The same for a statement the PostgreSQL server refused, by its SQLSTATE.
DbError fromServer(pg_conn *server, const pg_result *result, const QString &statement);
// The server could not be reached, refused the connection, or lost it
// before what was asked was done. libpq's own words go to the detail.
DbError serverUnreachable(pg_conn *server);
// The connection was lost while a change was on its way: it may or may not
// have been saved.
DbError serverOutcomeUnknown(pg_conn *server);

} // namespace db::errors
