// The supplier dictionary, the dictionary editor on a table with codes of
// its own, the running total and the two File menu commands.

#include "CardFixture.h"

#include "quirnel/MenuCommands.h"
#include "base/errors/TarvoApplication.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "stock/frmCarico.h"
#include "ui/MdiChild.h"
#include "data/Grid.h"
#include "db/Recordset.h"
#include "lookup/frmCalcola.h"
#include "lookup/frmDizionari.h"
#include "skin/SkinPath.h"
#include "stock/frmPrestazioni.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kDescriptionRequired =
    QStringLiteral("Il campo Descrizione è obbligatorio.\r\nIl dato inserito non può essere salvato.");
const QString kDuplicate = QStringLiteral(
    "Si sta tentando di inserire un dato che ha il codice uguale ad un altro già esistente.\r\nLe modifiche non verranno salvate.");

} // namespace

class TestDictionary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void suppliersShowOneColumnInNameOrder();
    void addingASupplier();
    void renamingASupplier();
    void deletingASupplierAsksFirst();
    void aRowWithoutDescriptionIsNotWritten();
    void aDuplicateNameIsRefused();
    void emptyTableIsReadyForANewRow();
    void codeColumnUpperCasesWhatIsTyped();
    void numericCodeColumnTakesOnlyDigits();
    void runningTotal();
    void fileMenuOpensTheCardAndTheSuppliers();

private:
    frmDizionari &openSuppliers();
    frmDizionari &openPayments(bool numericCode);
    QStringList column(int index) const;

    std::unique_ptr<CardFixture> m_f;
    QPointer<frmDizionari> m_window;
};

void TestDictionary::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestDictionary::init()
{
    m_f = std::make_unique<CardFixture>();
}

void TestDictionary::cleanup()
{
    delete m_window.data();
    m_f.reset();
}

// As the File menu sets it up.
frmDizionari &TestDictionary::openSuppliers()
{
    m_window = new frmDizionari;
    m_window->sNomeTabella = QStringLiteral("[Fornitore]");
    m_window->sTitolo = QStringLiteral("Fornitori");
    m_window->sDescrizione = QStringLiteral("fo_Descrizione");
    m_window->sID = QStringLiteral("fo_Descrizione");
    m_window->b_Codice_Visibile = false;
    m_window->show();
    return *m_window;
}

frmDizionari &TestDictionary::openPayments(bool numericCode)
{
    m_window = new frmDizionari;
    m_window->sNomeTabella = QStringLiteral("Pagamenti");
    m_window->sTitolo = QStringLiteral("Pagamenti");
    m_window->sDescrizione = QStringLiteral("pag_Descrizione");
    m_window->sID = QStringLiteral("pag_Codice");
    m_window->b_Codice_Visibile = true;
    m_window->bCodiceNumerico = numericCode;
    m_window->show();
    return *m_window;
}

QStringList TestDictionary::column(int index) const
{
    QStringList values;
    db::Recordset *rs = m_window->TDBGrid1->recordset();
    for (int row = 0; row < rs->recordCount(); ++row) {
        rs->setAbsolutePosition(row);
        values << rs->value(index).toString();
    }
    return values;
}

void TestDictionary::suppliersShowOneColumnInNameOrder()
{
    for (const char *name : {"Zeta Moda", "Bianchi Tessuti", "Dell'Orto"})
        m_f->execute(QStringLiteral("insert into Fornitore values (%1)").arg(QStringLiteral("'%1'").arg(QString::fromLatin1(name).replace("'", "''"))));
    if (qEnvironmentVariableIsSet("TARVO_CARD_SKIN"))
        skin::setDefaultSkinPath(qEnvironmentVariable("TARVO_CARD_SKIN"));
    frmDizionari &window = openSuppliers();
    QCOMPARE(window.windowTitle(), QStringLiteral("Fornitori"));
    QCOMPARE(window.BuildSql(),
             QStringLiteral("select fo_Descrizione as ID , fo_Descrizione as DESCRIZIONE from [Fornitore] order by fo_Descrizione"));
    QCOMPARE(window.TDBGrid1->column(0).caption, QStringLiteral("Codice"));
    QCOMPARE(window.TDBGrid1->column(1).caption, QStringLiteral("Descrizione"));
    QVERIFY(window.TDBGrid1->isColumnHidden(0));
    QVERIFY(!window.TDBGrid1->isColumnHidden(1));
    QCOMPARE(column(1), (QStringList{"Bianchi Tessuti", "Dell'Orto", "Zeta Moda"}));
    // With TARVO_DICT_SHOT set, the window's picture is saved there.
    if (qEnvironmentVariableIsSet("TARVO_DICT_SHOT"))
        QVERIFY(window.grab().save(qEnvironmentVariable("TARVO_DICT_SHOT")));
}

void TestDictionary::addingASupplier()
{
    m_f->execute(QStringLiteral("insert into Fornitore values ('Bianchi Tessuti')"));
    frmDizionari &window = openSuppliers();
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(1, 1));
    QVERIFY(grid.isAddNewRow());
    typeInGrid(grid, QStringLiteral("Dell'Orto Filati\r"));
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->count(QStringLiteral("Fornitore")), 2);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Dell''Orto Filati'")), 1);
}

