#pragma once

#include <QString>

// Moves the register card (opened on all entries if it is not open) to the
// entry with this register number: the number the text starts with, 0 when
// it starts with none. A number that is no longer in the register keeps the
// card where it was and says so. Errors are reported and logged under
// "modFerlani.RichiamaAnagrafica".
void RichiamaAnagrafica(const QString &contatore);
