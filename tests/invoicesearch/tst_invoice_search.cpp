// The invoice search driven as the shop owner drives it: the filters and the
// statement they make, the list, "Nuova Ricerca", printing the list.

#include "CardFixture.h"

#include "invoicing/frmCercaFattura.h"
#include "invoicing/frmFattura.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString kNoMatch = QStringLiteral("Nessuna fattura trovata con le caratteristiche specificate");
const QString kTop = QStringLiteral("Select top 200 * from fattura where ");
const QString kAllDates = QStringLiteral(" fat_Data between #01/01/1900# and  #01/01/2100#");
const QString kOrder = QStringLiteral(" order by fat_Data desc, fat_Numero desc");

} // namespace

class TestInvoiceSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void filtersMakeTheStatementAndTheList_data();
    void filtersMakeTheStatementAndTheList();
    void aWrongDateIsSaidAndNothingSearched_data();
    void aWrongDateIsSaidAndNothingSearched();
    void theNewestTwoHundredAreListed();
    void theCountLeavesOutWhatTheDatesLeaveOut_data();
    void theCountLeavesOutWhatTheDatesLeaveOut();
    void theCustomerPickerLeftWithNothingKeepsTheFilter();
    void nuovaRicercaEmptiesFiltersAndList();
    void printListsTheInvoicesShown();
    void doubleClickShowsTheInvoiceInTheEditor();
    void resizingKeepsListAndButtonsAtTheEdges();

private:
    frmCercaFattura &openSearch();
    void addInvoice(const QString &number, const QString &monthFirstDate, int customer, bool paid);
    QStringList listedNumbers() const;

    std::unique_ptr<CardFixture> m_f;
    frmCercaFattura *m_search = nullptr;
};

void TestInvoiceSearch::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestInvoiceSearch::init()
{
    m_f = std::make_unique<CardFixture>();
    QVERIFY(QFile::copy(qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/reports/listafat.rpt"),
                        m_f->folder() + QStringLiteral("/listafat.rpt")));
    m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Rossi Moda')"));
    m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Dell''Orto')"));
    // 5 March and 3 May 2026 (written month first here): a date read the wrong
    // way round would find the other one.
    addInvoice(QStringLiteral("26-00001"), QStringLiteral("03/05/2026"), 1, true);
    addInvoice(QStringLiteral("26-00002"), QStringLiteral("05/03/2026"), 2, false);
    addInvoice(QStringLiteral("25-00150"), QStringLiteral("12/20/2025"), 1, true);
    addInvoice(QStringLiteral("07-00012"), QStringLiteral("01/10/2007"), 2, false);
}

void TestInvoiceSearch::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmFattura>();
    delete ui::WindowRegistry::existingInstance<frmCercaFattura>();
    m_search = nullptr;
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

void TestInvoiceSearch::addInvoice(const QString &number, const QString &monthFirstDate, int customer, bool paid)
{
    m_f->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Pagato, "
                                "fat_Data_Pagamento) values ('%1', #%2#, %3, %4, %5)")
                     .arg(number, monthFirstDate, QString::number(customer), paid ? QStringLiteral("-1") : QStringLiteral("0"),
                          paid ? QLatin1Char('#') + monthFirstDate + QLatin1Char('#') : QStringLiteral("Null")));
}

frmCercaFattura &TestInvoiceSearch::openSearch()
{
    m_search = &ui::WindowRegistry::defaultInstance<frmCercaFattura>();
    m_search->show();
    return *m_search;
}

QStringList TestInvoiceSearch::listedNumbers() const
{
    QStringList numbers;
    for (int i = 0; i < m_search->lvwFatture->topLevelItemCount(); ++i)
        numbers << m_search->lvwFatture->topLevelItem(i)->text(0);
    return numbers;
}

