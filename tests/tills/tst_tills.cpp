// Two tills on one shop file, each a process of its own doing the same work
// at the same moment through the program's own stock movements and invoice
// saves: no update may be lost, no till may see an error, and no two
// invoices may share a number.
#include "TestShopDatabase.h"

#include "rules/InvoiceArchive.h"

#include <QProcess>
#include <QtTest>

#include <memory>

class TestTills : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoTillsAtOnceLoseNothing_data();
    void twoTillsAtOnceLoseNothing();
    void linesAnotherTillIsTypingAreNotStray();
};

void TestTills::twoTillsAtOnceLoseNothing_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stock");      // of item "1234", which starts at 5000
    QTest::addColumn<QString>("rows");   // what each till leaves behind
    QTest::addColumn<int>("rowCount");
    QTest::newRow("sales") << "sales" << 1000 << 5000 - 2000 << "scarico" << 2000;
    QTest::newRow("loads") << "loads" << 500 << 5000 + 1000 << "carico" << 1000;
    // Each till rewrites its own sale between one and two units, ending on one.
    QTest::newRow("changes of sales") << "changes" << 300 << 5000 - 2 << "scarico" << 2;
    QTest::newRow("new invoices") << "invoices" << 150 << 5000 << "Fattura" << 300;
}

void TestTills::twoTillsAtOnceLoseNothing()
{
    QFETCH(QString, work);
    QFETCH(int, count);
    QFETCH(int, stock);
    QFETCH(QString, rows);
    QFETCH(int, rowCount);
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('1234', 42, 5000)"));

    std::vector<std::unique_ptr<QProcess>> tills;
    for (int i = 0; i < 2; ++i) {
        auto till = std::make_unique<QProcess>();
        till->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        till->start(QStringLiteral(TILL_CHILD), {shop.path(), work, QString::number(count)});
        QVERIFY(till->waitForStarted());
        QVERIFY(till->waitForReadyRead(10000));
        QCOMPARE(till->readLine().trimmed(), QByteArray("READY"));
        tills.push_back(std::move(till));
    }
    for (auto &till : tills) {
        till->write("go\n");
        QVERIFY(till->waitForBytesWritten(10000));
    }
    for (auto &till : tills) {
        QVERIFY(till->waitForFinished(60000));
        QCOMPARE(till->exitStatus(), QProcess::NormalExit);
        QCOMPARE(till->exitCode(), 0);
    }

    QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '1234'")).toInt(),
             stock);
    QCOMPARE(shop.count(rows), rowCount);
    if (work == QLatin1String("invoices")) {
        // Every number once, none skipped: 26-00001 to 26-00300.
        QCOMPARE(shop.scalar(QStringLiteral("select count(*) from (select distinct fat_Numero from Fattura)")).toInt(),
                 rowCount);
        QCOMPARE(shop.scalar(QStringLiteral("select max(fat_Numero) from Fattura")).toString(),
                 QStringLiteral("26-%1").arg(rowCount, 5, 10, QLatin1Char('0')));
    }
}

// The invoice editor clears, when it opens, lines that no saved invoice owns:
// lines a program left when it stopped. The lines another till is typing for
// a new invoice right now stay; once that till is gone, they are stray.
void TestTills::linesAnotherTillIsTypingAreNotStray()
{
    TestShopDatabase shop;
    QProcess till;
    till.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    till.start(QStringLiteral(TILL_CHILD), {shop.path(), QStringLiteral("draft"), QStringLiteral("3")});
    QVERIFY(till.waitForStarted());
    QVERIFY(till.waitForReadyRead(10000));
    QCOMPARE(till.readLine().trimmed(), QByteArray("READY"));
    till.write("go\n");
    QVERIFY(till.waitForReadyRead(10000));
    QCOMPARE(till.readLine().trimmed(), QByteArray("TYPED"));

    const QString lines = QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00009'");
    InvoiceArchive archive(shop.database());
    QCOMPARE(archive.removeStrayLines(), 0);
    archive.discardUnsaved(QStringLiteral("26-00009"));
    QCOMPARE(shop.count(lines), 3);

    till.write("done\n");
    QVERIFY(till.waitForFinished(10000));
    QCOMPARE(till.exitCode(), 0);
    QCOMPARE(archive.removeStrayLines(), 3);
    QCOMPARE(shop.count(lines), 0);
}

QTEST_MAIN(TestTills)
#include "tst_tills.moc"
