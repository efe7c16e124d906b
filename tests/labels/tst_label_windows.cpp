// Labels as the shop owner reaches them, with the keyboard: Ctrl+E in the
// article card, the article grid, the load window and the load list opens
// "Etichette", whose "Anteprima" shows the labels in the main window's
// preview; what each window's labels are, what is said when there are none,
// and the sheet and margins remembered.
#include "CounterFixture.h"
#include "LabelReader.h"

#include "data/Grid.h"
#include "quirnel/mdiTarvo.h"
#include "report/ReportControl.h"
#include "report/ReportPainter.h"
#include "report/ReportPreview.h"
#include "rules/StockMovement.h"
#include "base/print/MainReport.h"
#include "stock/StockListWindow.h"
#include "stock/frmEtichette.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowPlaces.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void recordLoad(const QString &barcode, double quantity, const QString &day)
{
    LoadRow row;
    row.data = day;
    row.codice = barcode;
    row.quantita = quantity;
    if (StockMovement::recordLoad(row) != StockMovement::Result::Done)
        qFatal("load not recorded");
}

// Ctrl+E where the focus is, and the labels window it opened.
frmEtichette *pressCtrlE(mdiTarvo &main)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &main;
    QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
    QApplication::processEvents();
    return main.findChild<frmEtichette *>();
}

void choose(frmEtichette &window, const QString &layout)
{
    auto *sheets = window.findChild<QComboBox *>(QStringLiteral("cboFoglio"));
    sheets->setCurrentIndex(sheets->findData(layout));
}

// The codes of the labels of `description` the last preview shows, label by
// label: the texts under the bars, put together. A label starts with its
// description (bold, 8 points).
QStringList labelCodes(const QString &description)
{
    QList<QPair<QString, QString>> labels;
    for (const report::ReportPage &page : MainReport().lastPages())
        for (const report::PageItem &item : page.items) {
            if (item.kind != report::PageItem::Kind::Text)
                continue;
            if (item.bold && item.pointSize == 8)
                labels.append({item.text, QString()});
            else if (!labels.isEmpty() && (item.align & Qt::AlignBottom))
                labels.last().second += item.text;
        }
    QStringList codes;
    for (const auto &[text, code] : labels)
        if (text == description)
            codes << code;
    return codes;
}

int labelsShown()
{
    int labels = 0;
    for (const report::ReportPage &page : MainReport().lastPages())
        for (const report::PageItem &item : page.items)
            labels += item.kind == report::PageItem::Kind::Text && item.bold && item.pointSize == 8;
    return labels;
}

} // namespace

class LabelWindowsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void articleCardPrintsItsItemsInStock();
    void articleGridPrintsTheRowsChosen();
    void loadWindowPrintsWhatItRecorded();
    void loadListPrintsTheLoadsFound();
    void nothingInStockIsSaidAndCopiesPrintAnyway();
    void aCodeNoBarCodeCanDrawPrintsNothing();
    void sheetAndMarginsAreRemembered();
    void newArticleCodedLabelledScannedAndSold();
};

void LabelWindowsTest::articleCardPrintsItsItemsInStock()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    shop.open(QStringLiteral("mnuFileArticoliItem"));
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Etichette - articolo 42"));
    choose(*window, QStringLiteral("rotolo-50x25"));
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(messages.texts(), QStringList());
    // "1234" three times (3 in stock), "1234U" none (0 in stock): one label a page.
    QCOMPARE(MainReport().lastPageCount(), 3);
    QCOMPARE(labelsShown(), 3);
    QCOMPARE(MainReport().lastDestination(), report::Destination::Screen);
    QVERIFY(qobject_cast<report::ReportPreview *>(shop.main().mdiArea()->activeSubWindow()->widget()));
}

void LabelWindowsTest::articleGridPrintsTheRowsChosen()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &list = shop.open(QStringLiteral("mnuListeArticoliItem"));
    auto *grid = list.findChild<data::Grid *>(QStringLiteral("TDBGrid1"));
    QTRY_VERIFY(grid->model()->rowCount() >= 2);
    // The second row alone (article 43, "5555", 10 in stock), two copies.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 1));
    grid->selectionModel()->select(grid->model()->index(1, 1), QItemSelectionModel::ClearAndSelect);
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Etichette - articolo 43"));
    window->findChild<QRadioButton *>(QStringLiteral("optCopie"))->setChecked(true);
    window->findChild<QSpinBox *>(QStringLiteral("txtCopie"))->setValue(2);
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(labelCodes(QStringLiteral("Sciarpa")), QStringList({"5555", "5555"}));

    // Both rows, chosen with the keyboard (the first row, then Shift+Down),
    // as many as in stock: 3 of "1234", none of "1234U", 10 of "5555".
    shop.activateMain();
    shop.main().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(list.parentWidget()));
    grid->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(grid->currentIndex().row(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid->currentIndex().row(), 1);
    window = pressCtrlE(shop.main());
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Etichette - 2 articoli"));
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(labelsShown(), 13);
    QCOMPARE(labelCodes(QStringLiteral("Giacca")), QStringList({"1234", "1234", "1234"}));
}

