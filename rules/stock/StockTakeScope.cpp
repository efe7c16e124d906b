#include "rules/stock/StockTakeScope.h"

#include "db/Database.h"
#include "db/SqlText.h"

namespace {

// The typed text as a pattern that finds it anywhere, every character of it
// literal (a "*" typed is a star, not a wildcard).
QString containsPattern(const QString &typed)
{
    QString pattern = db::typedLikePattern(typed);
    pattern.replace(QLatin1Char('*'), QStringLiteral("[*]"));
    pattern.replace(QLatin1Char('?'), QStringLiteral("[?]"));
    return db::quoted(QLatin1Char('*') + pattern + QLatin1Char('*'), QLatin1Char('"'));
}

} // namespace

StockTakeScope::StockTakeScope(const StockTake &take)
    : m_fornitore(take.fornitore.trimmed())
    , m_descrizione(take.descrizione.trimmed())
{
}

QString StockTakeScope::condition() const
{
    QStringList parts;
    if (!m_fornitore.isEmpty())
        parts << QStringLiteral("art_Fornitore = ") + db::quoted(m_fornitore, QLatin1Char('"'));
    if (!m_descrizione.isEmpty())
        parts << QStringLiteral("art_Descrizione like ") + containsPattern(m_descrizione);
    return parts.join(QStringLiteral(" and "));
}

bool StockTakeScope::contains(db::Database &database, const QString &barcode) const
{
    if (everything())
        return true;
    auto rs = database.openRecordset(
        QStringLiteral("select ca_Codice from [Codice Articolo], Articoli where ca_Codice = ")
        + db::quoted(barcode, QLatin1Char('"')) + QStringLiteral(" and art_Codice = ca_Codice_Articolo and ")
        + condition());
    return !rs->eof();
}

bool StockTakeScope::knownSupplier(db::Database &database, const QString &supplier)
{
    const QString name = db::quoted(supplier.trimmed(), QLatin1Char('"'));
    if (!database.openRecordset(QStringLiteral("select fo_Descrizione from Fornitore where fo_Descrizione = ") + name)->eof())
        return true;
    return !database.openRecordset(QStringLiteral("select top 1 art_Codice from Articoli where art_Fornitore = ") + name)
                ->eof();
}
