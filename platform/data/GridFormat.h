#pragma once

#include "db/NumberText.h"

#include <QLocale>
#include <QString>
#include <QVariant>

namespace data {

// How the grid shows values and reads back what the user typed. Numbers and
// dates follow the Italian conventions of the shop's counter (decimal comma,
// thousands point, dd/mm/yyyy) whatever the machine's locale says.
class GridFormat {
public:
    // The text shown for a value. `format` is a display format as the windows
    // give it: "#,##0", "0.00", "Standard", "Fixed", "General Number",
    // "Currency", "Percent", "Short Date", "General Date", "dd/mm/yyyy",
    // "Yes/No", "True/False", "On/Off", or empty (the value's natural form).
    static QString display(const QVariant &value, const QString &format);
    // The text put in a cell editor: plain, without thousands separators, so
    // that the user edits the number and not its decoration.
    static QString editText(const QVariant &value);

    // Reading typed text. Empty text is Null (an invalid QVariant) and is
    // always accepted. `ok` is false when the text is not a number / date.
    // Numbers are read as db::NumberText reads them, within `limits`.
    static QVariant parseNumber(const QString &text, bool *ok, const db::NumberLimits &limits = {});
    static QVariant parseDate(const QString &text, bool *ok);
    static QVariant parseBoolean(const QString &text, bool *ok);

    static bool isNumberFormat(const QString &format);
    static bool isDateFormat(const QString &format);

    static const QLocale &locale();

private:
    static QString displayNumber(double number, const QString &format);
    static QString displayPattern(double number, const QString &pattern);
    static QString displayDate(const QVariant &value, const QString &format);
};

} // namespace data
