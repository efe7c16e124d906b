#include "data/GridColumn.h"
#include "data/GridFormat.h"

#include <cmath>

namespace data {

GridColumn::GridColumn(const QString &caption_, const QString &dataField_)
    : caption(caption_), dataField(dataField_)
{
}

void GridColumn::addValueItem(const QVariant &value, const QString &displayText, const QStringList &keys)
{
    valueItems.append(GridValueItem{value, displayText, keys});
}

int GridColumn::typedItemIndex(const QString &typed, int after) const
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || valueItems.isEmpty())
        return -1;
    qsizetype mostKeys = 0;
    for (const GridValueItem &item : valueItems)
        mostKeys = qMax(mostKeys, item.keys.size());
    for (qsizetype key = 0; key < mostKeys; ++key)
        for (int i = 0; i < valueItems.size(); ++i)
            if (key < valueItems.at(i).keys.size()
                && valueItems.at(i).keys.at(key).compare(text, Qt::CaseInsensitive) == 0)
                return i;
    const int count = int(valueItems.size());
    for (int step = 1; step <= count; ++step) {
        const GridValueItem &item = valueItems.at((qMax(after, -1) + step) % count);
        bool starts = item.displayText.startsWith(text, Qt::CaseInsensitive);
        for (const QString &key : item.keys)
            starts = starts || key.startsWith(text, Qt::CaseInsensitive);
        if (starts)
            return (qMax(after, -1) + step) % count;
    }
    return -1;
}

QString GridColumn::effectiveNumberFormat() const
{
    if (!numberFormat.isEmpty() || limits.decimals <= 0)
        return numberFormat;
    return QStringLiteral("#,##0.") + QString(limits.decimals, QLatin1Char('0'));
}

int GridColumn::valueItemIndex(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return -1;
    bool valueIsNumber = false;
    const double number = value.toString().trimmed().toDouble(&valueIsNumber);
    for (int i = 0; i < valueItems.size(); ++i) {
        const QVariant &item = valueItems.at(i).value;
        bool itemIsNumber = false;
        const double itemNumber = item.toString().trimmed().toDouble(&itemIsNumber);
        if (valueIsNumber && itemIsNumber) {
            if (std::fabs(itemNumber - number) < 1e-9)
                return i;
        } else if (item.toString() == value.toString()) {
            return i;
        }
    }
    return -1;
}

GridColumn::Kind GridColumn::effectiveKind(const QVariant &sample) const
{
    if (kind != Kind::Auto)
        return kind;
    if (checkBox)
        return Kind::Boolean;
    if (!numberFormat.isEmpty()) {
        if (GridFormat::isNumberFormat(numberFormat))
            return Kind::Number;
        if (GridFormat::isDateFormat(numberFormat))
            return Kind::Date;
    }
    switch (sample.typeId()) {
    case QMetaType::Bool:
        return Kind::Boolean;
    case QMetaType::QDate: case QMetaType::QDateTime:
        return Kind::Date;
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::Double:
    case QMetaType::UInt: case QMetaType::ULongLong: case QMetaType::Float:
        return Kind::Number;
    default:
        return Kind::Text;
    }
}

QString GridColumn::displayText(const QVariant &value) const
{
    if (hasValueList() && translateValues) {
        const int item = valueItemIndex(value);
        if (item >= 0)
            return valueItems.at(item).displayText;
    }
    // Text typed by the user and not yet written shows as typed.
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return GridFormat::display(value, effectiveNumberFormat());
}

Qt::Alignment GridColumn::effectiveAlignment(const QVariant &sample) const
{
    if (alignment != Qt::Alignment())
        return alignment | Qt::AlignVCenter;
    switch (effectiveKind(sample)) {
    case Kind::Number:
        return (hasValueList() && translateValues) ? (Qt::AlignLeft | Qt::AlignVCenter)
                                                   : (Qt::AlignRight | Qt::AlignVCenter);
    case Kind::Boolean:
        return Qt::AlignCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace data
