#pragma once

#include <QString>

namespace migra {

// The server database named on the command line (--verso): a
// postgresql:// URL that names its database and carries no password (the
// command line is visible to every user of the machine; libpq reads the
// password from PGPASSWORD or ~/.pgpass).
class TargetAddress {
public:
    // Throws MigraError when the address is not acceptable.
    explicit TargetAddress(const QString &url);
    const QString &url() const { return m_url; }
    const QString &database() const { return m_database; }

private:
    QString m_url;
    QString m_database;
};

} // namespace migra
