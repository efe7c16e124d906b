// The stock value at a date, against the test's own replay of a generated
// shop's movements, and what tarvo-esporta writes of it.
#include "TestShopDatabase.h"
#include "ValueShop.h"
#include "FileSizeLimit.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "rules/CsvTableWriter.h"
#include "rules/ExportableLists.h"
#include "rules/ListExporter.h"
#include "rules/general/Today.h"
#include "rules/stock/StockValuation.h"
#include "rules/stock/StockValueList.h"

#include <QDir>
#include <QProcess>
#include <QtTest>
#include <cerrno>
#include <cstring>

class TestStockValue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void valueAtADate_data();
    void valueAtADate();
    void todayIsTodaysStock();
    void stockTypedBeforeAnyLoadIsKept();
    void negativeStockIsShownAsItIs();
    void dayTypedOrDefault_data();
    void dayTypedOrDefault();
    void csvLinesAreTheCellsAsACsvWriterWritesThem_data();
    void csvLinesAreTheCellsAsACsvWriterWritesThem();
    void csvOfManyBatchesIsTheCellsCsv();
    void csvThatIsNotWrittenWholeLeavesNoFile_data();
    void csvThatIsNotWrittenWholeLeavesNoFile();
    void commandLineWritesTheLines();
    void commandLineRefusesABadDay();

private:
    QStringList linesOf(const StockValuation &valuation) const;
    QStringList groupsOf(const StockValuation &valuation) const;
    std::unique_ptr<TestShopDatabase> m_shop;
};

void TestStockValue::init()
{
    m_shop = std::make_unique<TestShopDatabase>();
    setToday(QDate(2026, 12, 6));
}

void TestStockValue::cleanup()
{
    StockValuation::setIndexedReadLimit(200000);
    setToday(QDate());
    m_shop.reset();
}

QStringList TestStockValue::linesOf(const StockValuation &valuation) const
{
    QStringList lines;
    for (qint64 i = 0; i < valuation.lineCount(); ++i) {
        const StockValueLine line = valuation.line(i);
        lines << QStringLiteral("%1|%2|%3|%4|%5")
                     .arg(line.fornitore, line.codice)
                     .arg(line.quantita)
                     .arg(line.prezzoCents)
                     .arg(line.valoreCents);
    }
    return lines;
}

QStringList TestStockValue::groupsOf(const StockValuation &valuation) const
{
    QStringList groups;
    for (const StockValueGroup &group : valuation.groups())
        groups << QStringLiteral("%1|%2|%3|%4").arg(group.fornitore).arg(group.lines).arg(group.quantita).arg(group.valoreCents);
    return groups;
}

void TestStockValue::valueAtADate_data()
{
    QTest::addColumn<QDate>("day");
    // 0: the sales after the day read in two halves at once, from the index
    // that holds their item and quantity, or (without it, as on the server)
    // from the whole table.
    QTest::addColumn<qint64>("indexedReadLimit");
    QTest::addColumn<bool>("salesIndex");
    QTest::newRow("before the first movement") << QDate(2023, 12, 31) << qint64(200000) << true;
    QTest::newRow("before the first movement, in two") << QDate(2023, 12, 31) << qint64(0) << true;
    QTest::newRow("before the first movement, whole tables") << QDate(2023, 12, 31) << qint64(0) << false;
    QTest::newRow("the first day") << QDate(2024, 1, 1) << qint64(200000) << true;
    QTest::newRow("a day in 2024") << QDate(2024, 6, 30) << qint64(200000) << true;
    QTest::newRow("a day in 2024, no sales index") << QDate(2024, 6, 30) << qint64(200000) << false;
    QTest::newRow("a day in 2025, in two") << QDate(2025, 3, 15) << qint64(0) << true;
    QTest::newRow("a day in 2025, whole tables") << QDate(2025, 3, 15) << qint64(0) << false;
    QTest::newRow("end of 2025") << QDate(2025, 12, 31) << qint64(200000) << true;
    QTest::newRow("end of 2025, in two") << QDate(2025, 12, 31) << qint64(0) << true;
    QTest::newRow("end of 2025, whole tables") << QDate(2025, 12, 31) << qint64(0) << false;
    QTest::newRow("the day before the last sale, in two") << QDate(2026, 12, 5) << qint64(0) << true;
    QTest::newRow("today") << QDate(2026, 12, 6) << qint64(200000) << true;
    QTest::newRow("today, in two") << QDate(2026, 12, 6) << qint64(0) << true;
    QTest::newRow("after today") << QDate(2027, 1, 31) << qint64(200000) << true;
}

