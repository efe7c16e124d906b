#pragma once

#include <QString>

// Shows the invoice editor (opened if it is not) on the invoice with this
// number. Returns false, having said why, when the editor holds an unsaved
// new invoice or the number is not in the archive; the editor then stays
// as it was.
bool RichiamaFattura(const QString &numero);
