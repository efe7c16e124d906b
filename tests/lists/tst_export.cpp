// "Esporta": the CSV the list windows write, checked field by field and read
// back by Python's csv module as a spreadsheet would read it; the Excel
// workbook's sheets.

#include "ListsFixture.h"

#include "base/ViewExport.h"
#include "data/Grid.h"
#include "register/frmPrimaNota.h"
#include "rules/CsvTable.h"
#include "rules/CsvTableWriter.h"
#include "rules/ListExporter.h"
#include "rules/XlsxTableWriter.h"
#include "stock/frmIncassi.h"
#include "XlsxReader.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QtTest>

class TestExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fieldsForItalianSpreadsheets_data();
    void fieldsForItalianSpreadsheets();
    void fixedDecimals_data();
    void fixedDecimals();
    void takingsKeepTheirAmounts();
    void longListGoesOnInNextSheet();
    void listExportsVisibleColumnsInTheOrderShown();
    void journalReadsBackInPython();
};

void TestExport::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestExport::fieldsForItalianSpreadsheets_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("amount") << QVariant(1234.5) << "1234,5";
    QTest::newRow("negative") << QVariant(-0.1) << "-0,1";
    QTest::newRow("whole double") << QVariant(3.0) << "3";
    QTest::newRow("integer") << QVariant(qlonglong(-42)) << "-42";
    QTest::newRow("date") << QVariant(QDate(2026, 12, 8)) << "08/12/2026";
    QTest::newRow("midnight") << QVariant(QDateTime(QDate(2026, 1, 2), QTime(0, 0))) << "02/01/2026";
    QTest::newRow("moment") << QVariant(QDateTime(QDate(2026, 1, 2), QTime(9, 5, 7))) << "02/01/2026 09:05:07";
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("plain text") << QVariant("Però più") << "Però più";
    QTest::newRow("separator") << QVariant("a;b") << "\"a;b\"";
    QTest::newRow("quotes doubled") << QVariant("17\" TV") << "\"17\"\" TV\"";
    QTest::newRow("line break") << QVariant("riga 1\nriga 2") << "\"riga 1\nriga 2\"";
    QTest::newRow("edge blank") << QVariant(" x") << "\" x\"";
    // What a spreadsheet would run as a formula stays text.
    QTest::newRow("formula") << QVariant("=1+2") << "'=1+2";
    QTest::newRow("plus") << QVariant("+39 055 123456") << "'+39 055 123456";
    QTest::newRow("minus") << QVariant("-sconto") << "'-sconto";
    QTest::newRow("at") << QVariant("@SOMMA(A1:A9)") << "'@SOMMA(A1:A9)";
    QTest::newRow("tab first") << QVariant("\t=1+2") << "'\t=1+2";
    QTest::newRow("return first") << QVariant("\r=1+2") << "\"'\r=1+2\"";
    QTest::newRow("blanks first") << QVariant("  =1+2") << "'  =1+2";
    QTest::newRow("formula quoted") << QVariant("=SOMMA(1;2)") << "\"'=SOMMA(1;2)\"";
    // Codes a spreadsheet would turn into numbers, dates or truths stay text.
    QTest::newRow("bar code") << QVariant("0000000000017") << "'0000000000017";
    QTest::newRow("partita IVA") << QVariant("02222222222") << "'02222222222";
    QTest::newRow("20 digits") << QVariant("12345678901234567890") << "'12345678901234567890";
    QTest::newRow("exponent") << QVariant("1E5") << "'1E5";
    QTest::newRow("grouped") << QVariant("1.234,50") << "'1.234,50";
    QTest::newRow("percent") << QVariant("12%") << "'12%";
    QTest::newRow("day") << QVariant("1/2") << "'1/2";
    QTest::newRow("time") << QVariant("12:30") << "'12:30";
    QTest::newRow("truth") << QVariant("VERO") << "'VERO";
    QTest::newRow("used bar code") << QVariant("1234U") << "1234U";
    QTest::newRow("exponent, small e") << QVariant("8001e12") << "'8001e12";
    QTest::newRow("exponent with sign") << QVariant("12E+5") << "'12E+5";
    QTest::newRow("e without exponent") << QVariant("12e") << "12e";
    QTest::newRow("exponent then letter") << QVariant("1e5x") << "1e5x";
    QTest::newRow("two exponents") << QVariant("1e5e5") << "1e5e5";
    QTest::newRow("hexadecimal") << QVariant("0x1F") << "0x1F";
    QTest::newRow("codice fiscale") << QVariant("RSSMRA80A01H501U") << "RSSMRA80A01H501U";
    QTest::newRow("invoice number") << QVariant("26-00005") << "26-00005";
    QTest::newRow("words and digits") << QVariant("2 pezzi") << "2 pezzi";
    // Numbers and dates given as such are no text: they stay as they are.
    QTest::newRow("negative amount") << QVariant(-12.5) << "-12,5";
    QTest::newRow("negative integer") << QVariant(qlonglong(-3)) << "-3";
}