// Today's stock less what came after, and the average of the loads up to
// the day, agree with the movements replayed forward from nothing.
void TestStockValue::valueAtADate()
{
    QFETCH(QDate, day);
    QFETCH(qint64, indexedReadLimit);
    QFETCH(bool, salesIndex);
    StockValuation::setIndexedReadLimit(indexedReadLimit);
    const ValueShop shop(*m_shop);
    if (!salesIndex && !m_shop->database().onServer())
        m_shop->execute(QStringLiteral("drop index scarico_DataArticolo"));
    const auto valuation = StockValuation::read(m_shop->database(), day);
    const QStringList expected = shop.expectedLines(day);
    QCOMPARE(linesOf(*valuation), expected);
    QCOMPARE(groupsOf(*valuation), shop.expectedGroups(day));
    QCOMPARE(valuation->totalCents(), shop.expectedTotalCents(day));
    if (day < shop.firstDay) {
        QVERIFY(expected.isEmpty());
        QCOMPARE(valuation->totalCents(), 0);
        QVERIFY(valuation->groups().empty());
    } else if (day > shop.firstDay) {
        // The shop has something of each kind to show.
        QVERIFY(expected.size() > 10);
    }
    // The lines carry what the list shows beside the figures.
    if (valuation->lineCount() > 0) {
        const StockValueLine first = valuation->line(0);
        const ValueShop::Item &item = *std::find_if(shop.items.begin(), shop.items.end(),
                                                    [&](const ValueShop::Item &i) { return i.code == first.codice; });
        QCOMPARE(first.descrizione, shop.articles.at(item.article).descrizione);
        QCOMPARE(first.taglia, item.taglia);
        QCOMPARE(first.colore, item.colore);
    }
}

// At today's date every item shows its stock as the card has it.
void TestStockValue::todayIsTodaysStock()
{
    const ValueShop shop(*m_shop);
    m_shop->execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = ca_Quantita + 5 where ca_Codice = '801000'"));
    const auto valuation = StockValuation::read(m_shop->database(), QDate(2026, 12, 6));
    qint64 shown = 0;
    for (qint64 i = 0; i < valuation->lineCount(); ++i)
        shown += valuation->line(i).quantita;
    QCOMPARE(shown, m_shop->scalar(QStringLiteral("select sum(ca_Quantita) from [Codice Articolo]")).toLongLong());
    QCOMPARE(valuation->totalQuantity(), shown);
}

// Stock typed on the card before any load stays in every day's value, at
// the article's load price; an item with no stock is left out.
void TestStockValue::stockTypedBeforeAnyLoadIsKept()
{
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico) "
                                   "values (7, 'Cappello', 'Neri', 12.5)"));
    m_shop->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                   "values ('777', 7, 4)"));
    m_shop->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                   "values ('778', 7, 0)"));
    // A load of today at 20.00 and a sale of two; a sale of a quantity no
    // stock can hold never moved it and does not stop the value.
    m_shop->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita) "
                                   "values ('777', #12/6/2026#, 1e12)"));
    m_shop->execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo) "
                                   "values ('777', #12/6/2026#, 4, 20)"));
    m_shop->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita) "
                                   "values ('777', #12/6/2026#, 2)"));
    m_shop->execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = 6 where ca_Codice = '777'"));
    const auto before = StockValuation::read(m_shop->database(), QDate(2020, 1, 1));
    QCOMPARE(linesOf(*before), QStringList{QStringLiteral("Neri|777|4|1250|5000")});
    const auto now = StockValuation::read(m_shop->database(), QDate(2026, 12, 6));
    QCOMPARE(linesOf(*now), QStringList{QStringLiteral("Neri|777|6|2000|12000")});
    QCOMPARE(now->totalCents(), 12000);
}

void TestStockValue::negativeStockIsShownAsItIs()
{
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) "
                                   "values (8, 'Guanti', 3)"));
    m_shop->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                   "values ('888', 8, -2)"));
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) "
                                   "values (9, 'Sciarpa', 2)"));
    m_shop->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                   "values ('999', 9, 3)"));
    const auto valuation = StockValuation::read(m_shop->database(), QDate(2026, 12, 6));
    QCOMPARE(linesOf(*valuation),
             (QStringList{QStringLiteral("Senza fornitore|888|-2|300|-600"),
                          QStringLiteral("Senza fornitore|999|3|200|600")}));
    QCOMPARE(groupsOf(*valuation), QStringList{QStringLiteral("Senza fornitore|2|1|0")});
    QCOMPARE(valuation->totalCents(), 0);
}

