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

// A typed text inside a report's selection formula, whose strings stand
// between single quotes: formulaQuoted("Dell'Orto") == "'Dell''Orto'".
QString formulaQuoted(const QString &text);

} // namespace db
