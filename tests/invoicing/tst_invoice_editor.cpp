// The invoice editor driven as the shop owner drives it: new invoices and
// their numbers, lines picked and typed, totals, saving, browsing,
// renumbering, deleting, and the recall from the search.

#include "CardFixture.h"

#include "base/Globals.h"
#include "rules/general/Today.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "invoicing/RichiamaFattura.h"
#include "invoicing/frmFattura.h"
#include "lookup/frmHelp.h"
#include "register/frmAnagrafica.h"
#include "skin/ImageToolbar.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include <sqlite3.h>

namespace {

const QString kSaved = QStringLiteral("La fattura è stata salvata");
const QString kUnsavedSearch = QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare una fattura.");

enum Picture { New = 1, Search, Save, Delete, Print, First, Previous, Next, Last };
enum Column { Numero = 0, Descrizione, Quantita, Prezzo, Importo, Iva };

QString taken(const QString &numero)
{
    return QStringLiteral("La fattura inserita risulta già esistente. Impossibile assegnare il numero ") + numero
        + QStringLiteral(" alla fattura corrente");
}

} // namespace

class TestInvoiceEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void emptyArchiveOpensOnTheFirstInvoiceAndItsSaveCloses();
    void newProposesThisYearAndTheHighestSequencePlusOne();
    void anInvoiceOfThreeLinesForAPickedCustomer();
    void changeNumberRefusesAnythingButASequence_data();
    void changeNumberRefusesAnythingButASequence();
    void changeNumberMovesTheLinesTyped();
    void saveChecksTheNumberAgain();
    void aRefusedWriteIsNeverReportedAsSaved();
    void anInvoiceAnotherTillChangedIsNotOverwritten();
    void aFirstLineFindingItsNumberInUseMovesOn();
    void deleteTakesTheLinesWithTheHeader();
    void withNoInvoiceLeftTheGridWritesNothing();
    void articlePickFillsTheLineAndACancelLeavesIt();
    void aCustomerPickGivenUpKeepsTheCustomer_data();
    void aCustomerPickGivenUpKeepsTheCustomer();
    void vatChosenByRateOrCode_data();
    void vatChosenByRateOrCode();
    void lineArithmetic_data();
    void lineArithmetic();
    void typedAmountsReadOnceAndWithinSense_data();
    void typedAmountsReadOnceAndWithinSense();
    void anAbandonedNewInvoiceLeavesNoLines_data();
    void anAbandonedNewInvoiceLeavesNoLines();
    void printOfAnUnsavedNewInvoiceIsRefused();
    void datesAndSearch();
    void richiamaFatturaPositionsTheEditor();
    void newCustomerRunsTheCardsOwnNew();

private:
    frmFattura &openEditor();
    void click(Picture picture);
    void addCustomers();
    void addInvoice(const QString &numero, const QList<double> &amounts, int cliente = 1);
    void pickCustomer(const QString &name);
    void typeLine(const QString &descrizione, const QString &quantita, const QString &prezzo);
    QString cell(int row, int column) const;

    std::unique_ptr<CardFixture> m_f;
    QPointer<frmFattura> m_editor;
};

void TestInvoiceEditor::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

void TestInvoiceEditor::init()
{
    m_f = std::make_unique<CardFixture>();
    setToday(QDate(2026, 12, 6));
}

void TestInvoiceEditor::cleanup()
{
    delete m_editor.data();
    delete ui::WindowRegistry::existingInstance<frmFattura>();
    delete ui::WindowRegistry::existingInstance<frmAnagrafica>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_f.reset();
    setToday(QDate());
}

frmFattura &TestInvoiceEditor::openEditor()
{
    m_editor = &ui::WindowRegistry::defaultInstance<frmFattura>();
    m_editor->show();
    return *m_editor;
}

void TestInvoiceEditor::click(Picture picture)
{
    ImageToolbar *row = m_editor->imgToolbar1;
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->pictureRect(int(picture)).center());
}

void TestInvoiceEditor::addCustomers()
{
    m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località) values "
                                "('Rossi Abbigliamento', 'Via Emilia 12', 'Forlì')"));
    m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località) values "
                                "('Tessiture Dell''Orto', 'Via Po 3', 'Biella')"));
}

void TestInvoiceEditor::addInvoice(const QString &numero, const QList<double> &amounts, int cliente)
{
    double total = 0;
    for (double amount : amounts) {
        m_f->execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, "
                                    "df_Prezzo, df_IVA, df_Importo) values ('%1', 'Riga', 1, %2, 3, %2)")
                         .arg(numero).arg(amount));
        total += amount;
    }
    m_f->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, fat_Imponibile) "
                                "values ('%1', #12/01/2026#, %2, 0, %3)")
                     .arg(numero).arg(cliente).arg(total));
}

