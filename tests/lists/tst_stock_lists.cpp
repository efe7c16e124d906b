// The stock load list and the stock unload list driven as the shop owner
// drives them: filters, the statement and the report formula they make,
// sorting, printing, "Rich." on a row and the read-only grid.

#include "ListsFixture.h"

#include "base/Globals.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmCarico.h"
#include "stock/frmListaCarico.h"
#include "stock/frmListaScarico.h"
#include "stock/frmScarico.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include "LogPlaces.h"

#include <QtTest>

namespace {

const QString kSearchFailed = QStringLiteral("Si è verificato un errore. Riprovare la ricerca con nuovi dati. ");
const QString kLoadSql = QStringLiteral(
    "Select * from carico, articoli, [codice articolo] where [codice articolo].ca_Codice = carico.ca_Codice_Articolo "
    "and art_Codice = [codice articolo].ca_Codice_Articolo and ");
const QString kSaleSql = QStringLiteral(
    "Select * from scarico, articoli, [codice articolo] where ca_Codice = sc_Codice_Articolo and art_Codice = "
    "ca_Codice_Articolo and ");

} // namespace

class TestStockLists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void filtersMakeStatementFormulaAndRows_data();
    void filtersMakeStatementFormulaAndRows();
    void articleCodeMustBeAWholeNumber_data();
    void articleCodeMustBeAWholeNumber();
    void aWrongDateStopsTheSearch_data();
    void aWrongDateStopsTheSearch();
    void theLoadListPickerFiltersByTheArticle();
    void activationKeepsThePlaceAndEscapeCloses();
    void typingACodeShowsItsDescription();
    void printUsesTheLastSearch();
    void headerSortsOnlyAfterASearch();
    void gridIsReadOnly();
    void richOpensTheLoadAndItsSaveCorrectsTheStock();
    void supplierMonthSortedOpenedCorrectedPrinted();
    void aRowDeletedThroughRichLeavesTheList();
    void printErrorsAreLoggedUnderTheirLabels();

private:
    StockListWindow &open(bool loads);
    int rows(StockListWindow &list) const;
    QStringList column(StockListWindow &list, int column) const;

    std::unique_ptr<ListsFixture> m_f;
};

void TestStockLists::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestStockLists::init()
{
    m_f = std::make_unique<ListsFixture>();
    m_f->addLoad(QStringLiteral("1234"), QStringLiteral("01/12/2026"), 2, 11, false);
    m_f->addLoad(QStringLiteral("1234U"), QStringLiteral("03/12/2026"), 1, 5, true);
    m_f->addLoad(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 5, 3, false);
    m_f->addLoad(QStringLiteral("5555"), QStringLiteral("20/11/2026"), 4, 3, false);
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("02/12/2026"), 1, 20, 0, 20, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("1234U"), QStringLiteral("04/12/2026"), 1, 9, 0, 9, QStringLiteral("CO"), true);
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("05/12/2026"), 2, 18, 4, 32, QStringLiteral("BA"), false);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 3, 7, 0, 21, QString(), false);
}

void TestStockLists::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmListaCarico>();
    delete ui::WindowRegistry::existingInstance<frmListaScarico>();
    delete ui::WindowRegistry::existingInstance<frmCarico>();
    delete ui::WindowRegistry::existingInstance<frmScarico>();
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

StockListWindow &TestStockLists::open(bool loads)
{
    StockListWindow *list = loads ? static_cast<StockListWindow *>(&ui::WindowRegistry::defaultInstance<frmListaCarico>())
                                  : &ui::WindowRegistry::defaultInstance<frmListaScarico>();
    list->show();
    QApplication::processEvents();
    return *list;
}

int TestStockLists::rows(StockListWindow &list) const
{
    db::Recordset *rs = list.TDBGrid1->recordset();
    if (!rs)
        return 0;
    rs->moveLast();
    return rs->recordCount();
}

QStringList TestStockLists::column(StockListWindow &list, int column) const
{
    QStringList values;
    data::RecordsetModel *model = list.TDBGrid1->recordsetModel();
    while (model->canFetchMore({}))
        model->fetchMore({});
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->index(row, column).data().toString();
    return values;
}