void TestExport::fieldsForItalianSpreadsheets()
{
    QFETCH(QVariant, value);
    QFETCH(QString, field);
    QCOMPARE(CsvTable::field(value), field);
    CsvTable table({QStringLiteral("A"), QStringLiteral("B")});
    table.addRow({value, 1});
    QCOMPARE(table.bytes(), QByteArray("\xEF\xBB\xBF" "A;B\r\n") + field.toUtf8() + ";1\r\n");
}

void TestExport::fixedDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("field");
    QTest::newRow("cents") << 12.5 << "12,50";
    QTest::newRow("whole") << 20.0 << "20,00";
    QTest::newRow("negative") << -1.25 << "-1,25";
    QTest::newRow("no negative zero") << -0.001 << "0,00";
}

void TestExport::fixedDecimals()
{
    QFETCH(double, value);
    QFETCH(QString, field);
    QCOMPARE(CsvTable::field(value, 2), field);
}

// The takings are a list computed whole: written from the lines shown,
// amounts with their two decimals as the window shows them.
void TestExport::takingsKeepTheirAmounts()
{
    ListsFixture f;
    f.addSale(QStringLiteral("1234"), QStringLiteral("06/12/2026"), 1, 20, 1.5, 18.5, QStringLiteral("CO"), false);
    f.addSale(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 2, 10, 0, 20, QStringLiteral("CO"), false);
    f.addSale(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 1, 10, 0, 10, QString(), false);
    auto &window = ui::WindowRegistry::defaultInstance<frmIncassi>();
    window.show();
    QApplication::processEvents();
    const QString file = f.folder() + QStringLiteral("/incassi.csv");
    setCsvFileChooser([&](QWidget *, const QString &) { return file; });
    window.cmdEsporta->click();
    setCsvFileChooser({});
    delete &window;
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("\xEF\xBB\xBF" "Pagamento;Vendite;Sconti;Incasso\r\n"
                                           "Contanti;2;1,50;38,50\r\nNon specificato;1;0,00;10,00\r\n"
                                           "Totale;3;1,50;48,50\r\n"));
    QCOMPARE(f.messages().texts(),
             QStringList{QStringLiteral("Esportate 3 righe nel file %1.").arg(QDir::toNativeSeparators(file))});
}

// A sheet holds a bounded number of rows: the rest go on in the next
// sheets, each under the heading, none lost.
void TestExport::longListGoesOnInNextSheet()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("scarichi.xlsx"));
    {
        XlsxTableWriter writer(path, QStringLiteral("Lista: Scarichi"), 3);
        QVERIFY(writer.begin({{QStringLiteral("Numero"), QString(), ExportColumn::Kind::Number}}));
        for (int row = 1; row <= 5; ++row)
            QVERIFY(writer.addRow({row}));
        QVERIFY(writer.finish());
    }
    const XlsxReader book(path);
    QVERIFY(book.isValid());
    QStringList names;
    QStringList numbers;
    for (const XlsxReader::Sheet &sheet : book.sheets()) {
        names << sheet.name;
        QCOMPARE(sheet.cells.value(QStringLiteral("A1")).text, QStringLiteral("Numero"));
        QVERIFY(sheet.headingFrozen);
        for (int row = 2; row <= sheet.rows; ++row)
            numbers << sheet.cells.value(QStringLiteral("A%1").arg(row)).text;
    }
    QCOMPARE(names, QStringList({"Lista Scarichi", "Lista Scarichi (2)", "Lista Scarichi (3)"}));
    QCOMPARE(numbers, QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"scarichi.xlsx"});
}

