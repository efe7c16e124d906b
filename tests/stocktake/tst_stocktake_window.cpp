// The stock-take window driven by the keyboard as a scanner and a user drive
// it, the messages answered by the scripted service.
#include "StockTakeShop.h"

#include "base/Globals.h"
#include "base/print/MainReport.h"
#include "report/ReportControl.h"
#include "report/ReportPage.h"
#include "report/ReportProperties.h"
#include "lookup/frmTasti.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLines.h"
#include "rules/stock/StockTakePosting.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmInventario.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QtTest>

namespace {

void keys(const QString &text)
{
    for (QChar c : text) {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target, c.toLatin1());
    }
}

void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

QString focusedName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

QStringList rowsOf(const QTreeWidget &list)
{
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list.topLevelItem(i);
        rows << QStringLiteral("%1 %2 %3 %4").arg(item->text(0), item->text(4), item->text(5), item->text(6));
    }
    return rows;
}

} // namespace

class TestStockTakeWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensOnTheLastOpenCountAndCountsByScans();
    void refusedScansWriteNothing_data();
    void refusedScansWriteNothing();
    void newCountFromTheBoxes_data();
    void newCountFromTheBoxes();
    void differencesAndPostingByKeys();
    void answeringNoPostsNothing();
    void aFailedPostingSaysNothingWasPosted();
    void closedWindowLosesNothing();
    void printsTheListShown();
    void keysReachTheBoxesAndEscapeCloses();
    void anotherCountPickedFromTheList();

private:
    frmInventario &open();
    std::unique_ptr<StockTakeShop> m_shop;
    mdiTarvo *m_main = nullptr;
    QLocale m_previousLocale;
};

void TestStockTakeWindow::init()
{
    m_previousLocale = QLocale();
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    m_shop = std::make_unique<StockTakeShop>();
    skin::setDefaultSkinPath(qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/skin/shpix"));
    g_strAppName = QStringLiteral("Qorda");
    setProgramFolder(m_shop->folder());
    app::wireWindows();
    m_main = new mdiTarvo;
    ui::WindowRegistry::adopt(*m_main);
    m_main->show();
    QApplication::setActiveWindow(m_main);
    QVERIFY(QTest::qWaitForWindowActive(m_main));
}

void TestStockTakeWindow::cleanup()
{
    ui::ScriptedMessages unanswered;
    m_main->mdiArea()->closeAllSubWindows();
    delete m_main;
    m_main = nullptr;
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_shop.reset();
    QLocale::setDefault(m_previousLocale);
}

frmInventario &TestStockTakeWindow::open()
{
    m_main->runCommand(QStringLiteral("mnuFileInventarioItem"));
    QApplication::processEvents();
    if (!m_main->isActiveWindow()) {
        QApplication::setActiveWindow(m_main);
        if (!QTest::qWaitForWindowActive(m_main))
            qWarning("the main window did not become active again");
    }
    auto *window = ui::WindowRegistry::existingInstance<frmInventario>();
    if (!window)
        qFatal("the count window did not open");
    return *window;
}

void TestStockTakeWindow::opensOnTheLastOpenCountAndCountsByScans()
{
    StockTake::create(m_shop->database(), QDate(2026, 12, 1), QString(), QString());
    const StockTake take = StockTake::create(m_shop->database(), StockTakeShop::day(), QStringLiteral("Rossi"), QString());
    StockTakeLines(m_shop->database(), take).add(QStringLiteral("R2"), QStringLiteral("2"));

    ui::ScriptedMessages messages;
    frmInventario &window = open();
    QCOMPARE(window.windowTitle(), QStringLiteral("Inventario"));
    QCOMPARE(window.lblInventario->text(), QStringLiteral("Inventario n. %1 del 09/12/2026 - Fornitore Rossi").arg(take.numero));
    QCOMPARE(window.cboInventari->count(), 2);
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));

    keys(QStringLiteral("R1"));
    press(Qt::Key_Return);
    keys(QStringLiteral("r1"));
    press(Qt::Key_Return);
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
    // A quantity, Enter, then the scan: three pieces at once.
    press(Qt::Key_Tab);
    QCOMPARE(focusedName(), QStringLiteral("txtQuantita"));
    keys(QStringLiteral("3"));
    press(Qt::Key_Return);
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
    keys(QStringLiteral("R3"));
    press(Qt::Key_Return);
    QCOMPARE(window.txtQuantita->text(), QString());   // the next scan is one piece again
    QVERIFY(messages.texts().isEmpty());

    QCOMPARE(rowsOf(*window.lvwInventario), (QStringList{"R2 2 3 -1", "R1 2 5 -3", "R3 3 2 1"}));
    QCOMPARE(window.lvwInventario->currentItem()->text(0), QStringLiteral("R3"));   // the last scanned
    QCOMPARE(window.lblTotale->text(), QStringLiteral("Articoli contati: 3 - Pezzi: 7 - Con differenza: 3"));
    QCOMPARE(m_shop->count(QStringLiteral("InventarioConteggi where ic_Inventario = ") + QString::number(take.numero)), 3);

    // A line corrected: picked in the list, the quantity typed, "Correggi".
    window.lvwInventario->setCurrentItem(window.lvwInventario->topLevelItem(1));
    QCOMPARE(window.txtCodice->text(), QStringLiteral("R1"));
    window.txtQuantita->setFocus();
    keys(QStringLiteral("5"));
    window.cmdCorreggi->setFocus();
    press(Qt::Key_Space);
    QCOMPARE(rowsOf(*window.lvwInventario).at(1), QStringLiteral("R1 5 5 0"));
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
    QVERIFY(messages.texts().isEmpty());
}

