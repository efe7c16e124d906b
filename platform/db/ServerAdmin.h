#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

namespace db {

class ServerSession;

// A connection of a tool that administers a shop's database on a PostgreSQL
// server (tarvo-migra creates its schema and fills it): the engine's server
// session, with dates in ISO and reals to every digit, running the server's
// own SQL as it is written, not the program's dialect. Every failure throws
// DbError whose description is the server's (or libpq's) own words.
class ServerAdmin {
public:
    // `address`: a postgresql:// URL or a libpq connection string; the
    // password comes from libpq's own sources (PGPASSWORD, ~/.pgpass).
    // `applicationName`: what the server shows of the connection when the
    // address names nothing else.
    ServerAdmin(const QString &address, const char *applicationName);
    ~ServerAdmin();
    ServerAdmin(const ServerAdmin &) = delete;

    // The keywords and values an address names (libpq's reading of it:
    // dbname, user, password...); throws DbError with libpq's words when it
    // cannot be read.
    static QList<std::pair<QByteArray, QString>> addressOptions(const QString &address);
    ServerAdmin &operator=(const ServerAdmin &) = delete;

    // One or more statements.
    void run(const QString &sql);
    // The rows of a statement, each value as text (a null QString for Null).
    QList<QStringList> rows(const QString &sql);
    // The first value of the first row as a number; 0 for none or Null.
    qint64 scalar(const QString &sql);

    // COPY ... FROM STDIN: start it, send data in any chunks, end it; the
    // end gives the number of rows the server took.
    void beginCopy(const QString &copySql);
    void sendCopy(const QByteArray &data);
    qint64 endCopy();
    // Ends a COPY that cannot go on (its data could not be read): the server
    // drops what it took, and the connection can roll back.
    void abandonCopy();

private:
    QByteArray m_applicationName;
    std::unique_ptr<ServerSession> m_session;
};

} // namespace db
