#pragma once

#include "PgResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct pg_conn;

namespace migra {

// The tests' own connection to a PostgreSQL server through libpq (apart
// from the engine's, which the program uses), in UTF-8 with ISO
// dates. Every failure throws MigraError with the server's own words.
class PgConnection {
public:
    // `address`: a postgresql:// URL or a libpq connection string; the
    // password comes from libpq's own sources (PGPASSWORD, ~/.pgpass).
    explicit PgConnection(const QString &address);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // One or more statements (the simple protocol); the last one's rows.
    PgResult exec(const QString &sql);
    // One statement with parameters $1.. sent as text of no declared type
    // (the server infers each from its use); a null QString is Null.
    PgResult exec(const QString &sql, const QStringList &parameters);
    qint64 scalar(const QString &sql);

    static QString quotedIdentifier(const QString &name);
    static QString quotedLiteral(const QString &text);

private:
    QString lastError() const;
    PgResult checked(pg_result *result);
    pg_conn *m_connection;
};

} // namespace migra
