#pragma once

#include <QDateTime>
#include <QString>

struct sqlite3;

namespace legacy {

// A consistent copy of an open database, taken through SQLite's online
// backup while the program keeps it open. Returns the copy's path, beside the
// database: "<name>-prima-dell-importazione-yyyyMMdd-HHmmss.mdb" (a number
// added when that name is taken). Only the newest `keep` of these copies are
// kept. Throws std::runtime_error with the reason.
QString backupBeforeImport(sqlite3 *database, const QString &databasePath, const QDateTime &now, int keep);

} // namespace legacy
