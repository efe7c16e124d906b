#include "rules/StockQuantity.h"

#include "db/Database.h"
#include "db/SqlText.h"
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

bool StockQuantity::addTo(db::Database &database, const QString &barcode, long delta)
{
    // The range is checked in the same statement: a result beyond a long
    // leaves the row as it was, and the item is then looked for to tell an
    // overflow from an unknown bar code.
    const QString item = db::quoted(barcode, QLatin1Char('"'));
    const QString moved = QStringLiteral("nz(ca_Quantita, 0) + (") + QString::number(delta) + QLatin1Char(')');
    const int changed = database.execute(
        QStringLiteral("update [Codice Articolo] set ca_Quantita = ") + moved + QStringLiteral(" where ca_Codice = ") + item
        + QStringLiteral(" and ") + moved + QStringLiteral(" between ") + QString::number(std::numeric_limits<qint32>::min())
        + QStringLiteral(" and ") + QString::number(std::numeric_limits<qint32>::max()));
    if (changed != 0)
        return true;
    auto found = database.openRecordset(QStringLiteral("select ca_Codice from [Codice Articolo] where ca_Codice = ") + item);
    if (found->recordCount() == 0)
        return false;
    throw rules::RuleError::overflow();
}
