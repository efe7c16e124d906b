#pragma once

#include <QString>

struct sqlite3;

namespace db {

// Text compares ignoring case and sorts with accented letters next to their
// base letter (the collation TESTO of the program's connections). The file
// itself declares no collation, so that any SQLite tool reads it; the
// indexes that keep text lookups fast are built on these two expressions,
// made of SQLite's own functions only, and the engine writes the same
// expressions into the statements it translates.
//
// Both cover ASCII and the accented vowels of Italian (SQLite's parser
// limits how deeply the replacements may nest); another letter keeps its
// case and accent in the keys: "Ü" and "ü" are then two letters to an
// equality, and "ü" sorts after "z".

// lower() with the accented capitals of Latin-1 lowered too: equal texts
// under TESTO have equal keys.
QString foldedTextKey(const QString &operand);
// foldedTextKey() of a value, computed here: the same text SQLite would make.
QString foldedText(const QString &text);
// The folded key without accents: the first level of the order of TESTO.
QString sortTextKey(const QString &operand);

// The text indexes of the shop's schema, on the two keys above; created on
// a new database and by the upgrade that took the collation out of the
// schema. Throws DbError.
void createTextKeyIndexes(sqlite3 *handle);

} // namespace db
