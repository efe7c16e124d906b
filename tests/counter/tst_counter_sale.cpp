#include "CounterFixture.h"

#include "quirnel/mdiTarvo.h"
#include "lookup/frmCalcola.h"
#include "lookup/frmHelp.h"
#include "rules/StockMovement.h"
#include "stock/frmScarico.h"
#include "ui/MdiChild.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <functional>

namespace {

const QString kAnother = QStringLiteral("L'articolo è stato scaricato correttamente. \r\n"
                                        "Si desidera scaricare un altro articolo nella stessa operazione?");

QPushButton *button(QWidget &window, const char *name)
{
    return window.findChild<QPushButton *>(QLatin1String(name));
}

QString text(QWidget &window, const char *name)
{
    return CounterFixture::box(window, name)->text();
}

// Scripted answers that also look at the window when a message comes up.
class WatchingMessages : public ui::ScriptedMessages {
public:
    std::function<void()> onMessage;
    int message(const ui::Message &m) override
    {
        if (onMessage)
            onMessage();
        return ScriptedMessages::message(m);
    }
};

qlonglong recordedSale(const QString &barcode, double quantity)
{
    SaleRow row;
    row.data = QStringLiteral("02/12/2026");
    row.codice = barcode;
    row.quantita = quantity;
    row.prezzo = 20;
    row.sconto = 1.5;
    row.saldo = 20 * quantity - 1.5;
    row.pagamento = QStringLiteral("BA");
    qlonglong number = 0;
    if (StockMovement::recordSale(row, &number) != StockMovement::Result::Done)
        qFatal("sale not recorded");
    return number;
}

frmScarico &openForChange(CounterFixture &shop, qlonglong number)
{
    auto &window = ui::WindowRegistry::defaultInstance<frmScarico>();
    window.p_bln_Modifica = true;
    window.p_lng_Codice_Scarico = long(number);
    ui::showMdiChild(*shop.main().mdiArea(), window);
    QApplication::processEvents();
    shop.activateMain();
    // Activated again with the keyboard back in the main window.
    QMdiArea *area = shop.main().mdiArea();
    area->setActiveSubWindow(nullptr);
    area->setActiveSubWindow(ui::mdiFrameOf(window));
    QApplication::processEvents();
    return window;
}

void tab()
{
    CounterFixture::press(Qt::Key_Tab);
}

} // namespace

class TestCounterSale : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuOpensNewSaleWithCtrlS();
    void scanFillsAndEnterSells();
    void discountSpreadOverUnits_data();
    void discountSpreadOverUnits();
    void noListPriceKeepsTypedPrice();
    void enterAfterTypingDiscountRecordsWhatIsShown();
    void runningTotalYesYesNo();
    void cancelClosesWindowAndTotal();
    void sellingMoreThanStockGoesNegative();
    void paymentPicker();
    void paymentByKeyboard();
    void checksListEveryWrongField();
    void orphanArticleRefocusesOnce();
    void changeModeSavesWithStockCorrection();
    void deleteGivesStoredQuantityBack();
};