void TestStockLists::filtersMakeStatementFormulaAndRows_data()
{
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QString>("usato");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("loads, both dates empty")
        << true << "" << "" << "Nuovo e usato" << "" << ""
        << " carico.ca_Data between #01/01/1900# and  #01/01/2100#"
        << "{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)"
        << QStringList{"1234", "1234U", "5555", "5555"};
    QTest::newRow("loads, supplier only, with an apostrophe")
        << true << "" << "Dell'Orto" << "Nuovo e usato" << "" << ""
        << " art_Fornitore = 'Dell''Orto' and  carico.ca_Data between #01/01/1900# and  #01/01/2100#"
        << "{articoli.art_Fornitore} = 'Dell''Orto' and{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)"
        << QStringList{"1234", "1234U"};
    QTest::newRow("loads, item and December, month first in the SQL")
        << true << "5555" << "" << "Nuovo e usato" << "01/12/2026" << "31/12/2026"
        << "carico.ca_Codice_Articolo = \"5555\" and  carico.ca_Data between #12/01/2026# and  #12/31/2026#"
        << "{carico.ca_Codice_Articolo} = \"5555\" and {carico.ca_Data} >= date(2026,12,01) and {carico.ca_data} <= date(2026,12,31)"
        << QStringList{"5555"};
    QTest::newRow("loads, a quote in the item code stays text")
        << true << "12\"34" << "" << "Nuovo e usato" << "" << ""
        << "carico.ca_Codice_Articolo = \"12\"\"34\" and  carico.ca_Data between #01/01/1900# and  #01/01/2100#"
        << "{carico.ca_Codice_Articolo} = \"12\"\"34\" and {carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)"
        << QStringList{};
    QTest::newRow("loads, only used")
        << true << "" << "" << "Solo usato" << "" << ""
        << "carico.ca_Usato = -1 and  carico.ca_Data between #01/01/1900# and  #01/01/2100#"
        << "{carico.ca_Usato} = true and {carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)"
        << QStringList{"1234U"};
    QTest::newRow("sales, both dates empty")
        << false << "" << "" << "" << "" << ""
        << " sc_Data between #01/01/1900# and  #01/01/2100#"
        << "{scarico.sc_Data} >= date(1900,01,01) and {scarico.sc_data} <= date(2100,01,01)"
        << QStringList{"1234", "1234U", "1234", "5555"};
    QTest::newRow("sales, only used")
        << false << "" << "" << "Solo usato" << "" << ""
        << "sc_Usato = -1 and  sc_Data between #01/01/1900# and  #01/01/2100#"
        << "{scarico.sc_Usato} = true and {scarico.sc_Data} >= date(1900,01,01) and {scarico.sc_data} <= date(2100,01,01)"
        << QStringList{"1234U"};
    QTest::newRow("sales, only new, of a supplier")
        << false << "" << "Dell'Orto" << "Solo nuovo" << "" << ""
        << " art_Fornitore = 'Dell''Orto' and sc_Usato = 0 and  sc_Data between #01/01/1900# and  #01/01/2100#"
        << " {articoli.art_Fornitore} = 'Dell''Orto' and{scarico.sc_Usato} = false and {scarico.sc_Data} >= date(1900,01,01) and {scarico.sc_data} <= date(2100,01,01)"
        << QStringList{"1234", "1234"};
    QTest::newRow("sales, article and period")
        << false << "42" << "" << "Nuovo e usato" << "03/12/2026" << "06/12/2026"
        << "art_Codice = 42 and  sc_Data between #12/03/2026# and  #12/06/2026#"
        << "{articoli.art_Codice} = 42 and {scarico.sc_Data} >= date(2026,12,03) and {scarico.sc_data} <= date(2026,12,06)"
        << QStringList{"1234U", "1234"};
}