void TestDictionary::renamingASupplier()
{
    m_f->execute(QStringLiteral("insert into Fornitore values ('Bianchi Tessuti')"));
    m_f->execute(QStringLiteral("insert into Fornitore values ('Rossi')"));
    frmDizionari &window = openSuppliers();
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(1, 1));
    typeInGrid(grid, QStringLiteral("Rossi & Figli\r"));
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->count(QStringLiteral("Fornitore")), 2);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Rossi & Figli'")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Rossi'")), 0);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Bianchi Tessuti'")), 1);
}

void TestDictionary::deletingASupplierAsksFirst()
{
    m_f->execute(QStringLiteral("insert into Fornitore values ('Bianchi Tessuti')"));
    m_f->execute(QStringLiteral("insert into Fornitore values ('Rossi')"));
    frmDizionari &window = openSuppliers();
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, 1));
    QVERIFY(grid.selectWholeRow(0));
    m_f->messages().queueAnswer(ui::vbNo);
    pressInGrid(grid, Qt::Key_Delete);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore")), 2);
    QVERIFY(grid.selectWholeRow(0));
    m_f->messages().queueAnswer(ui::vbYes);
    pressInGrid(grid, Qt::Key_Delete);
    QCOMPARE(m_f->messages().texts(),
             (QStringList{QStringLiteral("Cancellare definitivamente la riga selezionata?"),
                          QStringLiteral("Cancellare definitivamente la riga selezionata?")}));
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2));
    QCOMPARE(m_f->count(QStringLiteral("Fornitore")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Rossi'")), 1);
}

void TestDictionary::aRowWithoutDescriptionIsNotWritten()
{
    m_f->execute(QStringLiteral("insert into Fornitore values ('Rossi')"));
    frmDizionari &window = openSuppliers();
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, 1));
    typeInGrid(grid, QStringLiteral("  "));
    pressInGrid(grid, Qt::Key_Return);
    QCOMPARE(m_f->messages().texts(), QStringList{kDescriptionRequired});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbExclamation));
    QCOMPARE(m_f->messages().messages().at(0).title, QStringLiteral("Qorda"));
    QVERIFY(grid.isRowDirty());
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Rossi'")), 1);

    // Filling it in writes it.
    QVERIFY(grid.setCurrentCell(0, 1));
    typeInGrid(grid, QStringLiteral("Verdi\r"));
    QVERIFY(!grid.isRowDirty());
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Verdi'")), 1);
    QCOMPARE(m_f->count(QStringLiteral("Fornitore")), 1);
}

void TestDictionary::aDuplicateNameIsRefused()
{
    m_f->execute(QStringLiteral("insert into Fornitore values ('Rossi')"));
    frmDizionari &window = openSuppliers();
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(1, 1));
    typeInGrid(grid, QStringLiteral("Rossi\r"));
    QCOMPARE(m_f->messages().texts(), QStringList{kDuplicate});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbExclamation));
    QCOMPARE(m_f->count(QStringLiteral("Fornitore")), 1);
    QVERIFY(grid.isRowDirty());
}

void TestDictionary::emptyTableIsReadyForANewRow()
{
    frmDizionari &window = openSuppliers();
    data::Grid &grid = *window.TDBGrid1;
    QCOMPARE(grid.recordset()->recordCount(), 0);
    QCOMPARE(grid.model()->rowCount(), 1);
    QVERIFY(grid.setCurrentCell(0, 1));
    QVERIFY(grid.isAddNewRow());
    typeInGrid(grid, QStringLiteral("Primo Fornitore\r"));
    QCOMPARE(m_f->count(QStringLiteral("Fornitore where fo_Descrizione = 'Primo Fornitore'")), 1);
}

void TestDictionary::codeColumnUpperCasesWhatIsTyped()
{
    frmDizionari &window = openPayments(false);
    QVERIFY(!window.TDBGrid1->isColumnHidden(0));
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(grid.model()->rowCount() - 1, 0));
    QVERIFY(grid.isAddNewRow());
    typeInGrid(grid, QStringLiteral("rb30"));
    QCOMPARE(gridEditorText(grid), QStringLiteral("RB30"));
    typeInGrid(grid, QStringLiteral("\t"));
    typeInGrid(grid, QStringLiteral("Ricevuta bancaria 30 gg\r"));
    QCOMPARE(m_f->count(QStringLiteral("Pagamenti where pag_Codice = 'RB30' and pag_Descrizione = 'Ricevuta bancaria 30 gg'")), 1);
    // The description column takes the text as typed.
    QCOMPARE(m_f->scalar(QStringLiteral("select pag_Descrizione from Pagamenti where pag_Codice = 'RB30'")).toString(),
             QStringLiteral("Ricevuta bancaria 30 gg"));
    QCOMPARE(m_f->count(QStringLiteral("Pagamenti")), 6);
}

