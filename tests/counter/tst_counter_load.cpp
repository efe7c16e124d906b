#include "CounterFixture.h"

#include "quirnel/mdiTarvo.h"
#include "lookup/frmHelp.h"
#include "rules/StockMovement.h"
#include "stock/frmCarico.h"
#include "ui/MdiChild.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QtTest>
#include <sqlite3.h>

namespace {

const QString kAnother = QStringLiteral("L'articolo è stato caricato correttamente. \r\nSi desidera caricare un altro articolo?");

QPushButton *button(QWidget &window, const char *name)
{
    return window.findChild<QPushButton *>(QLatin1String(name));
}

// A load recorded through the window's own movement, for change mode.
qlonglong recordedLoad(const QString &barcode, double quantity)
{
    LoadRow row;
    row.data = QStringLiteral("01/12/2026");
    row.codice = barcode;
    row.quantita = quantity;
    qlonglong number = 0;
    if (StockMovement::recordLoad(row, &number) != StockMovement::Result::Done)
        qFatal("load not recorded");
    return number;
}

frmCarico &openForChange(CounterFixture &shop, qlonglong number)
{
    auto &window = ui::WindowRegistry::defaultInstance<frmCarico>();
    window.p_bln_Modifica = true;
    window.p_lng_Codice_Carico = long(number);
    ui::showMdiChild(*shop.main().mdiArea(), window);
    QApplication::processEvents();
    return window;
}

} // namespace

class TestCounterLoad : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuOpensNewLoadWithCtrlK();
    void scanEnterEnterRecordsOne();
    void yesLeavesFocusInEmptyBarcode();
    void quantitiesAsTyped_data();
    void quantitiesAsTyped();
    void usedTurnsBarcodeIntoItsTwinAndBack();
    void priceLinkWithVat();
    void checksListEveryWrongField();
    void unknownAndOrphanBarcodes();
    void itemGoneWhenRecordingWritesNothing();
    void changeModeShowsAndSavesWithStockCorrection();
    void deleteGivesStoredQuantityBack();
    void pickersFillCodeAndDescription();
    void failedRowLeavesStockUntouched();
    void openedForNewLoadFromTheCard();
};

void TestCounterLoad::menuOpensNewLoadWithCtrlK()
{
    CounterFixture shop;
    QAction *command = shop.main().commandAction(QStringLiteral("mnuFileCaricoItem"));
    QVERIFY(command);
    QCOMPARE(command->shortcut(), QKeySequence(QStringLiteral("Ctrl+K")));
    QVERIFY(command->isEnabled());
    command->trigger();
    QApplication::processEvents();
    auto *window = ui::WindowRegistry::existingInstance<frmCarico>();
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Carico"));
    QCOMPARE(CounterFixture::box(*window, "txtData")->text(), QStringLiteral("06/12/2026"));
    QVERIFY(button(*window, "cmdCarica")->isVisible());
    QVERIFY(!button(*window, "cmdSalva")->isVisible());
    QVERIFY(!button(*window, "cmdCancella")->isVisible());
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(*window, "txtCodice"));
    for (const char *name : {"cmdCarica", "cmdSalva", "cmdCancella", "cmdHelpCodice", "cmdHelpDescrizione"})
        QCOMPARE(button(*window, name)->toolTip(), QStringLiteral("Carica Articolo"));
    for (const char *name : {"txtDescrizione", "txtTaglia", "txtColore", "txtQuantitaDisponibile"}) {
        QVERIFY(CounterFixture::box(*window, name)->isReadOnly());
        QCOMPARE(CounterFixture::box(*window, name)->focusPolicy(), Qt::NoFocus);
    }
    QVERIFY(!CounterFixture::box(*window, "txtCodiceArticolo")->isVisible());

    // Tab order of the input fields.
    QCheckBox *usato = window->findChild<QCheckBox *>(QStringLiteral("chkUsato"));
    QCOMPARE(usato->text(), QStringLiteral("Usato"));
    QStringList order;
    QWidget *w = usato;
    for (int i = 0; i < 7; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    QCOMPARE(order, (QStringList{"chkUsato", "txtData", "txtCodice", "txtQuantita", "txtCaricoIE", "txtCarico", "txtListino"}));
}

