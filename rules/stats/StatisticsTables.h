#pragma once

#include "rules/ListExport.h"
#include "rules/stats/SalesStatistics.h"

#include <QList>

class QIODevice;

// The figures behind the four charts of "Statistiche" as tables: the same
// numbers the charts draw, shown beside them, exported as CSV and written
// by tarvo-esporta. Amounts in euro (two decimals), pieces as counted.
class StatisticsTables {
public:
    enum class Ranking { Pieces, Takings };

    static ListExport takings(const SalesStatistics &statistics);
    static ListExport articles(const SalesStatistics &statistics, Ranking ranking);
    static ListExport suppliers(const SalesStatistics &statistics);
    static ListExport payments(const SalesStatistics &statistics);
    // The four, the articles by `ranking`.
    static QList<ListExport> all(const SalesStatistics &statistics, Ranking ranking);

    // The four tables one after the other in the program's CSV (";", decimal
    // comma): each its title on a line, its header, its rows and an empty
    // line. False when the device refused a write; its error says why.
    static bool writeCsv(const QList<ListExport> &tables, QIODevice &device);

    // A cut's text in the tables: "05/12/2026", "dal 01/12/2026 al 07/12/2026",
    // "dicembre 2026".
    static QString bucketText(const StatisticsPeriod::Bucket &bucket, StatisticsPeriod::Step step);
    // The title of each table with the period: "Incassi - dicembre 2026".
    static QString title(const QString &what, const SalesStatistics &statistics);
};
