#include "rules/ExportColumn.h"

#include <cmath>

namespace {

bool isNull(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

// 3, 3.0 and "3" are the same stored value.
bool sameValue(const QVariant &a, const QVariant &b)
{
    bool aNumber = false, bNumber = false;
    const double x = a.toString().trimmed().toDouble(&aNumber);
    const double y = b.toString().trimmed().toDouble(&bNumber);
    if (aNumber && bNumber)
        return std::fabs(x - y) < 1e-9;
    return a.toString() == b.toString();
}

} // namespace

ExportColumn::ExportColumn(QString header_, QString field_, Kind kind_)
    : header(std::move(header_)), field(std::move(field_)), kind(kind_)
{
}

QVariant ExportColumn::cell(const QVariant &stored) const
{
    if (kind == Kind::YesNo)
        return !isNull(stored) && stored.toBool() ? yes : no;
    if (isNull(stored))
        return QVariant();
    for (const auto &[value, text] : valueList)
        if (sameValue(value, stored))
            return text;
    switch (stored.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return stored;
    default:
        return stored.toString();
    }
}
