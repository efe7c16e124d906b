#include "base/errors/ErrorClock.h"

namespace errors {

namespace {
std::function<QDateTime()> &clockSlot()
{
    static std::function<QDateTime()> clock;
    return clock;
}
} // namespace

QDateTime clockNow()
{
    const auto &clock = clockSlot();
    return clock ? clock() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> clock)
{
    clockSlot() = std::move(clock);
}

QString logFileName(const QDateTime &moment)
{
    const QDate day = moment.date();
    return QStringLiteral("%1%2%3.log")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'))
        .arg(day.day(), 2, 10, QLatin1Char('0'));
}

} // namespace errors
