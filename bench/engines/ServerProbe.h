#pragma once

// A bench's own connection to the shop's server, beside the program's: it
// makes the working copy of the shop's database (CREATE DATABASE ...
// TEMPLATE) and reads pg_stat_statements, so that an action's statements
// and the time the server spent on them (planning and execution) are
// known. Its own statements name pg_stat_statements and are left out.
#include <QString>

struct pg_conn;

namespace bench {

struct ServerWork {
    qint64 statements = 0;   // calls, BEGIN/SAVEPOINT/COMMIT included
    double ms = 0;           // planning + execution on the server
};

// A libpq connection to the server `iniFolder`/tarvo.ini names, to database
// `dbname` (the caller checks its status and finishes it).
pg_conn *connectToServer(const QString &iniFolder, const QString &dbname, const char *applicationName);

class ServerProbe {
public:
    // Connects to the server `iniFolder`/tarvo.ini names, to database `dbname`.
    ServerProbe(const QString &iniFolder, const QString &dbname);
    ~ServerProbe();
    ServerProbe(const ServerProbe &) = delete;
    ServerProbe &operator=(const ServerProbe &) = delete;

    bool ok() const { return m_ok; }
    QString error() const;
    // Runs a statement whose result is not wanted; false on failure.
    bool exec(const QString &sql);
    // The server's work in this database so far.
    ServerWork total();

private:
    pg_conn *m_connection = nullptr;
    bool m_ok = false;
};

// The bench's working copy of the server database `iniFolder`/tarvo.ini
// names: CREATE DATABASE <name>_bench TEMPLATE <name>, and a tarvo.ini
// naming it (and an empty tarvo.mdb beside it) in `folder`. Returns the
// failure, empty when done.
QString makeServerCopy(const QString &iniFolder, const QString &folder, QString *copyName);
// Drops the copy again.
void dropServerCopy(const QString &iniFolder, const QString &copyName);

// The work an action caused: the totals after it minus those before.
inline ServerWork operator-(const ServerWork &after, const ServerWork &before)
{
    return {after.statements - before.statements, after.ms - before.ms};
}

} // namespace bench