void TestDictionary::numericCodeColumnTakesOnlyDigits()
{
    const int shipped = m_f->count(QStringLiteral("Pagamenti"));
    frmDizionari &window = openPayments(true);
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(grid.model()->rowCount() - 1, 0));
    typeInGrid(grid, QStringLiteral("a1b2c3"));
    QCOMPARE(gridEditorText(grid), QStringLiteral("123"));
    pressInGrid(grid, Qt::Key_Backspace);
    QCOMPARE(gridEditorText(grid), QStringLiteral("12"));
    typeInGrid(grid, QStringLiteral("\t"));
    QCOMPARE(grid.currentColumn(), 1);
    typeInGrid(grid, QStringLiteral("Contanti\r"));
    QCOMPARE(m_f->count(QStringLiteral("Pagamenti where pag_Codice = '12' and pag_Descrizione = 'Contanti'")), 1);

    // Without a code the row is not written.
    QVERIFY(grid.setCurrentCell(grid.model()->rowCount() - 1, 1));
    QVERIFY(grid.isAddNewRow());
    typeInGrid(grid, QStringLiteral("Permuta merce\r"));
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Il campo Codice è obbligatorio.\r\nIl dato inserito non può essere salvato.")});
    QCOMPARE(m_f->count(QStringLiteral("Pagamenti where pag_Descrizione = 'Permuta merce'")), 0);
    QCOMPARE(m_f->count(QStringLiteral("Pagamenti")), shipped + 1);
    QCOMPARE(m_f->count(QStringLiteral("Pagamenti where pag_Codice = 'AS' and pag_Descrizione = 'Assegno'")), 1);
}

void TestDictionary::runningTotal()
{
    QWidget owner;
    frmCalcola total(&owner);
    QCOMPARE(total.windowTitle(), QStringLiteral("Calcola"));
    QCOMPARE(total.txtTotale->text(), QStringLiteral("0"));
    QCOMPARE(total.cmdAzzera->text(), QStringLiteral("Azzera"));
    total.Aggiungi(12.5);
    total.Aggiungi(0.1);
    total.Aggiungi(0.2);
    QCOMPARE(total.txtTotale->text(), QStringLiteral("12.80"));
    QCOMPARE(total.Totale(), 12.8);
    QTest::mouseClick(total.cmdAzzera, Qt::LeftButton);
    QCOMPARE(total.txtTotale->text(), QStringLiteral("0"));
    QCOMPARE(total.Totale(), 0.0);

    // A shop's day in an Italian locale: no thousands separator, so each
    // sale reads the total back right.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    total.Aggiungi(1234.5);
    QCOMPARE(total.txtTotale->text(), QStringLiteral("1234,50"));
    total.Aggiungi(2.675);
    QCOMPARE(total.txtTotale->text(), QStringLiteral("1237,18"));
    total.Aggiungi(1000);
    QCOMPARE(total.txtTotale->text(), QStringLiteral("2237,18"));
    QLocale::setDefault(before);
}

void TestDictionary::fileMenuOpensTheCardAndTheSuppliers()
{
    m_f->execute(QStringLiteral("insert into Fornitore values ('Rossi')"));
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Giacca')"));
    app::wireWindows();
    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    QAction *articoli = main.commandAction(QStringLiteral("mnuFileArticoliItem"));
    QVERIFY(articoli->isEnabled());
    QCOMPARE(articoli->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
    articoli->trigger();
    auto *card = ui::WindowRegistry::existingInstance<frmPrestazioni>();
    QVERIFY(card);
    QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    QCOMPARE(card->txtDescrizione->text(), QStringLiteral("Giacca"));
    QCOMPARE(card->p_strQuery, QStringLiteral("select * from Articoli order by art_Codice"));

    QAction *fornitori = main.commandAction(QStringLiteral("mnuFornitoriItem"));
    QVERIFY(fornitori->isEnabled());
    QCOMPARE(fornitori->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    fornitori->trigger();
    m_window = ui::WindowRegistry::existingInstance<frmDizionari>();
    QVERIFY(m_window);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Fornitori"));
    QCOMPARE(m_window->sNomeTabella, QStringLiteral("[Fornitore]"));
    QVERIFY(!m_window->b_Codice_Visibile);
    QCOMPARE(m_window->TDBGrid1->recordset()->recordCount(), 1);
    QCOMPARE(main.mdiArea()->subWindowList().size(), 2);
    QVERIFY(m_f->messages().texts().isEmpty());

    // "Salva e Carica" opens the stock load in the main window, the focus
    // on its bar code.
    card->cmdEsporta->click();
    auto *load = ui::WindowRegistry::existingInstance<frmCarico>();
    QVERIFY(load);
    QVERIFY(load->isVisible());
    QCOMPARE(ui::mdiFrameOf(*load)->mdiArea(), main.mdiArea());
    QCOMPARE(QApplication::focusWidget(), load->findChild<QWidget *>(QStringLiteral("txtCodice")));
    for (const char *name : {"mnuFileArticoliItem", "mnuFileCaricoItem", "mnuFornitoriItem", "mnuFileScaricoItem"})
        app::MenuCommands::unwire(QString::fromLatin1(name));
    main.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int main(int argc, char **argv)
{
    errors::TarvoApplication application(argc, argv);
    TestDictionary test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dictionary.moc"
