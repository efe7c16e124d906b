#include "rules/InvoiceLine.h"

#include "rules/TypedNumber.h"

#include <cmath>

std::optional<double> InvoiceLine::recalculate(const QString &quantita, const QString &prezzo, const QLocale &locale)
{
    const QString price = prezzo.trimmed();
    if (quantita.trimmed().isEmpty() || price.isEmpty() || price == QLatin1String("-"))
        return std::nullopt;
    const std::optional<double> priceNumber = TypedNumber::amount(price, locale);
    const std::optional<double> quantityNumber = TypedNumber::quantity(quantita, locale);
    if (!priceNumber || !quantityNumber)
        return std::nullopt;
    return *priceNumber * *quantityNumber;
}

bool InvoiceLine::fitsAmount(double amount)
{
    return std::isfinite(amount) && std::fabs(amount) <= TypedNumber::kAmount.largest;
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
        return TypedNumber::number(value.toString(), locale).value_or(0);
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
