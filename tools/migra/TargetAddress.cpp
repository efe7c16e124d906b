#include "TargetAddress.h"

#include "MigraError.h"
#include "db/DbError.h"
#include "db/ServerAdmin.h"

namespace migra {

TargetAddress::TargetAddress(const QString &url)
    : m_url(url)
{
    if (!url.startsWith(QLatin1String("postgresql://")) && !url.startsWith(QLatin1String("postgres://")))
        throw MigraError(QStringLiteral("Indirizzo del server non valido: %1 (atteso "
                                        "postgresql://utente@server:porta/database).").arg(url));
    QList<std::pair<QByteArray, QString>> options;
    try {
        options = db::ServerAdmin::addressOptions(url);
    } catch (const db::DbError &e) {
        throw MigraError(QStringLiteral("Indirizzo del server non valido: %1 (%2).").arg(url, e.description()));
    }
    bool password = false;
    for (const auto &[keyword, value] : options) {
        if (keyword == "password" && !value.isEmpty())
            password = true;
        else if (keyword == "dbname")
            m_database = value;
    }
    if (password)
        throw MigraError(QStringLiteral("La password non va scritta nell'indirizzo: tarvo-migra la legge da "
                                        "PGPASSWORD o da ~/.pgpass (un file leggibile solo dall'utente)."));
    if (m_database.isEmpty())
        throw MigraError(QStringLiteral("L'indirizzo non nomina il database: "
                                        "postgresql://utente@server:porta/database."));
}

} // namespace migra
