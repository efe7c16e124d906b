#pragma once

#include <QByteArray>

struct sqlite3_stmt;

namespace migra {

// A value of SQLite in the text format of COPY: \N for Null, integers as
// written, reals in the shortest form that reads back to the same bits,
// texts with backslash, tab, newline and carriage return escaped (every
// other byte as it is, UTF-8 both sides).
void appendCopyValue(QByteArray &out, sqlite3_stmt *row, int column);

} // namespace migra
