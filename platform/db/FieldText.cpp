#include "db/FieldText.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace db {

bool FieldText::isNull(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

QString FieldText::number(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return locale.toString(qlonglong(value));
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

QString FieldText::display(const QVariant &value)
{
    if (isNull(value))
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime stamp = value.toDateTime();
        if (stamp.time() == QTime(0, 0))
            return stamp.date().toString(QStringLiteral("dd/MM/yyyy"));
        return stamp.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return number(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

} // namespace db
