#pragma once

#include "legacy/LegacyValue.h"
#include "legacy/ShopTables.h"

#include <QString>
#include <QVariant>

namespace legacy {

// A value of the old file as the shop's database stores it in a field of
// the given kind: Null, a whole number (counters, longs, yes/no as -1/0),
// a double, or a text (dates as yyyy-mm-dd, with " hh:mm:ss" when they
// carry a time). `problem` says why a value could not be taken (the field
// is then left Null).
struct MappedValue {
    QVariant value;   // invalid: Null; else qlonglong, double or QString
    QString problem;
};

MappedValue mapValue(const LegacyValue &value, FieldKind kind);

} // namespace legacy
