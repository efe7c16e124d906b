#pragma once

#include <QDate>
#include <QString>
#include <optional>

// Invoice numbers: the two-digit year, "-" and a five-digit sequence
// ("26-00012"). The sequence runs on across years: the next number takes
// the highest stored number's sequence + 1 with the current year in front.
class InvoiceNumber {
public:
    // The number New proposes after `highest` (the greatest fat_Numero as
    // text, empty on an empty archive).
    static QString next(const QString &highest, const QDate &today);
    // The number "Cambia Numero" builds from the typed answer: only a whole
    // number from 1 to 99999 (blanks around it allowed) gives one.
    static std::optional<QString> fromTyped(const QString &answer, const QDate &today);
    static QString build(const QDate &today, int sequence);
};
