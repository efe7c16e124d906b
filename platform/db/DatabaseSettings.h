#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace db {

// Where the shop's data lives, from tarvo.ini in the program's folder
// (the folder of tarvo.mdb):
//
//   [database]
//   driver=postgresql        ; or sqlite, the default (tarvo.mdb itself)
//   host=server.lan
//   port=5432
//   dbname=tarvo
//   user=cassa1
//
// The password is never written there: libpq reads it from ~/.pgpass,
// which it uses only when no one else can read it (or from PGPASSWORD).
// A field left out takes libpq's own default (PGHOST, PGPORT, ...).
class DatabaseSettings {
public:
    // The settings beside `databasePath`; SQLite when there is no tarvo.ini.
    // Throws DbError when the file names an unknown driver or a password.
    static DatabaseSettings beside(const QString &databasePath);
    // How many copies of the shop are kept ([backup] giorni=N; 30 when
    // missing or not a positive number): the daily backups, the copies
    // taken before an import.
    static int backupsToKeep(const QString &databasePath);

    bool onServer() const { return m_server; }
    // The server keeps the shop's copies itself (see Database::copiesItself).
    bool copiesItself() const { return m_server; }
    // The connection's keywords and values for libpq (PQconnectdbParams).
    const std::vector<QByteArray> &keywords() const { return m_keywords; }
    const std::vector<QByteArray> &values() const { return m_values; }
    // One text naming the server database, the key of its connection.
    QString identity() const;

private:
    bool m_server = false;
    std::vector<QByteArray> m_keywords;
    std::vector<QByteArray> m_values;
};

} // namespace db
