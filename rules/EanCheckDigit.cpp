#include "rules/EanCheckDigit.h"

int eanCheckDigit(const QString &digitsWithoutCheck)
{
    if (digitsWithoutCheck.isEmpty())
        return -1;
    int sum = 0;
    int weight = 3;
    for (qsizetype i = digitsWithoutCheck.size() - 1; i >= 0; --i) {
        const QChar c = digitsWithoutCheck.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        sum += weight * (c.unicode() - '0');
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

bool hasEanLength(const QString &code)
{
    if (code.size() != 8 && code.size() != 13)
        return false;
    for (const QChar c : code)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool hasValidEanCheckDigit(const QString &code)
{
    return hasEanLength(code) && eanCheckDigit(code.chopped(1)) == code.back().unicode() - '0';
}