void TestInvoiceSearch::filtersMakeTheStatementAndTheList_data()
{
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("dal");
    QTest::addColumn<QString>("al");
    QTest::addColumn<QString>("cliente");
    QTest::addColumn<QString>("saldata");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("numbers");   // empty: the no-match note

    QTest::newRow("every box empty: only the period, two blanks between the dates")
        << "" << "" << "" << "" << "Tutte" << kTop + kAllDates + kOrder
        << QStringList{"26-00002", "26-00001", "25-00150", "07-00012"};
    QTest::newRow("year prefix") << "07-" << "" << "" << "" << "Tutte"
        << kTop + "fat_Numero like \"*07-*\" and " + kAllDates + kOrder << QStringList{"07-00012"};
    QTest::newRow("paid") << "" << "" << "" << "" << "Si"
        << kTop + kAllDates + " and  fat_Pagato = -1" + kOrder << QStringList{"26-00001", "25-00150"};
    QTest::newRow("unpaid") << "" << "" << "" << "" << "No"
        << kTop + kAllDates + " and  fat_Pagato = 0" + kOrder << QStringList{"26-00002", "07-00012"};
    QTest::newRow("dates are read day first and reach the statement month first")
        << "" << "05/03/2026" << "05/03/2026" << "" << "Tutte"
        << kTop + " fat_Data between #03/05/2026# and  #03/05/2026#" + kOrder << QStringList{"26-00001"};
    QTest::newRow("customer code is the whole number the text starts with") << "" << "" << "" << "1.9x" << "Tutte"
        << kTop + kAllDates + " and  fat_Codice_Cliente = 1" + kOrder << QStringList{"26-00001", "25-00150"};
    QTest::newRow("a typed double quote stays inside the pattern") << "0\" or \"\"=\"" << "" << "" << "" << "Tutte"
        << kTop + "fat_Numero like \"*0\"\" or \"\"\"\"=\"\"*\" and " + kAllDates + kOrder << QStringList();
    QTest::newRow("a typed apostrophe is a plain character") << "26-'" << "" << "" << "" << "Tutte"
        << kTop + "fat_Numero like \"*26-'*\" and " + kAllDates + kOrder << QStringList();
    QTest::newRow("every filter") << "26" << "01/01/2026" << "31/12/2026" << "2" << "No"
        << kTop + "fat_Numero like \"*26*\" and  fat_Data between #01/01/2026# and  #12/31/2026# and  "
                  "fat_Codice_Cliente = 2 and  fat_Pagato = 0" + kOrder
        << QStringList{"26-00002"};
}

void TestInvoiceSearch::filtersMakeTheStatementAndTheList()
{
    QFETCH(QString, numero);
    QFETCH(QString, dal);
    QFETCH(QString, al);
    QFETCH(QString, cliente);
    QFETCH(QString, saldata);
    QFETCH(QString, statement);
    QFETCH(QStringList, numbers);
    frmCercaFattura &search = openSearch();
    QCOMPARE(search.cboSaldata->currentText(), QStringLiteral("Tutte"));
    // A list from before is replaced by the search.
    search.TrovaFatture();
    QCOMPARE(search.lvwFatture->topLevelItemCount(), 4);
    search.txtNumero->setText(numero);
    search.txtDataInizio->setText(dal);
    search.txtDataFine->setText(al);
    search.txtCodiceCliente->setText(cliente);
    search.cboSaldata->setCurrentText(saldata);
    QTest::mouseClick(search.cmdTrova, Qt::LeftButton);
    QCOMPARE(search.lastStatement(), statement);
    QCOMPARE(listedNumbers(), numbers);
    // Finding nothing is said above the list, not in a message.
    QCOMPARE(search.lblEsito->isHidden() ? QString() : search.lblEsito->text(),
             numbers.isEmpty() ? kNoMatch : QString());
    QVERIFY(m_f->messages().texts().isEmpty());
    QVERIFY(m_f->log().isEmpty());
}

void TestInvoiceSearch::aWrongDateIsSaidAndNothingSearched_data()
{
    QTest::addColumn<bool>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("a day February does not have") << true << "31/02/2026"
        << "ERRORE:[31/02/2026] Formato data non corretto!";
    QTest::newRow("six digits that are no date") << false << "123456" << "ERRORE:[12/34/56] Formato data non corretto!";
    QTest::newRow("letters") << false << "abcdef" << "ERRORE:[abcdef] Formato data non corretto!";
}

