#include "TargetAddress.h"

#include "MigraError.h"

#include <libpq-fe.h>

namespace migra {

TargetAddress::TargetAddress(const QString &url)
    : m_url(url)
{
    if (!url.startsWith(QLatin1String("postgresql://")) && !url.startsWith(QLatin1String("postgres://")))
        throw MigraError(QStringLiteral("Indirizzo del server non valido: %1 (atteso "
                                        "postgresql://utente@server:porta/database).").arg(url));
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(url.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        throw MigraError(QStringLiteral("Indirizzo del server non valido: %1 (%2).").arg(url, why));
    }
    bool password = false;
    for (PQconninfoOption *option = options; option->keyword; ++option) {
        const QByteArray keyword(option->keyword);
        if (keyword == "password" && option->val && *option->val)
            password = true;
        else if (keyword == "dbname" && option->val)
            m_database = QString::fromUtf8(option->val);
    }
    PQconninfoFree(options);
    if (password)
        throw MigraError(QStringLiteral("La password non va scritta nell'indirizzo: tarvo-migra la legge da "
                                        "PGPASSWORD o da ~/.pgpass (un file leggibile solo dall'utente)."));
    if (m_database.isEmpty())
        throw MigraError(QStringLiteral("L'indirizzo non nomina il database: "
                                        "postgresql://utente@server:porta/database."));
}

} // namespace migra
