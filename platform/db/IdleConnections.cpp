#include "IdleConnections.h"

#include "Connection.h"

#include <QHash>
#include <QMutex>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace db {

namespace {


struct Pool {
    QMutex mutex;
    QHash<QString, std::shared_ptr<Connection>> byPath;
};

Pool &pool()
{
    static Pool instance;
    return instance;
}

// Whether the file was deleted or renamed, or another file put in its place.
bool fileMoved(Connection &connection)
{
    if (connection.onServer())
        return PQstatus(connection.server()) != CONNECTION_OK;
    int moved = 1;
    if (sqlite3_file_control(connection.handle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return true;
    return moved != 0;
}

int schemaVersion(Connection &connection)
{
    // The server's catalogue is read once per connection.
    if (connection.onServer())
        return connection.catalog().schemaVersion();
    Statement *statement = connection.statement(QStringLiteral("pragma schema_version"), QString());
    const StatementUse use(statement);
    return statement->step(QString()) ? int(statement->columnInteger(0)) : -1;
}

} // namespace

std::shared_ptr<Connection> IdleConnections::take(const QString &path)
{
    std::shared_ptr<Connection> idle;
    {
        QMutexLocker lock(&pool().mutex);
        idle = pool().byPath.take(path);
    }
    // Kept only while it is still the same file with the schema its catalog
    // read: a restored file or another program's upgrade needs a fresh one.
    if (idle && !fileMoved(*idle) && schemaVersion(*idle) == idle->catalog().schemaVersion())
        return idle;
    idle.reset();
    return Connection::open(path);
}

void IdleConnections::giveBack(std::shared_ptr<Connection> connection)
{
    if (!connection || connection.use_count() != 1 || connection->transactionDepth() != 0)
        return;
    const QString path = connection->path();
    QMutexLocker lock(&pool().mutex);
    pool().byPath.insert(path, std::move(connection));
}

void IdleConnections::closeAll()
{
    QHash<QString, std::shared_ptr<Connection>> closing;
    {
        QMutexLocker lock(&pool().mutex);
        closing.swap(pool().byPath);
    }
}

} // namespace db
