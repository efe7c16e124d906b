// A till on the server whose connection is lost (the server ends it or
// restarts, the network breaks at a bad moment): the next lookup and sale go
// through on a new connection, a read broken on its way runs again, a change
// whose answer was lost is never sent twice, a long read broken halfway is a
// failure and never a shorter list, the statements prepared on the lost
// connection are prepared once again on the new one, and what the user reads
// is Italian, libpq's words kept for the log. Only in the server run.
#include "CuttingProxy.h"
#include "TestDatabase.h"

#include "db/Database.h"
#include "db/RowStream.h"
#include "db/SelectStream.h"
#include "db/Statement.h"
#include "Connection.h"
#include "rules/StockItemLookup.h"
#include "rules/StockMovement.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <libpq-fe.h>

// Named: the test is compiled as part of a unity file, where a closure over a
// type of an unnamed namespace draws a warning.
namespace reconnect {

const QString kUnreachable = QStringLiteral("Impossibile collegarsi al database sul server. Controllare che il server "
                                            "sia acceso e raggiungibile, poi riprovare.");
const QString kOutcomeUnknown = QStringLiteral("Il collegamento con il database sul server si è interrotto durante il "
                                               "salvataggio: non è certo che sia stato registrato. Controllare prima "
                                               "di ripetere l'operazione.");

// Statements of the test's own, on the server directly (not through the till):
// in the cluster's default database, or in `database`.
QStringList askServer(const QByteArray &sql, const QString &database = QString())
{
    PGconn *connection = PQconnectdb(database.isEmpty() ? "" : ("dbname=" + database.toUtf8()).constData());
    if (PQstatus(connection) != CONNECTION_OK)
        qFatal("no PostgreSQL server: %s", PQerrorMessage(connection));
    PGresult *result = PQexec(connection, sql.constData());
    if (PQresultStatus(result) != PGRES_TUPLES_OK && PQresultStatus(result) != PGRES_COMMAND_OK)
        qFatal("%s: %s", sql.constData(), PQerrorMessage(connection));
    QStringList values;
    for (int r = 0; r < PQntuples(result); ++r)
        values << QString::fromUtf8(PQgetvalue(result, r, 0));
    PQclear(result);
    PQfinish(connection);
    return values;
}

void writeSettings(const QString &folder, const QString &database, quint16 port)
{
    QFile ini(QDir(folder).filePath(QStringLiteral("tarvo.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write tarvo.ini");
    ini.write(QStringLiteral("[database]\ndriver=postgresql\nhost=127.0.0.1\nport=%1\ndbname=%2\n")
                  .arg(port).arg(database).toUtf8());
}

// The shop of a till that reaches the server through a proxy: "1234" is
// article 42, three in stock.
class Till : public TestShopDatabase {
public:
    Till() : proxy(quint16(qEnvironmentVariableIntValue("PGPORT")))
    {
        writeSettings(folder(), serverDatabase(), proxy.port());
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
        execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                               "values ('1234', 42, 3)"));
    }
    int stock() const { return scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '1234'")).toInt(); }
    int sales() const { return count(QStringLiteral("scarico")); }
    // The server ends the till's connections, and waits until they are gone.
    void endConnections() const
    {
        const QStringList ended = askServer("SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity WHERE datname = '"
                                            + serverDatabase().toUtf8() + "' AND application_name = 'quirnel'");
        QVERIFY(!ended.isEmpty() && !ended.contains(QStringLiteral("f")));
    }

    CuttingProxy proxy;
};

// The till's statements prepared on its connection whose text holds
// `marker`, and how many times they ran there (the server's own count of
// the plans it used).
struct Prepared {
    int statements = 0;
    int runs = 0;
};

Prepared preparedOnTheTill(db::Database &database, const QString &marker)
{
    db::Statement *statement = database.statement(QStringLiteral(
        "SELECT count(*), coalesce(sum(generic_plans + custom_plans), 0) FROM pg_prepared_statements "
        "WHERE strpos(statement, ?) > 0"));
    const db::StatementUse use(statement);
    statement->bindText(1, marker);
    if (!statement->step(QString()))
        return {};
    return {int(statement->columnInteger(0)), int(statement->columnInteger(1))};
}

bool restartTheServer()
{
    return QProcess::execute(QStringLiteral("pg_ctlcluster"),
                             {qEnvironmentVariable("PGVERSION"), QStringLiteral("regress"), QStringLiteral("restart"),
                              QStringLiteral("-m"), QStringLiteral("fast")}) == 0;
}

SaleRow sale()
{
    return SaleRow{QStringLiteral("06/12/2026"), QStringLiteral("1234"), 1, 10, 0, 10, QStringLiteral("CO")};
}

} // namespace reconnect

using namespace reconnect;

class TestReconnect : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!TestShopDatabase::onServer())
            QSKIP("a connection to lose is a connection to the server");
    }

    void lookupAndSaleGoOnAfterTheConnectionIsLost_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("the server ends the connection") << false;
        QTest::newRow("the server restarts") << true;
    }

    void lookupAndSaleGoOnAfterTheConnectionIsLost()
    {
        QFETCH(bool, restart);
        Till till;
        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).quantita, QStringLiteral("3"));
        if (restart) {
            if (!qEnvironmentVariableIsSet("PG_CLUSTER_CONF_ROOT"))
                QSKIP("no throwaway cluster to restart");
            QVERIFY(restartTheServer());
        } else {
            till.endConnections();
        }

        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).quantita, QStringLiteral("3"));
        QCOMPARE(StockMovement::recordSale(sale()), StockMovement::Result::Done);
        QCOMPARE(till.stock(), 2);
        QCOMPARE(till.sales(), 1);
    }

    // A lookup repeated with other bar codes runs one statement prepared
    // once on the connection; on the connection made anew after a loss it
    // is prepared once more and reused again.
    void aLookupIsPreparedOnceAndOnceMoreOnANewConnection_data()
    {
        lookupAndSaleGoOnAfterTheConnectionIsLost_data();
    }

    void aLookupIsPreparedOnceAndOnceMoreOnANewConnection()
    {
        QFETCH(bool, restart);
        Till till;
        const QString lookup = QStringLiteral("FROM \"Codice Articolo\" WHERE tarvo_key(\"ca_Codice\")");
        for (const char *code : {"1234", "x1", "X2", "Dell'Orto", "1234"})
            StockItemLookup::item(QLatin1String(code));
        Prepared prepared = preparedOnTheTill(till.database(), lookup);
        QCOMPARE(prepared.statements, 1);
        QCOMPARE(prepared.runs, 5);

        if (restart) {
            if (!qEnvironmentVariableIsSet("PG_CLUSTER_CONF_ROOT"))
                QSKIP("no throwaway cluster to restart");
            QVERIFY(restartTheServer());
        } else {
            till.endConnections();
        }
        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).quantita, QStringLiteral("3"));
        QCOMPARE(StockItemLookup::item(QStringLiteral("x3")).quantita, QString());
        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).articolo, QStringLiteral("42"));
        prepared = preparedOnTheTill(till.database(), lookup);
        QCOMPARE(prepared.statements, 1);
        QCOMPARE(prepared.runs, 3);
    }

    // Rows read one at a time (a report, an export), the connection lost
    // halfway: reading on fails with the connection's error; it never ends
    // as if the rows read were all there is.
    void aLongReadBrokenHalfwayFailsInsteadOfEndingShort_data()
    {
        QTest::addColumn<bool>("exported");
        QTest::newRow("a report's rows") << false;
        QTest::newRow("an export's rows") << true;
    }

    void aLongReadBrokenHalfwayFailsInsteadOfEndingShort()
    {
        QFETCH(bool, exported);
        Till till;
        // Far more than the connection's buffers hold: the server is still
        // sending when the connection goes.
        const int suppliers = 40000;
        askServer("INSERT INTO \"Fornitore\" (\"fo_Descrizione\") SELECT 'Fornitore ' || n || ' ' || repeat('x', 200) "
                  "FROM generate_series(1, " + QByteArray::number(suppliers) + ") n",
                  till.serverDatabase());
        int read = 0;
        bool ended = false;
        const db::DbError error = expectDbError([&] {
            const auto readOn = [&](auto &rows) {
                while (rows.next()) {
                    QVERIFY(rows.value(0).toString().startsWith(QLatin1String("Fornitore ")));
                    if (++read == 10)
                        till.endConnections();
                }
                ended = true;
            };
            if (exported) {
                db::SelectStream rows(till.path(), QStringLiteral("select fo_Descrizione from Fornitore"));
                readOn(rows);
            } else {
                db::RowStream rows(*till.database().connection(),
                                   QStringLiteral("SELECT \"fo_Descrizione\" FROM \"Fornitore\""), {},
                                   {db::FieldKind::Text});
                readOn(rows);
            }
        });
        QVERIFY2(!ended, qPrintable(QStringLiteral("ended after %1 rows").arg(read)));
        QVERIFY2(read >= 10 && read < suppliers, qPrintable(QString::number(read)));
        QCOMPARE(error.number(), 3051L);
        QCOMPARE(error.description(), kUnreachable);
        // The till goes on, on a new connection.
        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).quantita, QStringLiteral("3"));
    }

    void aReadBrokenOnItsWayRunsAgain()
    {
        Till till;
        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).quantita, QStringLiteral("3"));
        till.proxy.cutAt(QByteArray(), CuttingProxy::Cut::AfterPassing);
        QCOMPARE(StockItemLookup::item(QStringLiteral("1234")).quantita, QStringLiteral("3"));
        QVERIFY(till.proxy.cut());
    }

    // The commit reached the server, its answer did not reach the till: the
    // till asks on a new connection and learns the sale is saved.
    void aCommitWhoseAnswerIsLostIsAskedAfter()
    {
        Till till;
        QCOMPARE(till.stock(), 3);
        till.proxy.cutAt("commit", CuttingProxy::Cut::AfterPassing);
        QCOMPARE(StockMovement::recordSale(sale()), StockMovement::Result::Done);
        QVERIFY(till.proxy.cut());
        QCOMPARE(till.stock(), 2);
        QCOMPARE(till.sales(), 1);
    }

    // The commit never reached the server: nothing is saved, the user is
    // told so, and the sale made again is saved once.
    void aCommitThatNeverArrivedSavesNothing()
    {
        Till till;
        QCOMPARE(till.stock(), 3);
        till.proxy.cutAt("commit", CuttingProxy::Cut::BeforePassing);
        const db::DbError error = expectDbError([] { StockMovement::recordSale(sale()); });
        QVERIFY(till.proxy.cut());
        QCOMPARE(error.number(), 3051L);
        QCOMPARE(error.description(), kUnreachable);
        QVERIFY2(error.detail().contains(QLatin1String("server closed the connection")), qPrintable(error.detail()));
        QCOMPARE(till.stock(), 3);
        QCOMPARE(till.sales(), 0);

        QCOMPARE(StockMovement::recordSale(sale()), StockMovement::Result::Done);
        QCOMPARE(till.stock(), 2);
        QCOMPARE(till.sales(), 1);
    }

    // A change sent on its own, its answer lost: it may be saved, so it is
    // not sent again, and the user is told to look before repeating it.
    void aChangeWhoseAnswerIsLostIsNotSentAgain()
    {
        Till till;
        till.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Primo')"));
        till.proxy.cutAt(QByteArray(), CuttingProxy::Cut::AfterPassing);
        const db::DbError error = expectDbError([&] {
            till.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Secondo')"));
        });
        QVERIFY(till.proxy.cut());
        QCOMPARE(error.description(), kOutcomeUnknown);
        QCOMPARE(till.count(QStringLiteral("Fornitore where fo_Descrizione = 'Secondo'")), 1);
    }

    // Lost inside a transaction, the transaction's changes went with the
    // connection: the next statement of it fails, the one after the
    // rollback runs on a new connection.
    void aTransactionLostOnItsWaySavesNothing()
    {
        Till till;
        {
            db::Transaction transaction(till.database());
            till.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Terzo')"));
            till.endConnections();
            const db::DbError error = expectDbError([&] {
                till.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Quarto')"));
            });
            QCOMPARE(error.description(), kUnreachable);
        }
        till.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Quinto')"));
        QCOMPARE(till.count(QStringLiteral("Fornitore where fo_Descrizione in ('Terzo', 'Quarto')")), 0);
        QCOMPARE(till.count(QStringLiteral("Fornitore where fo_Descrizione = 'Quinto'")), 1);
    }

    void theServerOutOfReachIsSaidInItalian()
    {
        Till till;
        int closedPort = 0;
        {
            const CuttingProxy gone(quint16(qEnvironmentVariableIntValue("PGPORT")));
            closedPort = gone.port();
        }
        writeSettings(till.folder(), till.serverDatabase(), quint16(closedPort));
        till.release();
        db::Database::closeAll();
        const db::DbError error = expectDbError([&] { db::Database::open(till.path()); });
        QCOMPARE(error.number(), 3051L);
        QCOMPARE(error.description(), kUnreachable);
        QVERIFY2(error.detail().contains(QLatin1String("Connection refused")), qPrintable(error.detail()));
    }
};

QTEST_GUILESS_MAIN(TestReconnect)
#include "tst_db_reconnect.moc"
