#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

// The period the statistics look at: a day, a month, a year or any days
// from one date to another, both included; and how its takings are cut
// (by day up to a month, by week up to three months, by month beyond).
class StatisticsPeriod {
public:
    enum class Kind { Day, Month, Year, Range };
    enum class Step { Day, Week, Month };

    // One cut of the period: its first and last day and its label on the
    // chart's axis ("05/12", "dal 01/12", "dic 2026").
    struct Bucket {
        QDate from;
        QDate to;
        QString label;
    };

    StatisticsPeriod() = default;
    // The day, month or year that holds `date`, or the days from `date` to
    // `to` (Range). An invalid or reversed range makes an invalid period.
    static StatisticsPeriod of(Kind kind, const QDate &date, const QDate &to = QDate());

    bool isValid() const { return m_from.isValid() && m_to.isValid() && m_from <= m_to; }
    Kind kind() const { return m_kind; }
    QDate from() const { return m_from; }
    QDate to() const { return m_to; }
    qint64 days() const { return m_from.daysTo(m_to) + 1; }

    // The same days a year earlier; 29 February becomes the 28th, and a
    // month or a year stays whole (February of a leap year against the 28
    // days of the year before).
    StatisticsPeriod yearBefore() const;
    Step step() const;
    QList<Bucket> buckets() const;
    // "09/12/2026", "dicembre 2026", "2026", "dal 01/11/2026 al 09/12/2026".
    QString text() const;

    // The statistics speak Italian whatever the system's language: month
    // names, decimal comma, thousands with a dot.
    static const QLocale &locale();

private:
    StatisticsPeriod withKind(Kind kind) const;

    Kind m_kind = Kind::Day;
    QDate m_from;
    QDate m_to;
};
