#include "stock/StockQuantity.h"

#include "app/GeneralFunc6.h"
#include "app/errors/ErrorTrap.h"

#include <QLocale>
#include <cfenv>
#include <cmath>
#include <limits>

double StockQuantity::typed(const QString &text)
{
    return Val(text);
}

bool StockQuantity::fitsStock(double quantity)
{
    if (!std::isfinite(quantity))
        return false;
    const double rounded = std::nearbyint(quantity);
    return rounded >= double(std::numeric_limits<qint32>::min())
        && rounded <= double(std::numeric_limits<qint32>::max());
}

long StockQuantity::whole(double quantity)
{
    if (!fitsStock(quantity))
        throw errors::AppError(6, QStringLiteral("Overflow"));
    // nearbyint follows the rounding mode, which nobody here changes from
    // the default: to nearest, ties to even.
    if (std::fegetround() != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    return long(std::nearbyint(quantity));
}

QString StockQuantity::text(double quantity)
{
    return QLocale::c().toString(quantity, 'g', QLocale::FloatingPointShortest);
}
