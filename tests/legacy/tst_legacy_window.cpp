// File / "Importa archivio precedente…" as the user drives it: the file named,
// the question when the database holds data, the other windows closed when the
// import runs, the
// progress bar and the summary at the end.
#include "CardFixture.h"
#include "LegacyTestFiles.h"
#include "legacyimport/frmImportaArchivio.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/MdiChild.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QtTest>

class TestLegacyWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(CardFixture::registerLogLibrary()); }
    void importsFromItsWindow_data();
    void importsFromItsWindow();
};

void TestLegacyWindow::importsFromItsWindow_data()
{
    QTest::addColumn<bool>("dataPresent");
    QTest::addColumn<bool>("fileNamed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("articles");
    const QString done = QStringLiteral("Importazione completata: 1760 righe in 13 tabelle.");
    QTest::newRow("new installation") << false << true << 0 << QStringList{done} << 60;
    QTest::newRow("data replaced on the user's word") << true << true << int(ui::vbYes)
        << QStringList{frmImportaArchivio::replaceQuestion(1), done} << 60;
    QTest::newRow("data kept") << true << true << int(ui::vbNo)
        << QStringList{frmImportaArchivio::replaceQuestion(1),
                       QStringLiteral("Il database contiene già dati (1 righe): l'importazione è rifiutata. Nulla è cambiato.")}
        << 1;
    QTest::newRow("no file named") << false << false << 0 << QStringList{frmImportaArchivio::kNoFile} << 0;
}

void TestLegacyWindow::importsFromItsWindow()
{
    QFETCH(bool, dataPresent);
    QFETCH(bool, fileNamed);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    QFETCH(int, articles);
    CardFixture fixture;
    if (dataPresent)
        fixture.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Bottone')"));
    const QString file = legacyTestFile(fixture.folder(), QStringLiteral("tarvo-legacy.mdb"));
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    QPointer<QMdiSubWindow> other = area.addSubWindow(new QWidget);
    other->show();
    auto &window = ui::WindowRegistry::defaultInstance<frmImportaArchivio>();
    ui::showMdiChild(area, window);
    if (fileNamed)
        window.txtArchivio->setText(file);
    if (answer)
        fixture.messages().queueAnswer(answer);

    window.cmdImporta->click();

    QCOMPARE(fixture.messages().texts(), messages);
    QCOMPARE(fixture.count(QStringLiteral("Articoli")), articles);
    QCOMPARE(other.isNull() || !other->isVisible(), articles == 60);   // closed only for an import that runs
    if (articles == 60) {
        QCOMPARE(window.prgImportazione->value(), window.prgImportazione->maximum());
        QCOMPARE(window.lblTabella->text(), QStringLiteral("Importazione completata: 13 tabelle lette."));
        QVERIFY(window.txtRiepilogo->toPlainText().contains(QStringLiteral("\n  scarico: 1000 lette, 1000 importate\n")));
    }
    window.close();
}

QTEST_MAIN(TestLegacyWindow)
#include "tst_legacy_window.moc"
