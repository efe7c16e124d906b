#pragma once

#include <QString>
#include <QVariant>

// The general functions on values that need no window: typed dates and
// their literals, Null handling, numbers in text. The windows' half
// (base/GeneralFunc6.h: pointer, field highlight, the date check that says
// what was wrong) stands on these.

// Checks and completes a typed date: "061226" and "06122026" become
// "06/12/2026", any valid date comes back as dd/mm/yyyy, the rest gives the
// empty text. Says nothing. Never throws.
QString ControllaData(const QVariant &value);
// The same; a text refused as no date is given back in `refusedText` as it
// was checked ("12/34/56" for "123456"), for the message that names it. A
// text that is empty, or of six or eight characters not all digits, is
// refused without one and leaves `refusedText` empty.
QString ControllaData(const QVariant &value, QString &refusedText);
// A date as the database's #...# literals want it, month first (MM/DD/YYYY).
// Text that is not a date gives the empty text, never the text itself, so
// nothing typed reaches a statement through here.
QString FormattaDataSql(const QVariant &value);
// The "#...#" literal of a date typed day first ("06/12/2026", "061226"),
// month first as the database reads it ("#12/06/2026#"); an empty or
// invalid date gives the literal of the default, written day first too
// ("01/01/1900"). Never through the locale's short date.
QString DataSql(const QVariant &dayFirst, const QString &defaultDayFirst);

QVariant NullToEmpty(const QVariant &value);
QVariant NullToDefault(const QVariant &value, const QVariant &defaultValue);
bool IsNull(const QVariant &value);

// The number a text starts with, a point as decimal separator, 0 when it
// starts with no number ("12AB" -> 12, "AB" -> 0, " -3.5x" -> -3.5).
double Val(const QString &text);
// That number truncated to a whole number ("12.9" -> 12, "-3.5" -> -3).
qlonglong ValLong(const QString &text);
// Whether the text is an amount in the user's number format (QLocale()) or
// with a point as decimal separator; neither separator counts as a thousands
// separator (TypedNumber::amount).
bool IsNumeric(const QString &text);
// The number of such a text, 0 when it is not numeric.
double ToNumber(const QString &text);

// Rounds to a multiple of step, halves upwards; step 0 leaves the value.
double Arrotonda(double value, double step);