void TestInvoiceEditor::pickCustomer(const QString &name)
{
    m_f->messages().queueModal([name](QDialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        list->setCurrentItem(list->findItems(name, Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
        return dialog.result();
    });
    m_editor->cmdCercaAnagrafica->click();
}

// A line typed into the new row and written by leaving it. The cursor comes
// into the row on the number, as after Down, and goes on by itself to the
// description.
void TestInvoiceEditor::typeLine(const QString &descrizione, const QString &quantita, const QString &prezzo)
{
    data::Grid &grid = *m_editor->TDBGrid1;
    QVERIFY(grid.setCurrentCell(grid.model()->rowCount() - 1, Numero));
    QTRY_COMPARE(grid.currentColumn(), int(Descrizione));
    typeInGrid(grid, descrizione + QLatin1Char('\t') + quantita + QLatin1Char('\t') + prezzo + QLatin1Char('\t'));
    QVERIFY(grid.updateRow());
}

QString TestInvoiceEditor::cell(int row, int column) const
{
    const QAbstractItemModel *model = m_editor->TDBGrid1->model();
    return model->data(model->index(row, column)).toString();
}

void TestInvoiceEditor::emptyArchiveOpensOnTheFirstInvoiceAndItsSaveCloses()
{
    addCustomers();
    frmFattura &editor = openEditor();
    QCOMPARE(editor.windowTitle(), QStringLiteral("Fatture"));
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("In questo momento non sono presenti fatture in archivio. La prima fattura è pronta "
                                        "per essere inserita. \r\nCompletare i dati, quindi premere il tasto salva per "
                                        "salvare la prima fattura.")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(m_f->messages().messages().at(0).title, QStringLiteral("Qorda"));
    QCOMPARE(editor.editState(), 2);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00001"));
    QCOMPARE(editor.txtFields(1)->text(), QStringLiteral("06/12/2026"));
    QCOMPARE(editor.imgToolbar1->count(), 9);
    QCOMPARE(editor.imgToolbar1->toolTipOf(1), QStringLiteral("Nuova Fattura"));
    m_f->messages().clear();

    // Saving without a customer refuses with the two lines and writes nothing.
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("I campi Numero Fattura, Data e Cliente sono obbligatori.\r\n"
                                                                 "Impossibile salvare la fattura corrente.")});
    QCOMPARE(m_f->count(QStringLiteral("Fattura")), 0);
    m_f->messages().clear();

    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    QCOMPARE(editor.txtFields(2)->text(), QStringLiteral("1"));
    QCOMPARE(editor.txtCliente->text(), QStringLiteral("Rossi Abbigliamento"));
    typeLine(QStringLiteral("Giacca"), QStringLiteral("2"), QStringLiteral("50"));
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_editor || !m_editor->isVisible());
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Data from Fattura where fat_Numero = '26-00001'")).toDate(), QDate(2026, 12, 6));
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(), 100.0);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00001'")), 1);
}

void TestInvoiceEditor::newProposesThisYearAndTheHighestSequencePlusOne()
{
    addCustomers();
    addInvoice(QStringLiteral("25-00150"), {10});
    frmFattura &editor = openEditor();
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 1 di 1"));
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("25-00150"));
    QVERIFY(editor.txtFields(0)->isReadOnly());
    click(New);
    QCOMPARE(editor.editState(), 2);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00151"));
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 0 di 1"));
    QCOMPARE(editor.txtFields(1)->text(), QStringLiteral("06/12/26"));
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("0"));
    QCOMPARE(editor.TDBGrid1->model()->rowCount(), 1);   // the new row only
    // Typing into the number box changes nothing.
    editor.txtFields(0)->setFocus();
    QTest::keyClicks(editor.txtFields(0), QStringLiteral("99"));
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00151"));

    // A second New while this one is unsaved refuses.
    click(New);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire una nuova fattura.")});
    m_f->messages().clear();

    pickCustomer(QStringLiteral("Tessiture Dell'Orto"));
    // A line still being typed is written by Save, and counted.
    QVERIFY(editor.TDBGrid1->setCurrentCell(0, Descrizione));
    typeInGrid(*editor.TDBGrid1, QStringLiteral("Giacca\t2\t50"));
    editor.dbcboPagamenti->setCurrentIndex(editor.dbcboPagamenti->findText(QStringLiteral("Bonifico")));
    Q_EMIT editor.dbcboPagamenti->activated(editor.dbcboPagamenti->currentIndex());
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QVERIFY(editor.isVisible());
    // The proposed date is stored with its four-digit year; no payment date
    // is Null; not paid is 0.
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Data from Fattura where fat_Numero = '26-00151'")).toDate(), QDate(2026, 12, 6));
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00151' and fat_Data_Pagamento is null "
                                       "and fat_Pagato = 0 and fat_Codice_Cliente = 2 and fat_Descrizione_Pagamento = 'Bonifico'")), 1);
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 2 di 2"));
    QCOMPARE(editor.editState(), 0);
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00151'")).toDouble(), 100.0);
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("100"));

    // Paid, with a payment date: -1 and the date.
    editor.chkPagata->setChecked(true);
    editor.txtFields(3)->setText(QStringLiteral("07/12/26"));
    click(Save);
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00151' and fat_Pagato = -1 "
                                       "and fat_Data_Pagamento = #12/07/2026#")), 1);
}