void TestStockLists::filtersMakeStatementFormulaAndRows()
{
    QFETCH(bool, loads);
    QFETCH(QString, code);
    QFETCH(QString, supplier);
    QFETCH(QString, usato);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, where);
    QFETCH(QString, formula);
    QFETCH(QStringList, codes);

    StockListWindow &list = open(loads);
    QCOMPARE(list.txtDataInizio->text(), QStringLiteral("06/12/2026"));
    list.txtCodiceArticolo->setText(code);
    list.txtFornitore->setText(supplier);
    list.cboUsato->setCurrentText(usato);
    list.txtDataInizio->setText(from);
    list.txtDataFine->setText(to);
    list.cmdTrova->click();

    QCOMPARE(list.lastStatement(), (loads ? kLoadSql : kSaleSql) + where);
    QCOMPARE(list.selectionFormula(), formula);
    QStringList shown = column(list, 1);
    shown.sort();
    codes.sort();
    QCOMPARE(shown, codes);
    // Finding nothing is said above the grid, not in a message.
    const QString none = loads ? QStringLiteral("Nessun carico trovato con le caratteristiche specificate")
                               : QStringLiteral("Nessuno scarico trovato con le caratteristiche specificate");
    QCOMPARE(list.lblEsito->isHidden() ? QString() : list.lblEsito->text(), codes.isEmpty() ? none : QString());
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestStockLists::articleCodeMustBeAWholeNumber_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("letters") << "abc";
    QTest::newRow("a condition") << "5 or 1=1";
    QTest::newRow("a decimal") << "4,2";
}

void TestStockLists::articleCodeMustBeAWholeNumber()
{
    QFETCH(QString, code);
    StockListWindow &list = open(false);
    list.txtCodiceArticolo->setText(code);
    list.cmdTrova->click();
    QCOMPARE(m_f->messages().texts(), QStringList{kSearchFailed});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbCritical));
    QVERIFY(list.lastStatement().isEmpty());
    QVERIFY(!list.TDBGrid1->recordset());
}

void TestStockLists::aWrongDateStopsTheSearch_data()
{
    QTest::addColumn<bool>("loads");
    QTest::addColumn<bool>("start");
    QTest::addColumn<bool>("enter");   // Enter in the box, else a click on Trova
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("loads, start, Enter") << true << true << true << "31/02/2026"
        << "ERRORE:[31/02/2026] Formato data non corretto!";
    QTest::newRow("loads, end, Trova") << true << false << false << "31/02/2026"
        << "ERRORE:[31/02/2026] Formato data non corretto!";
    QTest::newRow("sales, start, Trova") << false << true << false << "123456"
        << "ERRORE:[12/34/56] Formato data non corretto!";
    QTest::newRow("sales, end, Enter") << false << false << true << "ieri" << "ERRORE:[ieri] Formato data non corretto!";
}

// A date the date check refuses stays in its box when left; the search says
// what is wrong with it, marks the box and runs nothing.
void TestStockLists::aWrongDateStopsTheSearch()
{
    QFETCH(bool, loads);
    QFETCH(bool, start);
    QFETCH(bool, enter);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    StockListWindow &list = open(loads);
    list.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list));
    list.txtDataInizio->clear();
    list.txtDataFine->clear();
    list.cmdTrova->click();
    const QString before = list.lastStatement();
    const int found = rows(list);
    QCOMPARE(found, 4);
    QLineEdit *box = start ? list.txtDataInizio : list.txtDataFine;
    QLineEdit *other = start ? list.txtDataFine : list.txtDataInizio;
    box->setFocus();
    QTest::keyClicks(box, typed);
    other->setFocus();
    QApplication::processEvents();
    QCOMPARE(box->text(), typed);
    QVERIFY(m_f->messages().texts().isEmpty());
    if (enter) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
    } else {
        list.cmdTrova->click();
    }
    QCOMPARE(m_f->messages().texts(), QStringList{message});
    QCOMPARE(list.lastStatement(), before);
    QCOMPARE(rows(list), found);
    QCOMPARE(box->text(), typed);
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(box->font().bold());
    // A date typed as eight digits is completed on leaving, and searched.
    box->setText(QStringLiteral("06122026"));
    other->setFocus();
    QApplication::processEvents();
    QCOMPARE(box->text(), QStringLiteral("06/12/2026"));
    list.cmdTrova->click();
    QVERIFY(list.lastStatement().endsWith(start ? QStringLiteral("between #12/06/2026# and  #01/01/2100#")
                                                : QStringLiteral("between #01/01/1900# and  #12/06/2026#")));
    QCOMPARE(m_f->messages().texts().size(), 1);
}

