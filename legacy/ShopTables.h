#pragma once

#include <QString>
#include <vector>

namespace legacy {

// What a field of the shop's database holds, whatever its declared type.
enum class FieldKind { Counter, Long, Number, Text, Date, YesNo };

struct ShopField {
    QString name;
    FieldKind kind;
};

// A table of the shop as the old program and this one both name it.
struct ShopTable {
    QString name;
    std::vector<ShopField> fields;
    int keyField = -1;        // the field that identifies a row, -1 when none
    bool required = true;     // an old file without it is no shop file
    bool reference = false;   // maintained outside the program: kept when the file lacks it
    QString keyLabel() const { return keyField < 0 ? QString() : fields[keyField].name; }
};

// The thirteen tables, in the order they are imported (a table comes after
// those its rows name, so that each row can be checked on arrival).
const std::vector<ShopTable> &shopTables();
const ShopTable *shopTable(const QString &name);

} // namespace legacy
