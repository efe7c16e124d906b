#pragma once

#include <QDateTime>
#include <QString>

namespace lodder {

// The texts the library writes: log names, log lines, record fields and the
// standard error message.
namespace LogFormat {

// "YYMMDD.log": the default name of the day's text log.
QString dayLogName(const QDateTime &now);
// "HH:MM:SS", 24-hour.
QString timeOfDay(const QDateTime &now);
// A number as a print statement writes it: a blank or "-", the digits and
// a trailing blank (" 5 ", "-5 ").
QString printedNumber(long number);
// time + ": <" + note + ">" + CR LF
QString noteLine(const QDateTime &now, const QString &note);
// time + ": <" + number + "><" + description + "><" + routine + "><" + note + ">" + CR LF
QString errorLine(const QDateTime &now, long number, const QString &description,
                  const QString &callingSub, const QString &note);
// "YYDDMM HH.MM.SS": two-digit year, day before month, time with points.
QString dataOra(const QDateTime &now);
// The first `count` characters, never splitting a character that takes two
// UTF-16 units.
QString firstCharacters(const QString &text, int count);
// The text of the standard error message.
QString standardMessage(long number, const QString &description);

} // namespace LogFormat
} // namespace lodder
