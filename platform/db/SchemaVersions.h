#pragma once

#include <QString>
#include <functional>
#include <vector>

struct sqlite3;

namespace db {

class Database;

// The versions of the shop's schema, kept in the file (`pragma
// user_version`). Version 0 is the schema of the first release; each step
// brings a database one version further and only adds (tables, columns,
// indexes, defaults) or restates the schema: it never drops or rewrites a
// row. A later change of the schema adds its step at the end of steps().
class SchemaVersions {
public:
    struct Step {
        int version; // the version the step reaches
        QString what;
        std::function<void(sqlite3 *)> apply;
    };
    static const std::vector<Step> &steps();
    static int latest();
    static int versionOf(sqlite3 *handle);

    // Brings the database to the latest version, one step at a time, each in
    // one transaction. `beforeStep(version)` runs before each step, outside
    // any transaction (a safety copy of the file as it is at `version`); if
    // it throws, nothing more happens. A database newer than the program is
    // refused (DbError, newerDatabaseMessage) and left as it is.
    static void upgrade(sqlite3 *handle, const std::function<void(int version)> &beforeStep = {});
    static QString newerDatabaseMessage(int version);

    // A database just made from the shipped schema script (which states the
    // latest version): adds what the steps keep in code, the text indexes.
    static void completeNew(sqlite3 *handle);

    // On the server the version is the row of tarvo_schema; its steps are
    // statements for the server, numbered as the file's. The server's schema
    // (tarvo-pg.sql) begins at version 3, so no step is older than that.
    struct ServerStep {
        int version;
        QString what;
        QString sql;
    };
    static const std::vector<ServerStep> &serverSteps();
    static int versionOf(Database &database);
    // Brings the server's schema to the latest version, each step in one
    // transaction; a newer one is refused as a newer file is.
    static void upgradeServer(Database &database);
};

} // namespace db
