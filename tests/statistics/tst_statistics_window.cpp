// The "Statistiche" window driven as the user drives it on the lists' shop:
// articles 42 "Giacca" (Dell'Orto, load price 20) and 43 "Sciarpa" (Rossi,
// 4,50), items 1234, 1234U and 5555; today 6/12/2026. December 2026 took
// 170,50 in three sales, all by today; December 2025 81,00 in three (30,00
// by the 6th, then a sale and a return).
#include "ListsFixture.h"

#include "base/ViewExport.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/StatisticsCharts.h"
#include "stock/frmStatistiche.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>
#include <memory>

class TestStatisticsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void opensOnThisMonthAgainstLastYear();
    void eachChartDrawsOffScreen_data();
    void eachChartDrawsOffScreen();
    void periodsChosenByKeyboard();
    void reversedRangeIsRefused();
    void bestSellersExportAsItalianCsv();
    void pictureAndPdfOfTheChartShown();
    void printWithoutPrinterSaysSo();

private:
    frmStatistiche &open();
    static QStringList rowsOf(const QTableWidget &grid);
    std::unique_ptr<ListsFixture> m_f;
};

void TestStatisticsWindow::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
    // No print server: the machine's own printers play no part.
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath(QStringLiteral("nessun-cups.sock"))));
}

void TestStatisticsWindow::init()
{
    m_f = std::make_unique<ListsFixture>();
    m_f->execute(QStringLiteral("update Articoli set art_Prezzo_Carico = 20 where art_Codice = 42"));
    m_f->execute(QStringLiteral("update Articoli set art_Prezzo_Carico = 4.5 where art_Codice = 43"));
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("01/12/2026"), 2, 50, 0, 100, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("03/12/2026"), 3, 9, 2, 25, QStringLiteral("BA"), false);
    m_f->addSale(QStringLiteral("1234U"), QStringLiteral("05/12/2026"), 1, 45.5, 0, 45.5, QStringLiteral("CC"), true);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("02/12/2025"), 1, 30, 0, 30, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("10/12/2025"), 1, 60, 0, 60, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("31/12/2025"), -1, 9, 0, -9, QStringLiteral("CO"), false);
}

void TestStatisticsWindow::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmStatistiche>();
    m_f.reset();
}

frmStatistiche &TestStatisticsWindow::open()
{
    frmStatistiche &window = ui::WindowRegistry::defaultInstance<frmStatistiche>();
    window.show();
    QApplication::processEvents();
    return window;
}

QStringList TestStatisticsWindow::rowsOf(const QTableWidget &grid)
{
    QStringList rows;
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << (grid.item(r, c) ? grid.item(r, c)->text() : QString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

void TestStatisticsWindow::opensOnThisMonthAgainstLastYear()
{
    frmStatistiche &window = open();
    QCOMPARE(window.cboPeriodo->currentText(), QStringLiteral("Mese"));
    QCOMPARE(window.txtDal->text(), QStringLiteral("06/12/2026"));
    // A month under way against the same days of last year's.
    QCOMPARE(window.lblRiepilogo->text(),
             QStringLiteral("dicembre 2026 fino al 06/12: incasso 170,50 € in 3 vendite; stessi giorni dell'anno "
                            "precedente: 30,00 € (+468,3%); dicembre 2025: 81,00 € in tutto"));

    // Day by day, each beside the same day a year before.
    const QStringList takings = rowsOf(*window.grdIncassi);
    QCOMPARE(takings.size(), 32);
    QCOMPARE(takings.at(0), QStringLiteral("01/12/2026|1|100,00|0|0,00|"));
    QCOMPARE(takings.at(1), QStringLiteral("02/12/2026|0|0,00|1|30,00|-100,0"));
    QCOMPARE(takings.at(9), QStringLiteral("10/12/2026|0|0,00|1|60,00|-100,0"));
    QCOMPARE(takings.at(30), QStringLiteral("31/12/2026|0|0,00|1|-9,00|-100,0"));
    QCOMPARE(takings.last(), QStringLiteral("Totale|3|170,50|3|81,00|110,5"));
    const auto *bars = qobject_cast<QBarSeries *>(window.chtIncassi->chart()->series().value(0));
    QVERIFY(bars);
    QCOMPARE(bars->barSets().size(), 2);
    QCOMPARE(bars->barSets().at(1)->label(), QStringLiteral("dicembre 2026"));
    QCOMPARE(bars->barSets().at(1)->at(0), 100.0);
    QCOMPARE(bars->barSets().at(0)->at(9), 60.0);

    // Equal pieces: the one that took more comes first.
    QCOMPARE(rowsOf(*window.grdArticoli), (QStringList{QStringLiteral("1|42|Giacca|Dell'Orto|3|145,50"),
                                                      QStringLiteral("2|43|Sciarpa|Rossi|3|25,00")}));
    QCOMPARE(rowsOf(*window.grdFornitori),
             (QStringList{QStringLiteral("Dell'Orto|3|145,50|60,00|85,50|58,8"),
                          QStringLiteral("Rossi|3|25,00|13,50|11,50|46,0"),
                          QStringLiteral("Totale|6|170,50|73,50|97,00|56,9")}));
    QCOMPARE(rowsOf(*window.grdPagamenti),
             (QStringList{QStringLiteral("Contanti|1|0,00|100,00|58,7"),
                          QStringLiteral("Carta di credito|1|0,00|45,50|26,7"),
                          QStringLiteral("Bancomat|1|2,00|25,00|14,7"),
                          QStringLiteral("Totale|3|2,00|170,50|100,0")}));
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->log(), QByteArray());
}

void TestStatisticsWindow::eachChartDrawsOffScreen_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("takings") << int(frmStatistiche::Incassi);
    QTest::newRow("best sellers") << int(frmStatistiche::Articoli);
    QTest::newRow("margin by supplier") << int(frmStatistiche::Fornitori);
    QTest::newRow("payments") << int(frmStatistiche::Pagamenti);
}