void LabelWindowsTest::loadWindowPrintsWhatItRecorded()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &load = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QVERIFY(!pressCtrlE(shop.main()));
    QCOMPARE(messages.texts(), QStringList({"Nessun carico registrato in questa finestra: le etichette si stampano dopo "
                                            "aver caricato gli articoli."}));
    for (const auto &[code, quantity] : {std::pair{"1234", "2"}, std::pair{"5555", "1"}}) {
        CounterFixture::box(load, "txtCodice")->setFocus();
        CounterFixture::type(QString::fromLatin1(code));
        CounterFixture::enter();
        CounterFixture::box(load, "txtQuantita")->setText(QString::fromLatin1(quantity));
        messages.queueAnswer(ui::vbYes);   // another article
        load.findChild<QPushButton *>(QStringLiteral("cmdCarica"))->click();
    }
    QCOMPARE(shop.stock(QStringLiteral("1234")), 5L);
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Etichette - 2 carichi"));
    QCOMPARE(window->findChild<QRadioButton *>(QStringLiteral("optPerPezzo"))->text(),
             QStringLiteral("Una per pezzo caricato"));
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(labelCodes(QStringLiteral("Giacca")), QStringList({"1234", "1234"}));
    QCOMPARE(labelCodes(QStringLiteral("Sciarpa")), QStringList({"5555"}));
}

void LabelWindowsTest::loadListPrintsTheLoadsFound()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    recordLoad(QStringLiteral("1234"), 2, QStringLiteral("06/12/2026"));
    recordLoad(QStringLiteral("5555"), 1, QStringLiteral("06/12/2026"));
    recordLoad(QStringLiteral("5555"), 7, QStringLiteral("01/12/2026"));   // before the period
    QWidget &list = shop.open(QStringLiteral("mnuListeCarichiItem"));
    QVERIFY(!pressCtrlE(shop.main()));
    QCOMPARE(messages.texts(), QStringList({"Cercare prima i carichi (Trova): le etichette sono quelle dei carichi "
                                            "trovati."}));
    CounterFixture::box(list, "txtDataInizio")->setText(QStringLiteral("06/12/2026"));
    CounterFixture::box(list, "txtDataFine")->setText(QStringLiteral("06/12/2026"));
    static_cast<StockListWindow &>(list).Trova(QString());
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(labelsShown(), 3);
    QCOMPARE(labelCodes(QStringLiteral("Sciarpa")), QStringList({"5555"}));
}

void LabelWindowsTest::nothingInStockIsSaidAndCopiesPrintAnyway()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    shop.database().execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = 0"));
    shop.open(QStringLiteral("mnuFileArticoliItem"));
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    const int runs = MainReport().runCount();
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QCOMPARE(messages.texts(), QStringList(frmEtichette::kNothingToPrint));
    QVERIFY(window && window->isVisible());
    QCOMPARE(MainReport().runCount(), runs);
    window->findChild<QRadioButton *>(QStringLiteral("optCopie"))->setChecked(true);
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(labelCodes(QStringLiteral("Giacca")), QStringList({"1234", "1234U"}));
}

// One code of the article no bar code can draw: the window says which and
// stays; nothing is half printed.
void LabelWindowsTest::aCodeNoBarCodeCanDrawPrintsNothing()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    shop.database().execute(QStringLiteral("update [Codice Articolo] set ca_Codice = 'Ωmega', ca_Quantita = 1 "
                                           "where ca_Codice = '1234U'"));
    shop.open(QStringLiteral("mnuFileArticoliItem"));
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    const int runs = MainReport().runCount();
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QCOMPARE(messages.texts(), QStringList(QStringLiteral("Impossibile disegnare il codice a barre \"Ωmega\": codice "
                                                          "vuoto, troppo lungo o con caratteri non ammessi.")));
    QVERIFY(window && window->isVisible());
    QCOMPARE(MainReport().runCount(), runs);
    window->close();
}