void TestCounterLoad::scanEnterEnterRecordsOne()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    QCOMPARE(CounterFixture::box(window, "txtQuantita")->text(), QStringLiteral("1"));
    QCOMPARE(CounterFixture::box(window, "txtDescrizione")->text(), QStringLiteral("Giacca"));
    QCOMPARE(CounterFixture::box(window, "txtTaglia")->text(), QStringLiteral("48"));
    QCOMPARE(CounterFixture::box(window, "txtColore")->text(), QStringLiteral("Blu"));
    QCOMPARE(CounterFixture::box(window, "txtQuantitaDisponibile")->text(), QStringLiteral("3"));
    QCOMPARE(CounterFixture::box(window, "txtCodiceArticolo")->text(), QStringLiteral("42"));
    QVERIFY(button(window, "cmdCarica")->isDefault());

    QPointer<QWidget> guard(&window);
    messages.queueAnswer(ui::vbNo);
    CounterFixture::enter();
    QCOMPARE(messages.texts(), QStringList{kAnother});
    QCOMPARE(messages.messages().at(0).style, ui::vbYesNo | ui::vbQuestion);
    QCOMPARE(messages.messages().at(0).title, QStringLiteral("Qorda"));
    QCOMPARE(shop.stock(QStringLiteral("1234")), 4L);
    QCOMPARE(shop.rows(QStringLiteral("carico")), 1);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Codice_Articolo from carico")).toString(), QStringLiteral("1234"));
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from carico")).toDouble(), 1.0);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Prezzo from carico")).toDouble(), 0.0);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Usato from carico")).toBool(), false);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Data from carico")).toDate(), QDate(2026, 12, 6));
    // "No" closes the window.
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard || !guard->isVisible());
}

void TestCounterLoad::yesLeavesFocusInEmptyBarcode()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QLineEdit *codice = CounterFixture::box(window, "txtCodice");
    CounterFixture::box(window, "txtData")->setText(QStringLiteral("01/12/2026"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    messages.queueAnswer(ui::vbYes);
    CounterFixture::enter(); // the release lands in the bar-code box and is skipped
    QCOMPARE(CounterFixture::focused(), codice);
    QVERIFY(codice->text().isEmpty());
    for (const char *name : {"txtDescrizione", "txtQuantita", "txtCarico", "txtCaricoIE", "txtListino", "txtTaglia",
                             "txtColore", "txtQuantitaDisponibile"})
        QVERIFY2(CounterFixture::box(window, name)->text().isEmpty(), name);
    QCOMPARE(CounterFixture::box(window, "txtData")->text(), QStringLiteral("06/12/2026"));
    QVERIFY(!button(window, "cmdCarica")->isDefault());

    // "Yes" answered with the mouse leaves no Enter to skip: a scan that
    // starts typing makes its own Enter count.
    messages.queueAnswer(ui::vbYes);
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    button(window, "cmdCarica")->click();
    QCOMPARE(CounterFixture::focused(), codice);
    CounterFixture::type(QStringLiteral("5555"));
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    codice->setFocus();
    codice->clear();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 5L);

    // The next scan goes on as the first did.
    messages.queueAnswer(ui::vbYes);
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    CounterFixture::enter();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 6L);
    QCOMPARE(shop.rows(QStringLiteral("carico")), 3);
    QCOMPARE(messages.texts(), (QStringList{kAnother, kAnother, kAnother}));
}

void TestCounterLoad::quantitiesAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<long>("stock");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("stored");
    // The stock is kept in whole pieces: a fraction is refused, not cut.
    QTest::newRow("whole") << "2" << 5L << 1 << 2.0;
    QTest::newRow("whole, with decimals") << "2,0" << 5L << 1 << 2.0;
    QTest::newRow("comma fraction refused") << "2,5" << 3L << 0 << 0.0;
    QTest::newRow("point fraction refused") << "2.5" << 3L << 0 << 0.0;
    QTest::newRow("three and a half refused") << "3.5" << 3L << 0 << 0.0;
    QTest::newRow("zero refused") << "0,5" << 3L << 0 << 0.0;
    QTest::newRow("letters refused") << "abc" << 3L << 0 << 0.0;
    QTest::newRow("beyond a long refused") << "9999999999" << 3L << 0 << 0.0;
}

