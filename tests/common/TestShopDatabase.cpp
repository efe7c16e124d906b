#include "TestShopDatabase.h"

#include "rules/ShopDatabase.h"

#include "db/Connection.h"
#include "db/DatabaseSettings.h"
#include "db/Statement.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <sqlite3.h>
#include <libpq-fe.h>
#include <unistd.h>

namespace {

// Runs statements on the server's maintenance database (PGDATABASE), or on
// `database`; a failure ends the test run: the fixture cannot stand.
void runOnServer(const QByteArray &sql, const QByteArray &database = QByteArray())
{
    const char *keywords[] = {"dbname", nullptr};
    const char *values[] = {database.isEmpty() ? nullptr : database.constData(), nullptr};
    PGconn *connection = PQconnectdbParams(keywords, values, 0);
    if (PQstatus(connection) != CONNECTION_OK)
        qFatal("no PostgreSQL server: %s", PQerrorMessage(connection));
    PGresult *result = PQexec(connection, sql.constData());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        qFatal("%s: %s", sql.left(80).constData(), PQerrorMessage(connection));
    PQclear(result);
    PQfinish(connection);
}

// How many programs are connected to `database` (asked on the maintenance
// database).
int connectionsOnServer(const QByteArray &database)
{
    PGconn *connection = PQconnectdb("");
    if (PQstatus(connection) != CONNECTION_OK)
        qFatal("no PostgreSQL server: %s", PQerrorMessage(connection));
    const char *values[] = {database.constData()};
    PGresult *result = PQexecParams(connection,
                                    "SELECT count(*) FROM pg_stat_activity WHERE datname = $1 AND backend_type = 'client backend'",
                                    1, nullptr, values, nullptr, nullptr, 0);
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
        qFatal("pg_stat_activity: %s", PQerrorMessage(connection));
    const int connections = std::atoi(PQgetvalue(result, 0, 0));
    PQclear(result);
    PQfinish(connection);
    return connections;
}

// The server database a tarvo.ini beside `path` names; empty on SQLite.
QByteArray serverDatabaseOf(const QString &path)
{
    const db::DatabaseSettings settings = db::DatabaseSettings::beside(path);
    if (!settings.onServer())
        return QByteArray();
    for (size_t i = 0; i < settings.keywords().size(); ++i)
        if (settings.keywords().at(i) == "dbname")
            return settings.values().at(i);
    qFatal("no dbname in the tarvo.ini beside %s", qPrintable(path));
}

void writeServerSettings(const QString &folder, const QString &database)
{
    QFile ini(QDir(folder).filePath(QStringLiteral("tarvo.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        qFatal("cannot write tarvo.ini");
    ini.write("[database]\ndriver=postgresql\ndbname=" + database.toUtf8() + "\n");
}

// A database of the shipped schema, made once per server and copied for
// each fixture (far quicker than loading the schema every time).
QString makeServerDatabase()
{
    static int made = 0;
    static bool templateReady = false;
    const QByteArray model = "tarvo_modello_" + QByteArray::number(getpid());
    if (!templateReady) {
        runOnServer("DROP DATABASE IF EXISTS " + model);
        runOnServer("CREATE DATABASE " + model);
        runOnServer(TestShopDatabase::serverSchema().toUtf8(), model);
        templateReady = true;
    }
    const QString name = QStringLiteral("tarvo_%1_%2").arg(getpid()).arg(++made);
    runOnServer("CREATE DATABASE " + name.toUtf8() + " TEMPLATE " + model);
    return name;
}

} // namespace

bool TestShopDatabase::onServer()
{
    return qEnvironmentVariableIsSet("TARVO_TEST_SERVER");
}

TestShopDatabase::TestShopDatabase(const QString &schemaSql, const QString &fileName)
    : m_path(m_folder.filePath(fileName))
    , m_previousPath(ShopDatabase::path())
    , m_previousPassword(ShopDatabase::password())
{
    if (!m_folder.isValid())
        qFatal("no temporary folder: %s", qPrintable(m_folder.errorString()));
    if (onServer() && schemaSql == shippedSchema()) {
        m_serverDatabase = makeServerDatabase();
        writeServerSettings(m_folder.path(), m_serverDatabase);
    } else {
        db::Database::create(m_path, schemaSql);
    }
    ShopDatabase::setLocation(m_path);
}

TestShopDatabase::~TestShopDatabase()
{
    m_database.reset();
    db::Database::closeAll();
    ShopDatabase::setLocation(m_previousPath, m_previousPassword);
    for (const QString &copy : std::as_const(m_copies))
        runOnServer("DROP DATABASE IF EXISTS " + copy.toUtf8() + " WITH (FORCE)");
    if (!m_serverDatabase.isEmpty())
        runOnServer("DROP DATABASE IF EXISTS " + m_serverDatabase.toUtf8() + " WITH (FORCE)");
}

db::Database &TestShopDatabase::database() const
{
    if (!m_database)
        m_database = db::Database::open(m_path);
    return *m_database;
}

void TestShopDatabase::execute(const QString &legacySql) const
{
    database().execute(legacySql);
}

QVariant TestShopDatabase::scalar(const QString &legacySql) const
{
    auto rs = database().openRecordset(legacySql);
    return rs->recordCount() == 0 ? QVariant() : rs->value(0);
}

int TestShopDatabase::count(const QString &fromAndWhere) const
{
    return scalar(QStringLiteral("select count(*) from ") + fromAndWhere).toInt();
}

void TestShopDatabase::refuseWrites(const QString &eventOnTable, const QString &column, const QString &value) const
{
    QString sql;
    const QString literal = QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
    if (m_serverDatabase.isEmpty()) {
        const QString when = column.isEmpty() ? QString() : QStringLiteral(" when new.%1 = %2").arg(column, literal);
        sql = QStringLiteral("create trigger refuse before %1%2 begin select raise(abort, 'disco pieno'); end")
                  .arg(eventOnTable, when);
    } else {
        QString table = eventOnTable.section(QStringLiteral(" on "), 1).trimmed();
        if (table.startsWith(QLatin1Char('[')))
            table = table.mid(1, table.size() - 2);
        runOnServer("CREATE OR REPLACE FUNCTION tarvo_refuse() RETURNS trigger LANGUAGE plpgsql "
                    "AS $$BEGIN RAISE EXCEPTION 'disco pieno'; END$$",
                    m_serverDatabase.toUtf8());
        const QString when = column.isEmpty() ? QString() : QStringLiteral(" WHEN (NEW.\"%1\" = %2)").arg(column, literal);
        sql = QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON \"%2\" FOR EACH ROW%3 EXECUTE FUNCTION tarvo_refuse()")
                  .arg(eventOnTable.section(QLatin1Char(' '), 0, 0), table, when);
    }
    if (m_serverDatabase.isEmpty()) {
        db::Statement *statement = database().statement(sql);
        const db::StatementUse use(statement);
        statement->step(sql);
    } else {
        runOnServer(sql.toUtf8(), m_serverDatabase.toUtf8());
    }
    m_refusedTable = eventOnTable.section(QStringLiteral(" on "), 1).trimmed();
    // The statements cached before were prepared on the schema without it.
    m_database.reset();
    db::Database::closeAll();
}

void TestShopDatabase::acceptWrites() const
{
    if (m_serverDatabase.isEmpty()) {
        const QString sql = QStringLiteral("drop trigger refuse");
        db::Statement *statement = database().statement(sql);
        const db::StatementUse use(statement);
        statement->step(sql);
    } else {
        QString table = m_refusedTable;
        if (table.startsWith(QLatin1Char('[')))
            table = table.mid(1, table.size() - 2);
        runOnServer(QStringLiteral("DROP TRIGGER refuse ON \"%1\"").arg(table).toUtf8(), m_serverDatabase.toUtf8());
    }
    m_database.reset();
    db::Database::closeAll();
}

void TestShopDatabase::writeAsAnotherTill(const QString &path, const QString &sql)
{
    const std::shared_ptr<db::Connection> other = db::Connection::open(path);
    db::Statement *statement = other->statement(sql, sql);
    const db::StatementUse use(statement);
    statement->step(sql);
}

QString TestShopDatabase::copyTo(const QString &folder) const
{
    if (!QDir().mkpath(folder))
        qFatal("cannot make %s", qPrintable(folder));
    m_database.reset();
    db::Database::closeAll(); // on SQLite the main file is whole now
    const QString copy = QDir(folder).filePath(QFileInfo(m_path).fileName());
    if (m_serverDatabase.isEmpty()) {
        if (!QFile::copy(m_path, copy))
            qFatal("cannot copy %s to %s", qPrintable(m_path), qPrintable(copy));
        return copy;
    }
    static int made = 0;
    const QString name = m_serverDatabase + QStringLiteral("_%1").arg(++made);
    runOnServer("CREATE DATABASE " + name.toUtf8() + " TEMPLATE " + m_serverDatabase.toUtf8());
    m_copies.append(name);
    writeServerSettings(folder, name);
    return copy;
}

void TestShopDatabase::removeCopy(const QString &folder) const
{
    const QByteArray name = serverDatabaseOf(QDir(folder).filePath(QFileInfo(m_path).fileName()));
    if (!name.isEmpty()) {
        runOnServer("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
        m_copies.removeAll(QString::fromUtf8(name));
    }
    QDir(folder).removeRecursively();
}

bool TestShopDatabase::waitUntilNoOneConnected(const QString &path, int milliseconds)
{
    const QByteArray name = serverDatabaseOf(path);
    if (name.isEmpty())
        return true;
    QElapsedTimer waited;
    waited.start();
    while (connectionsOnServer(name) > 0) {
        if (waited.elapsed() > milliseconds)
            return false;
        QThread::msleep(5);
    }
    return true;
}

qint64 TestShopDatabase::scalarInFile(const QString &path, const char *sql)
{
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(handle, 5000);
    sqlite3_stmt *statement = nullptr;
    qint64 value = -1;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close_v2(handle);
    return value;
}