// The shop owner's invoice: three lines at two VAT rates for a customer
// picked from the register, saved, browsed away from and back to.
void TestInvoiceEditor::anInvoiceOfThreeLinesForAPickedCustomer()
{
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10});
    addInvoice(QStringLiteral("26-00005"), {20});
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Prezzo_Listino) values ('Sciarpa', 12.5)"));
    frmFattura &editor = openEditor();
    click(New);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00006"));
    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    typeLine(QStringLiteral("Giacca"), QStringLiteral("2"), QStringLiteral("49,90"));
    typeLine(QStringLiteral("Camicia"), QStringLiteral("3"), QStringLiteral("3.50"));
    // The third line at 4%: chosen in the VAT column.
    data::Grid &grid = *editor.TDBGrid1;
    QVERIFY(grid.setCurrentCell(grid.model()->rowCount() - 1, Descrizione));
    typeInGrid(grid, QStringLiteral("Libro\t1\t10\t"));
    grid.setColumnValue(Iva, 1);
    QVERIFY(grid.updateRow());
    QCOMPARE(cell(0, Iva), QStringLiteral("IVA 22%"));
    QCOMPARE(cell(1, Prezzo), QStringLiteral("3,50"));
    QCOMPARE(cell(1, Importo), QStringLiteral("10,50"));
    QCOMPARE(cell(2, Iva), QStringLiteral("IVA 4%"));
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("120,3"));
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 3 di 3"));

    click(First);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00001"));
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("10"));
    QCOMPARE(grid.model()->rowCount(), 2);   // its line and the new row
    click(Previous);
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 1 di 3"));
    click(Last);
    click(Next);
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 3 di 3"));
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00006"));
    QCOMPARE(editor.txtCliente->text(), QStringLiteral("Rossi Abbigliamento"));
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("120,3"));
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00006'")).toDouble(), 120.3);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00006'")), 3);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00006' and df_IVA = 3")), 2);

    // A line changed on a stored invoice takes the stored total with it.
    int giacca = 0;
    while (giacca < 3 && cell(giacca, Descrizione) != QLatin1String("Giacca"))
        ++giacca;
    QVERIFY(grid.setCurrentCell(giacca, Quantita));
    typeInGrid(grid, QStringLiteral("1\t"));
    QVERIFY(grid.updateRow());
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("70,4"));
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00006'")).toDouble(), 70.4);
    QCOMPARE(editor.editState(), 0);
    // So does a line deleted.
    QVERIFY(grid.selectWholeRow(giacca));
    QVERIFY(grid.deleteRow());
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("20,5"));
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00006'")).toDouble(), 20.5);
    QVERIFY(m_f->messages().texts() == QStringList{kSaved});
}

void TestInvoiceEditor::changeNumberRefusesAnythingButASequence_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("cancelled") << QString() << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("zero") << QStringLiteral("0") << false;
    QTest::newRow("letters") << QStringLiteral("abc") << false;
    QTest::newRow("digits then letters") << QStringLiteral("12abc") << false;
    QTest::newRow("negative") << QStringLiteral("-5") << false;
    QTest::newRow("decimal") << QStringLiteral("1.5") << false;
    QTest::newRow("too large") << QStringLiteral("100000") << false;
    QTest::newRow("quote") << QStringLiteral("1\"") << false;
}

void TestInvoiceEditor::changeNumberRefusesAnythingButASequence()
{
    QFETCH(QString, answer);
    QFETCH(bool, cancelled);
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    // A saved invoice keeps its number.
    editor.cmdCambiaNumero->click();
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("La fattura è già stata salvata. Impossibile cambiare il numero.")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbExclamation));
    QVERIFY(m_f->messages().inputs().isEmpty());
    m_f->messages().clear();

    click(New);
    typeLine(QStringLiteral("Giacca"), QStringLiteral("1"), QStringLiteral("5"));
    if (cancelled)
        m_f->messages().queueInputCancel();
    else
        m_f->messages().queueInput(answer);
    editor.cmdCambiaNumero->click();
    QCOMPARE(m_f->messages().inputs().size(), 1);
    QCOMPARE(m_f->messages().inputs().at(0).prompt, QStringLiteral("Specificare il numero di fattura che si desidera inserire"));
    QCOMPARE(m_f->messages().inputs().at(0).title, QStringLiteral("Cambia Numero"));
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00002"));
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 1);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura]")), 2);
}

void TestInvoiceEditor::changeNumberMovesTheLinesTyped()
{
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10});
    addInvoice(QStringLiteral("26-00020"), {20});
    frmFattura &editor = openEditor();
    click(New);
    typeLine(QStringLiteral("Giacca"), QStringLiteral("1"), QStringLiteral("5"));
    typeLine(QStringLiteral("Gonna"), QStringLiteral("2"), QStringLiteral("5"));
    // A number in use is refused and the lines stay.
    m_f->messages().queueInput(QStringLiteral("1"));
    editor.cmdCambiaNumero->click();
    QCOMPARE(m_f->messages().texts(), QStringList{taken(QStringLiteral("26-00001"))});
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00021"));
    m_f->messages().clear();

    m_f->messages().queueInput(QStringLiteral(" 12 "));
    editor.cmdCambiaNumero->click();
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00012"));
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00012'")), 2);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00021'")), 0);
    QCOMPARE(editor.TDBGrid1->model()->rowCount(), 3);
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("15"));

    // Saved, the editor stands on it, not on the last invoice.
    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00012"));
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 2 di 3"));
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00012'")).toDouble(), 15.0);
}

