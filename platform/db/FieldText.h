#pragma once

#include <QString>
#include <QVariant>

namespace db {

// How a field value reads in a text box: Null as the empty text, dates as
// dd/mm/yyyy, numbers in the user's number format (QLocale()) without
// thousands separators, yes/no as -1/0.
class FieldText {
public:
    static QString display(const QVariant &value);
    static bool isNull(const QVariant &value);
    // The text of a number as the user writes it (no thousands separators).
    static QString number(double value);
};

} // namespace db
