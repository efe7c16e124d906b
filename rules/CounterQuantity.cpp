#include "rules/CounterQuantity.h"

#include "rules/StockQuantity.h"
#include "rules/TypedNumber.h"

#include <QRegularExpression>
#include <cmath>

CounterQuantity CounterQuantity::check(const QString &text, const QLocale &locale)
{
    CounterQuantity result;
    // Digits with at most one separator: "1e3" reads as 1000 as an amount,
    // but as 1 where the quantity is stored.
    static const QRegularExpression plain(QStringLiteral("^\\s*[+-]?\\d+([.,]\\d*)?\\s*$"));
    if (!plain.match(text).hasMatch())
        return result;
    const std::optional<double> number = TypedNumber::quantity(text, locale);
    if (!number || *number == 0 || *number != std::trunc(*number) || !StockQuantity::fitsStock(*number))
        return result;
    result.accepted = true;
    result.pieces = StockQuantity::whole(*number);
    result.needsConfirmation = result.pieces > kConfirmAbove;
    return result;
}