void TestCounterSale::menuOpensNewSaleWithCtrlS()
{
    CounterFixture shop;
    QAction *command = shop.main().commandAction(QStringLiteral("mnuFileScaricoItem"));
    QCOMPARE(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    command->trigger();
    QApplication::processEvents();
    shop.activateMain();
    auto *window = ui::WindowRegistry::existingInstance<frmScarico>();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Scarico Articoli"));
    QCOMPARE(window->p_bln_Modifica, false);
    QCOMPARE(window->p_lng_Codice_Scarico, 0L);
    QCOMPARE(text(*window, "txtData"), QStringLiteral("06/12/2026"));
    QVERIFY(button(*window, "cmdScarica")->isVisible());
    QVERIFY(!button(*window, "cmdSalva")->isVisible());
    QVERIFY(!button(*window, "cmdCancella")->isVisible());
    QCOMPARE(button(*window, "cmdScarica")->toolTip(), QStringLiteral("Scarica Articolo"));
    QCOMPARE(button(*window, "cmdSalva")->toolTip(), QStringLiteral("Salva Scarico"));
    QCOMPARE(button(*window, "cmdCancella")->toolTip(), QStringLiteral("Cancella Scarico"));
    QCOMPARE(button(*window, "cmdPagamento")->toolTip(), QStringLiteral("Modalità di pagamento"));
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(*window, "txtCodice"));
    QCOMPARE(ui::mdiFrameOf(*window)->pos(), QPoint(0, 0));
    QVERIFY(CounterFixture::box(*window, "txtSaldo")->isReadOnly());
    QCOMPARE(CounterFixture::box(*window, "txtSaldo")->palette().color(QPalette::Base), QColor(0x80, 0xFF, 0x80));
    QVERIFY(!(CounterFixture::box(*window, "txtCodice")->focusPolicy() & Qt::TabFocus));
    QVERIFY(!(CounterFixture::box(*window, "txtListino")->focusPolicy() & Qt::TabFocus));

    // The running total waits at the top right of the screen.
    frmCalcola *total = window->calcola();
    QVERIFY(total && total->isVisible());
    QCOMPARE(total->txtTotale->text(), QStringLiteral("0"));
    const QRect screen = window->screen()->availableGeometry();
    QCOMPARE(total->pos().y(), screen.top());
    QCOMPARE(total->x() + total->width(), screen.right() + 1);
}

void TestCounterSale::scanFillsAndEnterSells()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    QCOMPARE(text(window, "txtDescrizione"), QStringLiteral("Giacca - 48 - Blu"));
    QCOMPARE(text(window, "txtQuantita"), QStringLiteral("1"));
    QCOMPARE(text(window, "txtListino"), QStringLiteral("20,00"));
    QCOMPARE(text(window, "txtPrezzo"), QStringLiteral("20,00"));
    QCOMPARE(text(window, "txtSconto"), QStringLiteral("0"));
    QCOMPARE(text(window, "txtSaldo"), QStringLiteral("20,00"));
    QCOMPARE(text(window, "txtQuantitaDisponibile"), QStringLiteral("3"));
    QVERIFY(button(window, "cmdScarica")->isDefault());

    messages.queueAnswer(ui::vbYes);
    CounterFixture::enter();
    QCOMPARE(messages.texts(), QStringList{kAnother});
    QCOMPARE(messages.messages().at(0).style, ui::vbYesNoCancel | ui::vbQuestion);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 2L);
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 1);
    auto rs = shop.database().openRecordset(QStringLiteral("select * from scarico"));
    QCOMPARE(rs->value(QStringLiteral("sc_Codice_Articolo")).toString(), QStringLiteral("1234"));
    QCOMPARE(rs->value(QStringLiteral("sc_Data")).toDate(), QDate(2026, 12, 6));
    QCOMPARE(rs->value(QStringLiteral("sc_Quantita")).toDouble(), 1.0);
    QCOMPARE(rs->value(QStringLiteral("sc_Prezzo")).toDouble(), 20.0);
    QCOMPARE(rs->value(QStringLiteral("sc_Sconto")).toDouble(), 0.0);
    QCOMPARE(rs->value(QStringLiteral("sc_Saldo")).toDouble(), 20.0);
    QCOMPARE(rs->value(QStringLiteral("sc_Pagamento")).toString(), QString());
    // Yes: the window is cleared for the next article, focus on the bar code.
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtCodice"));
    for (const char *name : {"txtCodice", "txtDescrizione", "txtQuantita", "txtPrezzo", "txtListino",
                             "txtQuantitaDisponibile", "txtSaldo", "txtSconto", "txtCodicePagamento",
                             "txtDescrizionePagamento"})
        QVERIFY2(text(window, name).isEmpty(), name);
}