void TestStatisticsWindow::eachChartDrawsOffScreen()
{
    QFETCH(int, page);
    frmStatistiche &window = open();
    const std::unique_ptr<QChart> chart(window.newChart(static_cast<frmStatistiche::Page>(page)));
    const QImage image = StatisticsCharts::image(*chart, QSize(800, 500));
    QCOMPARE(image.size(), QSize(800, 500));
    // Drawn, not a blank page: colours of bars or slices, and text.
    QSet<QRgb> colours;
    qint64 inked = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            inked += pixel != qRgb(255, 255, 255);
        }
    QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
    QVERIFY2(inked > 2000, qPrintable(QString::number(inked)));
}

void TestStatisticsWindow::periodsChosenByKeyboard()
{
    frmStatistiche &window = open();
    QVERIFY(window.cboPeriodo->hasFocus());
    // PagSu: the month before.
    QTest::keyClick(window.cboPeriodo, Qt::Key_PageUp);
    QCOMPARE(window.txtDal->text(), QStringLiteral("01/11/2026"));
    // A month gone by: whole against whole.
    QCOMPARE(window.lblRiepilogo->text(), QStringLiteral("novembre 2026: incasso 0,00 € in 0 vendite; novembre 2025: 0,00 €"));
    QCOMPARE(window.cboPeriodo->currentText(), QStringLiteral("Mese"));
    QTest::keyClick(window.cboPeriodo, Qt::Key_PageDown);
    // The year, chosen in the box and read on Enter.
    QTest::keyClick(window.cboPeriodo, Qt::Key_Down);
    QTest::keyClick(window.cboPeriodo, Qt::Key_Return);
    QCOMPARE(window.lblRiepilogo->text(),
             QStringLiteral("2026 fino al 06/12: incasso 170,50 € in 3 vendite; stessi giorni dell'anno precedente: "
                            "30,00 € (+468,3%); 2025: 81,00 € in tutto"));
    QCOMPARE(window.grdIncassi->rowCount(), 13);
    QCOMPARE(window.grdIncassi->item(11, 0)->text(), QStringLiteral("dicembre 2026"));
    // Any days: from the 1st to the 5th of December, a year before alike.
    window.cboPeriodo->setCurrentIndex(3);
    QVERIFY(window.txtAl->isEnabled());
    window.txtDal->setFocus();
    window.txtDal->selectAll();
    QTest::keyClicks(window.txtDal, QStringLiteral("2/12/26"));
    QTest::keyClick(window.txtDal, Qt::Key_Tab);
    QCOMPARE(window.txtDal->text(), QStringLiteral("02/12/2026"));
    QTest::keyClicks(window.txtAl, QStringLiteral("10/12/26"));
    QTest::keyClick(window.txtAl, Qt::Key_Return);
    QCOMPARE(window.lblRiepilogo->text(),
             QStringLiteral("dal 02/12/2026 al 10/12/2026 fino al 06/12: incasso 70,50 € in 2 vendite; stessi giorni "
                            "dell'anno precedente: 30,00 € (+135,0%); dal 02/12/2025 al 10/12/2025: 90,00 € in tutto"));
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestStatisticsWindow::reversedRangeIsRefused()
{
    frmStatistiche &window = open();
    window.cboPeriodo->setCurrentIndex(3);
    window.txtDal->setText(QStringLiteral("10/12/2026"));
    window.txtAl->setText(QStringLiteral("01/12/2026"));
    window.cmdAggiorna->click();
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Indicare un periodo valido: la prima data non può seguire la seconda.")});
    // What was shown stays, with its own period.
    QCOMPARE(window.shown().period.text(), QStringLiteral("dicembre 2026"));
    QCOMPARE(window.grdIncassi->rowCount(), 32);
}

void TestStatisticsWindow::bestSellersExportAsItalianCsv()
{
    frmStatistiche &window = open();
    window.tabStatistiche->setCurrentIndex(frmStatistiche::Articoli);
    window.cboClassifica->setCurrentIndex(1);
    const QString file = m_f->folder() + QStringLiteral("/piu-venduti.csv");
    setCsvFileChooser([&](QWidget *, const QString &) { return file; });
    window.cmdEsporta->click();
    setCsvFileChooser({});
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QStringLiteral("\uFEFFPosizione;Articolo;Descrizione;Fornitore;Pezzi;Incasso\r\n"
                                               "1;42;Giacca;Dell'Orto;3;145,50\r\n"
                                               "2;43;Sciarpa;Rossi;3;25,00\r\n")
                                    .toUtf8());
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Esportate 2 righe nel file %1.").arg(QDir::toNativeSeparators(file))});
}

