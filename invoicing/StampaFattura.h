#pragma once

#include <QString>

// Prints one invoice through fattura.rpt with its VAT summary, to the
// preview or to the printer. An invoice without lines prints nothing.
// Errors go back to the caller, which reports them under its own label.
void StampaFattura(const QString &numero, bool anteprima, short copie);
