// The register search driven as the shop owner drives it: filters, the
// list, "Nuova Ricerca", printing, and the double-click that shows an entry
// on the register card (RichiamaAnagrafica).

#include "CardFixture.h"

#include "base/Globals.h"
#include "base/errors/TarvoApplication.h"
#include "quirnel/MenuCommands.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "skin/ImageToolbar.h"
#include "ui/MdiChild.h"
#include "data/DataControl.h"
#include "register/RichiamaAnagrafica.h"
#include "register/frmAnagrafica.h"
#include "register/frmCercaAnagrafica.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include "LogPlaces.h"

#include <QtTest>

namespace {

const QString kNoMatch = QStringLiteral("Nessuna anagrafica trovata con le caratteristiche specificate");

} // namespace

class TestRegisterSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void filtersMakeTheStatementAndTheList_data();
    void filtersMakeTheStatementAndTheList();
    void aNameIsFoundByAnyOfItsWords_data();
    void aNameIsFoundByAnyOfItsWords();
    void onlyTheFirstHundredByName();
    void nuovaRicercaKeepsCountryAndType();
    void theKeyboardFindsOpensAndComesBackToItsPlace();
    void doubleClickShowsTheEntryOnTheCard();
    void recallOfANumberNoLongerThereKeepsTheCard();
    void printListsTheEntriesShown();
    void resizingKeepsListAndButtonsAtTheEdges();
    void aCustomerFromRegistrationToPrint();
    void errorsAreReportedUnderTheirLabels();

private:
    frmCercaAnagrafica &openSearch();
    void addEntry(const QString &name, const QString &country, const QString &vat, bool supplier);
    QStringList listedCodes() const;

    std::unique_ptr<CardFixture> m_f;
    frmCercaAnagrafica *m_search = nullptr;
};

void TestRegisterSearch::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestRegisterSearch::init()
{
    m_f = std::make_unique<CardFixture>();
    const QString source = qEnvironmentVariable("TARVO_SOURCE_DIR");
    for (const char *name : {"clienti.rpt", "lstclienti.rpt"})
        QVERIFY(QFile::copy(source + QStringLiteral("/resources/reports/") + QLatin1String(name),
                            m_f->folder() + QStringLiteral("/") + QLatin1String(name)));
    // Register numbers 1..8, names deliberately out of number order.
    addEntry(QStringLiteral("Rossi"), QStringLiteral("Italia"), QStringLiteral("11111111111"), false);
    addEntry(QStringLiteral("Rossi Abbigliamento"), QStringLiteral("Italia"), QStringLiteral("22222222222"), false);
    addEntry(QStringLiteral("Dell'Orto Tessuti"), QStringLiteral("Svizzera"), QString(), true);
    addEntry(QStringLiteral("Sartoria O\"Neill"), QStringLiteral("Irlanda"), QString(), false);
    addEntry(QStringLiteral("Sconto 100%"), QStringLiteral("Italia"), QStringLiteral("IT_123"), true);
    addEntry(QStringLiteral("Sconto 1000"), QStringLiteral("Italia"), QStringLiteral("IT9123"), false);
    addEntry(QStringLiteral("Negozio N. #3 [centro]"), QStringLiteral("San Marino"), QString(), false);
    m_f->execute(QStringLiteral("insert into Anagrafica (anag_Indirizzo) values ('Via senza nome')"));
}

void TestRegisterSearch::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmAnagrafica>();
    delete ui::WindowRegistry::existingInstance<frmCercaAnagrafica>();
    m_search = nullptr;
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

void TestRegisterSearch::addEntry(const QString &name, const QString &country, const QString &vat, bool supplier)
{
    m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Località, anag_Stato, "
                                "anag_Partita_IVA, anag_Fornitore) values (%1, 'Via Roma 1', 'Forlì', '%2', %3, %4)")
                     .arg(QLatin1Char('\'') + QString(name).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\''),
                          country, vat.isEmpty() ? QStringLiteral("Null") : QLatin1Char('\'') + vat + QLatin1Char('\''),
                          supplier ? QStringLiteral("-1") : QStringLiteral("0")));
}

