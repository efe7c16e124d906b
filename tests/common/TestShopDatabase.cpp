#include "TestShopDatabase.h"

#include "rules/ShopDatabase.h"

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
