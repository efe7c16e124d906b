#pragma once

#include "db/Database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

// A fresh shop database in a temporary folder of the test's own, made from
// the schema the program ships (or from a schema of the test's own), and the
// shop's location (ShopDatabase, so g_strDbPath as well) pointed at it while
// the fixture lives. The fixtures of each area add what they need on top.
//
// With TARVO_TEST_SERVER set (the second run, under pg_virtualenv), a
// fixture of the shipped schema is a fresh database on the PostgreSQL server
// instead, named by a tarvo.ini in the folder, as a shop on a server is.
// A schema of the test's own stays a SQLite file.
class TestShopDatabase {
public:
    explicit TestShopDatabase(const QString &schemaSql = shippedSchema(),
                              const QString &fileName = QStringLiteral("tarvo.mdb"));
    ~TestShopDatabase();
    TestShopDatabase(const TestShopDatabase &) = delete;
    TestShopDatabase &operator=(const TestShopDatabase &) = delete;

    // resources/schema/tarvo.sql as it was when the tests were built.
    static QString shippedSchema();
    // The schema of the first release (version 0), the upgrade's fixture.
    static QString firstReleaseSchema();
    // resources/schema/tarvo-pg.sql as it was when the tests were built.
    static QString serverSchema();
    // Whether the shipped schema's fixtures are on the server in this run.
    static bool onServer();
    // The server database of this fixture; empty on SQLite.
    const QString &serverDatabase() const { return m_serverDatabase; }

    const QString &path() const { return m_path; }
    QString folder() const { return m_folder.path(); }
    // The shared connection, opened on first use.
    db::Database &database() const;
    // Lets go of the shared connection (before the file is replaced).
    void release() { m_database.reset(); }
    void execute(const QString &legacySql) const;
    // The first field of the first row, invalid when there is no row.
    QVariant scalar(const QString &legacySql) const;
    int count(const QString &fromAndWhere) const;   // "Articoli where ..."
    // The database refuses a kind of write, as a full disk would, until
    // acceptWrites(): "insert on carico", "update on [Codice Articolo]";
    // with `column`, only a row whose new value of it is `value`.
    void refuseWrites(const QString &eventOnTable, const QString &column = QString(),
                      const QString &value = QString()) const;
    void acceptWrites() const;
    // Another till's write, through a connection of its own to the shop at
    // `path` (a statement as it runs on SQLite).
    static void writeAsAnotherTill(const QString &path, const QString &sql);
    // The first column of the first row of `sql` read from the SQLite file
    // at `path` through a read-only connection of its own; -1 when there is
    // none (no file, no row, a failed statement).
    static qint64 scalarInFile(const QString &path, const char *sql);

    // A copy of the shop as it is now, in `folder` (made here), and the path
    // of the copy's database file: the file copied, or on the server a
    // database made from this one and named by a tarvo.ini in the folder (no
    // file of that name exists then). Every connection to the shop is closed
    // first: the server copies only a database no one is connected to.
    QString copyTo(const QString &folder) const;
    // Removes a copy made by copyTo: its folder, and its server database.
    // The copies left are removed with the fixture.
    void removeCopy(const QString &folder) const;
    // Waits until no connection is left on the shop at `path` (at most
    // `milliseconds`): a program killed is then gone for the server too,
    // which has rolled back what it left open. False on a timeout; on SQLite
    // there is nothing to wait for.
    static bool waitUntilNoOneConnected(const QString &path, int milliseconds = 10000);

private:
    QTemporaryDir m_folder;
    QString m_path;
    QString m_previousPath;
    QString m_previousPassword;
    QString m_serverDatabase;
    mutable QString m_refusedTable;
    mutable QStringList m_copies;   // server databases made by copyTo
    mutable std::shared_ptr<db::Database> m_database;
};

// In a test about the SQLite file itself (its handle, pages, query plans or
// the file on disk): skipped when the shop is on the server.
#define SKIP_ON_SERVER(why) \
    do { \
        if (TestShopDatabase::onServer()) \
            QSKIP(why); \
    } while (false)
