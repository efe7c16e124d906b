// The cash journal and the supplier journal: the empty set at opening, the
// periods of "Aggiorna" and "Stampa", rows added, changed and deleted in the
// grid, rows the database refuses, the layout on resizing.

#include "ListsFixture.h"

#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "register/frmNotaFornitori.h"
#include "register/frmPrimaNota.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include "base/Globals.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QPushButton>
#include "LogPlaces.h"

#include <QtTest>


class TestJournals : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void bothOpenAtOnceEachOnItsTable();
    void stampaPrintsThePeriodShown_data();
    void stampaPrintsThePeriodShown();
    void datesAreCheckedOnLeaving();
    void totalsAndOrderOfThePeriod();
    void rowsAreAddedChangedAndDeleted();
    void aRefusedRowStaysForCorrection_data();
    void aRefusedRowStaysForCorrection();
    void resizingFollowsTheWindow();
    void aMonthKeptAndPrinted();
    void errorsOfAggiornaAndStampaAreReported();

private:
    JournalWindow &open(bool cash);
    std::unique_ptr<ListsFixture> m_f;
};

void TestJournals::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestJournals::init()
{
    m_f = std::make_unique<ListsFixture>();
}

void TestJournals::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmPrimaNota>();
    delete ui::WindowRegistry::existingInstance<frmNotaFornitori>();
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

JournalWindow &TestJournals::open(bool cash)
{
    JournalWindow *window = cash ? static_cast<JournalWindow *>(&ui::WindowRegistry::defaultInstance<frmPrimaNota>())
                                 : &ui::WindowRegistry::defaultInstance<frmNotaFornitori>();
    window->show();
    QApplication::processEvents();
    return *window;
}

void TestJournals::bothOpenAtOnceEachOnItsTable()
{
    m_f->execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione) values (#12/01/2026#, 'Affitto')"));
    m_f->execute(QStringLiteral("insert into [Nota Fornitori] (pn_Data, pn_Descrizione) values (#12/02/2026#, 'Rossi')"));
    JournalWindow &cash = open(true);
    JournalWindow &suppliers = open(false);
    QVERIFY(cash.isVisible() && suppliers.isVisible());
    QCOMPARE(cash.windowTitle(), QStringLiteral("Prima Nota"));
    QCOMPARE(suppliers.windowTitle(), QStringLiteral("Nota Fornitori"));
    // Each opens on the current month, its rows shown.
    QCOMPARE(cash.lastStatement(), QStringLiteral("Select * from [Prima Nota] where  pn_Data between #12/01/2026# and  "
                                                  "#12/31/2026# order by pn_Data, pn_id"));
    QCOMPARE(suppliers.lastStatement(), QStringLiteral("Select * from [Nota Fornitori] where  pn_Data between "
                                                       "#12/01/2026# and  #12/31/2026# order by pn_Data, pn_id"));
    QCOMPARE(cash.txtDataInizio->text(), QStringLiteral("01/12/2026"));
    QCOMPARE(cash.txtDataFine->text(), QStringLiteral("31/12/2026"));
    QCOMPARE(cash.TDBGrid1->recordsetModel()->recordCount(), 1);
    QCOMPARE(cash.TDBGrid1->recordsetModel()->index(0, 1).data().toString(), QStringLiteral("Affitto"));
    QCOMPARE(suppliers.TDBGrid1->recordsetModel()->index(0, 1).data().toString(), QStringLiteral("Rossi"));

    cash.cmdAggiorna->click();
    suppliers.cmdAggiorna->click();
    QCOMPARE(cash.TDBGrid1->recordsetModel()->index(0, 1).data().toString(), QStringLiteral("Affitto"));
    QCOMPARE(suppliers.TDBGrid1->recordsetModel()->index(0, 1).data().toString(), QStringLiteral("Rossi"));
    QStringList headings;
    for (int c = 0; c < cash.TDBGrid1->columnCount(); ++c)
        headings << cash.TDBGrid1->column(c).caption;
    QCOMPARE(headings, (QStringList{"Data", "Descrizione", "Fattura", "Uscita Lire", "Importo", "Note"}));
    QCOMPARE(cash.TDBGrid1->column(3).numberFormat, QStringLiteral("#,##0"));
    QCOMPARE(cash.TDBGrid1->column(4).numberFormat, QStringLiteral("Standard"));
}

