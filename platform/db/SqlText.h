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

} // namespace db