void TestInvoiceEditor::saveChecksTheNumberAgain()
{
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    click(New);
    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    // Meanwhile the number was taken (another way in, an earlier copy).
    m_f->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Imponibile) "
                                "values ('26-00002', #12/02/2026#, 2, 0)"));
    // A line typed now would join that invoice: refused.
    data::Grid &grid = *editor.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, Descrizione));
    typeInGrid(grid, QStringLiteral("Giacca\t1\t5\t"));
    QVERIFY(!grid.updateRow());
    QCOMPARE(m_f->messages().texts(), QStringList{taken(QStringLiteral("26-00002"))});
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura]")), 1);
    m_f->messages().clear();
    // The save takes the next free number and says so.
    click(Save);
    QCOMPARE(m_f->messages().texts(),
             (QStringList{QStringLiteral("Il numero 26-00002 è stato assegnato nel frattempo a un'altra fattura. "
                                         "La fattura corrente è stata salvata con il numero 26-00003."),
                          kSaved}));
    QCOMPARE(editor.editState(), 0);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00003"));
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00002' and fat_Codice_Cliente = 2")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00003' and fat_Codice_Cliente = 1")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Fattura")), 3);
}

void TestInvoiceEditor::aRefusedWriteIsNeverReportedAsSaved()
{
    addCustomers();
    frmFattura &editor = openEditor();
    m_f->messages().clear();
    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    m_f->refuseWrites(QStringLiteral("insert on Fattura"));
    click(Save);
    QVERIFY(!m_f->messages().texts().contains(kSaved));
    QVERIFY(!m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->count(QStringLiteral("Fattura")), 0);
    // The first invoice's window stays open, the invoice still to save.
    QVERIFY(m_editor && editor.isVisible());
    QCOMPARE(editor.editState(), 2);
}

// Another till writes through a connection of its own.
static void otherTill(const char *sql)
{
    TestShopDatabase::writeAsAnotherTill(g_strDbPath, QString::fromUtf8(sql));
}

void TestInvoiceEditor::anInvoiceAnotherTillChangedIsNotOverwritten()
{
    const QString changed = QStringLiteral(
        "Il record è stato modificato o eliminato da un altro utente dopo che è stato letto. "
        "Le modifiche non sono state salvate: rileggere il record e riprovare.");
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10, 5}, 1);
    addInvoice(QStringLiteral("26-00002"), {20}, 1);
    frmFattura &editor = openEditor();
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00001"));
    m_f->messages().clear();

    // The user changes the customer while another till redates the invoice.
    editor.txtFields(2)->setText(QStringLiteral("2"));
    otherTill("update Fattura set fat_Data = '2026-12-03' where fat_Numero = '26-00001'");
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{changed});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbExclamation));
    QCOMPARE(editor.editState(), 1);
    QCOMPARE(editor.txtFields(2)->text(), QStringLiteral("2"));
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00001' and fat_Data = #12/03/2026# "
                                       "and fat_Codice_Cliente = 1")), 1);

    // Back on it, the invoice shows as the other till left it; a delete
    // after a further change elsewhere leaves header and lines.
    m_f->messages().queueAnswer(ui::vbNo); // the refused change is given up
    click(Next);
    click(Previous);
    QCOMPARE(editor.editState(), 0);
    QCOMPARE(editor.txtFields(1)->text(), QStringLiteral("03/12/2026"));
    m_f->messages().clear();
    otherTill("update Fattura set fat_Pagato = -1 where fat_Numero = '26-00001'");
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->messages().texts(), (QStringList{QStringLiteral("Cancellare definitivamente la fattura corrente?"), changed}));
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00001' and fat_Pagato = -1")), 1);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00001'")), 2);
}

// Two tills proposed the same number; the other one wrote its first line
// first.
void TestInvoiceEditor::aFirstLineFindingItsNumberInUseMovesOn()
{
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    click(New);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00002"));
    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    otherTill("insert into \"Dettaglio Fattura\" (df_Numero_Fattura, df_Descrizione, df_Importo) values ('26-00002', 'Altra', 7)");
    m_f->messages().clear();
    typeLine(QStringLiteral("Giacca"), QStringLiteral("1"), QStringLiteral("5"));
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Il numero 26-00002 è già in uso per un'altra fattura in corso. "
                                                                 "La fattura corrente prende il numero 26-00003.")});
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00003"));
    typeLine(QStringLiteral("Sciarpa"), QStringLiteral("2"), QStringLiteral("3"));
    m_f->messages().clear();
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00003' and fat_Imponibile = 11")), 1);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00003'")), 2);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002' and df_Descrizione = 'Altra'")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Fattura")), 2);
}

