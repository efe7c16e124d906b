#include "ValueFormatter.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace report {

namespace {

const QLocale &italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

QString number(double v, int decimals, bool grouped)
{
    QLocale l = italian();
    l.setNumberOptions(grouped ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    if (v == 0.0)
        v = 0.0;   // no "-0,00"
    return l.toString(v, 'f', decimals);
}

QString quantity(double v)
{
    if (std::abs(v - std::round(v)) < 1e-9)
        return number(std::round(v), 0, true);
    QString s = number(v, 3, true);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    return s;
}

} // namespace

QString ValueFormatter::format(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const int type = value.typeId();
    const bool isDate = type == QMetaType::QDate || type == QMetaType::QDateTime;
    if (format == QLatin1String("date") || (format.isEmpty() && isDate)) {
        if (isDate) {
            const QDate d = type == QMetaType::QDate ? value.toDate() : value.toDateTime().date();
            return d.toString(QStringLiteral("dd/MM/yyyy"));
        }
        const QDate d = QDate::fromString(value.toString().left(10), Qt::ISODate);
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : value.toString();
    }
    if (format == QLatin1String("yesno") || (format.isEmpty() && type == QMetaType::Bool))
        return value.toBool() || (type != QMetaType::Bool && value.toDouble() != 0)
                   ? QStringLiteral("Sì") : QStringLiteral("No");
    if (format == QLatin1String("text") || type == QMetaType::QString) {
        if (format.isEmpty() || format == QLatin1String("text"))
            return value.toString();
    }
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    if (format == QLatin1String("money"))
        return number(v, 2, true);
    if (format == QLatin1String("int"))
        return number(std::round(v), 0, true);
    if (format == QLatin1String("qty"))
        return quantity(v);
    if (type == QMetaType::Double || type == QMetaType::Float)
        return quantity(v);
    return value.toString();
}

} // namespace report
