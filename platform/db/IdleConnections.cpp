#include "IdleConnections.h"

#include "Connection.h"

#include <QHash>
#include <QMutex>
#include <sqlite3.h>

namespace db {

namespace {

struct Idle {
    std::shared_ptr<Connection> connection;
    int schemaVersion = 0;
};

struct Pool {
    QMutex mutex;
    QHash<QString, Idle> byPath;
};

Pool &pool()
{
    static Pool instance;
    return instance;
}

// Whether the file was deleted or renamed, or another file put in its place.
bool fileMoved(Connection &connection)
{
    int moved = 1;
    if (sqlite3_file_control(connection.handle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return true;
    return moved != 0;
}

int schemaVersion(Connection &connection)
{
    sqlite3_stmt *statement = connection.statement(QStringLiteral("pragma schema_version"), QString());
    const StatementUse use(statement);
    return sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
}

} // namespace

std::shared_ptr<Connection> IdleConnections::take(const QString &path)
{
    Idle idle;
    {
        QMutexLocker lock(&pool().mutex);
        idle = pool().byPath.take(path);
    }
    // Kept only while it is still the same file with the same schema: a
    // restored file or another program's upgrade needs a fresh catalog.
    if (idle.connection && !fileMoved(*idle.connection) && schemaVersion(*idle.connection) == idle.schemaVersion)
        return idle.connection;
    idle.connection.reset();
    return Connection::open(path);
}

void IdleConnections::giveBack(std::shared_ptr<Connection> connection)
{
    if (!connection || connection.use_count() != 1 || connection->transactionDepth() != 0)
        return;
    Idle idle;
    idle.schemaVersion = schemaVersion(*connection);
    idle.connection = std::move(connection);
    QMutexLocker lock(&pool().mutex);
    pool().byPath.insert(idle.connection->path(), std::move(idle));
}

void IdleConnections::closeAll()
{
    QHash<QString, Idle> closing;
    {
        QMutexLocker lock(&pool().mutex);
        closing.swap(pool().byPath);
    }
}

} // namespace db