void LabelWindowsTest::sheetAndMarginsAreRemembered()
{
    QTemporaryDir places;
    ui::WindowPlaces::setFile(places.filePath(QStringLiteral("finestre.ini")));
    {
        CounterFixture shop;
        ui::ScriptedMessages messages;
        shop.open(QStringLiteral("mnuFileArticoliItem"));
        QPointer<frmEtichette> window = pressCtrlE(shop.main());
        QVERIFY(window);
        choose(*window, QStringLiteral("A4-4x10"));
        window->findChild<QSpinBox *>(QStringLiteral("txtInizio"))->setValue(6);
        window->findChild<QDoubleSpinBox *>(QStringLiteral("txtMargineSinistro"))->setValue(1.5);
        window->findChild<QDoubleSpinBox *>(QStringLiteral("txtMargineSuperiore"))->setValue(-0.5);
        window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
        QTRY_VERIFY(!window);
        // Label 6 of the 4 x 10 sheet: second row, second column, moved by the margins.
        const report::ReportPage page = MainReport().lastPage(0);
        const report::PageItem &description = *std::find_if(
            page.items.begin(), page.items.end(),
            [](const report::PageItem &item) { return item.text == QStringLiteral("Giacca"); });
        QVERIFY2(qAbs(description.rect.left() - (8 + 48.5 + 1.5 + 1.5)) < 0.01,
                 qPrintable(QStringLiteral("%1 %2").arg(description.rect.left()).arg(description.rect.top())));
        QVERIFY(qAbs(description.rect.top() - (21.5 + 25.4 - 0.5 + 1.5)) < 0.01);
    }
    CounterFixture shop;
    shop.open(QStringLiteral("mnuFileArticoliItem"));
    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    QCOMPARE(window->findChild<QComboBox *>(QStringLiteral("cboFoglio"))->currentData().toString(),
             QStringLiteral("A4-4x10"));
    QCOMPARE(window->findChild<QDoubleSpinBox *>(QStringLiteral("txtMargineSinistro"))->value(), 1.5);
    QCOMPARE(window->findChild<QDoubleSpinBox *>(QStringLiteral("txtMargineSuperiore"))->value(), -0.5);
    QCOMPARE(window->findChild<QSpinBox *>(QStringLiteral("txtInizio"))->value(), 1);   // a new sheet each time
    // Another sheet keeps margins of its own.
    choose(*window, QStringLiteral("A4-3x8"));
    QCOMPARE(window->findChild<QDoubleSpinBox *>(QStringLiteral("txtMargineSinistro"))->value(), 0.0);
    ui::WindowPlaces::setFile(QString());
}

// Goods without a maker's code, as a shop receives them: ten pieces of a new
// article loaded under a code the program makes, their ten labels on a 3 x 8
// sheet from label 5, one label scanned back (zbarimg on the printed page)
// and sold at the counter under the code read.
void LabelWindowsTest::newArticleCodedLabelledScannedAndSold()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    shop.database().execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) "
                                           "values (50, 'Borsa di tela', 15)"));
    QWidget &load = shop.open(QStringLiteral("mnuFileCaricoItem"));
    messages.queueModal([](QDialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        list->setCurrentItem(list->findItems(QStringLiteral("50"), Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
        return dialog.result();
    });
    load.findChild<QPushButton *>(QStringLiteral("cmdHelpCodice"))->click();
    shop.activateMain();
    CounterFixture::box(load, "txtCodice")->setFocus();
    CounterFixture::press(Qt::Key_F7);
    const QString code = CounterFixture::box(load, "txtCodice")->text();
    QCOMPARE(code.size(), 13);
    QVERIFY(code.startsWith(QLatin1Char('2')));
    CounterFixture::box(load, "txtQuantita")->setText(QStringLiteral("10"));
    messages.queueAnswer(ui::vbYes);   // another article: the window stays
    load.findChild<QPushButton *>(QStringLiteral("cmdCarica"))->click();
    QCOMPARE(shop.stock(code), 10L);

    QPointer<frmEtichette> window = pressCtrlE(shop.main());
    QVERIFY(window);
    choose(*window, QStringLiteral("A4-3x8"));
    window->findChild<QSpinBox *>(QStringLiteral("txtInizio"))->setValue(5);
    window->findChild<QPushButton *>(QStringLiteral("cmdAnteprima"))->click();
    QTRY_VERIFY(!window);
    QCOMPARE(labelCodes(QStringLiteral("Borsa di tela")), QStringList(10, code));

    // The sheet as printed, its fifth label scanned.
    QTemporaryDir work;
    const QString pdf = work.filePath(QStringLiteral("etichette.pdf"));
    report::ReportPainter::writePdf(report::PageStore(MainReport().lastPages()), pdf, 1, QStringLiteral("Etichette"));
    const QRectF fifth(70, 0.5 + 37, 70, 37);   // second row, second column
    const QList<QStringList> scanned = LabelReader::barcodesIn(pdf, {{1, fifth}}, work.path());
    QCOMPARE(scanned.value(0), QStringList(QStringLiteral("EAN-13:") + code));
    const QString read = scanned.value(0).value(0).section(QLatin1Char(':'), 1);

    QWidget &sale = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(read);
    CounterFixture::enter();
    QVERIFY(CounterFixture::box(sale, "txtDescrizione")->text().startsWith(QStringLiteral("Borsa di tela")));
    messages.queueAnswer(ui::vbNo);   // no other article
    CounterFixture::enter();
    QCOMPARE(shop.stock(code), 9L);
}

QTEST_MAIN(LabelWindowsTest)
#include "tst_label_windows.moc"