void TestStockValue::dayTypedOrDefault_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QDate>("day");
    QTest::newRow("empty: the end of last year") << "" << true << QDate(2025, 12, 31);
    QTest::newRow("day first") << "30/06/2025" << true << QDate(2025, 6, 30);
    QTest::newRow("six digits") << "300625" << true << QDate(2025, 6, 30);
    QTest::newRow("no such day") << "31/02/2025" << false << QDate();
    QTest::newRow("words") << "ieri" << false << QDate();
}

void TestStockValue::dayTypedOrDefault()
{
    QFETCH(QString, typed);
    QFETCH(bool, valid);
    QFETCH(QDate, day);
    QDate read;
    QCOMPARE(StockValueList::day(typed, read), valid);
    if (valid)
        QCOMPARE(read, day);
    QCOMPARE(StockValueList::defaultDay(QDate(2026, 1, 1)), QDate(2025, 12, 31));
}

// The stock value's CSV is made straight from the valuation (a million
// items): byte for byte what the CSV writer makes of the list's cells, for
// the texts a spreadsheet would misread or a separator would cut, codes of
// digits and not, missing articles, negative stock, amounts of every size.
void TestStockValue::csvLinesAreTheCellsAsACsvWriterWritesThem_data()
{
    QTest::addColumn<QStringList>("suppliers");     // one article each
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QStringList>("codes");         // one item per article, then two of no article
    QTest::addColumn<QStringList>("sizes");
    QTest::addColumn<QList<double>>("prices");
    QTest::addColumn<QList<qint64>>("stocks");
    QTest::newRow("texts a spreadsheet misreads") << QStringList{"Vero", "=SOMMA(A1)", "  Rossi", "12", "Dell'Orto"}
        << QStringList{"Camicia; blu", "Borsa \"Tela\"", "-3 paia", "Falso", "01/02"}
        << QStringList{"8001234567895", "0012", " 12", "A;1", "12 5", "U-7", "9"}
        << QStringList{"42", "", "S M", "+1", "tru"}
        << QList<double>{12.5, 0.005, 2.675, 1e12, 99999999999.995}
        << QList<qint64>{3, -2, 7, 1, 4, 5, -1};
    QTest::newRow("accents and long texts") << QStringList{"Però", "Città Srl", "", "Àncora", "ZZZ"}
        << QStringList{"Maglia però", QString(300, QLatin1Char('x')), "Gonna\nlunga", "€ 5", "100%"}
        << QStringList{"è1", "8000000000017", "80000000000170", "x", "1e5", "7777", "7778"}
        << QStringList{"XL", "XL", "xl", "", "è"}
        << QList<double>{0.0, 1234567.891, 0.1, 1e15, 3.0}
        << QList<qint64>{1000000, 2, 3, 4, 5, 6, 7};
}

void TestStockValue::csvLinesAreTheCellsAsACsvWriterWritesThem()
{
    QFETCH(QStringList, suppliers);
    QFETCH(QStringList, descriptions);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, sizes);
    QFETCH(QList<double>, prices);
    QFETCH(QList<qint64>, stocks);
    db::Database &database = m_shop->database();
    for (int i = 0; i < suppliers.size(); ++i) {
        const QString sql = QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, "
                                           "art_Prezzo_Carico) values (?, ?, ?, ?)");
        db::Statement *insert = database.statement(sql);
        const db::StatementUse use(insert);
        insert->bindInteger(1, i + 1);
        insert->bindText(2, descriptions.at(i));
        if (suppliers.at(i).isEmpty())
            insert->bindNull(3);
        else
            insert->bindText(3, suppliers.at(i));
        insert->bindReal(4, prices.at(i));
        insert->step(sql);
    }
    for (int i = 0; i < codes.size(); ++i) {
        const QString sql = QStringLiteral("insert into \"Codice Articolo\" (ca_Codice, ca_Codice_Articolo, ca_Taglia, "
                                           "ca_Colore, ca_Quantita) values (?, ?, ?, ?, ?)");
        db::Statement *insert = database.statement(sql);
        const db::StatementUse use(insert);
        insert->bindText(1, codes.at(i));
        insert->bindInteger(2, i < suppliers.size() ? i + 1 : 100 + i);
        insert->bindText(3, sizes.value(i));
        insert->bindText(4, sizes.value(sizes.size() - 1 - i));
        insert->bindInteger(5, stocks.at(i));
        insert->step(sql);
    }
    const auto valuation = StockValuation::read(database, QDate(2026, 12, 6));
    QCOMPARE(valuation->lineCount(), codes.size());
    const auto written = [&](bool straight) {
        ListExport list = StockValueList::list(valuation);
        if (!straight)
            list.csvLines = {};
        const QString path = m_shop->folder() + (straight ? QStringLiteral("/straight.csv") : QStringLiteral("/cells.csv"));
        CsvTableWriter writer(path);
        ListExporter exporter(list, m_shop->folder() + QStringLiteral("/tarvo.mdb"));
        if (exporter.run(writer) != ListExporter::Outcome::Done || exporter.rowsWritten() != codes.size())
            return QByteArray();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray cells = written(false);
    QVERIFY(cells.count("\r\n") > codes.size());
    QCOMPARE(written(true), cells);
}

