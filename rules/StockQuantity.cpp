#include "rules/StockQuantity.h"

#include "db/Recordset.h"
#include "rules/RuleError.h"
#include "rules/TypedNumber.h"

#include <QLocale>
#include <cfenv>
#include <cmath>
#include <limits>

double StockQuantity::typed(const QString &text)
{
    return TypedNumber::leading(text);
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
        throw rules::RuleError::overflow();
    // nearbyint follows the rounding mode, which nobody here changes from
    // the default: to nearest, ties to even.
    if (std::fegetround() != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    return long(std::nearbyint(quantity));
}

QString StockQuantity::text(double quantity)
{
    // Fixed notation: "3e+09" would read back as 3.
    return QLocale::c().toString(quantity, 'f', QLocale::FloatingPointShortest);
}

bool StockQuantity::addTo(db::Recordset &item, long delta)
{
    if (item.recordCount() == 0)
        return false;
    const QVariant current = item.value(QStringLiteral("ca_Quantita"));
    const qlonglong quantity = current.isValid() && !current.isNull() ? qlonglong(current.toDouble()) : 0;
    const qlonglong changed = quantity + qlonglong(delta);
    if (changed > std::numeric_limits<qint32>::max() || changed < std::numeric_limits<qint32>::min())
        throw rules::RuleError::overflow();
    item.edit();
    item.setValue(QStringLiteral("ca_Quantita"), changed);
    item.update();
    return true;
}