void TestInvoiceSearch::aWrongDateIsSaidAndNothingSearched()
{
    QFETCH(bool, start);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    frmCercaFattura &search = openSearch();
    search.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&search));
    search.txtNumero->setText(QStringLiteral("26"));
    search.TrovaFatture();
    const QString before = search.lastStatement();
    QCOMPARE(listedNumbers(), (QStringList{"26-00002", "26-00001"}));
    QLineEdit *box = start ? search.txtDataInizio : search.txtDataFine;
    box->setFocus();
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(m_f->messages().texts(), QStringList{message});
    QCOMPARE(search.lastStatement(), before);
    QCOMPARE(listedNumbers(), (QStringList{"26-00002", "26-00001"}));
    QCOMPARE(box->text(), typed);
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(box->font().bold());
    // Put right, the date is searched.
    box->setText(start ? QStringLiteral("01/05/2026") : QStringLiteral("1/5/26"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(listedNumbers(), start ? QStringList{"26-00002"} : QStringList{"26-00001"});
    QCOMPARE(m_f->messages().texts().size(), 1);
}

// A shop with years of invoices still sees this month's first; the columns
// read as the user expects them.
void TestInvoiceSearch::theNewestTwoHundredAreListed()
{
    for (int i = 1; i <= 230; ++i)
        addInvoice(QStringLiteral("24-%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("06/01/2024"), 1, false);
    frmCercaFattura &search = openSearch();
    search.TrovaFatture();
    const QStringList numbers = listedNumbers();
    QCOMPARE(numbers.size(), 200);
    // The list says it shows the newest 200 of more.
    QVERIFY(!search.lblEsito->isHidden());
    QCOMPARE(search.lblEsito->text(), QStringLiteral("Mostrate 200 di 234 fatture"));
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(numbers.mid(0, 4), (QStringList{"26-00002", "26-00001", "25-00150", "24-00230"}));
    QCOMPARE(numbers.last(), QStringLiteral("24-00034"));
    QTreeWidgetItem *first = search.lvwFatture->topLevelItem(0);
    QCOMPARE((QStringList{first->text(1), first->text(2), first->text(3), first->text(4)}),
             (QStringList{"03/05/2026", "Dell'Orto", "No", ""}));
    QTreeWidgetItem *second = search.lvwFatture->topLevelItem(1);
    QCOMPARE((QStringList{second->text(1), second->text(2), second->text(3), second->text(4)}),
             (QStringList{"05/03/2026", "Rossi Moda", "Si", "05/03/2026"}));
}

// The count beside a full list is the rows the search selects: an invoice
// without a date, or dated before the widest start, is neither listed nor
// counted, with the boxes empty or filled.
void TestInvoiceSearch::theCountLeavesOutWhatTheDatesLeaveOut_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("saldata");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("cliente");
    QTest::addColumn<QString>("shown");
    QTest::newRow("every box empty") << QString() << "Tutte" << QString() << QString() << "Mostrate 200 di 234 fatture";
    QTest::newRow("a start before the old invoice") << "01/01/1800" << "Tutte" << QString() << QString()
                                                    << "Mostrate 200 di 235 fatture";
    QTest::newRow("not paid") << QString() << "No" << QString() << QString() << "Mostrate 200 di 232 fatture";
    // The old and the undated invoice match the number and the customer too.
    QTest::newRow("part of a number") << QString() << "Tutte" << "-00" << QString() << "Mostrate 200 di 234 fatture";
    QTest::newRow("part of a number, from 1800") << "01/01/1800" << "Tutte" << "-00" << QString()
                                                 << "Mostrate 200 di 235 fatture";
    QTest::newRow("a customer, not paid") << QString() << "No" << QString() << "1" << "Mostrate 200 di 230 fatture";
}

void TestInvoiceSearch::theCountLeavesOutWhatTheDatesLeaveOut()
{
    QFETCH(QString, start);
    QFETCH(QString, saldata);
    QFETCH(QString, numero);
    QFETCH(QString, cliente);
    QFETCH(QString, shown);
    for (int i = 1; i <= 230; ++i)
        addInvoice(QStringLiteral("24-%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("06/01/2024"), 1, false);
    addInvoice(QStringLiteral("50-00001"), QStringLiteral("06/01/1850"), 1, false);
    m_f->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Codice_Cliente, fat_Pagato) values ('00-00001', 1, 0)"));
    frmCercaFattura &search = openSearch();
    search.txtDataInizio->setText(start);
    search.txtNumero->setText(numero);
    search.txtCodiceCliente->setText(cliente);
    search.cboSaldata->setCurrentIndex(search.cboSaldata->findText(saldata));
    QCOMPARE(search.cboSaldata->currentText(), saldata);
    search.TrovaFatture();
    QCOMPARE(listedNumbers().size(), 200);
    QCOMPARE(search.lblEsito->text(), shown);
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestInvoiceSearch::theCustomerPickerLeftWithNothingKeepsTheFilter()
{
    frmCercaFattura &search = openSearch();
    search.txtCodiceCliente->setText(QStringLiteral("2"));
    search.txtCliente->setText(QStringLiteral("Dell'Orto"));
    m_f->messages().queueModal([](QDialog &dialog) {
        dialog.reject();
        return dialog.result();
    });
    search.cmdHelp->click();
    QCOMPARE(search.txtCodiceCliente->text(), QStringLiteral("2"));
    QCOMPARE(search.txtCliente->text(), QStringLiteral("Dell'Orto"));
    search.TrovaFatture();
    QCOMPARE(listedNumbers(), (QStringList{"26-00002", "07-00012"}));
}

void TestInvoiceSearch::nuovaRicercaEmptiesFiltersAndList()
{
    frmCercaFattura &search = openSearch();
    for (QLineEdit *box : {search.txtNumero, search.txtDataInizio, search.txtDataFine, search.txtCodiceCliente,
                           search.txtCliente})
        box->setText(QStringLiteral("1"));
    search.TrovaFatture();
    QTest::mouseClick(search.cmdCancella, Qt::LeftButton);
    for (QLineEdit *box : {search.txtNumero, search.txtDataInizio, search.txtDataFine, search.txtCodiceCliente,
                           search.txtCliente})
        QCOMPARE(box->text(), QString());
    QCOMPARE(search.lvwFatture->topLevelItemCount(), 0);
}

void TestInvoiceSearch::printListsTheInvoicesShown()
{
    frmCercaFattura &search = openSearch();
    // An empty list prints nothing.
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    QVERIFY(!m_f->report().lastPreview());
    addInvoice(QStringLiteral("26-00003"), QStringLiteral("06/01/2026"), 1, false);
    search.txtNumero->setText(QStringLiteral("26-"));
    search.TrovaFatture();
    QCOMPARE(listedNumbers(), (QStringList{"26-00003", "26-00002", "26-00001"}));
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    namespace prop = report::prop;
    report::ReportControl &report = m_f->report();
    QCOMPARE(report.get(prop::SelectionFormula).toString(),
             QStringLiteral("{fattura.fat_Numero} = '26-00003' or {fattura.fat_Numero} = '26-00002' or "
                            "{fattura.fat_Numero} = '26-00001'"));
    QCOMPARE(report.get(prop::WindowTitle).toString(), QStringLiteral("Lista Fatture"));
    QCOMPARE(report.get(prop::Destination).toInt(), 0);
    QVERIFY(report.get(prop::ReportFileName).toString().endsWith(QStringLiteral("/listafat.rpt")));
    QVERIFY(report.lastPreview());
    QVERIFY(m_f->log().isEmpty());
}

// The editor takes the invoice and the search steps aside; an editor
// holding an unsaved new invoice refuses and the search stays.
void TestInvoiceSearch::doubleClickShowsTheInvoiceInTheEditor()
{
    frmCercaFattura &search = openSearch();
    search.txtNumero->setText(QStringLiteral("25-"));
    search.TrovaFatture();
    QTreeWidgetItem *item = search.lvwFatture->topLevelItem(0);
    const auto doubleClick = [&] {
        search.lvwFatture->setCurrentItem(item);
        Q_EMIT search.lvwFatture->itemDoubleClicked(item, 0);
    };
    doubleClick();
    auto *editor = ui::WindowRegistry::existingInstance<frmFattura>();
    QVERIFY(editor && editor->isVisible());
    QCOMPARE(editor->txtFields(0)->text(), QStringLiteral("25-00150"));
    QVERIFY(!search.isVisible());

    editor->imgToolbar1_Click(1);   // New
    QCOMPARE(editor->editState(), 2);
    search.show();
    doubleClick();
    // Asked about the new invoice, the user stays with it (Annulla, the default).
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Salvare le modifiche?")});
    QVERIFY(search.isVisible());
    QCOMPARE(editor->editState(), 2);
    QVERIFY(m_f->log().isEmpty());
}

// From 8600 twips of inner width on, the list fills the window below the
// filters and the buttons form a column at the right edge.
void TestInvoiceSearch::resizingKeepsListAndButtonsAtTheEdges()
{
    frmCercaFattura &search = openSearch();
    for (const QSize size : {QSize(900, 600), QSize(640, 420)}) {
        search.resize(size);
        const QRect inside = search.contentsRect();
        QCOMPARE(search.lvwFatture->width(), inside.width() - 200 / 15);
        QCOMPARE(search.lvwFatture->geometry().bottom() + 1, inside.bottom() + 1 - 300 / 15);
        QCOMPARE(search.cmdCancella->geometry().right() + 1, inside.right() + 1 - 200 / 15);
        QCOMPARE(search.cmdTrova->x(), search.cmdStampa->x());
    }
    const QRect wide = search.lvwFatture->geometry();
    search.resize(500, 300);
    QCOMPARE(search.lvwFatture->geometry(), wide);
}

QTEST_MAIN(TestInvoiceSearch)
#include "tst_invoice_search.moc"