frmCercaAnagrafica &TestRegisterSearch::openSearch()
{
    m_search = &ui::WindowRegistry::defaultInstance<frmCercaAnagrafica>();
    m_search->show();
    return *m_search;
}

QStringList TestRegisterSearch::listedCodes() const
{
    QStringList codes;
    for (int i = 0; i < m_search->lvwAnagrafica->topLevelItemCount(); ++i)
        codes << m_search->lvwAnagrafica->topLevelItem(i)->text(0);
    return codes;
}

void TestRegisterSearch::filtersMakeTheStatementAndTheList_data()
{
    QTest::addColumn<QString>("codice");
    QTest::addColumn<QString>("nome");
    QTest::addColumn<QString>("iva");
    QTest::addColumn<QString>("stato");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("codes");   // empty: the no-match note

    const QString top = QStringLiteral("Select top 100 * from anagrafica where ");
    const QString order = QStringLiteral(" order by anag_Denominazione");
    QTest::newRow("no filter: the first entries by name, a Null name first")
        << "" << "" << "" << "" << "Tutte" << QStringLiteral("Select top 100 * from anagrafica w order by anag_Denominazione")
        << QStringList{"8", "3", "7", "1", "2", "4", "5", "6"};
    QTest::newRow("number followed by letters") << " 2ab" << "" << "" << "" << "Tutte"
        << top + "anag_contatore = 2" + order << QStringList{"2"};
    QTest::newRow("number of letters only looks for 0") << "ab" << "" << "" << "" << "Tutte"
        << top + "anag_contatore = 0" + order << QStringList();
    QTest::newRow("a word without wildcards starts the name or one of its words") << "" << " Rossi " << "" << "" << "Tutte"
        << top + "(anag_Denominazione like \"Rossi*\" or anag_Denominazione like \"* Rossi*\" or "
                 "anag_Denominazione like \"*'Rossi*\" or anag_Denominazione like \"*-Rossi*\")" + order
        << QStringList{"1", "2"};
    QTest::newRow("the exact name, typed with a wildcard") << "" << "Rossi?" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"Rossi?\"" + order << QStringList();
    QTest::newRow("name with the any-text wildcard") << "" << "rossi*" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"rossi*\"" + order << QStringList{"1", "2"};
    QTest::newRow("one-character wildcard") << "" << "Sconto 100?" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"Sconto 100?\"" + order << QStringList{"5", "6"};
    QTest::newRow("percent is a plain character") << "" << "Sconto 100%" << "" << "" << "Tutte"
        << top + "(anag_Denominazione like \"Sconto*\" or anag_Denominazione like \"* Sconto*\" or "
                 "anag_Denominazione like \"*'Sconto*\" or anag_Denominazione like \"*-Sconto*\") and "
                 "(anag_Denominazione like \"100%*\" or anag_Denominazione like \"* 100%*\" or "
                 "anag_Denominazione like \"*'100%*\" or anag_Denominazione like \"*-100%*\")" + order
        << QStringList{"5"};
    QTest::newRow("underscore is a plain character") << "" << "" << "IT_123" << "" << "Tutte"
        << top + " anag_partita_Iva like \"IT_123\"" + order << QStringList{"5"};
    QTest::newRow("apostrophe") << "" << "Dell'Orto*" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"Dell'Orto*\"" + order << QStringList{"3"};
    QTest::newRow("double quote doubled, never closing the text") << "" << "*O\"Neill\" or \"\"=\"" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"*O\"\"Neill\"\" or \"\"\"\"=\"\"\"" + order << QStringList();
    QTest::newRow("double quote in a name") << "" << "*O\"Neill" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"*O\"\"Neill\"" + order << QStringList{"4"};
    QTest::newRow("digit sign and bracket are plain characters") << "" << "*#3 [centro]" << "" << "" << "Tutte"
        << top + "anag_Denominazione like \"*[#]3 [[]centro]\"" + order << QStringList{"7"};
    QTest::newRow("country") << "" << "" << "" << "s*" << "Tutte"
        << top + " anag_Stato like \"s*\"" + order << QStringList{"3", "7"};
    QTest::newRow("customers") << "" << "" << "" << "Italia" << "Clienti"
        << top + " anag_Stato like \"Italia\" and  anag_Fornitore = 0" + order << QStringList{"1", "2", "6"};
    QTest::newRow("suppliers") << "" << "" << "" << "" << "Fornitori"
        << top + " anag_Fornitore <> 0" + order << QStringList{"3", "5"};
    QTest::newRow("every filter") << "5" << "Sconto*" << "IT*" << "Italia" << "Fornitori"
        << top + "anag_contatore = 5 and anag_Denominazione like \"Sconto*\" and  anag_partita_Iva like \"IT*\" and  "
                 "anag_Stato like \"Italia\" and  anag_Fornitore <> 0" + order
        << QStringList{"5"};
}