// The article picker of the load list filters the loads by the article, not
// by a bar code equal to its number; typing over it is a bar code again.
void TestStockLists::theLoadListPickerFiltersByTheArticle()
{
    StockListWindow &list = open(true);
    list.txtDataInizio->clear();
    list.txtDataFine->clear();
    QCOMPARE(list.cmdHelp[0]->toolTip(), QStringLiteral("Fai click qui per l'elenco degli Articoli"));
    QCOMPARE(list.cmdHelp[1]->toolTip(), QStringLiteral("Fai click qui per l'elenco dei Fornitori"));
    m_f->messages().queueModal([](QDialog &dialog) {
        auto *shown = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        shown->setCurrentItem(shown->findItems(QStringLiteral("Giacca"), Qt::MatchExactly).value(0));
        QTest::keyClick(shown, Qt::Key_Return);
        return dialog.result();
    });
    list.cmdHelp[0]->click();
    QCOMPARE(list.txtCodiceArticolo->text(), QStringLiteral("42"));
    QCOMPARE(list.txtDescrizioneArticolo->text(), QStringLiteral("Giacca"));
    list.cmdTrova->click();
    QCOMPARE(list.lastStatement(),
             kLoadSql + "art_Codice = 42 and  carico.ca_Data between #01/01/1900# and  #01/01/2100#");
    QCOMPARE(list.selectionFormula(),
             QStringLiteral("{articoli.art_Codice} = 42 and {carico.ca_Data} >= date(1900,01,01) and "
                            "{carico.ca_data} <= date(2100,01,01)"));
    QStringList shown = column(list, 1);
    shown.sort();
    QCOMPARE(shown, (QStringList{"1234", "1234U"}));
    QVERIFY(list.lblEsito->isHidden());
    // A picker left with nothing picked leaves the filter as it was.
    m_f->messages().queueModal([](QDialog &dialog) {
        dialog.reject();
        return dialog.result();
    });
    list.cmdHelp[0]->click();
    QCOMPARE(list.txtCodiceArticolo->text(), QStringLiteral("42"));
    QCOMPARE(list.pickedArticle(), QStringLiteral("42"));
    list.txtCodiceArticolo->setText(QStringLiteral("5555"));
    QVERIFY(list.pickedArticle().isEmpty());
    QCOMPARE(list.txtDescrizioneArticolo->text(), QStringLiteral("Sciarpa"));
    list.cmdTrova->click();
    QVERIFY(list.lastStatement().startsWith(kLoadSql + "carico.ca_Codice_Articolo = \"5555\" and "));
    QVERIFY(m_f->messages().texts().isEmpty());
}

// Coming back to the list keeps the row the user was on and runs nothing;
// Escape closes the list.
void TestStockLists::activationKeepsThePlaceAndEscapeCloses()
{
    for (bool loads : {true, false}) {
        StockListWindow &list = open(loads);
        list.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        QCOMPARE(QApplication::focusWidget(), list.txtCodiceArticolo);
        list.txtDataInizio->clear();
        list.cmdTrova->click();
        QVERIFY(list.TDBGrid1->setCurrentCell(2, 2));
        list.TDBGrid1->setFocus();
        db::Recordset *shown = list.TDBGrid1->recordset();
        StockListWindow &other = open(!loads);
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        list.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        QCOMPARE(list.TDBGrid1->currentRow(), 2);
        QCOMPARE(list.TDBGrid1->recordset(), shown);
        QCOMPARE(QApplication::focusWidget(), list.TDBGrid1);
        QPointer<StockListWindow> closing(&list);
        list.txtFornitore->setFocus();
        QTest::keyClick(list.txtFornitore, Qt::Key_Escape);
        QTRY_VERIFY(!closing);
        delete &other;
    }
}

void TestStockLists::typingACodeShowsItsDescription()
{
    StockListWindow &loads = open(true);
    loads.txtCodiceArticolo->setText(QStringLiteral("5555"));
    QCOMPARE(loads.txtDescrizioneArticolo->text(), QStringLiteral("Sciarpa"));
    loads.txtCodiceArticolo->setText(QStringLiteral("999"));
    QCOMPARE(loads.txtDescrizioneArticolo->text(), QString());
    StockListWindow &sales = open(false);
    sales.txtCodiceArticolo->setText(QStringLiteral("42"));
    QCOMPARE(sales.txtDescrizioneArticolo->text(), QStringLiteral("Giacca"));
}

