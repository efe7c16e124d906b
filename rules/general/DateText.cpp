#include "rules/general/DateText.h"

#include "rules/general/Today.h"

#include <QRegularExpression>

int DateText::completeYear(int twoDigitYear)
{
    return twoDigitYear < 30 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
}

QDate DateText::parse(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,4})([/.\\-])(\\d{1,2})(?:\\2(\\d{1,4}))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return QDate();
    const QString first = match.captured(1);
    const QString last = match.captured(4);
    const int month = match.captured(3).toInt();

    if (first.size() > 2) {
        // year first: yyyy/mm/dd
        if (last.isEmpty() || last.size() > 2 || first.toInt() < 100)
            return QDate();
        return QDate(first.toInt(), month, last.toInt());
    }
    const int day = first.toInt();
    int year = today().year();
    if (!last.isEmpty()) {
        year = last.toInt();
        if (last.size() <= 2)
            year = completeYear(year);
        else if (year < 100)
            return QDate();
    }
    return QDate(year, month, day);
}
