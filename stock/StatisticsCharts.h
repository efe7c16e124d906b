#pragma once

#include "rules/stats/SalesStatistics.h"
#include "rules/stats/StatisticsTables.h"

#include <QImage>
#include <QSize>

class QChart;

// The four charts of "Statistiche", drawn from the same figures as their
// tables, amounts and dates in Italian. Each is a new chart the caller owns.
class StatisticsCharts {
public:
    // Takings by day, week or month, the year before as a second series.
    static QChart *takings(const SalesStatistics &statistics);
    // The articles sold most, the first at the top.
    static QChart *articles(const SalesStatistics &statistics, StatisticsTables::Ranking ranking);
    // Takings and margin of the suppliers that took most.
    static QChart *suppliers(const SalesStatistics &statistics);
    // The share of each kind of payment.
    static QChart *payments(const SalesStatistics &statistics);

    // The chart drawn off screen at `size` (white background); the chart
    // keeps the size it had.
    static QImage image(QChart &chart, const QSize &size);

    // How many suppliers the margin chart shows by name.
    static constexpr int kSuppliersShown = 12;
};
