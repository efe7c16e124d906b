#pragma once

#include <QDate>

// Today's date as the program sees it: the system clock, unless a test has
// fixed it. Everything that completes or defaults a date asks here.
QDate today();
// Fixes today's date (tests); an invalid date goes back to the clock.
void setToday(const QDate &date);
