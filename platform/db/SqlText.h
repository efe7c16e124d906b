#pragma once

#include <QChar>
#include <QString>

namespace db {

// The one way typed text enters a statement: the quote character is doubled,
// so "Dell'Orto" stays one literal whatever the user types.
// escaped("Dell'Orto", '\'') == "Dell''Orto"
QString escaped(const QString &text, QChar quote = QLatin1Char('\''));
// quoted("Dell'Orto") == "'Dell''Orto'"; quoted(x, '"') uses double quotes.
QString quoted(const QString &text, QChar quote = QLatin1Char('\''));

// A typed like pattern in which only * and ? stay wildcards: the engine's
// other pattern characters become literal (# as [#], [ as [[]), so a
// "N. #3" or "[ditta]" typed into a search finds that very text.
// % and _ are ordinary characters of the engine already.
// typedLikePattern("Rossi*[A]#") == "Rossi*[[]A][#]"
QString typedLikePattern(const QString &typed);

// A typed text inside a report's selection formula, whose strings stand
// between single quotes: formulaQuoted("Dell'Orto") == "'Dell''Orto'".
QString formulaQuoted(const QString &text);

// A select of `columns` from the rows of `table` that `condition` picks
// through an index, those rows read in the order they lie in the file: on
// SQLite the index gives the row numbers first, sorted, so a period of a
// shop whose rows came in another order is read in one sweep over the
// table instead of a page fetched from anywhere for every row. The server
// plans the plain statement that way by itself.
QString selectInStoredOrder(const QString &columns, const QString &table, const QString &condition, bool onServer);

} // namespace db
