// The import of a supplier's price list: how the file is read, how each row
// is checked, all or nothing, and a second import updating the first.

#include "TestShopDatabase.h"
#include "rules/CatalogueImport.h"

#include <QBuffer>
#include <QtTest>

using namespace catalogue;

class TestCatalogueImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numbersWithCommaOrPoint_data();
    void numbersWithCommaOrPoint();
    void spreadsheetFileIsRead();
    void headingsAreRecognised();
    void oneBadRowImportsNothing_data();
    void oneBadRowImportsNothing();
    void reimportUpdatesNeverDuplicates();
    void reimportKeepsStoredPricesItIsNotGiven_data();
    void reimportKeepsStoredPricesItIsNotGiven();
    void malformedFileImportsNothing_data();
    void malformedFileImportsNothing();
    void cancelledImportWritesNothing();
};

namespace {

const QByteArray kList =
    "\xEF\xBB\xBF" "Descrizione;Fornitore;Prezzo acquisto;Listino;EAN;Taglia;Colore;Quantità\r\n"
    "Maglia \"Però\";Rossi;10,50;21;8001234567897;M;blu;3\r\n"
    "Maglia \"Però\";Rossi;10,50;21;8001234567903;L;blu;2\r\n"
    "Pantalone;Bianchi;1.234,50;2000.5;;;;7\r\n";

QList<QStringList> listWithRow(const QStringList &row)
{
    QList<QStringList> rows = readCsv(kList);
    rows.append(row);
    return rows;
}

ImportResult importBytes(db::Database &database, QByteArray bytes, bool update = false,
                         const Progress &progress = {})
{
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const ColumnMap map = guessColumns(readCsv(bytes).value(0));
    return importCsv(database, file, map, update, progress);
}

} // namespace

void TestCatalogueImport::numbersWithCommaOrPoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("comma") << "12,50" << true << 12.5;
    QTest::newRow("point") << "12.50" << true << 12.5;
    QTest::newRow("italian thousands") << "1.234,50" << true << 1234.5;
    QTest::newRow("english thousands") << "1,234.50" << true << 1234.5;
    QTest::newRow("euro sign") << "€ 3" << true << 3.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("a point alone is decimal") << "1.000" << true << 1.0;
    QTest::newRow("exponent") << "1e308" << false << 0.0;
    QTest::newRow("not a number") << "NaN" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("word") << "dieci" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
}

void TestCatalogueImport::numbersWithCommaOrPoint()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double parsed = 0;
    QCOMPARE(parseNumber(text, parsed), ok);
    if (ok)
        QCOMPARE(parsed, value);
}

void TestCatalogueImport::spreadsheetFileIsRead()
{
    const QList<QStringList> rows = readCsv("a,b\n\"x, \"\"y\"\"\nz\",2\n\n3,\n");
    QCOMPARE(rows, QList<QStringList>({{"a", "b"}, {"x, \"y\"\nz", "2"}, {"3", ""}}));
    QCOMPARE(readCsv(kList).at(1).at(0), QString("Maglia \"Però\""));
    QCOMPARE(readCsv(QByteArray("Descrizione;Prezzo\nCaff\xE8;1\n")).at(1).at(0), QString("Caffè")); // Latin-1
}

void TestCatalogueImport::headingsAreRecognised()
{
    const ColumnMap map = guessColumns(readCsv(kList).first());
    QCOMPARE(QList<int>({map.descrizione, map.fornitore, map.prezzoCarico, map.prezzoListino, map.codiceBarre,
                         map.taglia, map.colore, map.quantita}),
             QList<int>({0, 1, 2, 3, 4, 5, 6, 7}));
}

