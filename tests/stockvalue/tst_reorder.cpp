// What to reorder: the items at or under their minimum stock, with last
// month's sales and the quantity to order, by supplier; and its export.
#include "TestShopDatabase.h"

#include "db/Database.h"
#include "rules/ListExport.h"
#include "rules/general/Today.h"
#include "rules/stock/ReorderItems.h"
#include "rules/stock/ReorderList.h"

#include <QProcess>
#include <QtTest>

class TestReorder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void linesOfEverySupplier();
    void oneSupplier_data();
    void oneSupplier();
    void listAsExported();
    void commandLineWritesOneSupplier();

private:
    void item(const QString &code, qint64 article, const QString &stock, const QString &minimum) const;
    void sale(const QString &code, const QDate &day, double quantity) const;
    static QStringList linesOf(const QList<ReorderLine> &lines);
    std::unique_ptr<TestShopDatabase> m_shop;
};

const QDate kToday(2026, 12, 6);

void TestReorder::item(const QString &code, qint64 article, const QString &stock, const QString &minimum) const
{
    m_shop->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, "
                                   "ca_Quantita, ca_Scorta_Minima) values ('%1', %2, 'M', 'nero', %3, %4)")
                        .arg(code)
                        .arg(article)
                        .arg(stock, minimum));
}

void TestReorder::sale(const QString &code, const QDate &day, double quantity) const
{
    m_shop->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita) values ('%1', #%2#, %3)")
                        .arg(code, day.toString(QStringLiteral("M/d/yyyy")), QString::number(quantity)));
}

void TestReorder::init()
{
    m_shop = std::make_unique<TestShopDatabase>();
    setToday(kToday);
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (1, 'Giacca', 'Rossi')"));
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (2, 'Camicia', 'bianchi')"));
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (3, 'Cintura', 'ROSSI')"));
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (4, 'Borsa')"));
    item(QStringLiteral("A1"), 1, "2", "5");        // under: 3 to reach the minimum
    item(QStringLiteral("A2"), 1, "5", "5");        // at the minimum
    item(QStringLiteral("A3"), 1, "6", "5");        // above: not listed
    item(QStringLiteral("A4"), 1, "0", "Null");     // no minimum: not listed
    item(QStringLiteral("A5U"), 3, "Null", "1");    // no stock counts as none
    item(QStringLiteral("B1"), 2, "-1", "0");       // sold more than it had
    item(QStringLiteral("C1"), 4, "0", "2");        // no supplier: listed last
    // Last month's sales of A1: today, 29 days ago (the first day counted),
    // one typed in lower case, a half that moves the stock by 2; a sale of
    // 30 days ago and one of tomorrow are not last month's.
    sale(QStringLiteral("A1"), kToday, 1);
    sale(QStringLiteral("A1"), kToday.addDays(-29), 2);
    sale(QStringLiteral("a1"), kToday.addDays(-3), 1.5);
    sale(QStringLiteral("A1"), kToday.addDays(-30), 7);
    sale(QStringLiteral("A1"), kToday.addDays(1), 7);
    sale(QStringLiteral("A5u"), kToday.addDays(-10), 2.5);   // halves to even: 2
    sale(QStringLiteral("A3"), kToday, 4);
}

void TestReorder::cleanup()
{
    setToday(QDate());
    m_shop.reset();
}

QStringList TestReorder::linesOf(const QList<ReorderLine> &lines)
{
    QStringList texts;
    for (const ReorderLine &line : lines)
        texts << QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                     .arg(line.fornitore, line.codice, line.descrizione)
                     .arg(line.giacenza)
                     .arg(line.scortaMinima)
                     .arg(line.venduti)
                     .arg(line.daOrdinare);
    return texts;
}

