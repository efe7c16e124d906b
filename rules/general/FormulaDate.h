#pragma once

#include <QString>

// The "date(yyyy,mm,dd)" term of a report's selection formula for a date
// typed day first ("06/12/2026", "061226"); an empty or impossible date gives
// the term of the default, written day first too.
QString FormulaDate(const QString &dayFirst, const QString &defaultDayFirst);