void TestCatalogueImport::oneBadRowImportsNothing_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QString>("message");
    QTest::newRow("price") << QStringList{"Gonna", "Rossi", "10,5x", "20"} << "prezzo di carico non valido: \"10,5x\"";
    QTest::newRow("negative price") << QStringList{"Gonna", "Rossi", "1", "-20"} << "prezzo di listino non valido: \"-20\"";
    QTest::newRow("fractional quantity") << QStringList{"Gonna", "Rossi", "1", "2", "", "", "", "1,5"}
                                         << "quantità non valido: \"1,5\"";
    QTest::newRow("no description") << QStringList{" ", "Rossi", "1", "2"} << "la descrizione manca";
    QTest::newRow("check digit") << QStringList{"Gonna", "Rossi", "1", "2", "8001234567890"}
                                 << "codice EAN-13 8001234567890 con cifra di controllo errata";
    QTest::newRow("code twice") << QStringList{"Gonna", "Rossi", "1", "2", "8001234567897"}
                                << "codice a barre 8001234567897 già alla riga 2";
    QTest::newRow("size without code") << QStringList{"Gonna", "Rossi", "1", "2", "", "S"}
                                       << "taglia e colore richiedono il codice a barre";
    QTest::newRow("price beyond an amount") << QStringList{"Gonna", "Rossi", "1", "100000000"}
                                            << "prezzo di listino non valido: \"100000000\"";
    QTest::newRow("price 1e308") << QStringList{"Gonna", "Rossi", "1e308", "2"}
                                 << "prezzo di carico non valido: \"1e308\"";
    QTest::newRow("quantity 1e300") << QStringList{"Gonna", "Rossi", "1", "2", "", "", "", "1e300"}
                                    << "quantità non valido: \"1e300\"";
    QTest::newRow("quantity beyond the stock") << QStringList{"Gonna", "Rossi", "1", "2", "", "", "", "3000000000"}
                                               << "quantità non valido: \"3000000000\"";
    QTest::newRow("control character") << QStringList{"Gon\ana", "Rossi", "1", "2"}
                                       << "il testo contiene un carattere di controllo (codice 7)";
}

void TestCatalogueImport::oneBadRowImportsNothing()
{
    QFETCH(QStringList, row);
    QFETCH(QString, message);
    TestShopDatabase shop;
    const QList<QStringList> rows = listWithRow(row);
    const ImportResult result = importRows(shop.database(), rows, guessColumns(rows.first()), false);
    QCOMPARE(result.errors.size(), 1);
    QCOMPARE(result.errors.first().line, 5);
    QCOMPARE(result.errors.first().message, message);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 0);
    QCOMPARE(shop.count(QStringLiteral("[Codice Articolo]")), 0);
}

void TestCatalogueImport::reimportUpdatesNeverDuplicates()
{
    TestShopDatabase shop;
    const QList<QStringList> rows = readCsv(kList);
    const ColumnMap map = guessColumns(rows.first());
    ImportResult first = importRows(shop.database(), rows, map, true);
    QVERIFY(first.errors.isEmpty());
    QCOMPARE(first.inserted, 2); // both sizes of the shirt are one article
    QCOMPARE(first.updated, 1);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Quantita from Articoli where art_Descrizione = 'Maglia \"Però\"'")).toDouble(), 5.0);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Prezzo_Carico from Articoli where art_Fornitore = 'Bianchi'")).toDouble(), 1234.5);

    // Without asking to update, a bar code already in the catalogue is refused.
    const ImportResult refused = importRows(shop.database(), rows, map, false);
    QCOMPARE(refused.errors.size(), 2);
    QCOMPARE(refused.errors.first().message, QString("codice a barre 8001234567897 già presente in archivio"));

    QList<QStringList> changed = rows;
    changed[3][3] = QStringLiteral("2100");
    changed[1][7] = QStringLiteral("10");
    const ImportResult second = importRows(shop.database(), changed, map, true);
    QVERIFY(second.errors.isEmpty());
    QCOMPARE(second.inserted, 0);
    QCOMPARE(second.updated, 3);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 2);
    QCOMPARE(shop.count(QStringLiteral("[Codice Articolo]")), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Prezzo_Listino from Articoli where art_Fornitore = 'Bianchi'")).toDouble(), 2100.0);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Quantita from Articoli where art_Fornitore = 'Rossi'")).toDouble(), 12.0);
}

void TestCatalogueImport::reimportKeepsStoredPricesItIsNotGiven_data()
{
    QTest::addColumn<QByteArray>("again");
    QTest::newRow("empty price cells")
        << QByteArray("Descrizione;Fornitore;Prezzo acquisto;Listino;EAN;Quantità\n"
                      "Maglia;Rossi;;;8001234567897;4\nPantalone;Bianchi;;;;7\n");
    QTest::newRow("no price columns")
        << QByteArray("Descrizione;Fornitore;EAN;Quantità\nMaglia;Rossi;8001234567897;4\nPantalone;Bianchi;;7\n");
}

