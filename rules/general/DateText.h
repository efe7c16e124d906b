#pragma once

#include <QDate>
#include <QString>

// Reads a date as the user types it in the date boxes: day first, "/", "-"
// or "." between the parts ("6/12/2026", "06-12-26"), a year-first form
// "2026/12/06", or day and month alone (this year). Years of one or two
// digits: 00-29 are 2000-2029, 30-99 are 1930-1999. Anything else, and
// impossible dates (31/02/2026), give an invalid QDate.
class DateText {
public:
    static QDate parse(const QString &text);
    static int completeYear(int twoDigitYear);
};
