#pragma once

// The raw libpq baseline of the server benches: one connection of its own,
// set up as the program's (ISO dates, the shop's functions first on the
// search path, no parallel workers), statements written by hand and
// prepared once, every cell of every row read, as a careful program on
// libpq alone would do it.
#include <QByteArray>
#include <QString>
#include <vector>

struct pg_conn;

namespace bench {

class RawServer {
public:
    // The server `iniFolder`/tarvo.ini names, database `dbname`.
    RawServer(const QString &iniFolder, const QString &dbname);
    ~RawServer();
    RawServer(const RawServer &) = delete;
    RawServer &operator=(const RawServer &) = delete;

    bool ok() const { return m_ok; }
    QString error() const;
    pg_conn *handle() const { return m_connection; }

    // Prepares `sql` under `name`; false on failure.
    bool prepare(const char *name, const char *sql);
    // Runs a prepared statement and reads every cell: the rows, -1 on
    // failure. `first`: the cells of the first row, `column`: the first
    // cell of every row, when wanted.
    int run(const char *name, const std::vector<QByteArray> &values, std::vector<QByteArray> *first = nullptr,
            std::vector<QByteArray> *column = nullptr);
    // A statement without a result wanted (BEGIN, COMMIT); false on failure.
    bool exec(const char *sql);
    // Reads a prepared statement's rows one at a time (single-row mode),
    // every cell: the rows, -1 on failure.
    qint64 stream(const char *name, const std::vector<QByteArray> &values);

private:
    pg_conn *m_connection = nullptr;
    bool m_ok = false;
};

} // namespace bench
