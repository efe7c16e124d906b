#pragma once

#include <QString>

struct sqlite3;

namespace db {

// Name of the collation that the schema gives its text columns: case is
// ignored (Unicode case folding), accented letters sort next to their base
// letter, and two texts are equal only when they differ by case alone.
inline constexpr const char *textCollation = "TESTO";

// Registers the collation and replaces `like` with the legacy pattern match
// (* any text, ? one character, # one digit, [abc], [!abc], [a-z]; case
// ignored). Every connection on a Tarvo database needs them, since the
// schema's columns and indexes name the collation.
void registerTextFunctions(sqlite3 *handle);

// The two rules above, for callers and tests outside SQL.
int compareText(const QString &left, const QString &right);
bool likeMatches(const QString &pattern, const QString &value);

} // namespace db