void TestCounterLoad::quantitiesAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(long, stock);
    QFETCH(int, rows);
    QFETCH(double, stored);
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    CounterFixture::type(typed); // replaces the selected "1"
    QCOMPARE(CounterFixture::box(window, "txtQuantita")->text(), typed);
    messages.queueAnswer(ui::vbYes);
    CounterFixture::enter();
    QCOMPARE(shop.stock(QStringLiteral("1234")), stock);
    QCOMPARE(shop.rows(QStringLiteral("carico")), rows);
    if (rows) {
        QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from carico")).toDouble(), stored);
        QCOMPARE(messages.texts(), QStringList{kAnother});
    } else {
        QCOMPARE(messages.texts(),
                 QStringList{QStringLiteral("Alcuni campi non sono stati inseriti correttamente: \r\nQuantità\r\n"
                                            "Impossibile effettuare il carico.")});
        QCOMPARE(messages.messages().at(0).style, int(ui::vbExclamation));
    }
}

void TestCounterLoad::usedTurnsBarcodeIntoItsTwinAndBack()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QLineEdit *codice = CounterFixture::box(window, "txtCodice");
    QLineEdit *available = CounterFixture::box(window, "txtQuantitaDisponibile");
    auto *usato = window.findChild<QCheckBox *>(QStringLiteral("chkUsato"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QCOMPARE(available->text(), QStringLiteral("3"));

    QTest::mouseClick(usato, Qt::LeftButton);
    QCOMPARE(codice->text(), QStringLiteral("1234U"));
    QCOMPARE(available->text(), QStringLiteral("0")); // the twin was looked up
    QCOMPARE(CounterFixture::focused(), usato);
    QTest::mouseClick(usato, Qt::LeftButton);
    QCOMPARE(codice->text(), QStringLiteral("1234"));
    QCOMPARE(available->text(), QStringLiteral("3"));

    // A ticked box records a second-hand load of the twin.
    QTest::mouseClick(usato, Qt::LeftButton);
    messages.queueAnswer(ui::vbYes);
    button(window, "cmdCarica")->click();
    QCOMPARE(shop.stock(QStringLiteral("1234U")), 1L);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Usato from carico")).toBool(), true);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Codice_Articolo from carico")).toString(), QStringLiteral("1234U"));
    // Clearing the window clears the box without touching the new bar code.
    QVERIFY(!usato->isChecked());
    QVERIFY(codice->text().isEmpty());
}

void TestCounterLoad::priceLinkWithVat()
{
    CounterFixture shop;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QLineEdit *carico = CounterFixture::box(window, "txtCarico");
    QLineEdit *caricoIE = CounterFixture::box(window, "txtCaricoIE");
    carico->setFocus();
    CounterFixture::type(QStringLiteral("12"));
    QCOMPARE(caricoIE->text(), QStringLiteral("10,00"));
    QCOMPARE(carico->text(), QStringLiteral("12"));
    caricoIE->setFocus(); // leaving "Carico €" writes the same figure
    QCOMPARE(caricoIE->text(), QStringLiteral("10,00"));
    caricoIE->selectAll();
    CounterFixture::type(QStringLiteral("10"));
    QCOMPARE(carico->text(), QStringLiteral("12,00"));
    caricoIE->selectAll();
    CounterFixture::type(QStringLiteral("12,5"));
    QCOMPARE(carico->text(), QStringLiteral("15,00"));
    caricoIE->selectAll();
    CounterFixture::type(QStringLiteral("x"));
    QCOMPARE(caricoIE->text(), QStringLiteral("0"));
    QCOMPARE(caricoIE->selectedText(), QStringLiteral("0"));
    QCOMPARE(carico->text(), QStringLiteral("0,00"));
}

