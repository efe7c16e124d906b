#include "rules/CounterQuantity.h"

#include "rules/StockQuantity.h"
#include "rules/TypedNumber.h"

#include <cmath>

CounterQuantity CounterQuantity::check(const QString &text, const QLocale &locale)
{
    CounterQuantity result;
    const std::optional<double> number = TypedNumber::amount(text, locale);
    if (!number || *number == 0 || *number != std::trunc(*number) || !StockQuantity::fitsStock(*number))
        return result;
    result.accepted = true;
    result.pieces = StockQuantity::whole(*number);
    result.needsConfirmation = result.pieces > kConfirmAbove;
    return result;
}
