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
#include <QTableWidget>
#include <QtTest>

class TestImportWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void badRowIsNamedThenTheListComesInOnce();
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
             QByteArray("\xEF\xBB\xBF" "Data;Descrizione;Fattura;Uscita Lire;Fattura;Importo;Note\r\n"
                        "03/12/2026;\"Luce; gas\";;;;-80,4;\r\n"));
    tool.start(QStringLiteral(ESPORTA_PATH), {"csv", "vendite"});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 2);
}

QTEST_MAIN(TestImportWindow)
#include "tst_import_window.moc"
