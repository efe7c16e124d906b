#pragma once

#include "db/NumberText.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <Qt>

namespace data {

// One entry of a column's value list: the value stored in the field and the
// text shown for it ("the VAT code 3 shows as 'Aliquota 22%'").
struct GridValueItem {
    QVariant value;
    QString displayText;
    // Texts that choose the item when typed in the cell, besides the start
    // of its display text: a VAT code is chosen by its rate ("22") as well
    // as by its code. Earlier keys win over later ones.
    QStringList keys;
};

// What the grid does with a column: the field it shows, how it shows it and
// what the user may do in it. Columns are numbered from 0 in the order the
// window adds them, hidden ones included.
class GridColumn {
public:
    // How typed text becomes a value. Auto: from the display format, the
    // check box flag, or else the kind of the values the field holds.
    enum class Kind { Auto, Text, Number, Date, Boolean };

    GridColumn() = default;
    GridColumn(const QString &caption, const QString &dataField);

    QString caption;
    QString dataField;            // empty: an unbound column (a row button, for one)
    bool visible = true;
    int width = 0;                // pixels; 0 keeps the grid's default
    QString numberFormat;         // "#,##0", "Standard", "0.00", "dd/mm/yyyy", ...
    Kind kind = Kind::Auto;
    // A number typed beyond these is refused with the column's number message.
    db::NumberLimits limits;
    bool locked = false;          // shown, never edited
    bool button = false;          // a cell button on the current row raises buttonClick
    bool buttonAlways = false;    // the button shows in every row, not only the current one
    bool checkBox = false;        // a tick box for yes/no values; Space or a click toggles it
    // Bar-code scanner column: a line feed ends the row (it is written) and
    // moves to the next row in the same column; a carriage return is ignored.
    bool scannerInput = false;
    Qt::Alignment alignment = {}; // empty: numbers right, tick boxes centred, the rest left
    QList<GridValueItem> valueItems;
    bool translateValues = true;  // show an item's text in place of its value

    void addValueItem(const QVariant &value, const QString &displayText, const QStringList &keys = {});
    // The item whose value equals `value` (3, 3.0 and "3" match), or -1.
    int valueItemIndex(const QVariant &value) const;
    // The item that `typed` chooses, or -1: a key typed whole (the first
    // keys of every item before the later ones), else the first item after
    // `after` whose display text or a key starts with it.
    int typedItemIndex(const QString &typed, int after = -1) const;
    // The display format: the window's, or for a column of numbers kept to
    // a number of decimals (an amount: two) that many decimals, the
    // thousands grouped ("1.234,50"), as the other amounts of the grids.
    QString effectiveNumberFormat() const;
    bool hasValueList() const { return !valueItems.isEmpty(); }
    bool isBound() const { return !dataField.isEmpty(); }

    // The kind the column works with, given a sample of the field's values.
    Kind effectiveKind(const QVariant &sample) const;
    // The text shown in the cell for a stored or pending value.
    QString displayText(const QVariant &value) const;
    Qt::Alignment effectiveAlignment(const QVariant &sample) const;
};

} // namespace data
