// "Stampa" of the statistics through a real CUPS queue (with-cups.sh starts
// a server of the test's own whose default printer writes its job to a
// file): the chart shown and its table come out on paper.
#include "CupsJob.h"
#include "ListsFixture.h"

#include "skin/ctrl_SkinableButton.h"
#include "stock/frmStatistiche.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QtTest>
#include <memory>

class TestStatisticsPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void marginBySupplierOnPaper();
};

void TestStatisticsPrint::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
    if (qEnvironmentVariableIsEmpty("TARVO_CUPS_OUTPUT"))
        QFAIL("run through with-cups.sh: it starts the CUPS server the print goes to");
    if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("tesseract")).isEmpty())
        QFAIL("gs (ghostscript) and tesseract (tesseract-ocr-ita) are needed to read the print job back; "
              "./tarvo test installs them");
}

void TestStatisticsPrint::marginBySupplierOnPaper()
{
    ListsFixture f;
    f.execute(QStringLiteral("update Articoli set art_Prezzo_Carico = 20 where art_Codice = 42"));
    f.addSale(QStringLiteral("1234"), QStringLiteral("01/12/2026"), 2, 50, 0, 100, QStringLiteral("CO"), false);
    f.addSale(QStringLiteral("5555"), QStringLiteral("03/12/2026"), 3, 9, 2, 25, QStringLiteral("BA"), false);
    frmStatistiche &window = ui::WindowRegistry::defaultInstance<frmStatistiche>();
    window.show();
    QApplication::processEvents();
    window.tabStatistiche->setCurrentIndex(frmStatistiche::Fornitori);
    window.cmdStampa->click();
    QVERIFY(f.messages().texts().isEmpty());

    const QString job = qEnvironmentVariable("TARVO_CUPS_OUTPUT");
    QVERIFY2(waitForCupsJob(job), "the print job did not come out of CUPS");
    // The page as paper shows it, read back by OCR: CUPS turns the landscape
    // page a quarter round onto portrait paper.
    const QString page = QDir::temp().filePath(QStringLiteral("statistiche-pagina.png"));
    QProcess raster;
    raster.start(QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                                        QStringLiteral("-sDEVICE=pnggray"), QStringLiteral("-r150"),
                                        QStringLiteral("-dLastPage=1"), QStringLiteral("-sOutputFile=") + page, job});
    QVERIFY(raster.waitForFinished(60000));
    QImage paper(page);
    QVERIFY2(!paper.isNull(), "the print job is no page gs can draw");
    QVERIFY(paper.transformed(QTransform().rotate(90)).save(page));
    QProcess ocr;
    ocr.start(QStringLiteral("tesseract"), {page, QStringLiteral("-"), QStringLiteral("-l"), QStringLiteral("ita")});
    QVERIFY(ocr.waitForFinished(60000));
    QFile::remove(page);
    const QString words = QString::fromUtf8(ocr.readAllStandardOutput());
    for (const QString &printed : {QStringLiteral("Margine per"), QStringLiteral("dicembre 2026"), QStringLiteral("Pagina 1"),
                                   QStringLiteral("Dell'Orto"), QStringLiteral("Costo del venduto"),
                                   QStringLiteral("100,00"), QStringLiteral("60,00")})
        QVERIFY2(words.contains(printed), qPrintable(printed + QStringLiteral(" not in ") + words));
    delete &window;
}

QTEST_MAIN(TestStatisticsPrint)
#include "tst_statistics_print.moc"