void TestStockLists::printUsesTheLastSearch()
{
    for (bool loads : {true, false}) {
        StockListWindow &list = open(loads);
        const int before = m_f->report().runCount();
        list.cmdStampa->click();
        QCOMPARE(m_f->report().runCount(), before + 1);
        QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(), QString());
        QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(),
                 m_f->folder() + (loads ? QStringLiteral("/listacarichi.rpt") : QStringLiteral("/listascarichi.rpt")));
        QCOMPARE(m_f->report().lastTitle(), loads ? QStringLiteral("Corvel - Lista dei Carichi")
                                                  : QStringLiteral("Brellan - Lista degli scarichi"));
        list.txtDataInizio->clear();
        list.cmdTrova->click();
        const QString formula = list.selectionFormula();
        list.txtFornitore->setText(QStringLiteral("Rossi"));   // not searched: the print keeps the last search
        list.cmdStampa->click();
        QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(), formula);
        QVERIFY(m_f->messages().texts().isEmpty());
        QCOMPARE(m_f->log(), QByteArray());
    }
}

void TestStockLists::headerSortsOnlyAfterASearch()
{
    StockListWindow &list = open(false);
    Q_EMIT list.TDBGrid1->headClick(5);
    QVERIFY(list.lastStatement().isEmpty());
    list.txtDataInizio->clear();
    list.txtDataFine->clear();
    list.cmdTrova->click();
    Q_EMIT list.TDBGrid1->headClick(5);
    QVERIFY(list.lastStatement().endsWith(QStringLiteral("#01/01/2100# order by sc_Prezzo")));
    QCOMPARE(column(list, 5).first(), QStringLiteral("7,00"));
    Q_EMIT list.TDBGrid1->headClick(StockListWindow::kRichColumn);
    QVERIFY(list.lastStatement().endsWith(QStringLiteral("#01/01/2100#")));
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestStockLists::gridIsReadOnly()
{
    StockListWindow &list = open(true);
    list.txtDataInizio->clear();
    list.cmdTrova->click();
    QVERIFY(list.TDBGrid1->setCurrentCell(0, 4));
    QVERIFY(!list.TDBGrid1->setColumnValue(4, 99));
    QVERIFY(list.TDBGrid1->updateRow());
    QCOMPARE(m_f->scalar(QStringLiteral("select max(ca_Quantita) from carico")).toDouble(), 5.0);
    QVERIFY(!list.TDBGrid1->deleteRow());
    QCOMPARE(m_f->count(QStringLiteral("carico")), 4);
}

// The key and the quantity of a row are the load's own, not its item's.
void TestStockLists::richOpensTheLoadAndItsSaveCorrectsTheStock()
{
    StockListWindow &list = open(true);
    list.txtCodiceArticolo->setText(QStringLiteral("5555"));
    list.txtDataInizio->setText(QStringLiteral("01/12/2026"));
    list.cmdTrova->click();
    QCOMPARE(column(list, 4), QStringList{QStringLiteral("5")});
    const qlonglong key = m_f->scalar(QStringLiteral("select ca_Codice from carico where ca_Data = #12/06/2026#")).toLongLong();
    QCOMPARE(column(list, StockListWindow::kKeyColumn), QStringList{QString::number(key)});
    QVERIFY(list.TDBGrid1->setCurrentCell(0, StockListWindow::kRichColumn));
    Q_EMIT list.TDBGrid1->buttonClick(StockListWindow::kRichColumn);
    QApplication::processEvents();

    frmCarico *load = ui::WindowRegistry::existingInstance<frmCarico>();
    QVERIFY(load);
    // Change mode: the recorded load is saved or deleted, not loaded again.
    QVERIFY(load->findChild<QPushButton *>(QStringLiteral("cmdSalva"))->isVisibleTo(load));
    QCOMPARE(qlonglong(load->p_lng_Codice_Carico), key);
    auto *quantity = load->findChild<QLineEdit *>(QStringLiteral("txtQuantita"));
    QCOMPARE(quantity->text(), QStringLiteral("5"));
    quantity->setText(QStringLiteral("7"));
    load->findChild<QPushButton *>(QStringLiteral("cmdSalva"))->click();
    QCOMPARE(m_f->stock(QStringLiteral("5555")), 12.0);

    // Back on the list, the row shows what was saved.
    list.activateWindow();
    list.show();
    QApplication::processEvents();
    QTRY_COMPARE(column(list, 4), QStringList{QStringLiteral("7")});
}

// A month of one supplier's sales, sorted by price, one opened and its
// quantity corrected, the list printed; "Rich." on a second row reloads the
// open sale window.
void TestStockLists::supplierMonthSortedOpenedCorrectedPrinted()
{
    StockListWindow &list = open(false);
    list.txtFornitore->setText(QStringLiteral("Dell'Orto"));
    list.txtDataInizio->setText(QStringLiteral("01/12/2026"));
    list.txtDataFine->setText(QStringLiteral("31/12/2026"));
    list.cmdTrova->click();
    Q_EMIT list.TDBGrid1->headClick(5);
    QCOMPARE(column(list, 5), (QStringList{QStringLiteral("9,00"), QStringLiteral("18,00"), QStringLiteral("20,00")}));

    QVERIFY(list.TDBGrid1->setCurrentCell(1, StockListWindow::kRichColumn));
    Q_EMIT list.TDBGrid1->buttonClick(StockListWindow::kRichColumn);
    QApplication::processEvents();
    frmScarico *sale = ui::WindowRegistry::existingInstance<frmScarico>();
    QVERIFY(sale);
    QVERIFY(sale->findChild<QPushButton *>(QStringLiteral("cmdSalva"))->isVisibleTo(sale));
    auto *quantity = sale->findChild<QLineEdit *>(QStringLiteral("txtQuantita"));
    QCOMPARE(quantity->text(), QStringLiteral("2"));
    quantity->setText(QStringLiteral("1"));
    sale->findChild<QPushButton *>(QStringLiteral("cmdSalva"))->click();
    QCOMPARE(m_f->stock(QStringLiteral("1234")), 4.0);

    QVERIFY(list.TDBGrid1->setCurrentCell(0, StockListWindow::kRichColumn));
    Q_EMIT list.TDBGrid1->buttonClick(StockListWindow::kRichColumn);
    QApplication::processEvents();
    QCOMPARE(ui::WindowRegistry::existingInstance<frmScarico>(), sale);
    QCOMPARE(sale->findChild<QLineEdit *>(QStringLiteral("txtCodice"))->text(), QStringLiteral("1234U"));

    list.cmdStampa->click();
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(),
             QStringLiteral(" {articoli.art_Fornitore} = 'Dell''Orto' and{scarico.sc_Data} >= date(2026,12,01) and "
                            "{scarico.sc_data} <= date(2026,12,31)"));
    QCOMPARE(m_f->log(), QByteArray());
}