// A list that names no price leaves the prices in the catalogue as they
// were: the till must not sell at 0.
void TestCatalogueImport::reimportKeepsStoredPricesItIsNotGiven()
{
    QFETCH(QByteArray, again);
    TestShopDatabase shop;
    const QList<QStringList> first = readCsv("Descrizione;Fornitore;Prezzo acquisto;Listino;EAN;Quantità\n"
                                             "Maglia;Rossi;10,50;21;8001234567897;3\nPantalone;Bianchi;30;59,90;;2\n");
    QVERIFY(importRows(shop.database(), first, guessColumns(first.first()), false).errors.isEmpty());
    const QList<QStringList> rows = readCsv(again);
    const ImportResult second = importRows(shop.database(), rows, guessColumns(rows.first()), true);
    QVERIFY(second.errors.isEmpty());
    QCOMPARE(second.updated, 2);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 2);
    const auto price = [&shop](const char *field, const char *descrizione) {
        return shop.scalar(QStringLiteral("select %1 from Articoli where art_Descrizione = '%2'")
                               .arg(QLatin1String(field), QLatin1String(descrizione)));
    };
    QCOMPARE(price("art_Prezzo_Carico", "Maglia").toDouble(), 10.5);
    QCOMPARE(price("art_Prezzo_Listino", "Maglia").toDouble(), 21.0);
    QCOMPARE(price("art_Prezzo_Carico", "Pantalone").toDouble(), 30.0);
    QCOMPARE(price("art_Prezzo_Listino", "Pantalone").toDouble(), 59.9);
    QCOMPARE(price("art_Quantita", "Maglia").toDouble(), 4.0);
    QCOMPARE(price("art_Quantita", "Pantalone").toDouble(), 7.0);
}

void TestCatalogueImport::malformedFileImportsNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    const QByteArray heading = "Descrizione;Fornitore;Listino\r\n";
    QTest::newRow("a quote never closed")
        << heading + "Sciarpa;Lanificio;4\r\n\"Guanti;Lanificio;5\r\nCappello;Lanificio;6\r\n" << 3
        << "virgolette aperte e non chiuse";
    QTest::newRow("a quote closed inside the field")
        << heading + "Sciarpa;Lanificio;4\r\n\r\n\"Guanti;Lanificio;5\r\nCappello;\"Lanificio\";6\r\n" << 4
        << "virgolette aperte e non chiuse";
    QTest::newRow("NUL in a text") << heading + QByteArray("Sciar") + '\0' + "pa;Lanificio;4\r\n" << 2
                                   << "il testo contiene un carattere di controllo (codice 0)";
    QTest::newRow("bell in a quoted text") << heading + "\"Sciarpa\a\";Lanificio;4\r\n" << 2
                                           << "il testo contiene un carattere di controllo (codice 7)";
    QTest::newRow("tab in a list by semicolons") << heading + "Sciarpa\tblu;Lanificio;4\r\n" << 2
                                                 << "il testo contiene un carattere di controllo (codice 9)";
    QTest::newRow("tabs between the fields")
        << QByteArray("Descrizione\tFornitore\tListino\nSciarpa\tLanificio\t4\n") << 0 << QString();
}

// A file that is not a well-formed list is refused, naming the row, and
// nothing of it is imported.
void TestCatalogueImport::malformedFileImportsNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, message);
    TestShopDatabase shop;
    const ImportResult result = importBytes(shop.database(), bytes);
    if (message.isEmpty()) {
        QVERIFY(result.errors.isEmpty());
        QCOMPARE(shop.count(QStringLiteral("Articoli where art_Descrizione = 'Sciarpa'")), 1);
        return;
    }
    QCOMPARE(result.errors.size(), 1);
    QCOMPARE(result.errors.first().line, line);
    QCOMPARE(result.errors.first().message, message);
    QCOMPARE(result.inserted, 0);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 0);
}

void TestCatalogueImport::cancelledImportWritesNothing()
{
    TestShopDatabase shop;
    QByteArray list = "Descrizione;Fornitore;Listino\n";
    for (int i = 0; i < 3000; ++i)
        list += "Articolo " + QByteArray::number(i) + ";Rossi;2\n";
    QList<qint64> reported;
    const ImportResult result = importBytes(shop.database(), list, false, [&reported](qint64 bytesRead) {
        reported.append(bytesRead);
        return reported.size() < 2;
    });
    QVERIFY(result.cancelled);
    QCOMPARE(reported.size(), 2);
    QCOMPARE(result.inserted, 0);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 0);
}

QTEST_MAIN(TestCatalogueImport)
#include "tst_catalogue_import.moc"