void TestCounterSale::discountSpreadOverUnits_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("unitPrice");
    QTest::newRow("one, no discount") << "1" << "0" << "20,00" << "20,00";
    QTest::newRow("one, discount 4") << "1" << "4" << "16,00" << "16,00";
    QTest::newRow("two, discount 4") << "2" << "4" << "36,00" << "18,00";
    QTest::newRow("letters as discount") << "1" << "abc" << "20,00" << "20,00";
    QTest::newRow("decimal comma") << "3" << "1,5" << "58,50" << "19,50";
    QTest::newRow("less than a unit: spread over one") << "0.4" << "4" << "4,00" << "16,00";
}

void TestCounterSale::discountSpreadOverUnits()
{
    QFETCH(QString, quantity);
    QFETCH(QString, discount);
    QFETCH(QString, amount);
    QFETCH(QString, unitPrice);
    CounterFixture shop;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    CounterFixture::type(quantity);
    tab();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtSconto"));
    CounterFixture::type(discount);
    tab();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtPrezzo"));
    QCOMPARE(text(window, "txtSaldo"), amount);
    QCOMPARE(text(window, "txtPrezzo"), unitPrice);
    if (discount == QLatin1String("abc"))
        QCOMPARE(text(window, "txtSconto"), QStringLiteral("0"));
}

void TestCounterSale::noListPriceKeepsTypedPrice()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("5555"));
    CounterFixture::enter();
    QCOMPARE(text(window, "txtListino"), QStringLiteral("0,00"));
    CounterFixture::type(QStringLiteral("2"));
    tab();
    tab();
    CounterFixture::type(QStringLiteral("7,50"));
    tab();
    QCOMPARE(text(window, "txtSaldo"), QStringLiteral("15,00"));
    QCOMPARE(text(window, "txtPrezzo"), QStringLiteral("7,50"));
    messages.queueAnswer(ui::vbNo);
    button(window, "cmdScarica")->click();
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Prezzo from scarico")).toDouble(), 7.5);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Saldo from scarico")).toDouble(), 15.0);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 8L);
}

void TestCounterSale::enterAfterTypingDiscountRecordsWhatIsShown()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    tab();
    CounterFixture::type(QStringLiteral("5"));
    QString shownAmount;
    messages.onMessage = [&] { shownAmount = text(window, "txtSaldo"); };
    messages.queueAnswer(ui::vbYes);
    CounterFixture::enter(); // straight from the discount box
    QCOMPARE(shownAmount, QStringLiteral("15,00"));
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Saldo from scarico")).toDouble(), 15.0);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Sconto from scarico")).toDouble(), 5.0);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Prezzo from scarico")).toDouble(), 15.0);
}

void TestCounterSale::runningTotalYesYesNo()
{
    CounterFixture shop;
    WatchingMessages messages;
    auto &window = static_cast<frmScarico &>(shop.open(QStringLiteral("mnuFileScaricoItem")));
    QStringList totals;
    messages.onMessage = [&] { totals << window.calcola()->txtTotale->text(); };
    messages.queueAnswer(ui::vbYes);
    messages.queueAnswer(ui::vbYes);
    messages.queueAnswer(ui::vbNo);
    for (int sale = 0; sale < 3; ++sale) {
        CounterFixture::type(QStringLiteral("1234"));
        CounterFixture::enter();
        CounterFixture::enter();
    }
    QCOMPARE(totals, (QStringList{"20,00", "40,00", "60,00"}));
    QCOMPARE(window.calcola()->txtTotale->text(), QStringLiteral("0"));
    QCOMPARE(shop.stock(QStringLiteral("1234")), 0L);
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtCodice"));
}

void TestCounterSale::cancelClosesWindowAndTotal()
{
    CounterFixture shop;
    WatchingMessages messages;
    auto &window = static_cast<frmScarico &>(shop.open(QStringLiteral("mnuFileScaricoItem")));
    QPointer<frmCalcola> total = window.calcola();
    QPointer<QWidget> guard(&window);
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    messages.queueAnswer(ui::vbCancel);
    CounterFixture::enter();
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 1);
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard || !guard->isVisible());
    QVERIFY(!total || !total->isVisible());
}