void TestRegisterSearch::filtersMakeTheStatementAndTheList()
{
    QFETCH(QString, codice);
    QFETCH(QString, nome);
    QFETCH(QString, iva);
    QFETCH(QString, stato);
    QFETCH(QString, tipo);
    QFETCH(QString, statement);
    QFETCH(QStringList, codes);
    frmCercaAnagrafica &search = openSearch();
    // A list from before is replaced by the search.
    search.TrovaAnagrafica();
    QCOMPARE(search.lvwAnagrafica->topLevelItemCount(), 8);
    search.txtCodice->setText(codice);
    search.txtDenominazione->setText(nome);
    search.txtPartitaIva->setText(iva);
    search.txtStato->setText(stato);
    search.cboTipo->setCurrentText(tipo);
    QTest::mouseClick(search.cmdTrova, Qt::LeftButton);
    QCOMPARE(search.lastStatement(), statement);
    QCOMPARE(listedCodes(), codes);
    // Finding nothing is said above the list, not in a message.
    QCOMPARE(search.lblEsito->isHidden() ? QString() : search.lblEsito->text(), codes.isEmpty() ? kNoMatch : QString());
    QVERIFY(m_f->messages().texts().isEmpty());
    QVERIFY(m_f->log().isEmpty());
}

// Names of several words, with accents and apostrophes, found as a shop
// owner types them: any word, its start, any case; * and ? as typed.
void TestRegisterSearch::aNameIsFoundByAnyOfItsWords_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("names");   // in name order
    QTest::newRow("a surname first or last") << "Rossi"
        << QStringList{"Bianchi-Rossi Sara", "Mario Rossi", "Rossi", "Rossi Abbigliamento", "Rossi Mario"};
    QTest::newRow("the start of a word, in any case") << "ross"
        << QStringList{"Bianchi-Rossi Sara", "Mario Rossi", "Rossi", "Rossi Abbigliamento", "Rossi Mario"};
    QTest::newRow("two words in either order") << "mario  rossi" << QStringList{"Mario Rossi", "Rossi Mario"};
    QTest::newRow("an apostrophe") << "D'Angelo" << QStringList{"D'Angelo Luca", "Studio D'Angelo"};
    QTest::newRow("the word after an apostrophe") << "angelo" << QStringList{"D'Angelo Luca", "Studio D'Angelo"};
    QTest::newRow("an apostrophe and a second word") << "luca d'angelo" << QStringList{"D'Angelo Luca"};
    QTest::newRow("an accented letter") << "Nicolò" << QStringList{"Nicolò Bianchi"};
    QTest::newRow("an accented capital") << "NICOLÒ" << QStringList{"Nicolò Bianchi"};
    QTest::newRow("the start of a word with an accent") << "nicol" << QStringList{"Nicolò Bianchi"};
    QTest::newRow("the middle of a word is not its start") << "ossi" << QStringList();
    QTest::newRow("typed * keeps the start of the name") << "rossi*"
        << QStringList{"Rossi", "Rossi Abbigliamento", "Rossi Mario"};
    QTest::newRow("typed ? is one character of the whole name") << "?ossi" << QStringList{"Rossi"};
    QTest::newRow("typed * inside the name") << "*d'angelo" << QStringList{"Studio D'Angelo"};
    QTest::newRow("a quote closing the text finds nothing") << "x' or ''='" << QStringList();
    QTest::newRow("a double quote closing the text finds nothing") << "x\" or \"\"=\"" << QStringList();
}