void TestStockLists::aRowDeletedThroughRichLeavesTheList()
{
    StockListWindow &list = open(false);
    list.txtCodiceArticolo->setText(QStringLiteral("43"));
    list.txtDataInizio->clear();
    list.cmdTrova->click();
    QCOMPARE(column(list, 1), QStringList{QStringLiteral("5555")});
    QVERIFY(list.TDBGrid1->setCurrentCell(0, StockListWindow::kRichColumn));
    Q_EMIT list.TDBGrid1->buttonClick(StockListWindow::kRichColumn);
    QApplication::processEvents();
    frmScarico *sale = ui::WindowRegistry::existingInstance<frmScarico>();
    QVERIFY(sale);
    m_f->messages().queueAnswer(ui::vbYes);
    sale->findChild<QPushButton *>(QStringLiteral("cmdCancella"))->click();
    QCOMPARE(m_f->stock(QStringLiteral("5555")), 13.0);
    list.activateWindow();
    list.show();
    QApplication::processEvents();
    QTRY_COMPARE(column(list, 1), QStringList());
}

void TestStockLists::printErrorsAreLoggedUnderTheirLabels()
{
    QFile::remove(m_f->folder() + QStringLiteral("/listacarichi.rpt"));
    QFile::remove(m_f->folder() + QStringLiteral("/listascarichi.rpt"));
    open(true).cmdStampa->click();
    open(false).cmdStampa->click();
    QCOMPARE(logPlaces(m_f->log()), (QStringList{QStringLiteral("mdiTarvo.stampaIVA"), QStringLiteral("Stampa Scarichi")}));
    QCOMPARE(m_f->messages().texts().size(), 2);
}

QTEST_MAIN(TestStockLists)
#include "tst_stock_lists.moc"
