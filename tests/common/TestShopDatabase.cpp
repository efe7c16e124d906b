#include "TestShopDatabase.h"

#include "rules/ShopDatabase.h"

#include "db/Connection.h"
#include "db/Statement.h"

#include <QFile>
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
        QFile ini(m_folder.filePath(QStringLiteral("tarvo.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            qFatal("cannot write tarvo.ini");
        ini.write("[database]\ndriver=postgresql\ndbname=" + m_serverDatabase.toUtf8() + "\n");
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