void TestStockTakeWindow::refusedScansWriteNothing_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("unknown") << "" << "ZZ9" << "Il codice ZZ9 non corrisponde a nessun articolo: nulla è stato contato."
                             << "txtCodice";
    QTest::newRow("another supplier")
        << "" << "B1"
        << "L'articolo B1 non fa parte di questo inventario (fornitore o descrizione diversi): nulla è stato contato."
        << "txtCodice";
    QTest::newRow("fraction") << "1,5" << "R1"
                              << "La quantità deve essere un numero intero di pezzi da 1 a 99999: nulla è stato contato."
                              << "txtQuantita";
    QTest::newRow("absurd") << "250000" << "R1"
                            << "La quantità deve essere un numero intero di pezzi da 1 a 99999: nulla è stato contato."
                            << "txtQuantita";
}

void TestStockTakeWindow::refusedScansWriteNothing()
{
    QFETCH(QString, quantity);
    QFETCH(QString, code);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    StockTake::create(m_shop->database(), StockTakeShop::day(), QStringLiteral("Rossi"), QString());
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    window.txtQuantita->setText(quantity);
    keys(code);
    press(Qt::Key_Return);
    QCOMPARE(messages.texts(), QStringList{message});
    QCOMPARE(messages.messages().at(0).title, QStringLiteral("Qorda"));
    QCOMPARE(focusedName(), focus);
    QCOMPARE(m_shop->count(QStringLiteral("InventarioConteggi")), 0);
    QCOMPARE(window.lvwInventario->topLevelItemCount(), 0);
}

void TestStockTakeWindow::newCountFromTheBoxes_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QString>("message");
    QTest::newRow("today, one supplier") << "" << "rossi" << "";
    QTest::newRow("an earlier day") << "1/12/26" << "" << "";
    QTest::newRow("no date") << "31/02/2026" << "" << "Scrivere la data dell'inventario come gg/mm/aaaa.";
    QTest::newRow("a day to come") << "10/12/2026" << "" << "La data dell'inventario non può seguire quella di oggi.";
    QTest::newRow("unknown supplier") << "" << "Verdi"
                                      << "Il fornitore Verdi non è nell'elenco dei fornitori e nessun articolo lo indica.";
}

