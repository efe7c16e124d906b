#include "rules/StockQuantity.h"

#include "db/Database.h"
#include "db/SqlText.h"
#include "rules/RuleError.h"
#include "rules/TypedNumber.h"

#include <QLocale>
#include <QStringBuilder>
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
    // overflow from an unknown bar code. The statement is built in one piece
    // and checks the quantity before the change (within the long's bounds
    // less the change), so the sum is written once: a till runs it for
    // every article sold.
    const QString item = db::quoted(barcode, QLatin1Char('"'));
    const qint64 change = delta;
    const int changed = database.execute(
        u"update [Codice Articolo] set ca_Quantita = nz(ca_Quantita, 0) + (" % QString::number(change)
        % u") where ca_Codice = " % item % u" and nz(ca_Quantita, 0) between "
        % QString::number(qint64(std::numeric_limits<qint32>::min()) - change) % u" and "
        % QString::number(qint64(std::numeric_limits<qint32>::max()) - change));
    if (changed != 0)
        return true;
    auto found = database.openRecordset(QStringLiteral("select ca_Codice from [Codice Articolo] where ca_Codice = ") + item);
    if (found->recordCount() == 0)
        return false;
    throw rules::RuleError::overflow();
}
