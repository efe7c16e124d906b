#pragma once

#include <QString>

// The identifiers an Italian electronic invoice carries, checked as the
// exchange system checks them. Each takes the text as typed (blanks at both
// ends ignored, letters in either case).
class FiscalCodes {
public:
    // Eleven digits whose last is the check digit of the Luhn-like Italian
    // algorithm; eleven zeros are no number.
    static bool isValidPartitaIva(const QString &text);
    // Sixteen characters of a person's code whose last is its check letter;
    // the digits may be replaced by the letters L-V (omocodia). Eleven
    // digits are a company's code, checked as a partita IVA.
    static bool isValidCodiceFiscale(const QString &text);
    static bool isValidCap(const QString &text);                 // five digits
    static bool isValidCodiceDestinatario(const QString &text);  // 6 (PA) or 7 letters or digits
    static bool isValidPec(const QString &text);                 // name@domain.tld
    // The natures of an operation without tax in force since 2021.
    static bool isValidNatura(const QString &text);
    // Two capital letters, as the province and country codes.
    static bool isTwoLetterCode(const QString &text);
};
