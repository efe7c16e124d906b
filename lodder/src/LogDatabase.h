#pragma once

#include "lodder/IDeb.h"

#include <QString>

#include <optional>
#include <vector>

struct sqlite3;

namespace lodder {

// One row of the table debby.
struct LogRecord {
    QString classe;
    QString dataOra;
    std::optional<QString> errDescrizione;
    std::optional<long> errNumero;
    std::optional<QString> errRoutine;
    QString nota;
};

// The log database deb.mdb: an SQLite file with the table debby and the
// table deb_accesso, which holds a salt and the salted SHA-256 of the
// database password. Opening checks the password and refuses a wrong one.
class LogDatabase {
public:
    // The password every deb.mdb is created with and opened with.
    static QString classPassword();

    // Creates a new log database protected by `password`; refuses when the
    // file already exists, so logs are never overwritten.
    static DebStatus create(const QString &path, const QString &password);

    LogDatabase() = default;
    ~LogDatabase();
    LogDatabase(const LogDatabase &) = delete;
    LogDatabase &operator=(const LogDatabase &) = delete;

    // Opens an existing file (never creates one) and checks the password.
    DebStatus open(const QString &path, const QString &password);
    DebStatus insert(const LogRecord &record);
    // The counter the last insert gave its record.
    qint64 lastInsertedId() const;
    // The record numbers of debby, in the table's order.
    DebStatus ids(std::vector<qint64> &out);
    // One record; `found` false when it is no longer there.
    DebStatus read(qint64 id, LogRecord &out, bool &found);
    DebStatus update(qint64 id, const LogRecord &record);
    DebStatus remove(qint64 id);
    void close();

private:
    DebStatus lastError() const;
    sqlite3 *m_db = nullptr;
};

} // namespace lodder