void TestRegisterSearch::aNameIsFoundByAnyOfItsWords()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, names);
    for (const QString &name : {QStringLiteral("Rossi Mario"), QStringLiteral("Mario Rossi"), QStringLiteral("Brossi Luca"),
                                QStringLiteral("Bianchi-Rossi Sara"), QStringLiteral("D'Angelo Luca"),
                                QStringLiteral("Studio D'Angelo"), QStringLiteral("Nicolò Bianchi")})
        addEntry(name, QStringLiteral("Italia"), QString(), false);
    frmCercaAnagrafica &search = openSearch();
    search.txtDenominazione->setText(typed);
    QTest::mouseClick(search.cmdTrova, Qt::LeftButton);
    QStringList listed;
    for (int i = 0; i < search.lvwAnagrafica->topLevelItemCount(); ++i)
        listed << search.lvwAnagrafica->topLevelItem(i)->text(1);
    QCOMPARE(listed, names);
    QCOMPARE(search.lblEsito->isHidden() ? QString() : search.lblEsito->text(), names.isEmpty() ? kNoMatch : QString());
    // The export finds the same entries.
    QCOMPARE(search.listToExport().statement.section(QStringLiteral(" from "), 1),
             search.lastStatement().section(QStringLiteral(" from "), 1));
    QVERIFY(m_f->messages().texts().isEmpty());
    QVERIFY(m_f->log().isEmpty());
}

void TestRegisterSearch::onlyTheFirstHundredByName()
{
    for (int i = 1; i <= 120; ++i)
        m_f->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Stato, anag_Partita_IVA) "
                                    "values ('Cliente %1', 'Italia', '%2')")
                         .arg(i, 3, 10, QLatin1Char('0'))
                         .arg(10000000000LL + i));
    frmCercaAnagrafica &search = openSearch();
    search.txtDenominazione->setText(QStringLiteral("cliente*"));
    search.TrovaAnagrafica();
    QCOMPARE(search.lvwAnagrafica->topLevelItemCount(), 100);
    QTreeWidgetItem *first = search.lvwAnagrafica->topLevelItem(0);
    QCOMPARE(first->text(1), QStringLiteral("Cliente 001"));
    QCOMPARE(first->text(2), QStringLiteral("Italia"));
    QCOMPARE(first->text(3), QStringLiteral("10000000001"));
    QCOMPARE(first->data(0, Qt::UserRole).toString(), QStringLiteral("A") + first->text(0));
    QVERIFY(!first->icon(0).isNull());
    QCOMPARE(search.lvwAnagrafica->topLevelItem(99)->text(1), QStringLiteral("Cliente 100"));
    // The list says it shows the first 100 of more.
    QVERIFY(!search.lblEsito->isHidden());
    QCOMPARE(search.lblEsito->text(), QStringLiteral("Mostrate 100 di 120 anagrafiche"));
    // A search of fewer says nothing more than its list.
    search.txtDenominazione->setText(QStringLiteral("cliente 00"));
    search.TrovaAnagrafica();
    QCOMPARE(search.lvwAnagrafica->topLevelItemCount(), 9);
    QVERIFY(search.lblEsito->isHidden());
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(search.lvwAnagrafica->headerItem()->text(3), QStringLiteral("Partita IVA"));
}

void TestRegisterSearch::nuovaRicercaKeepsCountryAndType()
{
    frmCercaAnagrafica &search = openSearch();
    search.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&search));
    QCOMPARE(QApplication::focusWidget(), search.txtCodice);
    // Entered again, a filter offers its whole text to be typed over.
    search.txtDenominazione->setText(QStringLiteral("Rossi"));
    search.txtDenominazione->setFocus();
    QTest::qWait(1);
    QCOMPARE(search.txtDenominazione->selectedText(), QStringLiteral("Rossi"));
    search.txtCodice->setText(QStringLiteral("3"));
    search.txtDenominazione->setText(QStringLiteral("Dell*"));
    search.txtPartitaIva->setText(QStringLiteral("1*"));
    search.txtStato->setText(QStringLiteral("Svizzera"));
    search.cboTipo->setCurrentText(QStringLiteral("Fornitori"));
    search.TrovaAnagrafica();
    QTest::mouseClick(search.cmdCancella, Qt::LeftButton);
    QCOMPARE(search.txtCodice->text(), QString());
    QCOMPARE(search.txtDenominazione->text(), QString());
    QCOMPARE(search.txtPartitaIva->text(), QString());
    QCOMPARE(search.txtStato->text(), QStringLiteral("Svizzera"));
    QCOMPARE(search.cboTipo->currentText(), QStringLiteral("Fornitori"));
    QCOMPARE(search.lvwAnagrafica->topLevelItemCount(), 0);
    QCOMPARE(QApplication::focusWidget(), search.txtCodice);
    // The next search runs on what stayed.
    search.TrovaAnagrafica();
    QCOMPARE(listedCodes(), QStringList{"3"});
}