void TestReorder::linesOfEverySupplier()
{
    const QList<ReorderLine> lines = ReorderItems::read(m_shop->database(), kToday);
    QCOMPARE(linesOf(lines), (QStringList{
                                 QStringLiteral("bianchi|B1|Camicia|-1|0|0|1"),
                                 QStringLiteral("Rossi|A1|Giacca|2|5|5|8"),
                                 QStringLiteral("Rossi|A2|Giacca|5|5|0|0"),
                                 QStringLiteral("ROSSI|A5U|Cintura|0|1|2|3"),
                                 QStringLiteral("|C1|Borsa|0|2|0|2"),
                             }));
    QCOMPARE(ReorderItems::suppliers(lines), (QStringList{QStringLiteral("bianchi"), QStringLiteral("Rossi"), QString()}));
    QCOMPARE(lines.first().taglia, QStringLiteral("M"));
    QCOMPARE(lines.first().colore, QStringLiteral("nero"));
}

void TestReorder::oneSupplier_data()
{
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("as written") << "Rossi" << QStringList{"A1", "A2", "A5U"};
    QTest::newRow("another case, blanks around") << " rossi " << QStringList{"A1", "A2", "A5U"};
    QTest::newRow("another supplier") << "Bianchi" << QStringList{"B1"};
    QTest::newRow("no such supplier") << "Verdi" << QStringList{};
}

void TestReorder::oneSupplier()
{
    QFETCH(QString, supplier);
    QFETCH(QStringList, codes);
    QStringList read;
    for (const ReorderLine &line : ReorderItems::read(m_shop->database(), kToday, supplier))
        read << line.codice;
    QCOMPARE(read, codes);
}

void TestReorder::listAsExported()
{
    const ListExport list = ReorderList::list(ReorderItems::read(m_shop->database(), kToday));
    QCOMPARE(list.title, QStringLiteral("Sottoscorta"));
    QStringList headers;
    for (const ExportColumn &column : list.columns)
        headers << column.header;
    QCOMPARE(headers, (QStringList{"Fornitore", "Codice", "Descrizione", "Taglia", "Colore", "Giacenza", "Scorta minima",
                                   "Venduti ultimo mese", "Da ordinare"}));
    QCOMPARE(list.rows.size(), 5);
    QCOMPARE(list.rows.last(), (QVariantList{QStringLiteral("Senza fornitore"), QStringLiteral("C1"), QStringLiteral("Borsa"),
                                             QStringLiteral("M"), QStringLiteral("nero"), qint64(0), qint64(2), qint64(0),
                                             qint64(2)}));
    QCOMPARE(ReorderList::noLines(), QStringLiteral("Nessun articolo è sotto la scorta minima."));
}

// The tool's today is the clock's: the supplier chosen has no sales, so
// its figures do not depend on the day the test runs.
void TestReorder::commandLineWritesOneSupplier()
{
    QProcess tool;
    tool.start(QStringLiteral(ESPORTA_PATH), {"csv", "sottoscorta", "--fornitore", "BIANCHI", "--database",
                                              m_shop->folder() + QStringLiteral("/tarvo.mdb")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.readAllStandardError(), QByteArray());
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray csv = tool.readAllStandardOutput();
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(csv.mid(3)),
             QStringLiteral("Fornitore;Codice;Descrizione;Taglia;Colore;Giacenza;Scorta minima;Venduti ultimo mese;"
                            "Da ordinare\r\nbianchi;B1;Camicia;M;nero;-1;0;0;1\r\n"));

    QProcess none;
    none.start(QStringLiteral(ESPORTA_PATH), {"csv", "sottoscorta", "--fornitore", "Verdi", "--database",
                                              m_shop->folder() + QStringLiteral("/tarvo.mdb")});
    QVERIFY(none.waitForFinished(60000));
    QCOMPARE(none.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(none.readAllStandardError()),
             QStringLiteral("tarvo-esporta: Nessun articolo è sotto la scorta minima.\n"));
}

QTEST_GUILESS_MAIN(TestReorder)
#include "tst_reorder.moc"