void TestInvoiceEditor::deleteTakesTheLinesWithTheHeader()
{
    addInvoice(QStringLiteral("26-00001"), {10, 5});
    addInvoice(QStringLiteral("26-00002"), {20, 1, 2});
    frmFattura &editor = openEditor();
    click(Next);
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("23"));
    // No answers No.
    m_f->messages().queueAnswer(ui::vbNo);
    click(Delete);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Cancellare definitivamente la fattura corrente?")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbYesNo | ui::vbExclamation));
    QCOMPARE(m_f->count(QStringLiteral("Fattura")), 2);
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00002'")), 0);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 0);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura]")), 2);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00001"));
    QCOMPARE(editor.txtToolbar->text(), QStringLiteral("Fattura: 1 di 1"));

    // Unsaved changes block the delete.
    editor.txtFields(2)->setText(QStringLiteral("2"));
    m_f->messages().clear();
    click(Delete);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("I dati non sono stati salvati. Salvare prima di cancellare una fattura.")});
}

void TestInvoiceEditor::withNoInvoiceLeftTheGridWritesNothing()
{
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->count(QStringLiteral("Fattura")), 0);
    QVERIFY(editor.txtFields(0)->text().isEmpty());
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("0"));
    data::Grid &grid = *editor.TDBGrid1;
    QVERIFY(!grid.allowAddNew());
    QCOMPARE(grid.model()->rowCount(), 0);
    grid.setColumnValue(Descrizione, QStringLiteral("Riga vagante"));
    grid.updateRow();
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura]")), 0);
    // The moves have nothing to move to, Delete nothing to delete: all silent.
    m_f->messages().clear();
    click(Next);
    click(Last);
    click(Delete);
    QVERIFY(m_f->messages().texts().isEmpty());
    click(New);
    QCOMPARE(editor.txtFields(0)->text(), QStringLiteral("26-00001"));
    QVERIFY(grid.allowAddNew());
}

// Escape or Annulla in the customer picker leaves the invoice's customer as
// it was (it used to become 0, and the search then found nothing).
void TestInvoiceEditor::aCustomerPickGivenUpKeepsTheCustomer_data()
{
    QTest::addColumn<bool>("annulla");
    QTest::newRow("Escape") << false;
    QTest::newRow("Annulla") << true;
}

void TestInvoiceEditor::aCustomerPickGivenUpKeepsTheCustomer()
{
    QFETCH(bool, annulla);
    addCustomers();
    frmFattura &editor = openEditor();
    click(New);
    pickCustomer(QStringLiteral("Rossi Abbigliamento"));
    QString caption;
    m_f->messages().queueModal([&caption, annulla](QDialog &dialog) {
        caption = dialog.windowTitle();
        auto *filter = dialog.findChild<QLineEdit *>(QStringLiteral("txtFiltro"));
        QTest::keyClicks(filter, QStringLiteral("dell'"));
        QTest::keyClick(filter, Qt::Key_Down);
        if (annulla)
            dialog.findChild<QPushButton *>(QStringLiteral("cmdAnnulla"))->click();
        else
            QTest::keyClick(dialog.findChild<QListWidget *>(QStringLiteral("dblHelp")), Qt::Key_Escape);
        return dialog.result();
    });
    m_editor->cmdCercaAnagrafica->click();
    QCOMPARE(caption, QStringLiteral("Scelta cliente"));
    QCOMPARE(m_f->messages().modals(), (QStringList{"frmHelp", "frmHelp"}));
    QCOMPARE(editor.txtFields(2)->text(), QStringLiteral("1"));
    QCOMPARE(editor.txtCliente->text(), QStringLiteral("Rossi Abbigliamento"));
}

void TestInvoiceEditor::articlePickFillsTheLineAndACancelLeavesIt()
{
    addInvoice(QStringLiteral("26-00001"), {});
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Prezzo_Listino) values ('Sciarpa', 12.5)"));
    frmFattura &editor = openEditor();
    data::Grid &grid = *editor.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, Descrizione));
    QString statement;
    m_f->messages().queueModal([&statement](QDialog &dialog) {
        statement = static_cast<frmHelp &>(dialog).BuildSql();
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        list->setCurrentItem(list->findItems(QStringLiteral("Sciarpa"), Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
        return dialog.result();
    });
    editor.TDBGrid1_ButtonClick(Descrizione);
    QCOMPARE(statement, QStringLiteral("SELECT art_Codice as CODICE, art_Descrizione as DESCRIZIONE FROM Articoli ORDER BY art_descrizione "));
    QCOMPARE(grid.columnText(Descrizione), QStringLiteral("Sciarpa"));
    QCOMPARE(grid.columnText(Quantita), QStringLiteral("1"));
    QCOMPARE(grid.columnValue(Importo).toDouble(), 12.5);
    // The VAT column has no picker.
    editor.TDBGrid1_ButtonClick(Iva);
    // A pick given up leaves the line as it was.
    editor.TDBGrid1_ButtonClick(Prezzo);
    QCOMPARE(m_f->messages().modals(), (QStringList{"frmHelp", "frmHelp"}));
    QCOMPARE(grid.columnText(Descrizione), QStringLiteral("Sciarpa"));
    QCOMPARE(grid.columnValue(Importo).toDouble(), 12.5);
    QVERIFY(grid.updateRow());
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Descrizione = 'Sciarpa' and df_Quantità = 1 "
                                       "and df_Prezzo = 12.5 and df_Importo = 12.5 and df_IVA = 3 and df_Numero_Fattura = '26-00001'")), 1);
    QCOMPARE(editor.txtTotale->text(), QStringLiteral("12,5"));
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(), 12.5);
}

