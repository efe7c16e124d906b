#pragma once

#include <QString>
#include <functional>

struct sqlite3;

namespace db {

// A consistent copy of an open database through SQLite's online backup:
// page by page, as fast as copying the file, while other connections keep
// reading and writing (a write that lands meanwhile restarts the copy of
// what it touched). The copy is written under a temporary name, synced and
// renamed into place, so `target` is either the whole copy or untouched.
// `progress(done, total)` is told the pages copied; it returns false to
// stop. Throws DbError (disk full, I/O error, stopped).
void copyDatabase(sqlite3 *source, const QString &target,
                  const std::function<bool(int done, int total)> &progress = {});

// "ok", or the first problems that `pragma integrity_check` (or, when
// `quick`, `pragma quick_check`) finds in `handle`'s file.
QString integrityOf(sqlite3 *handle, bool quick = false);

} // namespace db