void TestCounterSale::sellingMoreThanStockGoesNegative()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    CounterFixture::type(QStringLiteral("5"));
    messages.queueAnswer(ui::vbYes);
    CounterFixture::enter();
    QCOMPARE(shop.stock(QStringLiteral("1234")), -2L);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Saldo from scarico")).toDouble(), 100.0);
    Q_UNUSED(window);
}

void TestCounterSale::paymentPicker()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QString statement;
    messages.queueModal([&statement](QDialog &dialog) {
        statement = static_cast<frmHelp &>(dialog).BuildSql();
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        list->setCurrentItem(list->findItems(QStringLiteral("Bancomat"), Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
        return dialog.result();
    });
    button(window, "cmdPagamento")->click();
    QCOMPARE(statement, QStringLiteral("SELECT pag_Codice as CODICE, pag_Descrizione as DESCRIZIONE FROM Pagamenti ORDER BY pag_Descrizione "));
    QCOMPARE(text(window, "txtCodicePagamento"), QStringLiteral("BA"));
    QCOMPARE(text(window, "txtDescrizionePagamento"), QStringLiteral("Bancomat"));
    messages.queueAnswer(ui::vbNo);
    button(window, "cmdScarica")->click();
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Pagamento from scarico")).toString(), QStringLiteral("BA"));
}

// The payment without the mouse: Alt+P opens the picker, the filter finds
// "Bancomat", Enter takes it and the focus goes on to the quantity, where
// Enter records the sale. Tab also reaches the button after the date; a pick
// given up there keeps the payment chosen and leaves the button too.
void TestCounterSale::paymentByKeyboard()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QString caption;
    messages.queueModal([&caption](QDialog &dialog) {
        caption = dialog.windowTitle();
        auto *filter = dialog.findChild<QLineEdit *>(QStringLiteral("txtFiltro"));
        QTest::keyClicks(filter, QStringLiteral("banc"));
        QTest::keyClick(filter, Qt::Key_Return);
        return dialog.result();
    });
    shop.activateMain();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    QTest::keyClick(CounterFixture::focused(), Qt::Key_P, Qt::AltModifier);
    QCOMPARE(messages.modals(), QStringList{QStringLiteral("frmHelp")});
    QCOMPARE(caption, QStringLiteral("Scelta pagamento"));
    QCOMPARE(text(window, "txtCodicePagamento"), QStringLiteral("BA"));
    QCOMPARE(text(window, "txtDescrizionePagamento"), QStringLiteral("Bancomat"));
    // The offscreen platform gives the keyboard back to no window when the
    // picker closes; a desktop gives it back to the main window.
    shop.activateMain();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));

    CounterFixture::box(window, "txtData")->setFocus(Qt::OtherFocusReason);
    tab();
    QCOMPARE(CounterFixture::focused(), button(window, "cmdPagamento"));
    messages.queueModal([](QDialog &dialog) {
        QTest::keyClick(dialog.findChild<QLineEdit *>(QStringLiteral("txtFiltro")), Qt::Key_Escape);
        return dialog.result();
    });
    QTest::keyClick(button(window, "cmdPagamento"), Qt::Key_Return);
    QCOMPARE(messages.modals().size(), 2);
    QCOMPARE(text(window, "txtCodicePagamento"), QStringLiteral("BA"));
    QCOMPARE(text(window, "txtDescrizionePagamento"), QStringLiteral("Bancomat"));
    // The offscreen platform gives the keyboard back to no window when the
    // picker closes; a desktop gives it back to the main window.
    shop.activateMain();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));

    messages.queueAnswer(ui::vbNo);
    CounterFixture::enter();
    QCOMPARE(messages.modals().size(), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Pagamento from scarico")).toString(), QStringLiteral("BA"));
}

void TestCounterSale::checksListEveryWrongField()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    CounterFixture::box(window, "txtData")->clear();
    button(window, "cmdScarica")->click();
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("Alcuni campi non sono stati inseriti correttamente: \r\nData\r\nCodice Articolo\r\n"
                                        "Quantità\r\nPrezzo\r\nImpossibile effettuare lo scarico.")});
    QCOMPARE(messages.messages().at(0).style, int(ui::vbExclamation));
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 0);
}

