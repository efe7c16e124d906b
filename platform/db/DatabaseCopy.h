#pragma once

#include <QString>
#include <functional>

struct sqlite3;

namespace db {

// A consistent copy of an open database through SQLite's online backup:
// page by page, as fast as copying the file, while other connections keep
// reading and writing (a write that lands meanwhile restarts the copy of
// what it touched). The copy is written under "<target>.parziale", synced
// and renamed into place, so `target` is either the whole copy or untouched.
// The half file is locked while it is written (see removeStaleCopies).
// `progress(done, total)` is told the pages copied; it returns false to
// stop. `beforeRename` runs once the whole copy is on the disk, just before
// it takes the target's name (what it throws abandons the copy). Throws
// DbError (disk full, I/O error, stopped, the same copy being written by
// another program).
void copyDatabase(sqlite3 *source, const QString &target,
                  const std::function<bool(int done, int total)> &progress = {},
                  const std::function<void()> &beforeRename = {});

// Removes the half copies ("*.parziale" and their journals) that programs
// left in `folder` when they stopped during a copy; one that a program is
// writing now is left alone.
void removeStaleCopies(const QString &folder);

// "ok", or the first problems that `pragma integrity_check` (or, when
// `quick`, `pragma quick_check`) finds in `handle`'s file.
QString integrityOf(sqlite3 *handle, bool quick = false);

} // namespace db
