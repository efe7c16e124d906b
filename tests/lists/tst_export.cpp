// "Esporta": the CSV the list windows write, checked field by field and read
// back by Python's csv module as a spreadsheet would read it.

#include "ListsFixture.h"

#include "app/ViewExport.h"
#include "data/Grid.h"
#include "register/frmPrimaNota.h"
#include "rules/CsvTable.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDate>
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

void TestExport::listExportsVisibleColumnsInTheOrderShown()
{
    QTreeWidget list;
    list.setHeaderLabels({QStringLiteral("Numero"), QStringLiteral("Data"), QStringLiteral("Nascosta"),
                          QStringLiteral("Cliente")});
    for (const QStringList &texts : {QStringList{"2", "01/12/2026", "x", "Bianchi"},
                                     QStringList{"1", "02/12/2026", "y", "Rossi; Figli"}})
        list.addTopLevelItem(new QTreeWidgetItem(texts));
    list.setColumnHidden(2, true);
    list.header()->moveSection(3, 0); // the user dragged Cliente to the front
    list.sortItems(0, Qt::AscendingOrder);
    QCOMPARE(tableOfView(list).bytes(),
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
    // "Fattura" is shown twice: so it is exported.
    QCOMPARE(rows.at(0).toVariant().toStringList(),
             QStringList({"Data", "Descrizione", "Fattura", "Uscita Lire", "Fattura", "Importo", "Note"}));
    QCOMPARE(rows.at(1).toVariant().toStringList(),
             QStringList({"01/12/2026", "Caffè \"Perù\"; più zucchero", "F/1", "", "F/1", "-12,5",
                          "prima riga\r\nseconda riga"}));
    QCOMPARE(rows.at(2).toVariant().toStringList(),
             QStringList({"02/12/2026", "Affitto", "", "", "", "1000,25", ""}));
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