void TestCounterSale::orphanArticleRefocusesOnce()
{
    CounterFixture shop;
    WatchingMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileScaricoItem"));
    QLineEdit *codice = CounterFixture::box(window, "txtCodice");
    CounterFixture::type(QStringLiteral("777"));
    CounterFixture::enter();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("L'articolo con codice 99 non è presente in archivio.\r\n"
                                                          "Impossibile completare l'operazione")});
    QCOMPARE(CounterFixture::focused(), codice);
    // The next leaving only takes the focus back, even for a good code.
    codice->selectAll();
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), codice);
    QVERIFY(text(window, "txtDescrizione").isEmpty());
    CounterFixture::enter();
    QCOMPARE(text(window, "txtDescrizione"), QStringLiteral("Giacca - 48 - Blu"));
    QCOMPARE(messages.texts().size(), 1);
    // An empty box or an unknown code: back to the box, no message.
    codice->setFocus();
    codice->clear();
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), codice);
    QCOMPARE(messages.texts().size(), 1);
}

void TestCounterSale::changeModeSavesWithStockCorrection()
{
    CounterFixture shop;
    WatchingMessages messages;
    const qlonglong number = recordedSale(QStringLiteral("1234"), 1);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 2L);
    frmScarico &window = openForChange(shop, number);
    QVERIFY(!button(window, "cmdScarica")->isVisible());
    QVERIFY(button(window, "cmdSalva")->isVisible());
    QCOMPARE(text(window, "txtData"), QStringLiteral("02/12/2026"));
    QCOMPARE(text(window, "txtCodice"), QStringLiteral("1234"));
    QCOMPARE(text(window, "txtCodicePagamento"), QStringLiteral("BA"));
    QCOMPARE(text(window, "txtDescrizionePagamento"), QStringLiteral("Bancomat"));
    // Activation leaves the bar-code box for the quantity: the lookup ran.
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    QCOMPARE(text(window, "txtDescrizione"), QStringLiteral("Giacca - 48 - Blu"));
    QCOMPARE(text(window, "txtSconto"), QStringLiteral("1,5"));
    QCOMPARE(text(window, "txtPrezzo"), QStringLiteral("18,50"));
    QCOMPARE(text(window, "txtSaldo"), QStringLiteral("18,50"));

    CounterFixture::box(window, "txtQuantita")->selectAll();
    CounterFixture::type(QStringLiteral("3"));
    tab();
    button(window, "cmdSalva")->click();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 0L);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Quantita from scarico")).toDouble(), 3.0);
    QCOMPARE(shop.scalar(QStringLiteral("select sc_Saldo from scarico")).toDouble(), 58.5);
    QVERIFY(messages.texts().isEmpty());
    QCOMPARE(window.calcola()->txtTotale->text(), QStringLiteral("0"));
}

void TestCounterSale::deleteGivesStoredQuantityBack()
{
    CounterFixture shop;
    WatchingMessages messages;
    const qlonglong number = recordedSale(QStringLiteral("1234"), 2);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 1L);
    frmScarico &window = openForChange(shop, number);
    QPointer<QWidget> guard(&window);
    CounterFixture::box(window, "txtQuantita")->setText(QStringLiteral("5"));
    messages.queueAnswer(ui::vbYes);
    button(window, "cmdCancella")->click();
    QCOMPARE(messages.texts(), (QStringList{QStringLiteral("Eliminare definiticamente lo scarico corrente?"),
                                            QStringLiteral("Il dato è stato cancellato.")}));
    QCOMPARE(messages.messages().at(0).style, ui::vbYesNo | ui::vbQuestion);
    QCOMPARE(shop.rows(QStringLiteral("scarico")), 0);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L); // the stored 2, not the shown 5
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard || !guard->isVisible());
}

QTEST_MAIN(TestCounterSale)
#include "tst_counter_sale.moc"
