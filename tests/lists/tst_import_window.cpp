// File / "Importa articoli…" driven as the user drives it, and the command
// line's export of a list.

#include "ListsFixture.h"

#include "skin/ctrl_SkinableButton.h"
#include "stock/frmImportaArticoli.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

class TestImportWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void badRowIsNamedThenTheListComesInOnce();
    void malformedOrSenselessListImportsNothing_data();
    void malformedOrSenselessListImportsNothing();
    void annullaImportsNothing();
    void commandLineExportsTheList();
};

void TestImportWindow::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestImportWindow::badRowIsNamedThenTheListComesInOnce()
{
    ListsFixture f;
    const int articlesBefore = f.count(QStringLiteral("Articoli"));
    const QString path = f.folder() + QStringLiteral("/listino.csv");
    const auto write = [&path](const QByteArray &price) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Articolo,Marca,Costo,Prezzo vendita,Codice EAN,Pezzi\n"
                   "Sciarpa,Lanificio,\"4,5\",12,2000000000008,3\n"
                   "Guanti,Lanificio," + price + ",18,,2\n");
    };
    write("6.x");
    auto &window = ui::WindowRegistry::defaultInstance<frmImportaArticoli>();
    window.show();
    QApplication::processEvents();
    QVERIFY(window.loadFile(path));
    QCOMPARE(window.grdAnteprima->rowCount(), 2);
    QStringList chosen;
    for (QComboBox *box : window.cboColonne)
        chosen.append(box->currentText());
    QCOMPARE(chosen, QStringList({"Articolo", "Marca", "Costo", "Prezzo vendita", "Codice EAN", "(nessuna)",
                                  "(nessuna)", "Pezzi"}));

    window.cmdImporta->click();
    QCOMPARE(window.txtEsito->toPlainText(),
             QString("Nessun articolo importato: correggere le righe seguenti.\n"
                     "Riga 3: prezzo di carico non valido: \"6.x\""));
    QCOMPARE(f.count(QStringLiteral("Articoli")), articlesBefore);

    write("6.20");
    QVERIFY(window.loadFile(path));
    window.chkAggiorna->setChecked(true);
    window.cmdImporta->click();
    QCOMPARE(window.txtEsito->toPlainText(), QString("Importazione completata: 2 articoli nuovi, 0 aggiornati."));
    window.cmdImporta->click();
    QCOMPARE(window.txtEsito->toPlainText(), QString("Importazione completata: 0 articoli nuovi, 2 aggiornati."));
    QCOMPARE(f.count(QStringLiteral("Articoli")), articlesBefore + 2);
    QCOMPARE(f.count(QStringLiteral("[Codice Articolo] where ca_Codice = '2000000000008'")), 1);
    delete &window;
}

void TestImportWindow::malformedOrSenselessListImportsNothing_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("wrong");
    QTest::newRow("a quote never closed")
        << QByteArray("Articolo;Marca;Costo\nSciarpa;Lanificio;4\n\"Guanti;Lanificio;5\nCappello;Lanificio;6\n")
        << "Riga 3: virgolette aperte e non chiuse";
    QTest::newRow("NUL in a description")
        << QByteArray("Articolo;Marca;Costo\nSciar") + '\0' + "pa;Lanificio;4\n"
        << "Riga 2: il testo contiene un carattere di controllo (codice 0)";
    QTest::newRow("a quantity of 1e300") << QByteArray("Articolo;Marca;Pezzi\nSciarpa;Lanificio;1e300\n")
                                         << "Riga 2: quantità non valido: \"1e300\"";
    QTest::newRow("a price of 1e308") << QByteArray("Articolo;Marca;Costo\nSciarpa;Lanificio;1e308\n")
                                      << "Riga 2: prezzo di carico non valido: \"1e308\"";
}

void TestImportWindow::malformedOrSenselessListImportsNothing()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, wrong);
    ListsFixture f;
    const int articlesBefore = f.count(QStringLiteral("Articoli"));
    const QString path = f.folder() + QStringLiteral("/listino.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(list);
    file.close();
    auto &window = ui::WindowRegistry::defaultInstance<frmImportaArticoli>();
    window.show();
    QVERIFY(window.loadFile(path));
    window.cmdImporta->click();
    QCOMPARE(window.txtEsito->toPlainText(),
             QStringLiteral("Nessun articolo importato: correggere le righe seguenti.\n") + wrong);
    QCOMPARE(f.count(QStringLiteral("Articoli")), articlesBefore);
    delete &window;
}

// A long import shows its progress with "Annulla"; pressed, nothing of the
// list is imported.
void TestImportWindow::annullaImportsNothing()
{
    ListsFixture f;
    const int articlesBefore = f.count(QStringLiteral("Articoli"));
    const QString path = f.folder() + QStringLiteral("/listino.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Articolo;Marca;Costo\n");
    for (int i = 0; i < 50000; ++i)
        file.write("Articolo " + QByteArray::number(i) + ";Lanificio;4\n");
    file.close();
    auto &window = ui::WindowRegistry::defaultInstance<frmImportaArticoli>();
    window.show();
    QVERIFY(window.loadFile(path));
    window.progressDelay = 0;
    QString offered;
    QTimer press;
    connect(&press, &QTimer::timeout, this, [&] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QProgressDialog *>(top);
            QPushButton *annulla = dialog && dialog->isVisible() ? dialog->findChild<QPushButton *>() : nullptr;
            if (annulla && offered.isEmpty()) {
                offered = annulla->text();
                annulla->click();
            }
        }
    });
    press.start(20);
    window.cmdImporta->click();
    press.stop();
    QCOMPARE(offered, QStringLiteral("Annulla"));
    QCOMPARE(window.txtEsito->toPlainText(), QStringLiteral("Importazione annullata: nessun articolo importato."));
    QCOMPARE(f.count(QStringLiteral("Articoli")), articlesBefore);
    delete &window;
}

void TestImportWindow::commandLineExportsTheList()
{
    ListsFixture f;
    f.execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) "
                             "values (#12/03/2026#, 'Luce; gas', -80.4)"));
    f.execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) "
                             "values (#11/03/2026#, 'Fuori periodo', 1)"));
    QProcess tool;
    tool.start(QStringLiteral(ESPORTA_PATH), {"csv", "primanota", "--dal", "01/12/2026", "--al", "31/12/2026",
                                              "--database", f.folder() + QStringLiteral("/tarvo.mdb")});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput(),
             QByteArray("\xEF\xBB\xBF" "Data;Descrizione;Fattura;Uscita Lire;Importo;Note\r\n"
                        "03/12/2026;\"Luce; gas\";;;-80,4;\r\n"));
    tool.start(QStringLiteral(ESPORTA_PATH), {"csv", "vendite"});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 2);
}

QTEST_MAIN(TestImportWindow)
#include "tst_import_window.moc"
