#pragma once

#include <QString>
#include <QVariant>

class QWidget;

// The general functions every window uses: busy pointer, field highlight,
// dates, Null handling, numbers, lire/euro conversion.

void SetHourglass();
void ResetPointer();

// Gives the normal pointer back however the handler holding it ends: also
// when an error passes its disarmed trap and leaves the handler early.
//
//   PointerReset pointer;
//   trap.run([] { SetHourglass(); });
class PointerReset {
public:
    PointerReset() = default;
    ~PointerReset() { ResetPointer(); }
    PointerReset(const PointerReset &) = delete;
    PointerReset &operator=(const PointerReset &) = delete;
};

// Got-focus and lost-focus look of the data-entry boxes (QLineEdit,
// QTextEdit, QPlainTextEdit): the whole text selected, bold on light
// lavender; then normal on white again.
void EvidenziaCampo(QWidget *box);
void NormalizzaCampo(QWidget *box);

// Checks and completes a typed date: "061226" and "06122026" become
// "06/12/2026", any valid date comes back as dd/mm/yyyy, the rest gives the
// empty text (with the message "ERRORE:[...] Formato data non corretto!"
// when show is non-zero). Never throws.
QString ControllaData(const QVariant &value, short show);
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
// direction 1: euro to lire (multiples of 50); 2: lire to euro (cents);
// anything else shows "Errore!" and gives 0.
double ConvertiValuta(double amount, short direction);
