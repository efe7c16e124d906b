#pragma once

#include <QString>

// The check digit of the EAN family (EAN-8, EAN-13, and any GTIN): from the
// right, the digits before the check weigh 3, 1, 3, 1...; the check digit
// brings their sum to a multiple of ten.

// The check digit that completes `digitsWithoutCheck` (0-9); -1 when the
// text is empty or holds anything but the digits 0-9.
int eanCheckDigit(const QString &digitsWithoutCheck);

// Whether `code` is an EAN-8 or EAN-13 (8 or 13 digits) whose last digit is
// the check digit of the others.
bool hasValidEanCheckDigit(const QString &code);

// Whether `code` has the form of an EAN-8 or EAN-13: 8 or 13 digits,
// whatever its last one.
bool hasEanLength(const QString &code);
