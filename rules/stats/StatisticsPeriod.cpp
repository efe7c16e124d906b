#include "rules/stats/StatisticsPeriod.h"

#include <QLocale>

namespace {

QString dayText(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace

const QLocale &StatisticsPeriod::locale()
{
    static const QLocale italian(QLocale::Italian, QLocale::Italy);
    return italian;
}

StatisticsPeriod StatisticsPeriod::of(Kind kind, const QDate &date, const QDate &to)
{
    StatisticsPeriod period;
    period.m_kind = kind;
    if (!date.isValid())
        return period;
    switch (kind) {
    case Kind::Day:
        period.m_from = period.m_to = date;
        break;
    case Kind::Month:
        period.m_from = QDate(date.year(), date.month(), 1);
        period.m_to = period.m_from.addMonths(1).addDays(-1);
        break;
    case Kind::Year:
        period.m_from = QDate(date.year(), 1, 1);
        period.m_to = QDate(date.year(), 12, 31);
        break;
    case Kind::Range:
        period.m_from = date;
        period.m_to = to;
        break;
    }
    return period;
}

StatisticsPeriod StatisticsPeriod::yearBefore() const
{
    if (m_kind == Kind::Range || m_kind == Kind::Day)
        return of(Kind::Range, m_from.addYears(-1), m_to.addYears(-1)).withKind(m_kind);
    return of(m_kind, m_from.addYears(-1));
}

StatisticsPeriod StatisticsPeriod::withKind(Kind kind) const
{
    StatisticsPeriod period = *this;
    period.m_kind = kind;
    return period;
}

StatisticsPeriod::Step StatisticsPeriod::step() const
{
    if (m_kind == Kind::Month || days() <= 31)
        return Step::Day;
    if (days() <= 92)
        return Step::Week;
    return Step::Month;
}

QList<StatisticsPeriod::Bucket> StatisticsPeriod::buckets() const
{
    QList<Bucket> out;
    if (!isValid())
        return out;
    const Step cut = step();
    for (QDate start = m_from; start <= m_to;) {
        Bucket bucket;
        bucket.from = start;
        switch (cut) {
        case Step::Day:
            bucket.to = start;
            bucket.label = start.toString(QStringLiteral("dd/MM"));
            break;
        case Step::Week:
            bucket.to = std::min(start.addDays(6), m_to);
            bucket.label = QStringLiteral("dal ") + start.toString(QStringLiteral("dd/MM"));
            break;
        case Step::Month:
            bucket.to = std::min(QDate(start.year(), start.month(), 1).addMonths(1).addDays(-1), m_to);
            bucket.label = locale().toString(start, QStringLiteral("MMM yyyy"));
            break;
        }
        out << bucket;
        start = bucket.to.addDays(1);
    }
    return out;
}

QString StatisticsPeriod::text() const
{
    if (!isValid())
        return QString();
    switch (m_kind) {
    case Kind::Day:
        return dayText(m_from);
    case Kind::Month:
        return locale().toString(m_from, QStringLiteral("MMMM yyyy"));
    case Kind::Year:
        return QString::number(m_from.year());
    case Kind::Range:
        break;
    }
    return QStringLiteral("dal %1 al %2").arg(dayText(m_from), dayText(m_to));
}
