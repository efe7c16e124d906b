// The print helpers of the windows: the main window's control and ResetReport.
#include "MemorySource.h"
#include "app/Globals.h"
#include "app/print/MainReport.h"
#include "app/print/ResetReport.h"
#include "report/ReportControl.h"

#include <QFile>
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

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
