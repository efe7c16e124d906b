// tarvo-esporta fatture-xml as the accountant's scripts run it: the files,
// the problems on standard error, the exit code.
#include "EInvoiceShopFixture.h"

#include "db/Database.h"

#include <QTemporaryDir>
#include <sqlite3.h>

class TestEInvoiceCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void run_data();
    void run();
    void olderDatabaseIsLeftToTheProgram();
};

namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

Outcome esporta(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("TARVO_PROGRAM_DIR") + QStringLiteral("/tarvo-esporta"), args);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

void TestEInvoiceCli::run_data()
{
    QTest::addColumn<QString>("dal");
    QTest::addColumn<QString>("al");
    QTest::addColumn<bool>("fixCustomer");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("err");
    QTest::newRow("month with a bad customer")
        << "01/12/2026" << "31/12/2026" << false << 1 << 4
        << "tarvo-esporta: Fattura 26-00005: la partita IVA del cliente \"01234567890\" non è valida.\n"
           "tarvo-esporta: esportate 4 fatture su 5.\n";
    QTest::newRow("month all good") << "01/12/2026" << "31/12/2026" << true << 0 << 5 << "";
    QTest::newRow("one day") << "03/12/2026" << "03/12/2026" << false << 0 << 1 << "";
    QTest::newRow("no invoice") << "01/11/2026" << "30/11/2026" << false << 0 << 0
        << "tarvo-esporta: nessuna fattura dal 01/11/2026 al 30/11/2026.\n";
    QTest::newRow("date not GG/MM/AAAA") << "2026-12-01" << "31/12/2026" << false << 2 << 0
        << "tarvo-esporta: --dal vuole una data GG/MM/AAAA, non \"2026-12-01\".\n";
    QTest::newRow("period backwards") << "31/12/2026" << "01/12/2026" << false << 2 << 0
        << "tarvo-esporta: la data --al viene prima di --dal.\n";
}

void TestEInvoiceCli::run()
{
    QFETCH(QString, dal);
    QFETCH(QString, al);
    QFETCH(bool, fixCustomer);
    EInvoiceShopFixture fixture;
    if (fixCustomer)
        fixture.shop.execute(QStringLiteral("update Anagrafica set anag_Partita_IVA = '01234567897' where anag_Contatore = 5"));
    db::Database::closeAll();
    fixture.shop.release();
    QTemporaryDir folder;
    const Outcome o = esporta({QStringLiteral("fatture-xml"), QStringLiteral("--dal"), dal, QStringLiteral("--al"), al,
                               QStringLiteral("--cartella"), folder.path(), QStringLiteral("--database"),
                               fixture.shop.path()});
    QTEST(o.err, "err");
    QTEST(o.exitCode, "exitCode");
    const QStringList files = QDir(folder.path()).entryList(QDir::Files);
    QTEST(int(files.size()), "files");
    QCOMPARE(o.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), files.size());
    for (const QString &file : files)
        QVERIFY2(EInvoiceShopData::schemaErrors(folder.filePath(file)).isEmpty(), qPrintable(file));
}

void TestEInvoiceCli::olderDatabaseIsLeftToTheProgram()
{
    EInvoiceShopFixture fixture;
    sqlite3_exec(fixture.shop.database().handle(), "pragma user_version = 2", nullptr, nullptr, nullptr);
    db::Database::closeAll();
    fixture.shop.release();
    QTemporaryDir folder;
    const Outcome o = esporta({QStringLiteral("fatture-xml"), QStringLiteral("--dal"), QStringLiteral("01/12/2026"),
                               QStringLiteral("--al"), QStringLiteral("31/12/2026"), QStringLiteral("--cartella"),
                               folder.path(), QStringLiteral("--database"), fixture.shop.path()});
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(o.err, QStringLiteral("tarvo-esporta: il database è della versione 2, questo programma della 9: aprirlo "
                                   "prima con quirnel, che lo aggiorna.\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{});
    const Outcome usage = esporta({QStringLiteral("fatture-xml"), QStringLiteral("--dal"), QStringLiteral("01/12/2026")});
    QCOMPARE(usage.exitCode, 2);
    QCOMPARE(usage.err, QStringLiteral("tarvo-esporta: manca --al.\n"));
}

QTEST_GUILESS_MAIN(TestEInvoiceCli)
#include "tst_einvoice_cli.moc"
