#pragma once

#include "rules/general/GeneralValues.h"

#include <QString>
#include <QVariant>

class QWidget;

// The general functions every window uses: busy pointer, field highlight,
// the date check that says what was wrong, lire/euro conversion; with them
// the general values that need no window (dates, Null, numbers).

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

// The date check of a box the user leaves: ControllaData(value) of the
// general values, and when show is non-zero and the text is no date the
// message "ERRORE:[...] Formato data non corretto!". Never throws.
QString ControllaData(const QVariant &value, short show);

// direction 1: euro to lire (multiples of 50); 2: lire to euro (cents);
// anything else shows "Errore!" and gives 0.
double ConvertiValuta(double amount, short direction);
