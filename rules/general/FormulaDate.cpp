#include "rules/general/FormulaDate.h"

#include "rules/general/GeneralValues.h"

#include <QDate>

QString FormulaDate(const QString &dayFirst, const QString &defaultDayFirst)
{
    QString checked = dayFirst.trimmed().isEmpty() ? QString() : ControllaData(dayFirst);
    if (checked.isEmpty())
        checked = defaultDayFirst;
    const QDate date = QDate::fromString(checked, QStringLiteral("dd/MM/yyyy"));
    return QStringLiteral("date(") + date.toString(QStringLiteral("yyyy,MM,dd")) + QStringLiteral(")");
}
