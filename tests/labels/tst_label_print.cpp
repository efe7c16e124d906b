// A sheet of labels printed as the shop prints it, from the preview's
// "Stampa", to a real CUPS queue (a server of the test's own, see
// with-cups.sh): every bar code is read back from what CUPS produced, in
// its label.
#include "CupsJob.h"
#include "LabelReader.h"

#include "report/LabelLayout.h"
#include "report/LabelSheet.h"
#include "report/ReportPreview.h"

#include <QAction>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

class LabelPrintTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sheetPrintedThroughCupsReadsBack();
};

void LabelPrintTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("TARVO_CUPS_OUTPUT"))
        QFAIL("run through with-cups.sh: it starts the CUPS server the print goes to");
    if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty())
        QFAIL("gs (ghostscript) is needed to read the print job back; ./tarvo test installs it");
}

void LabelPrintTest::sheetPrintedThroughCupsReadsBack()
{
    const QList<QPair<QString, QString>> codes = {{"4006381333931", "EAN-13"}, {"96385074", "EAN-8"},
                                                  {"2000000000060", "EAN-13"}, {"12345678U", "CODE-128"},
                                                  {"ABC-42/x", "CODE-128"}};
    std::vector<LabelContent> labels;
    for (const auto &[code, type] : codes) {
        LabelContent label;
        label.code = code;
        label.description = QStringLiteral("Articolo ") + code;
        label.price = 9.9;
        label.hasPrice = true;
        labels.push_back(label);
    }
    LabelSheet::Options options;
    options.layout = LabelLayout::named(QStringLiteral("A4-3x8"));
    options.startAt = 5;
    auto pages = std::make_shared<PageStore>();
    LabelSheet::layOut(labels, options, *pages);

    ReportPreview preview(pages, QStringLiteral("Etichette"), 1);
    auto *print = preview.findChild<QAction *>(QStringLiteral("actStampa"));
    QVERIFY(print);
    print->trigger();

    const QString job = qEnvironmentVariable("TARVO_CUPS_OUTPUT");
    QVERIFY2(waitForCupsJob(job), "the print job did not come out of CUPS");

    QList<QPair<int, QRectF>> places;
    for (int i = 0; i < codes.size(); ++i)
        places.append({1, options.layout->labelRect(options.startAt - 1 + i)});
    QTemporaryDir work;
    const QList<QStringList> read = LabelReader::barcodesInPostScript(job, places, work.path());
    for (int i = 0; i < codes.size(); ++i)
        QCOMPARE(read.at(i), QStringList(codes.at(i).second + QLatin1Char(':') + codes.at(i).first));
}

QTEST_MAIN(LabelPrintTest)
#include "tst_label_print.moc"
