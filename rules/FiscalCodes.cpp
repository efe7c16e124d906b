#include "rules/FiscalCodes.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

bool allDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The value of a character of a codice fiscale in an odd position (first,
// third, ...): digits and letters alike, the digit 0 as A, 1 as B, ...
int oddValue(QChar c)
{
    static const int table[26] = {1, 0, 5, 7, 9, 13, 15, 17, 19, 21, 2, 4, 18, 20, 11,
                                  3, 6, 8, 12, 14, 16, 10, 22, 25, 24, 23};
    const int index = c.isDigit() ? c.digitValue() : c.unicode() - 'A';
    return table[index];
}

int evenValue(QChar c)
{
    return c.isDigit() ? c.digitValue() : c.unicode() - 'A';
}

} // namespace

bool FiscalCodes::isValidPartitaIva(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.size() != 11 || !allDigits(digits) || digits == QLatin1String("00000000000"))
        return false;
    int sum = 0;
    for (int i = 0; i < 10; ++i) {
        int d = digits.at(i).digitValue();
        if (i % 2 == 1) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
    }
    return (10 - sum % 10) % 10 == digits.at(10).digitValue();
}

bool FiscalCodes::isValidCodiceFiscale(const QString &text)
{
    const QString code = text.trimmed().toUpper();
    if (code.size() == 11)
        return isValidPartitaIva(code);
    // Surname, name, year, month, day, place, check; the places of digits
    // may hold the omocodia letters.
    static const QRegularExpression shape(QStringLiteral(
        "^[A-Z]{6}[0-9LMNPQRSTUV]{2}[ABCDEHLMPRST][0-9LMNPQRSTUV]{2}[A-Z][0-9LMNPQRSTUV]{3}[A-Z]$"));
    if (!shape.match(code).hasMatch())
        return false;
    int sum = 0;
    for (int i = 0; i < 15; ++i)
        sum += i % 2 == 0 ? oddValue(code.at(i)) : evenValue(code.at(i));
    return code.at(15) == QChar(u'A' + sum % 26);
}

bool FiscalCodes::isValidCap(const QString &text)
{
    const QString cap = text.trimmed();
    return cap.size() == 5 && allDigits(cap);
}

bool FiscalCodes::isValidCodiceDestinatario(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Z0-9]{6,7}$"));
    return shape.match(text.trimmed().toUpper()).hasMatch();
}

bool FiscalCodes::isValidPec(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s.]+$"));
    return shape.match(text.trimmed()).hasMatch();
}

bool FiscalCodes::isValidNatura(const QString &text)
{
    static const QStringList natures{
        QStringLiteral("N1"),   QStringLiteral("N2.1"), QStringLiteral("N2.2"), QStringLiteral("N3.1"),
        QStringLiteral("N3.2"), QStringLiteral("N3.3"), QStringLiteral("N3.4"), QStringLiteral("N3.5"),
        QStringLiteral("N3.6"), QStringLiteral("N4"),   QStringLiteral("N5"),   QStringLiteral("N6.1"),
        QStringLiteral("N6.2"), QStringLiteral("N6.3"), QStringLiteral("N6.4"), QStringLiteral("N6.5"),
        QStringLiteral("N6.6"), QStringLiteral("N6.7"), QStringLiteral("N6.8"), QStringLiteral("N6.9"),
        QStringLiteral("N7")};
    return natures.contains(text.trimmed().toUpper());
}

bool FiscalCodes::isTwoLetterCode(const QString &text)
{
    static const QRegularExpression shape(QStringLiteral("^[A-Z]{2}$"));
    return shape.match(text).hasMatch();
}