// The VAT of a line: a new line shows at once the rate it takes when the
// user chooses none; typed in the cell, a rate ("22") or a code chooses it.
void TestInvoiceEditor::vatChosenByRateOrCode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing typed: the proposed rate") << "" << 3 << "IVA 22%";
    QTest::newRow("rate 4") << "4" << 1 << "IVA 4%";
    QTest::newRow("rate 10") << "10" << 2 << "IVA 10%";
    QTest::newRow("rate 22") << "22" << 3 << "IVA 22%";
    QTest::newRow("code 2") << "2" << 2 << "IVA 10%";
    QTest::newRow("rate 4 after a code") << "34" << 1 << "IVA 4%";
}

void TestInvoiceEditor::vatChosenByRateOrCode()
{
    QFETCH(QString, typed);
    QFETCH(int, code);
    QFETCH(QString, shown);
    addInvoice(QStringLiteral("26-00001"), {});
    frmFattura &editor = openEditor();
    data::Grid &grid = *editor.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, Descrizione));
    QCOMPARE(cell(0, Iva), QString());
    typeInGrid(grid, QStringLiteral("Libro\t1\t10"));
    QCOMPARE(cell(0, Iva), QStringLiteral("IVA 22%"));
    QCOMPARE(cell(0, Importo), QStringLiteral("10,00"));
    QVERIFY(grid.setCurrentCell(0, Iva));
    typeInGrid(grid, typed);
    QVERIFY(grid.updateRow());
    QCOMPARE(cell(0, Iva), shown);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_IVA = %1").arg(code)), 1);
}

void TestInvoiceEditor::lineArithmetic_data()
{
    QTest::addColumn<QStringList>("typed");          // quantity, price of each line
    QTest::addColumn<QString>("amountWhileTyping");  // of the last line, its price typed so far
    QTest::addColumn<QString>("more");               // then typed into that price
    QTest::addColumn<QString>("total");
    QTest::newRow("a minus sign leaves the amount") << QStringList{"2", "-"} << QString() << "3" << "-6";
    QTest::newRow("a point under Italian settings") << QStringList{"1", "3.50"} << "3,50" << "" << "3,5";
    QTest::newRow("tenths add up to 0,3") << QStringList{"1", "0,1", "1", "0,2"} << "0,20" << "" << "0,3";
    QTest::newRow("a text-only line counts 0") << QStringList{"", "", "2", "4"} << "8,00" << "" << "8";
}

void TestInvoiceEditor::lineArithmetic()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, amountWhileTyping);
    QFETCH(QString, more);
    QFETCH(QString, total);
    addInvoice(QStringLiteral("26-00001"), {});
    frmFattura &editor = openEditor();
    data::Grid &grid = *editor.TDBGrid1;
    const int lines = int(typed.size()) / 2;
    for (int line = 0; line < lines; ++line) {
        QVERIFY(grid.setCurrentCell(line, Descrizione));
        typeInGrid(grid, QStringLiteral("Riga\t") + typed.at(2 * line) + QLatin1Char('\t') + typed.at(2 * line + 1));
        if (line + 1 == lines) {
            QCOMPARE(grid.columnText(Importo), amountWhileTyping);
            typeInGrid(grid, more);
        }
        typeInGrid(grid, QStringLiteral("\t"));
        QVERIFY(grid.updateRow());
    }
    QCOMPARE(editor.txtTotale->text(), total);
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(), QLocale().toDouble(total));
    // Every line written got the third VAT code and a price.
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_IVA = 3 and df_Prezzo is not null")), lines);
}

