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

} // namespace db