// The card open on another entry is moved to the one double-clicked; the
// search steps aside and comes back from the card's Search as it was left.
void TestRegisterSearch::doubleClickShowsTheEntryOnTheCard()
{
    frmAnagrafica &card = ui::WindowRegistry::defaultInstance<frmAnagrafica>();
    card.show();
    frmCercaAnagrafica &search = openSearch();
    search.txtDenominazione->setText(QStringLiteral("Rossi*"));
    search.TrovaAnagrafica();
    QTreeWidget &list = *search.lvwAnagrafica;
    search.lvwAnagrafica_DblClick();   // nothing selected: nothing happens
    QVERIFY(search.isVisible());
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("1 di 8"));

    const QRect second = list.visualItemRect(list.topLevelItem(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QCOMPARE(ui::WindowRegistry::existingInstance<frmAnagrafica>(), &card);
    QCOMPARE(card.fieldText(1), QStringLiteral("Rossi Abbigliamento"));
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("2 di 8"));
    QVERIFY(!search.isVisible());

    card.imgToolbar1_Click(2);
    QVERIFY(search.isVisible());
    QCOMPARE(search.txtDenominazione->text(), QStringLiteral("Rossi*"));
    QCOMPARE(listedCodes(), (QStringList{"1", "2"}));
    QVERIFY(m_f->messages().texts().isEmpty());
}

// Tab from the filters reaches the list; Enter on a row shows it on the card;
// the search, shown again, keeps its row and runs nothing; Escape closes it.
void TestRegisterSearch::theKeyboardFindsOpensAndComesBackToItsPlace()
{
    frmAnagrafica &card = ui::WindowRegistry::defaultInstance<frmAnagrafica>();
    card.show();
    frmCercaAnagrafica &search = openSearch();
    search.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&search));
    QCOMPARE(QApplication::focusWidget(), search.txtCodice);
    search.txtDenominazione->setText(QStringLiteral("sconto"));
    QTest::keyClick(search.txtCodice, Qt::Key_Return);
    QCOMPARE(listedCodes(), (QStringList{"5", "6"}));
    search.cboTipo->setFocus();
    QTest::keyClick(search.cboTipo, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), search.lvwAnagrafica);
    QTest::keyClick(search.lvwAnagrafica, Qt::Key_Down);
    QTest::keyClick(search.lvwAnagrafica, Qt::Key_Down);
    QCOMPARE(search.lvwAnagrafica->currentItem()->text(0), QStringLiteral("6"));
    const QString statement = search.lastStatement();
    search.txtDenominazione->setText(QStringLiteral("typed after the search"));
    search.lvwAnagrafica->setFocus();
    QTest::keyClick(search.lvwAnagrafica, Qt::Key_Return);
    QCOMPARE(card.fieldText(1), QStringLiteral("Sconto 1000"));
    QVERIFY(!search.isVisible());

    card.imgToolbar1_Click(2);
    search.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&search));
    QCOMPARE(search.lastStatement(), statement);
    QCOMPARE(listedCodes(), (QStringList{"5", "6"}));
    QCOMPARE(search.lvwAnagrafica->currentItem()->text(0), QStringLiteral("6"));

    QPointer<frmCercaAnagrafica> closing(&search);
    QTest::keyClick(search.lvwAnagrafica, Qt::Key_Escape);
    QTRY_VERIFY(!closing);
    m_search = nullptr;
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestRegisterSearch::recallOfANumberNoLongerThereKeepsTheCard()
{
    frmAnagrafica &card = ui::WindowRegistry::defaultInstance<frmAnagrafica>();
    card.show();
    card.imgToolbar1_Click(8);
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("2 di 8"));
    m_f->execute(QStringLiteral("delete from Anagrafica where anag_Contatore = 6"));
    RichiamaAnagrafica(QStringLiteral("6"));
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Impossibile trovare l'anagrafica selezionata.")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(card.txtToolbar->text(), QStringLiteral("2 di 8"));
    QCOMPARE(card.fieldText(0), QStringLiteral("2"));
    QVERIFY(m_f->log().isEmpty());
    RichiamaAnagrafica(QStringLiteral("7 "));
    QCOMPARE(card.fieldText(0), QStringLiteral("7"));
}