void TestInvoiceEditor::typedAmountsReadOnceAndWithinSense_data()
{
    QTest::addColumn<double>("existing");   // the amount of a line stored before, 0 for none
    QTest::addColumn<QString>("typed");     // from the description on
    QTest::addColumn<QString>("message");   // empty: the line is written
    QTest::addColumn<int>("keptColumn");    // the cell that keeps what was typed
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QList<double>>("stored");  // quantity, price, amount of the line written
    const QString number = QStringLiteral("Il valore \"%1\" della colonna \"%2\" non è un numero valido.");
    const QString amount = QStringLiteral("L'importo della riga supera 99.999.999,99: correggere la quantità o il prezzo.");
    const QString total = QStringLiteral("Con questa riga il totale della fattura supererebbe 99.999.999,99: "
                                         "la riga non può essere salvata.");
    QTest::newRow("1.000 is one piece in the amount and in the cell")
        << 0.0 << "Nuova\t1.000\t10\t" << QString() << 0 << QString() << QList<double>{1, 10, 10};
    QTest::newRow("a grouped price is its number")
        << 0.0 << "Nuova\t2\t1.234,50\t" << QString() << 0 << QString() << QList<double>{2, 1234.5, 2469};
    QTest::newRow("digits beyond the cents rounded away")
        << 0.0 << "Nuova\t4\t2,675\t" << QString() << 0 << QString() << QList<double>{4, 2.68, 10.72};
    QTest::newRow("1e308") << 0.0 << "Nuova\t1\t1e308\t" << number.arg("1e308", "Prezzo") << int(Prezzo)
                           << "1e308" << QList<double>{};
    QTest::newRow("NaN") << 0.0 << "Nuova\t1\tNaN\t" << number.arg("NaN", "Prezzo") << int(Prezzo) << "NaN"
                         << QList<double>{};
    QTest::newRow("1,2,3") << 0.0 << "Nuova\t1\t1,2,3\t" << number.arg("1,2,3", "Prezzo") << int(Prezzo)
                           << "1,2,3" << QList<double>{};
    QTest::newRow("a price of a hundred million")
        << 0.0 << "Nuova\t1\t100000000\t" << number.arg("100000000", "Prezzo") << int(Prezzo) << "100000000"
        << QList<double>{};
    QTest::newRow("more pieces than the stock holds")
        << 0.0 << "Nuova\t3000000000\t" << number.arg("3000000000", "Quantità") << int(Quantita) << "3000000000"
        << QList<double>{};
    QTest::newRow("an amount beyond sense")
        << 0.0 << "Nuova\t3\t99999999\t" << amount << int(Prezzo) << "99999999" << QList<double>{};
    QTest::newRow("a total beyond sense")
        << 99999900.0 << "Nuova\t1\t100\t" << total << int(Prezzo) << "100" << QList<double>{};
}

// A typed number means the same in the amount and in the stored cell; one
// beyond sense is refused with a message, the line kept as typed, nothing
// written.
void TestInvoiceEditor::typedAmountsReadOnceAndWithinSense()
{
    QFETCH(double, existing);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, keptColumn);
    QFETCH(QString, kept);
    QFETCH(QList<double>, stored);
    addInvoice(QStringLiteral("26-00001"), existing != 0 ? QList<double>{existing} : QList<double>{});
    frmFattura &editor = openEditor();
    data::Grid &grid = *editor.TDBGrid1;
    QVERIFY(grid.setCurrentCell(grid.model()->rowCount() - 1, Descrizione));
    typeInGrid(grid, typed);
    const bool written = grid.updateRow();
    const QString line = QStringLiteral("[Dettaglio Fattura] where df_Descrizione = 'Nuova'");
    if (message.isEmpty()) {
        QVERIFY(written);
        QVERIFY(m_f->messages().texts().isEmpty());
        QCOMPARE(m_f->count(line), 1);
        QCOMPARE(m_f->scalar(QStringLiteral("select df_Quantità from ") + line).toDouble(), stored.at(0));
        QCOMPARE(m_f->scalar(QStringLiteral("select df_Prezzo from ") + line).toDouble(), stored.at(1));
        QCOMPARE(m_f->scalar(QStringLiteral("select df_Importo from ") + line).toDouble(), stored.at(2));
        QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(), stored.at(2));
        return;
    }
    QVERIFY(!written);
    QVERIFY(!m_f->messages().texts().isEmpty());
    for (const QString &shown : m_f->messages().texts())
        QCOMPARE(shown, message);
    QCOMPARE(m_f->count(line), 0);
    QCOMPARE(grid.columnText(keptColumn), kept);
    QCOMPARE(m_f->scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(), existing);
}

void TestInvoiceEditor::anAbandonedNewInvoiceLeavesNoLines_data()
{
    QTest::addColumn<int>("way");   // 0 a move, 1 the window closed, 2 the recall of an invoice
    QTest::newRow("moved away") << 0;
    QTest::newRow("window closed") << 1;
    QTest::newRow("first invoice recalled") << 2;
}

void TestInvoiceEditor::anAbandonedNewInvoiceLeavesNoLines()
{
    QFETCH(int, way);
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura *editor = &openEditor();
    click(New);
    typeLine(QStringLiteral("Giacca"), QStringLiteral("1"), QStringLiteral("5"));
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 1);
    // Asked about it, the user gives the new invoice up.
    m_f->messages().queueAnswer(ui::vbNo);
    if (way == 0) {
        click(First);
        QCOMPARE(editor->txtFields(0)->text(), QStringLiteral("26-00001"));
    } else if (way == 1) {
        editor->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        editor = &openEditor();
    } else {
        QVERIFY(RichiamaFattura(QStringLiteral("26-00001")));
        QCOMPARE(editor->txtFields(0)->text(), QStringLiteral("26-00001"));
    }
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Salvare le modifiche?")});
    QCOMPARE(editor->editState(), 0);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 0);
    QCOMPARE(m_f->count(QStringLiteral("[Dettaglio Fattura]")), 1);
    editor = m_editor;
    click(New);
    QCOMPARE(editor->txtFields(0)->text(), QStringLiteral("26-00002"));
    QCOMPARE(editor->TDBGrid1->model()->rowCount(), 1);
    QCOMPARE(editor->txtTotale->text(), QStringLiteral("0"));
}