void TestCounterLoad::checksListEveryWrongField()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    CounterFixture::box(window, "txtData")->setText(QStringLiteral("31/02/2026"));
    button(window, "cmdCarica")->click();
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("Alcuni campi non sono stati inseriti correttamente: \r\nData\r\nCodice Articolo\r\n"
                                        "Quantità\r\nImpossibile effettuare il carico.")});
    QCOMPARE(shop.rows(QStringLiteral("carico")), 0);

    // Leaving the date box completes a typed date and empties a wrong one.
    QLineEdit *data = CounterFixture::box(window, "txtData");
    data->setFocus();
    data->selectAll();
    CounterFixture::type(QStringLiteral("061226"));
    CounterFixture::box(window, "txtQuantita")->setFocus();
    QCOMPARE(data->text(), QStringLiteral("06/12/2026"));
    data->setFocus();
    data->selectAll();
    CounterFixture::type(QStringLiteral("99x"));
    CounterFixture::box(window, "txtQuantita")->setFocus();
    QVERIFY(data->text().isEmpty());
}

void TestCounterLoad::unknownAndOrphanBarcodes()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QLineEdit *codice = CounterFixture::box(window, "txtCodice");
    // No such item (a quote in it too): back to the box, no message.
    CounterFixture::type(QStringLiteral("12'34"));
    CounterFixture::enter();
    QCOMPARE(CounterFixture::focused(), codice);
    QVERIFY(messages.texts().isEmpty());
    QVERIFY(CounterFixture::box(window, "txtQuantita")->text().isEmpty());

    // An item whose article is gone.
    codice->selectAll();
    CounterFixture::type(QStringLiteral("777"));
    CounterFixture::enter();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("L'articolo con codice 99 non è presente in archivio.\r\n"
                                                          "Impossibile completare l'operazione")});
    QCOMPARE(messages.messages().at(0).style, int(ui::vbCritical));
    QCOMPARE(CounterFixture::focused(), codice);
    QVERIFY(!button(window, "cmdCarica")->isDefault());
}

void TestCounterLoad::itemGoneWhenRecordingWritesNothing()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    // Another window deletes the item meanwhile.
    shop.database().execute(QStringLiteral("delete from [Codice Articolo] where ca_Codice = '1234'"));
    CounterFixture::enter();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Articolo non trovato. Impossibile caricare.")});
    QCOMPARE(shop.rows(QStringLiteral("carico")), 0);
    QVERIFY(window.isVisible());
}

void TestCounterLoad::changeModeShowsAndSavesWithStockCorrection()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    const qlonglong number = recordedLoad(QStringLiteral("1234"), 2.5);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 5L);
    frmCarico &window = openForChange(shop, number);
    QCOMPARE(window.p_bln_Modifica, false); // activation clears it
    QVERIFY(!button(window, "cmdCarica")->isVisible());
    QVERIFY(button(window, "cmdSalva")->isVisible());
    QVERIFY(button(window, "cmdCancella")->isVisible());
    QCOMPARE(CounterFixture::box(window, "txtData")->text(), QStringLiteral("01/12/2026"));
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("1234"));
    QCOMPARE(CounterFixture::box(window, "txtQuantita")->text(), QStringLiteral("2.5"));
    QCOMPARE(CounterFixture::box(window, "txtCarico")->text(), QStringLiteral("0"));
    QVERIFY(CounterFixture::box(window, "txtDescrizione")->text().isEmpty());

    // Same item, other quantity: the stock follows.
    CounterFixture::box(window, "txtQuantita")->setText(QStringLiteral("5"));
    button(window, "cmdSalva")->click();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 8L);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Quantita from carico")).toDouble(), 5.0);
    // Other item: the old one loses what it had, the new one gains.
    CounterFixture::box(window, "txtCodice")->setText(QStringLiteral("5555"));
    button(window, "cmdSalva")->click();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QCOMPARE(shop.stock(QStringLiteral("5555")), 15L);
    // An item that does not exist: nothing changes, and the user is told.
    CounterFixture::box(window, "txtCodice")->setText(QStringLiteral("0000"));
    button(window, "cmdSalva")->click();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Articolo non trovato. Impossibile modificare la quantità.")});
    QCOMPARE(shop.stock(QStringLiteral("5555")), 15L);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Codice_Articolo from carico")).toString(), QStringLiteral("5555"));
    QVERIFY(window.isVisible());
}