void TestJournals::stampaPrintsThePeriodShown_data()
{
    QTest::addColumn<bool>("cash");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("formula");
    QTest::newRow("cash, both empty")
        << true << "" << ""
        << "Select * from [Prima Nota] where  pn_Data between #01/01/1900# and  #01/01/2100# order by pn_Data, pn_id"
        << "{prima nota.pn_data} >= date(1900,01,01) and {prima nota.pn_data} <=  date(2100,01,01)";
    QTest::newRow("cash, December, month first")
        << true << "01/12/2026" << "31/12/2026"
        << "Select * from [Prima Nota] where  pn_Data between #12/01/2026# and  #12/31/2026# order by pn_Data, pn_id"
        << "{prima nota.pn_data} >= date(2026,12,01) and {prima nota.pn_data} <=  date(2026,12,31)";
    QTest::newRow("suppliers, both empty")
        << false << "" << ""
        << "Select * from [Nota Fornitori] where  pn_Data between #01/01/1900# and  #01/01/2100# order by pn_Data, pn_id"
        << "{Nota Fornitori.pn_data} >= date(1900,01,01) and {Nota Fornitori.pn_data} <=  date(2100,01,01)";
    QTest::newRow("suppliers, from a day on")
        << false << "05/03/2026" << ""
        << "Select * from [Nota Fornitori] where  pn_Data between #03/05/2026# and  #01/01/2100# order by pn_Data, pn_id"
        << "{Nota Fornitori.pn_data} >= date(2026,03,05) and {Nota Fornitori.pn_data} <=  date(2100,01,01)";
}

// Stampa prints the period the grid shows, also when the boxes were changed
// since without Aggiorna.
void TestJournals::stampaPrintsThePeriodShown()
{
    QFETCH(bool, cash);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, sql);
    QFETCH(QString, formula);
    JournalWindow &window = open(cash);
    window.txtDataInizio->setText(from);
    window.txtDataFine->setText(to);
    window.cmdAggiorna->click();
    QCOMPARE(window.lastStatement(), sql);
    window.txtDataInizio->setText(QStringLiteral("01/01/2000"));
    window.txtDataFine->setText(QStringLiteral("01/01/2200"));
    window.cmdStampa->click();
    QCOMPARE(m_f->report().runCount(), 1);
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/prinota.rpt"));
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(), formula);
    QCOMPARE(m_f->report().lastDestination(), report::Destination::Screen);
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->log(), QByteArray());
}

// A date is completed on leaving its box; a wrong one stays, and Aggiorna
// (or Enter in the box) says what is wrong with it and loads nothing.
void TestJournals::datesAreCheckedOnLeaving()
{
    for (bool cash : {true, false}) {
        JournalWindow &window = open(cash);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QString shown = window.lastStatement();
        window.txtDataInizio->setFocus();
        window.txtDataInizio->setText(QStringLiteral("01112026"));
        window.txtDataFine->setFocus();
        QApplication::processEvents();
        QCOMPARE(window.txtDataInizio->text(), QStringLiteral("01/11/2026"));
        window.txtDataFine->setText(QStringLiteral("31/02/2026"));
        window.txtDataInizio->setFocus();
        QApplication::processEvents();
        QCOMPARE(window.txtDataFine->text(), QStringLiteral("31/02/2026"));
        QVERIFY(m_f->messages().texts().isEmpty());
        QTest::keyClick(window.txtDataInizio, Qt::Key_Return);
        QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("ERRORE:[31/02/2026] Formato data non corretto!")});
        QCOMPARE(window.lastStatement(), shown);
        QCOMPARE(QApplication::focusWidget(), window.txtDataFine);
        QVERIFY(window.txtDataFine->font().bold());
        window.cmdAggiorna->click();
        QCOMPARE(m_f->messages().texts().size(), 2);
        QCOMPARE(window.lastStatement(), shown);
        m_f->messages().clear();
    }
}

