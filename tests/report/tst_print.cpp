// The print helpers of the windows: the main window's control and ResetReport.
#include "MemorySource.h"
#include "base/Globals.h"
#include "base/print/MainReport.h"
#include "base/print/ResetReport.h"
#include "report/ReportControl.h"
#include "report/ReportPreview.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

class TestPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resetEmptiesFormulasAndKeepsDestination();
    void mainReportIsTheInstalledControl();
    void previewOpensInTheMainWindow();
    void previewBrowsesItsPages_data();
    void previewBrowsesItsPages();
};

void TestPrint::resetEmptiesFormulasAndKeepsDestination()
{
    ReportControl control;
    for (int i = 0; i < kFormulaSlots; ++i)
        control.set(prop::Formulas, i, QString("F%1=%1").arg(i));
    control.set(prop::SelectionFormula, "{articoli.art_Codice} = 1");
    control.set(prop::Destination, 1);
    control.set(prop::WindowTitle, "Lista Articoli");
    control.set(prop::CopiesToPrinter, 3);
    ResetReport(control);
    for (int i = 0; i < kFormulaSlots; ++i)
        QCOMPARE(control.formula(i), QString());
    QCOMPARE(control.get(prop::SelectionFormula).toString(), QString());
    QCOMPARE(control.get(prop::Destination).toInt(), 1);
    QCOMPARE(control.get(prop::WindowTitle).toString(), QString("Lista Articoli"));
    QCOMPARE(control.get(prop::CopiesToPrinter).toInt(), 3);
}

void TestPrint::mainReportIsTheInstalledControl()
{
    QTemporaryDir dir;
    g_strDbPath = dir.filePath("tarvo.mdb");
    setProgramFolder(dir.path());
    ReportControl &standIn = MainReport();
    QCOMPARE(standIn.databasePath(), g_strDbPath);
    {
        ReportControl mine;
        setMainReport(&mine);
        QCOMPARE(&MainReport(), &mine);
        mine.set(prop::SelectionFormula, "x");
        ResetReport();
        QCOMPARE(mine.get(prop::SelectionFormula).toString(), QString());
    }
    // The main window's control is gone: the stand-in takes over again.
    QCOMPARE(&MainReport(), &standIn);
    QCOMPARE(ReportTemplatePath("fattura.rpt"), dir.filePath("fattura.rpt"));
}

void TestPrint::previewOpensInTheMainWindow()
{
    QTemporaryDir dir;
    QFile f(dir.filePath("voci.rpt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("table voci\nband detail 6\ntext 0 0 50 6 \"Voce {voci.n}\"\n");
    f.close();
    MemorySource source("voci", {"n"});
    source.add({qlonglong(7)});
    QMdiArea area;
    area.resize(900, 700);
    ReportControl control;
    control.setMdiArea(&area);
    control.setDataSource(&source);
    control.set(prop::ReportFileName, dir.filePath("voci.rpt"));
    control.set(prop::WindowTitle, "Lista Voci");
    control.set(prop::Action, 1);
    QCOMPARE(area.subWindowList().size(), 1);
    QCOMPARE(area.subWindowList().first()->windowTitle(), QString("Lista Voci"));
    QVERIFY(control.lastPreview());
    QVERIFY(control.lastPages().front().contains("Voce 7"));
    area.subWindowList().first()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!control.lastPreview());
}

void TestPrint::previewBrowsesItsPages_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("onThePage");
    QTest::newRow("opened") << QStringList{} << "Pagina 1 di 3" << "Voce 1";
    QTest::newRow("next") << QStringList{"actPaginaSuccessiva"} << "Pagina 2 di 3" << "Voce 61";
    QTest::newRow("last") << QStringList{"actUltimaPagina"} << "Pagina 3 di 3" << "Voce 121";
    QTest::newRow("past the last") << QStringList{"actUltimaPagina", "actPaginaSuccessiva"} << "Pagina 3 di 3"
                                   << "Voce 130";
    QTest::newRow("back from the last") << QStringList{"actUltimaPagina", "actPaginaPrecedente"} << "Pagina 2 di 3"
                                        << "Voce 120";
    QTest::newRow("first again") << QStringList{"actUltimaPagina", "actPrimaPagina"} << "Pagina 1 di 3" << "Voce 60";
}

// The preview's label names the page it shows, counted from 1.
void TestPrint::previewBrowsesItsPages()
{
    QFETCH(QStringList, actions);
    QFETCH(QString, label);
    QFETCH(QString, onThePage);
    QTemporaryDir dir;
    QFile f(dir.filePath("voci.rpt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("table voci\nband detail 4.5\ntext 0 0 50 4.5 \"Voce {voci.n}\"\n");
    f.close();
    MemorySource source("voci", {"n"});
    for (qlonglong n = 1; n <= 130; ++n)
        source.add({n});
    QMdiArea area;
    area.resize(900, 700);
    ReportControl control;
    control.setMdiArea(&area);
    control.setDataSource(&source);
    control.set(prop::ReportFileName, dir.filePath("voci.rpt"));
    control.set(prop::Action, 1);
    ReportPreview *preview = control.lastPreview();
    QVERIFY(preview);
    QCOMPARE(preview->pageCount(), 3);
    for (const QString &action : actions)
        preview->findChild<QAction *>(action)->trigger();
    QCOMPARE(preview->findChild<QLabel *>(QStringLiteral("lblPagina"))->text(), label);
    const ReportPage shown = control.lastPage(preview->currentPage());
    QVERIFY2(shown.contains(onThePage), qPrintable(shown.texts().join(QLatin1Char('|'))));
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