void TestCounterLoad::deleteGivesStoredQuantityBack()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    const qlonglong number = recordedLoad(QStringLiteral("1234"), 2);
    frmCarico &window = openForChange(shop, number);
    QPointer<QWidget> guard(&window);
    CounterFixture::box(window, "txtQuantita")->setText(QStringLiteral("5"));
    messages.queueAnswer(ui::vbNo);
    button(window, "cmdCancella")->click();
    QCOMPARE(shop.rows(QStringLiteral("carico")), 1);
    messages.queueAnswer(ui::vbYes);
    button(window, "cmdCancella")->click();
    QCOMPARE(messages.texts(), (QStringList{QStringLiteral("Eliminare definitivamente il carico corrente?"),
                                            QStringLiteral("Eliminare definitivamente il carico corrente?"),
                                            QStringLiteral("Il dato è stato cancellato.")}));
    QCOMPARE(messages.messages().at(2).style, int(ui::vbInformation));
    QCOMPARE(shop.rows(QStringLiteral("carico")), 0);
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L); // the stored 2, not the shown 5
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard || !guard->isVisible());
}

void TestCounterLoad::pickersFillCodeAndDescription()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QString statement;
    auto pick = [&statement](const QString &shown) {
        return [&statement, shown](QDialog &dialog) {
            auto &picker = static_cast<frmHelp &>(dialog);
            statement = picker.BuildSql();
            auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
            const auto found = list->findItems(shown, Qt::MatchExactly);
            list->setCurrentItem(found.value(0));
            QTest::keyClick(list, Qt::Key_Return);
            return dialog.result();
        };
    };
    messages.queueModal(pick(QStringLiteral("42")));
    button(window, "cmdHelpCodice")->click();
    QCOMPARE(statement, QStringLiteral("SELECT art_Descrizione as CODICE, art_Codice as DESCRIZIONE FROM Articoli ORDER BY art_Codice "));
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("42"));
    QCOMPARE(CounterFixture::box(window, "txtDescrizione")->text(), QStringLiteral("Giacca"));

    messages.queueModal(pick(QStringLiteral("Sciarpa")));
    button(window, "cmdHelpDescrizione")->click();
    QCOMPARE(statement, QStringLiteral("SELECT art_Codice as CODICE, art_Descrizione as DESCRIZIONE FROM Articoli ORDER BY art_Descrizione "));
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("43"));
    QCOMPARE(CounterFixture::box(window, "txtDescrizione")->text(), QStringLiteral("Sciarpa"));

    // Closing the picker leaves the article chosen before.
    button(window, "cmdHelpCodice")->click();
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("43"));
    QCOMPARE(CounterFixture::box(window, "txtDescrizione")->text(), QStringLiteral("Sciarpa"));
    QCOMPARE(messages.modals(), (QStringList{"frmHelp", "frmHelp", "frmHelp"}));
}

void TestCounterLoad::failedRowLeavesStockUntouched()
{
    CounterFixture shop;
    ui::ScriptedMessages messages;
    // The disk refuses the row after the stock has been changed.
    shop.refuseWrites(QStringLiteral("insert on carico"));
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    Q_UNUSED(window);
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    CounterFixture::enter();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QCOMPARE(shop.rows(QStringLiteral("carico")), 0);
    QCOMPARE(messages.texts().size(), 1); // the error, and no "caricato correttamente"
    QVERIFY(!messages.texts().at(0).contains(QStringLiteral("caricato")));
}

void TestCounterLoad::openedForNewLoadFromTheCard()
{
    CounterFixture shop;
    const qlonglong number = recordedLoad(QStringLiteral("1234"), 2);
    QPointer<frmCarico> shown = &openForChange(shop, number);
    ApriCaricoNuovo();
    QApplication::processEvents();
    // The same window, loaded again for new loads.
    auto *window = ui::WindowRegistry::existingInstance<frmCarico>();
    QCOMPARE(window, shown.data());
    QVERIFY(!window->loadedForChange());
    QVERIFY(button(*window, "cmdCarica")->isVisible());
    QCOMPARE(CounterFixture::box(*window, "txtData")->text(), QStringLiteral("06/12/2026"));
    QVERIFY(CounterFixture::box(*window, "txtCodice")->text().isEmpty());
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(*window, "txtCodice"));
}

QTEST_MAIN(TestCounterLoad)
#include "tst_counter_load.moc"