void TestStockTakeWindow::newCountFromTheBoxes()
{
    QFETCH(QString, date);
    QFETCH(QString, supplier);
    QFETCH(QString, message);
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    QCOMPARE(window.lblInventario->text(), frmInventario::kNoCount);
    QVERIFY(!window.txtCodice->isEnabled());
    QCOMPARE(focusedName(), QStringLiteral("txtData"));
    QCOMPARE(window.txtData->text(), QStringLiteral("09/12/2026"));
    if (!date.isEmpty()) {
        window.txtData->selectAll();
        keys(date);
    }
    press(Qt::Key_Tab);
    QCOMPARE(focusedName(), QStringLiteral("txtFornitore"));
    keys(supplier);
    press(Qt::Key_Return);   // Enter in the boxes of a new count starts it
    if (!message.isEmpty()) {
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(m_shop->count(QStringLiteral("Inventari")), 0);
        return;
    }
    QVERIFY(messages.texts().isEmpty());
    QCOMPARE(m_shop->count(QStringLiteral("Inventari")), 1);
    QVERIFY(window.countShown());
    QCOMPARE(window.countShown()->data, date.isEmpty() ? StockTakeShop::day() : QDate(2026, 12, 1));
    QCOMPARE(window.countShown()->fornitore, supplier);
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
    keys(QStringLiteral("R1"));
    press(Qt::Key_Return);
    QCOMPARE(m_shop->count(QStringLiteral("InventarioConteggi")), 1);
}

// The lead's case through the window: a shelf of one supplier counted, two
// differences, the uncounted item shown when it is to go to zero, posted.
void TestStockTakeWindow::differencesAndPostingByKeys()
{
    const StockTake take = StockTake::create(m_shop->database(), StockTakeShop::day(), QStringLiteral("Rossi"), QString());
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    for (const char *scan : {"R1", "R1", "R1", "R1", "R3", "R3", "R3"}) {
        keys(QLatin1String(scan));
        press(Qt::Key_Return);
    }
    QCOMPARE(rowsOf(*window.lvwInventario), (QStringList{"R1 4 5 -1", "R3 3 2 1"}));
    window.chkSoloDifferenze->setFocus();
    press(Qt::Key_Space);
    QCOMPARE(rowsOf(*window.lvwInventario), (QStringList{"R1 4 5 -1", "R3 3 2 1"}));
    window.chkAzzera->setFocus();
    press(Qt::Key_Space);
    QCOMPARE(rowsOf(*window.lvwInventario), (QStringList{"R1 4 5 -1", "R3 3 2 1", "R2 non contato 3 -3"}));
    QVERIFY(StockTake::read(m_shop->database(), take.numero)->azzeraNonContati);
    press(Qt::Key_Space);   // changed my mind: R2 is left alone
    QCOMPARE(window.lvwInventario->topLevelItemCount(), 2);

    messages.queueAnswer(ui::vbYes);
    window.cmdRegistra->setFocus();
    press(Qt::Key_Return);
    QCOMPARE(messages.texts(),
             (QStringList{"Registrare l'inventario del 09/12/2026? Cambia la giacenza di 2 articoli.",
                          "Inventario registrato: cambiata la giacenza di 2 articoli."}));
    QCOMPARE(messages.messages().at(0).style, ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2);
    QCOMPARE(m_shop->stock(QStringLiteral("R1")), 4L);
    QCOMPARE(m_shop->stock(QStringLiteral("R2")), 3L);
    QCOMPARE(m_shop->stock(QStringLiteral("R3")), 3L);
    QCOMPARE(m_shop->count(QStringLiteral("Rettifiche")), 2);
    // Posted: shown as it was compared, read only.
    QVERIFY(window.lblInventario->text().endsWith(QStringLiteral("(registrato)")));
    QVERIFY(!window.txtCodice->isEnabled());
    QVERIFY(!window.cmdRegistra->isEnabled());
    QCOMPARE(rowsOf(*window.lvwInventario), (QStringList{"R1 4 5 -1", "R3 3 2 1"}));
}