void TestExport::listExportsVisibleColumnsInTheOrderShown()
{
    QTreeWidget list;
    list.setHeaderLabels({QStringLiteral("Numero"), QStringLiteral("Data"), QStringLiteral("Nascosta"),
                          QStringLiteral("Cliente")});
    list.setColumnHidden(2, true);
    list.header()->moveSection(3, 0); // the user dragged Cliente to the front
    ListExport rows;
    rows.columns = {{QStringLiteral("Numero"), QString(), ExportColumn::Kind::Number},
                    {QStringLiteral("Data"), QString(), ExportColumn::Kind::Date},
                    {QStringLiteral("Nascosta"), QString()},
                    {QStringLiteral("Cliente"), QString()}};
    rows.rows = {{1, QDate(2026, 12, 2), "y", "Rossi; Figli"}, {2, QDate(2026, 12, 1), "x", "Bianchi"}};
    const ListExport shown = inShownOrder(rows, list);
    QBuffer csv;
    QVERIFY(csv.open(QIODevice::WriteOnly));
    CsvTableWriter writer(&csv);
    ListExporter exporter(shown, QString());
    QCOMPARE(exporter.run(writer), ListExporter::Outcome::Done);
    QCOMPARE(csv.data(),
             QByteArray("\xEF\xBB\xBF" "Cliente;Numero;Data\r\n\"Rossi; Figli\";1;02/12/2026\r\nBianchi;2;01/12/2026\r\n"));
}

void TestExport::journalReadsBackInPython()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 missing");
    ListsFixture f;
    f.execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Fattura, pn_Uscita_Euro, pn_Note) "
                             "values (#12/01/2026#, 'Caffè \"Perù\"; più zucchero', 'F/1', -12.5, "
                             "'prima riga\r\nseconda riga')"));
    f.execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) "
                             "values (#12/02/2026#, 'Affitto', 1000.25)"));
    auto &window = ui::WindowRegistry::defaultInstance<frmPrimaNota>();
    window.show();
    QApplication::processEvents();
    window.txtDataInizio->setText(QStringLiteral("01/12/2026"));
    window.txtDataFine->setText(QStringLiteral("31/12/2026"));
    window.cmdAggiorna->click();

    const QString file = f.folder() + QStringLiteral("/primanota.csv");
    QString suggested;
    setCsvFileChooser([&](QWidget *, const QString &path) {
        suggested = path;
        return file;
    });
    window.findChild<ctrl_SkinableButton *>(QStringLiteral("cmdEsporta"))->click();
    setCsvFileChooser({});
    delete &window;
    QVERIFY(suggested.endsWith(QStringLiteral("/primanota.csv")));

    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), QStringLiteral(
        "import csv, json, sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
        "    print(json.dumps(list(csv.reader(f, dialect='excel', delimiter=';'))))\n"), file});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.readAllStandardError(), QByteArray());
    const QJsonArray rows = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    QCOMPARE(rows.size(), 3);
    // The columns shown, "Fattura" once.
    QCOMPARE(rows.at(0).toVariant().toStringList(),
             QStringList({"Data", "Descrizione", "Fattura", "Uscita Lire", "Importo", "Note"}));
    QCOMPARE(rows.at(1).toVariant().toStringList(),
             QStringList({"01/12/2026", "Caffè \"Perù\"; più zucchero", "F/1", "", "-12,5",
                          "prima riga\r\nseconda riga"}));
    QCOMPARE(rows.at(2).toVariant().toStringList(),
             QStringList({"02/12/2026", "Affitto", "", "", "1000,25", ""}));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