void TestRegisterSearch::printListsTheEntriesShown()
{
    frmCercaAnagrafica &search = openSearch();
    // An empty list prints nothing and says nothing.
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    QCOMPARE(m_f->report().runCount(), 0);
    search.txtStato->setText(QStringLiteral("Italia"));
    search.TrovaAnagrafica();
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    QCOMPARE(m_f->report().runCount(), 1);
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/lstclienti.rpt"));
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(),
             QStringLiteral("{Anagrafica.anag_Contatore} = 1 or {Anagrafica.anag_Contatore} = 2 or "
                            "{Anagrafica.anag_Contatore} = 5 or {Anagrafica.anag_Contatore} = 6"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Lista Clienti"));
    QCOMPARE(m_f->report().lastDestination(), report::Destination::Screen);
    QStringList printed;
    for (const report::ReportPage &page : m_f->report().lastPages())
        for (const report::PageItem &item : page.items)
            printed << item.text;
    QVERIFY2(printed.contains(QStringLiteral("Sconto 100%")), qPrintable(printed.join(QLatin1Char('|'))));
    QVERIFY(!printed.contains(QStringLiteral("Dell'Orto Tessuti")));
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestRegisterSearch::resizingKeepsListAndButtonsAtTheEdges()
{
    frmCercaAnagrafica &search = openSearch();
    search.resize(700, 520);
    const QRect list = search.lvwAnagrafica->geometry();
    QCOMPARE(list.height(), 520 - 2990 / 15);
    QCOMPARE(list.width(), 700 - 200 / 15 - 2 * search.contentsRect().left());
    const int left = 700 - search.cmdCancella->width() - 200 / 15;
    for (ctrl_SkinableButton *button : {search.cmdTrova, search.cmdCancella, search.cmdStampa, search.cmdEsci})
        QCOMPARE(button->x(), left);
    QVERIFY(search.cmdTrova->y() < search.cmdCancella->y());
    QVERIFY(search.cmdEsci->geometry().bottom() < list.top());
    QVERIFY(search.Frame1->geometry().right() < left);
    search.resize(120, 90);   // smaller than the margins: no harm done
    QCOMPARE(search.lvwAnagrafica->height(), 0);
}

// The whole way through the main window: File / "Anagrafiche" (Ctrl+G), a
// new customer, the card's Search, the search by part of the name, the
// double-click back to the card, its print, and the delete it refuses once
// an invoice names the customer.
void TestRegisterSearch::aCustomerFromRegistrationToPrint()
{
    app::wireWindows();
    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QAction *anagrafiche = main.commandAction(QStringLiteral("mnuAnagraficheItem"));
    QVERIFY(anagrafiche->isEnabled());
    QCOMPARE(anagrafiche->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    anagrafiche->trigger();
    frmAnagrafica *card = ui::WindowRegistry::existingInstance<frmAnagrafica>();
    QVERIFY(card && card->isVisible());
    QCOMPARE(ui::mdiFrameOf(*card)->mdiArea(), main.mdiArea());
    const auto click = [&card](int picture) {
        QTest::mouseClick(card->imgToolbar1, Qt::LeftButton, Qt::NoModifier,
                          card->imgToolbar1->pictureRect(picture).center());
    };
    click(1);
    for (const auto &[index, text] : {std::pair{1, "Calzature Zanzi"}, {12, "Via Cavour 9"}, {4, "Lugo"}}) {
        card->txtFields(index)->setFocus();
        QTest::keyClicks(card->txtFields(index), QLatin1String(text));
    }
    click(3);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("L'anagrafica è stata salvata")});
    QCOMPARE(card->txtToolbar->text(), QStringLiteral("9 di 9"));

    click(6);
    click(2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!ui::WindowRegistry::existingInstance<frmAnagrafica>());
    frmCercaAnagrafica *search = ui::WindowRegistry::existingInstance<frmCercaAnagrafica>();
    QVERIFY(search && search->isVisible());
    QCOMPARE(ui::mdiFrameOf(*search)->pos(), QPoint(0, 0));
    search->txtDenominazione->setFocus();
    QTest::keyClicks(search->txtDenominazione, QStringLiteral("*zanz*"));
    QTest::keyClick(search->txtDenominazione, Qt::Key_Return);   // Trova is the default button
    QTreeWidget &list = *search->lvwAnagrafica;
    QCOMPARE(list.topLevelItemCount(), 1);
    const QRect row = list.visualItemRect(list.topLevelItem(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    card = ui::WindowRegistry::existingInstance<frmAnagrafica>();
    QVERIFY(card && card->isVisible());
    QVERIFY(!ui::mdiFrameOf(*search)->isVisible());
    QCOMPARE(card->fieldText(1), QStringLiteral("Calzature Zanzi"));
    QCOMPARE(card->txtToolbar->text(), QStringLiteral("9 di 9"));

    click(5);
    QCOMPARE(main.Report().runCount(), 1);
    QCOMPARE(main.Report().get(report::prop::SelectionFormula).toString(), QStringLiteral("{anagrafica.anag_Contatore} = 9"));
    QCOMPARE(main.Report().lastTitle(), QStringLiteral("Stampa dei dati del Cliente Calzature Zanzi"));
    QVERIFY(main.Report().lastPageCount() >= 1);

    m_f->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente) values ('26-00007', #12/06/2026#, 9)"));
    click(4);
    QCOMPARE(m_f->messages().texts().last(),
             QStringLiteral("Impossibile cancellare l'anagrafica corrente: è intestataria di fatture."));
    QCOMPARE(m_f->count(QStringLiteral("Anagrafica where anag_Contatore = 9")), 1);
    QCOMPARE(m_f->messages().texts().size(), 2);

    // The card's Search brings the hidden search back, as it was left.
    click(2);
    QVERIFY(ui::mdiFrameOf(*search)->isVisible());
    QCOMPARE(ui::mdiFrameOf(*search)->pos(), QPoint(0, 0));
    QCOMPARE(list.topLevelItemCount(), 1);

    app::MenuCommands::unwire(QStringLiteral("mnuAnagraficheItem"));
    main.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A database that is gone: each handler shows the standard message once and
// logs its own label; no "not found" follows an error.
void TestRegisterSearch::errorsAreReportedUnderTheirLabels()
{
    const QString shop = g_strDbPath;
    g_strDbPath = m_f->folder() + QStringLiteral("/manca.mdb");
    ui::WindowRegistry::defaultInstance<frmAnagrafica>().show();
    RichiamaAnagrafica(QStringLiteral("1"));
    frmCercaAnagrafica &search = openSearch();
    search.TrovaAnagrafica();
    g_strDbPath = shop;
    QCOMPARE(logPlaces(m_f->log()), (QStringList{QStringLiteral("frmAnagrafica.Load"), QStringLiteral("modFerlani.RichiamaAnagrafica"),
                                                 QStringLiteral("frmCercaAnagrafica.TrovaAnagrafica")}));
    QCOMPARE(m_f->messages().texts().size(), 3);
    for (const QString &text : m_f->messages().texts())
        QVERIFY2(text.startsWith(QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.")), qPrintable(text));
    QCOMPARE(search.lvwAnagrafica->topLevelItemCount(), 0);
}

int main(int argc, char **argv)
{
    errors::TarvoApplication application(argc, argv);
    TestRegisterSearch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_register_search.moc"
