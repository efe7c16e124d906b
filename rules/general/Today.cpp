#include "rules/general/Today.h"

namespace {
QDate g_fixedToday;
}

QDate today()
{
    return g_fixedToday.isValid() ? g_fixedToday : QDate::currentDate();
}

void setToday(const QDate &date)
{
    g_fixedToday = date;
}