// A value of several thousand lines, made a batch at a time on two threads,
// is the very CSV the writer makes of its cells: every line once, in order,
// whatever its code looks like to a spreadsheet.
void TestStockValue::csvOfManyBatchesIsTheCellsCsv()
{
    db::Database &database = m_shop->database();
    constexpr int kArticles = 300;
    constexpr int kItems = 13000;   // a little over three batches
    const QStringList codeShapes{QStringLiteral("80%1"), QStringLiteral("80%1U"), QStringLiteral("A-%1"),
                                 QStringLiteral("%1e5"), QStringLiteral("Vero%1"), QStringLiteral("x;%1")};
    database.beginTrans();
    for (int a = 0; a < kArticles; ++a) {
        const QString sql = QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, "
                                           "art_Prezzo_Carico) values (?, ?, ?, ?)");
        db::Statement *insert = database.statement(sql);
        const db::StatementUse use(insert);
        insert->bindInteger(1, a + 1);
        insert->bindText(2, a % 7 == 0 ? QStringLiteral("Borsa \"Tela\"; %1").arg(a) : QStringLiteral("Maglia %1").arg(a));
        insert->bindText(3, QStringLiteral("Fornitore %1").arg(a % 9));
        insert->bindReal(4, 0.005 * a + 1.25);
        insert->step(sql);
    }
    for (int i = 0; i < kItems; ++i) {
        const QString sql = QStringLiteral("insert into \"Codice Articolo\" (ca_Codice, ca_Codice_Articolo, ca_Taglia, "
                                           "ca_Colore, ca_Quantita) values (?, ?, ?, ?, ?)");
        db::Statement *insert = database.statement(sql);
        const db::StatementUse use(insert);
        insert->bindText(1, codeShapes.at(i % codeShapes.size()).arg(i, 6, 10, QLatin1Char('0')));
        insert->bindInteger(2, i % 50 == 0 ? kArticles + 1 : 1 + i % kArticles);
        insert->bindText(3, i % 3 == 0 ? QStringLiteral("M") : QStringLiteral("42"));
        insert->bindText(4, i % 5 == 0 ? QStringLiteral("blu; scuro") : QStringLiteral("rosso"));
        insert->bindInteger(5, i % 11 - 3 == 0 ? 7 : i % 11 - 3);
        insert->step(sql);
    }
    database.commitTrans();
    const auto valuation = StockValuation::read(database, QDate(2026, 12, 6));
    QVERIFY(valuation->lineCount() > 3 * 4096);
    QByteArray straight;
    QByteArray cells;
    const auto written = [&](bool straightLines) {
        ListExport list = StockValueList::list(valuation);
        if (!straightLines)
            list.csvLines = {};
        const QString path = m_shop->folder() + QStringLiteral("/valore.csv");
        CsvTableWriter writer(path);
        ListExporter exporter(list, m_shop->folder() + QStringLiteral("/tarvo.mdb"));
        if (exporter.run(writer) != ListExporter::Outcome::Done || exporter.rowsWritten() != valuation->lineCount())
            return QByteArray();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    cells = written(false);
    straight = written(true);
    QCOMPARE(cells.count("\r\n"), valuation->lineCount() + 1);
    QVERIFY(straight == cells);
}

void TestStockValue::csvThatIsNotWrittenWholeLeavesNoFile_data()
{
    QTest::addColumn<bool>("diskFull");   // else the user stops it
    QTest::newRow("disk full midway") << true;
    QTest::newRow("stopped midway") << false;
}

