#pragma once

#include "rules/DailyTakings.h"
#include "rules/ListExport.h"

#include <QDate>

// The takings ("Incassi") without their window: the period they are asked
// for, and the lines and the total as "Esporta" writes them, the counts and
// amounts as numbers.
class TakingsList {
public:
    static QString title();
    // Pagamento, Vendite, Sconti, Incasso.
    static QList<ExportColumn> columns();
    // The list of the takings shown (no rows: the columns alone).
    static ListExport list(const DailyTakings *shown);
    // The period of two dates typed day first: an empty or wrong start is
    // today, an empty or wrong end the start. False when the start follows
    // the end (badPeriod() says so).
    static bool period(const QString &start, const QString &end, QDate &from, QDate &to);
    static QString badPeriod();
};