void TestInvoiceEditor::printOfAnUnsavedNewInvoiceIsRefused()
{
    const QString refused = QStringLiteral("E' necessario salvare la fattura prima di stampare.");
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    click(New);
    click(Print);
    QCOMPARE(m_f->messages().texts(), QStringList{refused});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    // An edited invoice prints what is stored, unsaved changes and all.
    m_f->messages().queueAnswer(ui::vbNo); // the new invoice is given up
    click(First);
    editor.txtFields(2)->setText(QStringLiteral("7"));
    QCOMPARE(editor.editState(), 1);
    m_f->messages().clear();
    click(Print);
    QVERIFY(!m_f->messages().texts().contains(refused));
}

void TestInvoiceEditor::datesAndSearch()
{
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    // A date box completes what is typed when it is left.
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QLineEdit *paid = editor.txtFields(3);
    paid->setFocus();
    QTest::keyClicks(paid, QStringLiteral("061226"));
    QVERIFY(paid->font().bold());
    QTest::keyClick(paid, Qt::Key_Tab);
    QVERIFY(!paid->font().bold());
    QCOMPARE(paid->text(), QStringLiteral("06/12/2026"));
    // Search refuses unsaved changes, otherwise gives the window up.
    click(Search);
    QCOMPARE(m_f->messages().texts(), QStringList{kUnsavedSearch});
    click(Save);
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Data_Pagamento = #12/06/2026#")), 1);
    m_f->messages().clear();
    click(Search);
    QVERIFY(!m_f->messages().texts().contains(kUnsavedSearch));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_editor || !m_editor->isVisible());
}

void TestInvoiceEditor::richiamaFatturaPositionsTheEditor()
{
    addInvoice(QStringLiteral("26-00001"), {10});
    addInvoice(QStringLiteral("26-00002"), {20});
    // Not open yet: opened on the invoice.
    QVERIFY(RichiamaFattura(QStringLiteral("26-00002")));
    m_editor = ui::WindowRegistry::existingInstance<frmFattura>();
    QVERIFY(m_editor && m_editor->isVisible());
    QCOMPARE(m_editor->txtFields(0)->text(), QStringLiteral("26-00002"));
    QCOMPARE(m_editor->txtTotale->text(), QStringLiteral("20"));
    // A number not in the archive, or one with a quote, changes nothing.
    for (const QString &missing : {QStringLiteral("26-00009"), QStringLiteral("26\"-00001"), QStringLiteral("\" or \"\"=\"")}) {
        m_f->messages().clear();
        QVERIFY(!RichiamaFattura(missing));
        QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Impossibile trovare la fattura selezionata.")});
        QCOMPARE(m_f->messages().messages().at(0).title, QStringLiteral("Qorda"));
        QCOMPARE(m_editor->txtFields(0)->text(), QStringLiteral("26-00002"));
    }
    QVERIFY(RichiamaFattura(QStringLiteral("26-00001")));
    QCOMPARE(m_editor->txtToolbar->text(), QStringLiteral("Fattura: 1 di 2"));
    QVERIFY(m_f->log().isEmpty());
}

void TestInvoiceEditor::newCustomerRunsTheCardsOwnNew()
{
    addCustomers();
    addInvoice(QStringLiteral("26-00001"), {10});
    frmFattura &editor = openEditor();
    editor.cmdNuovaAnagrafica->click();
    auto *card = ui::WindowRegistry::existingInstance<frmAnagrafica>();
    QVERIFY(card && card->isVisible());
    QCOMPARE(card->datPrimaryRs->editMode(), db::EditMode::Adding);
    // The customer is registered on the card, then picked.
    static_cast<QTextEdit *>(card->txtFields(1))->setPlainText(QStringLiteral("Verdi Sport"));
    static_cast<QLineEdit *>(card->txtFields(12))->setText(QStringLiteral("Via Roma 1"));
    static_cast<QLineEdit *>(card->txtFields(4))->setText(QStringLiteral("Rimini"));
    // Asked again while the card holds it unsaved, the card keeps it.
    editor.cmdNuovaAnagrafica->click();
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire una nuova anagrafica.")});
    QCOMPARE(card->fieldText(1), QStringLiteral("Verdi Sport"));
    card->imgToolbar1_Click(3);
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Denominazione = 'Verdi Sport'")), 1);

    click(New);
    pickCustomer(QStringLiteral("Verdi Sport"));
    QCOMPARE(editor.txtFields(2)->text(), QStringLiteral("3"));
    typeLine(QStringLiteral("Tuta"), QStringLiteral("1"), QStringLiteral("40"));
    m_f->messages().clear();
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(m_f->count(QStringLiteral("Fattura where fat_Numero = '26-00002' and fat_Codice_Cliente = 3 and fat_Imponibile = 40")), 1);
}

QTEST_MAIN(TestInvoiceEditor)
#include "tst_invoice_editor.moc"
