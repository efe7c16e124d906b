#include "stock/PriceText.h"

#include "app/GeneralFunc6.h"
#include "data/FieldText.h"

#include <QLocale>

QString PriceText::format(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'f', 2);
    // -0.001 shows as "0,00", never "-0,00".
    if (text.startsWith(locale.negativeSign()) && locale.toDouble(text) == 0)
        text.remove(0, locale.negativeSign().size());
    return text;
}

double PriceText::value(const QString &text)
{
    return ToNumber(text);
}

bool PriceText::isNumericTyping(const QString &text)
{
    if (IsNumeric(text))
        return true;
    const QString decimal = QLocale().decimalPoint();
    const QString trimmed = text.trimmed();
    return trimmed.size() > decimal.size() && trimmed.endsWith(decimal) && IsNumeric(trimmed + QLatin1Char('0'));
}

QString PriceText::display(const QVariant &stored)
{
    return data::FieldText::display(stored);
}