void TestStockTakeWindow::answeringNoPostsNothing()
{
    const StockTake take = StockTake::create(m_shop->database(), StockTakeShop::day(), QString(), QString());
    StockTakeLines(m_shop->database(), take).add(QStringLiteral("B1"), QStringLiteral("9"));
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    messages.queueAnswer(ui::vbNo);
    window.cmdRegistra->setFocus();
    press(Qt::Key_Space);
    QCOMPARE(messages.texts(), QStringList{"Registrare l'inventario del 09/12/2026? Cambia la giacenza di 1 articolo."});
    QCOMPARE(m_shop->stock(QStringLiteral("B1")), 4L);
    QVERIFY(!StockTake::read(m_shop->database(), take.numero)->registrato);
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
}

void TestStockTakeWindow::aFailedPostingSaysNothingWasPosted()
{
    const StockTake take = StockTake::create(m_shop->database(), StockTakeShop::day(), QString(), QString());
    StockTakeLines lines(m_shop->database(), take);
    lines.add(QStringLiteral("R1"), QStringLiteral("2"));
    lines.add(QStringLiteral("B1"), QStringLiteral("9"));
    m_shop->refuseWrites(QStringLiteral("insert on Rettifiche"), QStringLiteral("re_Codice_Articolo"), QStringLiteral("B1"));
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    messages.queueAnswer(ui::vbYes);
    window.cmdRegistra->click();
    m_shop->acceptWrites();
    QCOMPARE(messages.texts().size(), 2);
    QCOMPARE(messages.texts().at(1), QStringLiteral("L'inventario non è stato registrato e nessuna giacenza è cambiata: Errore del motore di database: disco pieno."));
    QCOMPARE(messages.messages().at(1).style, int(ui::vbCritical));
    QCOMPARE(m_shop->stock(QStringLiteral("R1")), 5L);
    QCOMPARE(m_shop->stock(QStringLiteral("B1")), 4L);
    QCOMPARE(m_shop->count(QStringLiteral("Rettifiche")), 0);
    QVERIFY(!StockTake::read(m_shop->database(), take.numero)->registrato);
    QVERIFY(window.cmdRegistra->isEnabled());   // still open: it can be posted once the cause is gone
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
}

void TestStockTakeWindow::closedWindowLosesNothing()
{
    ui::ScriptedMessages messages;
    {
        frmInventario &window = open();
        window.txtData->setFocus();
        press(Qt::Key_Return);
        keys(QStringLiteral("B1"));
        press(Qt::Key_Return);
        press(Qt::Key_Escape);
        QApplication::processEvents();
        m_main->mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QVERIFY(!ui::WindowRegistry::existingInstance<frmInventario>());
    frmInventario &again = open();
    QCOMPARE(rowsOf(*again.lvwInventario), QStringList{"B1 1 4 -3"});
    QVERIFY(messages.texts().isEmpty());
}

// The print reads the lines the window computes (the stock on the count's
// day is no column of the database), as the list shows them.
void TestStockTakeWindow::printsTheListShown()
{
    QFile::copy(qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/reports/inventario.rpt"),
                m_shop->folder() + QStringLiteral("/inventario.rpt"));
    report::ReportControl control;
    control.setDatabasePath(m_shop->path());
    control.setToday(StockTakeShop::day());
    control.setFeedback(false);
    setMainReport(&control);
    const StockTake take = StockTake::create(m_shop->database(), StockTakeShop::day(), QStringLiteral("Rossi"), QString());
    StockTake::setAzzeraNonContati(m_shop->database(), take.numero, true);
    StockTakeLines lines(m_shop->database(), take);
    lines.add(QStringLiteral("R1"), QStringLiteral("5"));
    lines.add(QStringLiteral("R3"), QStringLiteral("4"));
    ui::ScriptedMessages messages;
    frmInventario &window = open();

    window.cmdStampa->setFocus();
    press(Qt::Key_Space);
    QCOMPARE(control.get(report::prop::ReportFileName).toString(), m_shop->folder() + QStringLiteral("/inventario.rpt"));
    QCOMPARE(control.lastTitle(), QStringLiteral("Inventario n. %1 del 09/12/2026 - Fornitore Rossi").arg(take.numero));
    report::ReportPage page = control.lastPage(0);
    QVERIFY2(page.contains(QStringLiteral("R1")) && page.contains(QStringLiteral("Pantalone 50% lana"))
                 && !page.contains(QStringLiteral("R2")) && page.contains(QStringLiteral("Articoli: 2")),
             qPrintable(page.texts().join(QLatin1Char('|'))));

    window.chkSoloDifferenze->setChecked(true);
    window.cmdStampa->click();
    QCOMPARE(control.lastTitle(), QStringLiteral("Differenze - Inventario n. %1 del 09/12/2026 - Fornitore Rossi").arg(take.numero));
    page = control.lastPage(0);
    QVERIFY2(!page.contains(QStringLiteral("R1")) && page.contains(QStringLiteral("R3"))
                 && page.contains(QStringLiteral("R2")) && page.contains(QStringLiteral("non contato"))
                 && page.contains(QStringLiteral("Articoli: 2")),
             qPrintable(page.texts().join(QLatin1Char('|'))));
    QVERIFY(messages.texts().isEmpty());
    setMainReport(nullptr);
}

void TestStockTakeWindow::keysReachTheBoxesAndEscapeCloses()
{
    StockTake::create(m_shop->database(), StockTakeShop::day(), QString(), QString());
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    window.lvwInventario->setFocus();
    press(Qt::Key_Q, Qt::AltModifier);
    QCOMPARE(focusedName(), QStringLiteral("txtQuantita"));
    press(Qt::Key_O, Qt::AltModifier);
    QCOMPARE(focusedName(), QStringLiteral("txtCodice"));
    press(Qt::Key_D, Qt::AltModifier);
    QCOMPARE(focusedName(), QStringLiteral("txtData"));
    const QList<frmTasti::Row> rows = frmTasti::rows({});
    QVERIFY(std::any_of(rows.begin(), rows.end(), [](const frmTasti::Row &row) {
        return row.keys == QLatin1String("Alt+O, Alt+Q")
               && row.command == QStringLiteral("Inventario: il codice a barre, la quantità");
    }));
    press(Qt::Key_Escape);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!ui::WindowRegistry::existingInstance<frmInventario>());
    QVERIFY(messages.texts().isEmpty());
}

