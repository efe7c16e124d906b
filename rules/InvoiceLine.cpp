#include "rules/InvoiceLine.h"

#include "rules/TypedNumber.h"

#include <cmath>

std::optional<InvoiceLine::Amount> InvoiceLine::recalculate(const QString &quantita, const QString &prezzo,
                                                            const QLocale &locale)
{
    const QString quantity = quantita.trimmed();
    const QString price = prezzo.trimmed();
    if (quantity.isEmpty() || price.isEmpty() || price == QLatin1String("-"))
        return std::nullopt;
    const std::optional<double> priceNumber = TypedNumber::amount(price, locale);
    const std::optional<double> quantityNumber = TypedNumber::amount(quantity, locale);
    Amount amount;
    amount.prezzo = priceNumber ? prezzo : QStringLiteral("0");
    amount.quantita = quantityNumber ? quantita : QStringLiteral("0");
    amount.importo = priceNumber.value_or(0) * quantityNumber.value_or(0);
    return amount;
}

QVariant InvoiceLine::defaultVatCode(const QVariantList &codesByRate)
{
    if (codesByRate.isEmpty())
        return QVariant();
    return codesByRate.size() >= 3 ? codesByRate.at(2) : codesByRate.last();
}

double InvoiceLine::number(const QVariant &value, const QLocale &locale)
{
    if (!value.isValid() || value.isNull())
        return 0;
    if (value.typeId() == QMetaType::QString)
        return TypedNumber::amount(value.toString(), locale).value_or(0);
    bool ok = false;
    const double n = value.toDouble(&ok);
    return ok && std::isfinite(n) ? n : 0;
}

double InvoiceLine::total(const QVariantList &amounts)
{
    double sum = 0;
    for (const QVariant &amount : amounts)
        sum += number(amount);
    return sum;
}

QString InvoiceLine::totalText(double total, const QLocale &locale)
{
    QLocale shown = locale;
    shown.setNumberOptions(QLocale::OmitGroupSeparator);
    // The general conversion shows the shortest text that reads back as the
    // same number at fifteen significant digits: 0,1 + 0,2 shows 0,3.
    const double rounded = QLocale::c().toDouble(QString::number(total, 'g', 15));
    if (rounded == 0)
        return QStringLiteral("0");
    return shown.toString(rounded, 'f', QLocale::FloatingPointShortest);
}
