#pragma once

#include <QDateTime>

#include <functional>

namespace errors {

// The date and time the error reporting uses for the log file name and the
// log line. Tests set a clock of their own; an empty one restores the
// system clock.
QDateTime clockNow();
void setClock(std::function<QDateTime()> clock);

// "yyyymmdd.log": the program's daily log file for that day.
QString logFileName(const QDateTime &moment);

} // namespace errors