// The list at the top opens another count; a posted one is shown as it was
// posted and nothing in it can change.
void TestStockTakeWindow::anotherCountPickedFromTheList()
{
    const StockTake posted = StockTake::create(m_shop->database(), QDate(2026, 12, 1), QString(), QString());
    StockTakeLines(m_shop->database(), posted).add(QStringLiteral("B1"), QStringLiteral("2"));
    StockTakePosting::post(m_shop->database(), posted.numero, QDate(2026, 12, 1));
    const StockTake current = StockTake::create(m_shop->database(), StockTakeShop::day(), QString(), QStringLiteral("camicia"));
    ui::ScriptedMessages messages;
    frmInventario &window = open();
    QCOMPARE(window.countShown()->numero, current.numero);
    QCOMPARE(window.cboInventari->currentText(),
             QStringLiteral("Inventario n. %1 del 09/12/2026 - Descrizione \"camicia\"").arg(current.numero));
    window.cboInventari->setFocus();
    press(Qt::Key_Down);
    QCOMPARE(window.countShown()->numero, posted.numero);
    QCOMPARE(window.lblInventario->text(), QStringLiteral("Inventario n. %1 del 01/12/2026 (registrato)").arg(posted.numero));
    QCOMPARE(rowsOf(*window.lvwInventario), QStringList{"B1 2 4 -2"});
    QVERIFY(!window.txtCodice->isEnabled());
    QVERIFY(!window.cmdCorreggi->isEnabled());
    QVERIFY(!window.chkAzzera->isEnabled());
    QVERIFY(!window.cmdRegistra->isEnabled());
    QVERIFY(window.cmdStampa->isEnabled());
    press(Qt::Key_Up);
    QCOMPARE(window.countShown()->numero, current.numero);
    QVERIFY(window.txtCodice->isEnabled());
    QVERIFY(messages.texts().isEmpty());
}

QTEST_MAIN(TestStockTakeWindow)
#include "tst_stocktake_window.moc"
