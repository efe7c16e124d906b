#pragma once

#include <QString>
#include <QVariant>

namespace report {

// Turns a value into the text a report prints, the Italian way whatever the
// machine's settings: 1.234,50 and 31/12/2026.
//   money  two decimals with thousands separators
//   int    no decimals, thousands separators ("#,##0")
//   qty    up to three decimals, none when whole
//   date   dd/mm/yyyy
//   yesno  Sì / No
//   (none) dates as date, yes/no as yesno, whole numbers as digits, other numbers as qty
class ValueFormatter {
public:
    static QString format(const QVariant &value, const QString &format = QString());
};

} // namespace report