// A value of several blocks of lines that cannot be written to its end is
// not called done: the export says why, and neither the file nor a part of
// it is left.
void TestStockValue::csvThatIsNotWrittenWholeLeavesNoFile()
{
    QFETCH(bool, diskFull);
    db::Database &database = m_shop->database();
    m_shop->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico) "
                                   "values (1, 'Maglia a righe', 'Rossi', 12.5)"));
    constexpr int kItems = 6000;   // about 360 KB of lines: more than one block
    database.beginTrans();
    const QString sql = QStringLiteral("insert into \"Codice Articolo\" (ca_Codice, ca_Codice_Articolo, ca_Taglia, "
                                       "ca_Colore, ca_Quantita) values (?, 1, 'M', 'rosso', ?)");
    for (int i = 0; i < kItems; ++i) {
        db::Statement *insert = database.statement(sql);
        const db::StatementUse use(insert);
        insert->bindText(1, QStringLiteral("C%1").arg(i, 5, 10, QLatin1Char('0')));
        insert->bindInteger(2, 1 + i % 7);
        insert->step(sql);
    }
    database.commitTrans();
    const auto valuation = StockValuation::read(database, QDate(2026, 12, 6));
    QCOMPARE(valuation->lineCount(), kItems);

    const QStringList filesBefore = QDir(m_shop->folder()).entryList(QDir::Files);
    const QString path = m_shop->folder() + QStringLiteral("/valore.csv");
    ListExporter exporter(StockValueList::list(valuation), m_shop->folder() + QStringLiteral("/tarvo.mdb"));
    if (!diskFull)
        exporter.setRowObserver([&exporter](qint64 rows) {
            if (rows == 4000)
                exporter.cancel();
        });
    ListExporter::Outcome outcome;
    {
        CsvTableWriter writer(path);
        const std::unique_ptr<FileSizeLimit> full(diskFull ? new FileSizeLimit(64 * 1024) : nullptr);
        outcome = exporter.run(writer);
    }
    QCOMPARE(outcome, diskFull ? ListExporter::Outcome::WriteFailed : ListExporter::Outcome::Cancelled);
    QVERIFY2(exporter.rowsWritten() < kItems, qPrintable(QString::number(exporter.rowsWritten())));
    if (diskFull)
        QCOMPARE(exporter.errorText(), QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(QDir(m_shop->folder()).entryList(QDir::Files), filesBefore);
}

void TestStockValue::commandLineWritesTheLines()
{
    const ValueShop shop(*m_shop);
    const QDate day(2025, 12, 31);
    const QStringList expected = shop.expectedLines(day);
    QProcess tool;
    tool.start(QStringLiteral(ESPORTA_PATH),
               {"csv", "valore", "--al", "31/12/2025", "--database", m_shop->folder() + QStringLiteral("/tarvo.mdb")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.readAllStandardError(), QByteArray());
    QCOMPARE(tool.exitCode(), 0);
    const QByteArray csv = tool.readAllStandardOutput();
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(rows.first(), QStringLiteral("Fornitore;Codice;Descrizione;Taglia;Colore;Quantità;Prezzo medio;Valore"));
    QCOMPARE(rows.size(), expected.size() + 1);
    // The first line in full, as a spreadsheet reads it: the code kept as text.
    const QStringList first = expected.first().split(QLatin1Char('|'));
    const ValueShop::Item &item = *std::find_if(shop.items.begin(), shop.items.end(),
                                                [&](const ValueShop::Item &i) { return i.code == first.at(1); });
    const auto money = [](qint64 cents) {
        return QStringLiteral("%1%2,%3")
            .arg(cents < 0 ? QStringLiteral("-") : QString())
            .arg(qAbs(cents) / 100)
            .arg(qAbs(cents) % 100, 2, 10, QLatin1Char('0'));
    };
    QCOMPARE(rows.at(1), QStringLiteral("%1;'%2;%3;%4;%5;%6;%7;%8")
                             .arg(first.at(0), first.at(1), shop.articles.at(item.article).descrizione, item.taglia,
                                  item.colore, first.at(2), money(first.at(3).toLongLong()),
                                  money(first.at(4).toLongLong())));
}

void TestStockValue::commandLineRefusesABadDay()
{
    QProcess tool;
    tool.start(QStringLiteral(ESPORTA_PATH),
               {"csv", "valore", "--al", "31/02/2025", "--database", m_shop->folder() + QStringLiteral("/tarvo.mdb")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardError()),
             QStringLiteral("tarvo-esporta: Indicare una data valida nel formato GG/MM/AAAA.\n"));
    QCOMPARE(tool.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestStockValue)
#include "tst_stock_value.moc"
