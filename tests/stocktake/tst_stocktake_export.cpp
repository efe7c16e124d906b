// The lists of a count written by tarvo-esporta, as the window's "Esporta"
// writes them, and the count the tool is asked for checked.
#include "StockTakeShop.h"

#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLines.h"

#include <QProcess>
#include <QtTest>

class TestStockTakeExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toolWritesTheCountsLists_data();
    void toolWritesTheCountsLists();
};

void TestStockTakeExport::toolWritesTheCountsLists_data()
{
    QTest::addColumn<QStringList>("arguments");   // "N" stands for the count's number
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("errors");
    // Excel's mark of UTF-8 first; a size of digits only stays text.
    const QByteArray heading = "\xEF\xBB\xBF" "Codice;Descrizione;Taglia;Colore;Contato;Giacenza;Differenza\r\n";
    QTest::newRow("every line") << QStringList{"csv", "inventario", "--numero", "N"} << 0
                                << heading + "R1;Camicia lino;M;blu;4;5;-1\r\nR2;Camicia lino;L;blu;3;3;0\r\n" << QByteArray();
    QTest::newRow("the differences, the item to zero too")
        << QStringList{"csv", "inventario-differenze", "--numero", "N"} << 0
        << heading + "R1;Camicia lino;M;blu;4;5;-1\r\nR3;Pantalone 50% lana;'48;blu;;2;-2\r\n" << QByteArray();
    QTest::newRow("no such count") << QStringList{"csv", "inventario", "--numero", "77"} << 1 << QByteArray()
                                   << QByteArray("tarvo-esporta: Non esiste un inventario numero 77.\n");
    QTest::newRow("not a number") << QStringList{"csv", "inventario-differenze", "--numero", "1; drop"} << 1
                                  << QByteArray() << QByteArray("tarvo-esporta: Non esiste un inventario numero 1; drop.\n");
    QTest::newRow("no number") << QStringList{"csv", "inventario"} << 1 << QByteArray()
                               << QByteArray("tarvo-esporta: Indicare il numero dell'inventario (--numero N).\n");
}

void TestStockTakeExport::toolWritesTheCountsLists()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, errors);
    StockTakeShop shop;
    const StockTake take = StockTake::create(shop.database(), StockTakeShop::day(), QStringLiteral("Rossi"), QString());
    StockTake::setAzzeraNonContati(shop.database(), take.numero, true);
    StockTakeLines lines(shop.database(), *StockTake::read(shop.database(), take.numero));
    lines.add(QStringLiteral("R1"), QStringLiteral("4"));
    lines.add(QStringLiteral("R2"), QStringLiteral("3"));
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^N$")), QString::number(take.numero));
    shop.release();
    db::Database::closeAll();

    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(ESPORTA_PATH), arguments + QStringList{"--database", shop.path()});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.readAllStandardError(), errors);
    QCOMPARE(tool.readAllStandardOutput(), output);
    QCOMPARE(tool.exitCode(), exitCode);
}

QTEST_GUILESS_MAIN(TestStockTakeExport)
#include "tst_stocktake_export.moc"