void TestStatisticsWindow::pictureAndPdfOfTheChartShown()
{
    frmStatistiche &window = open();
    window.tabStatistiche->setCurrentIndex(frmStatistiche::Fornitori);
    const QString png = m_f->folder() + QStringLiteral("/margine.png");
    const QString pdf = m_f->folder() + QStringLiteral("/margine.pdf");
    QString next = png;
    setCsvFileChooser([&](QWidget *, const QString &) { return next; });
    window.cmdImmagine->click();
    next = pdf;
    window.cmdPdf->click();
    // Given up in the dialog: nothing written, nothing said.
    next.clear();
    window.cmdPdf->click();
    setCsvFileChooser({});
    QCOMPARE(m_f->messages().texts(),
             (QStringList{QStringLiteral("Grafico salvato nel file %1.").arg(QDir::toNativeSeparators(png)),
                          QStringLiteral("Grafico e tabella salvati nel file %1.").arg(QDir::toNativeSeparators(pdf))}));
    const QImage picture(png);
    QCOMPARE(picture.size(), QSize(frmStatistiche::kImageWidth, frmStatistiche::kImageHeight));
    QFile paper(pdf);
    QVERIFY(paper.open(QIODevice::ReadOnly));
    QVERIFY(paper.read(5) == "%PDF-");
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(20000) || text.exitCode() != 0)
        QSKIP("pdftotext (poppler-utils) is not there to read the PDF");
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString &shown : {QStringLiteral("Margine per fornitore - dicembre 2026"), QStringLiteral("Dell'Orto"),
                                 QStringLiteral("85,50"), QStringLiteral("Costo del venduto"), QStringLiteral("56,9")})
        QVERIFY2(words.contains(shown), qPrintable(shown + QStringLiteral(" not in ") + words));

    // A folder that cannot be written: said, and no file; the picture and the PDF alike.
    const auto refused = [&](ctrl_SkinableButton *button, const QString &path, const QString &ending) {
        setCsvFileChooser([&](QWidget *, const QString &) { return path; });
        m_f->messages().clear();
        button->click();
        setCsvFileChooser({});
        QCOMPARE(m_f->messages().texts().size(), 1);
        QVERIFY2(m_f->messages().texts().first().startsWith(QStringLiteral("Impossibile scrivere il file ") + path),
                 qPrintable(m_f->messages().texts().first()));
        QVERIFY(m_f->messages().texts().first().endsWith(ending));
        QVERIFY(!QFile::exists(path));
    };
    refused(window.cmdImmagine, QStringLiteral("/proc/statistiche.png"), QStringLiteral("Nessun file è stato scritto."));
    refused(window.cmdPdf, QStringLiteral("/proc/statistiche.pdf"), QStringLiteral("\nNessun file è stato scritto."));
}

void TestStatisticsWindow::printWithoutPrinterSaysSo()
{
    frmStatistiche &window = open();
    window.cmdStampa->click();
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Nessuna stampante predefinita: impossibile stampare. "
                                        "Configurare una stampante e riprovare.")});
}

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statistics_window.moc"
