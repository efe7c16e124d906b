#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

// One column of a list as an export writes it: its heading, the field of
// the list's statement it shows, and what its values are.
class ExportColumn {
public:
    // What the spreadsheet is told the values are. Text covers the codes
    // (bar codes, partite IVA): they stay text even when they are all digits.
    enum class Kind { Text, Number, Amount, Date, YesNo };

    ExportColumn() = default;
    ExportColumn(QString header, QString field, Kind kind = Kind::Text);

    QString header;
    QString field;
    Kind kind = Kind::Text;
    // A fixed number of decimals in CSV; -1 writes a number as exact as it is.
    int decimals = -1;
    // A stored value and the text the list shows for it.
    QList<std::pair<QVariant, QString>> valueList;
    QString yes = QStringLiteral("Sì");
    QString no = QStringLiteral("No");

    // The cell for a stored value: a number or a date is itself, a yes/no
    // and a value of the list are their texts, anything else its text; Null
    // is an empty cell (an invalid QVariant).
    QVariant cell(const QVariant &stored) const;
};