// The rows in date order, the period's totals under the grid following
// Aggiorna and every row written (an amount above zero is an exit, below
// zero an entry); Enter in a date box is Aggiorna; Escape closes.
void TestJournals::totalsAndOrderOfThePeriod()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
    for (const char *row : {"#12/20/2026#, 'Affitto', 500", "#12/02/2026#, 'Rimborso', -30.5",
                            "#11/28/2026#, 'Novembre', 99", "#12/02/2026#, 'Cancelleria', 12.25",
                            "#12/01/2026#, 'Luce', 80"})
        m_f->execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) values (%1)")
                         .arg(QLatin1String(row)));
    JournalWindow &window = open(true);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    data::Grid &grid = *window.TDBGrid1;
    const auto shownRows = [&grid] {
        QStringList order;
        for (int row = 0; row < grid.recordsetModel()->recordCount(); ++row)
            order << grid.recordsetModel()->value(row, 1).toString();
        return order;
    };
    QCOMPARE(shownRows(), (QStringList{"Luce", "Rimborso", "Cancelleria", "Affitto"}));
    QCOMPARE(window.lblEntrate->text(), QStringLiteral("Entrate: 30,50"));
    QCOMPARE(window.lblUscite->text(), QStringLiteral("Uscite: 592,25"));
    QCOMPARE(window.lblSaldo->text(), QStringLiteral("Saldo: -561,75"));
    // Under the grid, above the buttons.
    QVERIFY(window.lblSaldo->y() > grid.geometry().bottom());
    QVERIFY(window.lblSaldo->geometry().bottom() < window.cmdChiudi->y());
    // The label of the period's start does not run into its box.
    const QLabel *start = nullptr;
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->buddy() == window.txtDataInizio)
            start = label;
    QVERIFY(start);
    QCOMPARE(start->text(), QStringLiteral("Nota tra il"));
    QVERIFY(start->x() + start->sizeHint().width() <= window.txtDataInizio->x());

    // A row written moves the totals.
    QVERIFY(grid.setCurrentCell(4, 0));
    typeInGrid(grid, QStringLiteral("15/12/2026\tIncasso\t\t\t-100\r"));
    QVERIFY(grid.updateRow());
    QCOMPARE(window.lblEntrate->text(), QStringLiteral("Entrate: 130,50"));
    QCOMPARE(window.lblSaldo->text(), QStringLiteral("Saldo: -461,75"));

    // Enter in a date box loads the period typed.
    window.txtDataInizio->setFocus();
    window.txtDataInizio->setText(QStringLiteral("28/11/2026"));
    window.txtDataFine->setText(QStringLiteral("02/12/2026"));
    QTest::keyClick(window.txtDataInizio, Qt::Key_Return);
    QCOMPARE(shownRows(), (QStringList{"Novembre", "Luce", "Rimborso", "Cancelleria"}));
    QCOMPARE(window.lblUscite->text(), QStringLiteral("Uscite: 191,25"));
    QCOMPARE(window.lblSaldo->text(), QStringLiteral("Saldo: -160,75"));
    QVERIFY(m_f->messages().texts().isEmpty());

    QPointer<JournalWindow> closing(&window);
    window.txtDataInizio->setFocus();
    QTest::keyClick(window.txtDataInizio, Qt::Key_Escape);
    QTRY_VERIFY(!closing);
}

void TestJournals::rowsAreAddedChangedAndDeleted()
{
    JournalWindow &window = open(true);
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, 0));
    QVERIFY(grid.isAddNewRow());
    typeInGrid(grid, QStringLiteral("03/12/2026\tCancelleria\tF12\t\t12,50\tcarta\r"));
    QVERIFY(grid.updateRow());
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->count(QStringLiteral("[Prima Nota]")), 1);
    QCOMPARE(m_f->scalar(QStringLiteral("select pn_Uscita_Euro from [Prima Nota]")).toDouble(), 12.5);
    QCOMPARE(m_f->scalar(QStringLiteral("select pn_Data from [Prima Nota]")).toDate(), QDate(2026, 12, 3));

    window.txtDataInizio->setText(QStringLiteral("01/12/2026"));
    window.cmdAggiorna->click();
    QVERIFY(grid.setCurrentCell(0, 1));
    typeInGrid(grid, QStringLiteral("Cancelleria e toner\r"));
    QVERIFY(grid.updateRow());
    QCOMPARE(m_f->scalar(QStringLiteral("select pn_Descrizione from [Prima Nota]")).toString(),
             QStringLiteral("Cancelleria e toner"));
    QVERIFY(grid.setCurrentCell(0, 1));
    m_f->messages().queueAnswer(ui::vbNo);
    QVERIFY(!grid.deleteRow());
    QCOMPARE(m_f->count(QStringLiteral("[Prima Nota]")), 1);
    m_f->messages().queueAnswer(ui::vbYes);
    QVERIFY(grid.deleteRow());
    QCOMPARE(m_f->count(QStringLiteral("[Prima Nota]")), 0);
    QCOMPARE(m_f->messages().texts(), QStringList(2, QStringLiteral("Cancellare definitivamente la riga selezionata?")));
}

