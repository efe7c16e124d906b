#include "db/Database.h"

#include "Connection.h"
#include "DatabaseSettings.h"
#include "EngineErrors.h"
#include "IdleConnections.h"
#include "RecordsetImpl.h"
#include "SchemaVersions.h"
#include "TextFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>
#include <unistd.h>

namespace db {

struct Database::Impl {
    std::shared_ptr<Connection> connection;
};

namespace {

// Connections by the path as callers wrote it, and by canonical path, so
// that a lookup costs a hash probe and no file system call.
struct ConnectionCache {
    QHash<QString, std::shared_ptr<Database>> byGivenPath;
    QHash<QString, std::shared_ptr<Database>> byCanonicalPath;
    // The path asked for last: a program asks for one file over and over.
    QString lastPath;
    std::shared_ptr<Database> last;
    // Every connection made, by canonical path, also after closeAll(): a
    // record set still open keeps its connection alive.
    QHash<QString, std::weak_ptr<Connection>> made;
};

ConnectionCache &cache()
{
    static ConnectionCache instance;
    return instance;
}

} // namespace

Database::Database(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

Database::~Database() = default;

bool Database::exists(const QString &path)
{
    return QFileInfo(path).isFile() || DatabaseSettings::beside(path).onServer();
}

std::shared_ptr<Database> Database::open(const QString &path, const QString &connect)
{
    Q_UNUSED(connect); // the file carries no password; any password is accepted
    ConnectionCache &c = cache();
    if (c.last && path == c.lastPath)
        return c.last;
    const auto known = c.byGivenPath.constFind(path);
    if (known != c.byGivenPath.cend()) {
        c.lastPath = path;
        c.last = *known;
        return *known;
    }
    const QFileInfo info(path);
    const DatabaseSettings settings = DatabaseSettings::beside(path);
    if (!settings.onServer() && (path.isEmpty() || !info.exists() || !info.isFile()))
        throw errors::fileNotFound(path);
    // On the server the file need not exist: tarvo.ini beside it names the
    // database.
    const QString canonical = settings.onServer() ? settings.identity() : info.canonicalFilePath();
    auto same = c.byCanonicalPath.constFind(canonical);
    if (same != c.byCanonicalPath.cend()) {
        c.byGivenPath.insert(path, *same);
        return *same;
    }
    auto impl = std::make_unique<Impl>();
    impl->connection = Connection::open(settings.onServer() ? info.absoluteFilePath() : canonical);
    c.made.insert(canonical, impl->connection);
    std::shared_ptr<Database> database(new Database(std::move(impl)));
    c.byCanonicalPath.insert(canonical, database);
    c.byGivenPath.insert(path, database);
    return database;
}

void Database::create(const QString &path, const QString &schemaSql)
{
    if (QFileInfo::exists(path))
        throw errors::alreadyExists(path);
    // Built aside and moved in place in one step, so that a failure never
    // leaves a half-made database under the real name.
    const QString temporary = path + QStringLiteral(".creating");
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-wal"));
    QFile::remove(temporary + QStringLiteral("-shm"));
    sqlite3 *handle = nullptr;
    int rc = sqlite3_open_v2(temporary.toUtf8().constData(), &handle,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto fail = [&](int code) {
        const DbError error = errors::fromSqlite(handle, code, path);
        sqlite3_close_v2(handle);
        QFile::remove(temporary);
        return error;
    };
    if (rc != SQLITE_OK)
        throw fail(rc);
    registerTextFunctions(handle);
    const QByteArray script = "begin;\n" + schemaSql.toUtf8() + "\n;commit;";
    char *message = nullptr;
    rc = sqlite3_exec(handle, script.constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        sqlite3_close_v2(handle);
        QFile::remove(temporary);
        throw DbError(ErrorKind::Syntax, 3000,
                      QStringLiteral("Impossibile creare il database '%1': %2.").arg(path, text));
    }
    try {
        SchemaVersions::completeNew(handle);
    } catch (const DbError &) {
        sqlite3_close_v2(handle);
        QFile::remove(temporary);
        throw;
    }
    rc = sqlite3_exec(handle, "pragma journal_mode=wal", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw fail(rc);
    sqlite3_close_v2(handle);
    // link() refuses an existing target: a file that appeared meanwhile is kept.
    if (::link(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        if (QFileInfo::exists(path))
            throw errors::alreadyExists(path);
        throw DbError(ErrorKind::Io, 3051,
                      QStringLiteral("Impossibile creare il file '%1'.").arg(path));
    }
    QFile::remove(temporary);
}

bool Database::inUse(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty() && !cache().made.value(canonical).expired();
}

void Database::closeAll()
{
    IdleConnections::closeAll();
    cache().byGivenPath.clear();
    cache().byCanonicalPath.clear();
    cache().lastPath.clear();
    cache().last.reset();
}

QString Database::path() const
{
    return d->connection->path();
}

int Database::execute(const QString &legacySql)
{
    return d->connection->execute(legacySql);
}

std::unique_ptr<Recordset> Database::openRecordset(const QString &legacySql)
{
    auto impl = std::make_unique<Recordset::Impl>(d->connection, legacySql);
    impl->openSet();
    return std::unique_ptr<Recordset>(new Recordset(std::move(impl)));
}

QString Database::translate(const QString &legacySql) const
{
    return d->connection->translate(legacySql, false).translation->sql;
}

void Database::beginTrans()
{
    d->connection->beginTrans();
}

void Database::commitTrans()
{
    d->connection->commitTrans();
}

void Database::rollback()
{
    d->connection->rollback();
}

bool Database::inTransaction() const
{
    return d->connection->transactionDepth() > 0;
}

sqlite3 *Database::handle() const
{
    return d->connection->handle();
}

bool Database::onServer() const
{
    return d->connection->onServer();
}

Statement *Database::statement(const QString &sql)
{
    return d->connection->statement(sql, sql);
}

TextSearch Database::textSearch(const QString &trigramTable)
{
    if (onServer())
        return TextSearch::FoldedKeyLike;
    const QString sql = QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?");
    Statement *statement = this->statement(sql);
    const StatementUse use(statement);
    statement->bindText(1, trigramTable);
    return statement->step(sql) ? TextSearch::TrigramTable : TextSearch::Scan;
}

Statement *Database::insertStatement(const QString &sql, const QString &key)
{
    return d->connection->insertStatement(sql, key, QString());
}

std::shared_ptr<Connection> Database::connection() const
{
    return d->connection;
}

Transaction::Transaction(Database &db) : m_db(db)
{
    m_db.beginTrans();
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        m_db.rollback();
    } catch (...) {
        // Nothing sensible to do in a destructor; the outer level rolls back.
    }
}

void Transaction::commit()
{
    m_db.commitTrans();
    m_done = true;
}

} // namespace db