void TestJournals::aRefusedRowStaysForCorrection_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("a day that does not exist")
        << 0 << "31/02/2026" << "Il valore \"31/02/2026\" della colonna \"Data\" non è una data valida (gg/mm/aaaa).";
    QTest::newRow("letters as an amount")
        << 4 << "dodici" << "Il valore \"dodici\" della colonna \"Importo\" non è un numero valido.";
}

void TestJournals::aRefusedRowStaysForCorrection()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    JournalWindow &window = open(true);
    data::Grid &grid = *window.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, 1));
    typeInGrid(grid, QStringLiteral("Spese\t"));
    QVERIFY(grid.setCurrentCell(0, column));
    typeInGrid(grid, typed);
    QVERIFY(!grid.updateRow());
    QCOMPARE(m_f->messages().texts(), QStringList{message});
    QCOMPARE(m_f->count(QStringLiteral("[Prima Nota]")), 0);
    // "Aggiorna" does not load the period over it: the row is still there.
    window.cmdAggiorna->click();
    QVERIFY(grid.isRowDirty());
    QCOMPARE(grid.recordsetModel()->value(0, 1).toString(), QStringLiteral("Spese"));
    for (int i = 0; i < typed.size(); ++i)
        pressInGrid(grid, Qt::Key_Backspace);
    typeInGrid(grid, column == 0 ? QStringLiteral("28/02/2026") : QStringLiteral("12"));
    QVERIFY(grid.updateRow());
    QCOMPARE(m_f->count(QStringLiteral("[Prima Nota] where pn_Descrizione = 'Spese'")), 1);
}

void TestJournals::resizingFollowsTheWindow()
{
    for (bool cash : {true, false}) {
        JournalWindow &window = open(cash);
        window.resize(900, 600);
        QApplication::processEvents();
        QCOMPARE(window.TDBGrid1->width(), 900 - (cash ? 500 : 475) / 15);
        QCOMPARE(window.TDBGrid1->height(), 600 - 2500 / 15);
        QCOMPARE(window.cmdChiudi->pos(), QPoint(200 / 15, 600 - 800 / 15));
        QCOMPARE(window.cmdStampa->pos(), QPoint(900 - 2000 / 15, 600 - 800 / 15));
        // The period row stands between the caption and the grid.
        for (QWidget *box : {static_cast<QWidget *>(window.txtDataInizio), static_cast<QWidget *>(window.cmdAggiorna)}) {
            const QRect shown(box->mapTo(&window, QPoint()), box->size());
            QVERIFY(shown.top() >= window.contentsRect().top());
            QVERIFY(shown.bottom() < window.TDBGrid1->y());
        }
        window.resize(100, 100);   // too small: what fits stays
        QApplication::processEvents();
        QCOMPARE(window.TDBGrid1->width(), 900 - (cash ? 500 : 475) / 15);
    }
}

// A month of the cash journal kept day by day and printed.
void TestJournals::aMonthKeptAndPrinted()
{
    JournalWindow &window = open(true);
    data::Grid &grid = *window.TDBGrid1;
    for (int day = 1; day <= 3; ++day) {
        QVERIFY(grid.setCurrentCell(day - 1, 0));
        typeInGrid(grid, QStringLiteral("0%1/12/2026\tIncasso\t\t\t%2\r").arg(day).arg(day * 100));
        QVERIFY(grid.updateRow());
    }
    QCOMPARE(m_f->count(QStringLiteral("[Prima Nota]")), 3);
    window.txtDataInizio->setText(QStringLiteral("01/12/2026"));
    window.txtDataFine->setText(QStringLiteral("31/12/2026"));
    window.cmdAggiorna->click();
    QCOMPARE(grid.recordsetModel()->recordCount(), 3);
    window.cmdStampa->click();
    QVERIFY(m_f->report().lastPreview());
    QCOMPARE(m_f->log(), QByteArray());
}

void TestJournals::errorsOfAggiornaAndStampaAreReported()
{
    JournalWindow &window = open(false);
    QFile::remove(m_f->folder() + QStringLiteral("/prinota.rpt"));
    window.cmdStampa->click();
    const QString shop = g_strDbPath;
    g_strDbPath = m_f->folder() + QStringLiteral("/manca/tarvo.mdb");
    window.cmdAggiorna->click();
    g_strDbPath = shop;
    QCOMPARE(logPlaces(m_f->log()), (QStringList{QStringLiteral("frmNotaFornitori.cmdStampa_Click"),
                                                 QStringLiteral("frmNotaFornitori.cmdAggiorna_Click")}));
    QCOMPARE(m_f->messages().texts().size(), 2);
}

QTEST_MAIN(TestJournals)
#include "tst_journals.moc"
