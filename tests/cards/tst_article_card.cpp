// The article card driven as the shop owner drives it: toolbar pictures,
// typed fields, the stock item grid with a scanner, the supplier picker,
// printing and "Salva e Carica".

#include "CardFixture.h"

#include "base/OpenWindow.h"
#include "base/errors/TarvoApplication.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "lookup/frmHelp.h"
#include "skin/ImageToolbar.h"
#include "skin/SkinPath.h"
#include "stock/frmCarico.h"
#include "stock/frmCercaPrestazione.h"
#include "stock/frmPrestazioni.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <sqlite3.h>

namespace {

const QString kStandardNoRecord = QStringLiteral(
    "Si è verificato un errore durante l'esecuzione del programma.\r\nErrore numero: 3021\r\nDescrizione: Impossibile "
    "completare il comando: riprovare; se l'errore si ripete, chiudere e riaprire il programma e, se non basta, "
    "rivolgersi all'assistenza indicando il numero dell'errore.");
const QString kRequired = QStringLiteral("Impossibile salvare la prestazione corrente.\r\nI campi Codice e descrizione sono obbligatori.");
const QString kSaved = QStringLiteral("L'articolo è stato salvato");

enum Picture { New = 1, Open, Save, Delete, Print, First, Previous, Next, Last };

} // namespace

class TestArticleCard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void emptyArchiveOpensANewArticle();
    void opensOnTheFirstArticleOfTheQuery();
    void shownAgainWithAnotherQueryReloads();
    void newThenSaveWithoutDescriptionIsRefused();
    void newThenSaveWritesTheArticle();
    void savingAChangeWritesOnlyThatArticle();
    void aPriceThatIsNotANumberIsNotSaved_data();
    void aPriceThatIsNotANumberIsNotSaved();
    void browsingStopsAtTheEndsAndDropsChanges();
    void keyedToolbarRunsTheSameCommands();
    void unsavedChangesBlockNewSearchAndDelete();
    void printIsRefusedWhileAddingAndPrintsTheStoredArticle();
    void quantityThatIsNotANumberBecomesZero();
    void deletingTheOnlyArticleIsReportedAndLogged();
    void deletingAnArticleAsksFirst();
    void scannerEntersOneStockItemPerCode();
    void refusedStockItemIsSaidInWordsAndKept_data();
    void refusedStockItemIsSaidInWordsAndKept();
    void aSaveTheDatabaseRefusesIsNotReportedAsSaved();
    void stockItemsFollowTheArticleShown();
    void supplierPickerFillsTheSupplier();
    void salvaECaricaRefusedKeepsTheCard();
    void salvaECaricaSavesTheNewArticle();
    void focusHighlightsTheDataEntryBoxes();
    void layoutPutsLabelsLeftAndTheGridBelow();

private:
    frmPrestazioni &openCard(const QString &query = QString());
    void click(Picture picture);
    void addArticles(int count);

    std::unique_ptr<CardFixture> m_f;
    QPointer<frmPrestazioni> m_card;
};

void TestArticleCard::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestArticleCard::init()
{
    m_f = std::make_unique<CardFixture>();
}

void TestArticleCard::cleanup()
{
    delete m_card.data();
    delete ui::WindowRegistry::existingInstance<frmCarico>();
    QCoreApplication::sendPostedEvents();   // the search "Open" shows
    delete ui::WindowRegistry::existingInstance<frmCercaPrestazione>();
    m_f.reset();
}

frmPrestazioni &TestArticleCard::openCard(const QString &query)
{
    m_card = new frmPrestazioni;
    m_card->p_strQuery = query;
    m_card->show();
    return *m_card;
}

// A real click on the picture of the toolbar row.
void TestArticleCard::click(Picture picture)
{
    ImageToolbar *row = m_card->imgToolbar1;
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, row->pictureRect(int(picture)).center());
}

void TestArticleCard::addArticles(int count)
{
    const QStringList names = {QStringLiteral("Giacca in lana"), QStringLiteral("Camicia Oxford"),
                               QStringLiteral("Pantalone chino"), QStringLiteral("Maglione")};
    for (int i = 0; i < count; ++i)
        m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) "
                                    "values ('%1', 'Dell''Orto', %2, %3)")
                         .arg(names.at(i))
                         .arg(10 * (i + 1))
                         .arg(25 * (i + 1)));
}

void TestArticleCard::emptyArchiveOpensANewArticle()
{
    frmPrestazioni &card = openCard();
    QCOMPARE(card.windowTitle(), QStringLiteral("Articoli"));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Adding);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 0 di 0"));
    QVERIFY(!card.TDBGrid1->isEnabled());
    QCOMPARE(card.imgToolbar1->count(), 9);
    QCOMPARE(card.imgToolbar1->toolTipOf(1), QStringLiteral("Nuovo Articolo"));
    QCOMPARE(card.imgToolbar1->toolTipOf(9), QStringLiteral("Ultimo"));
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestArticleCard::opensOnTheFirstArticleOfTheQuery()
{
    addArticles(3);
    frmPrestazioni &card = openCard();
    QCOMPARE(card.p_strQuery, QStringLiteral("select * from Articoli order by art_Codice"));
    QCOMPARE(card.txtCodice->text(), QStringLiteral("1"));
    QCOMPARE(card.txtDescrizione->text(), QStringLiteral("Giacca in lana"));
    QCOMPARE(card.txtFornitore->text(), QStringLiteral("Dell'Orto"));
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 3"));
    QVERIFY(card.TDBGrid1->isEnabled());
    QVERIFY(!card.txtCodice->isVisibleTo(&card));
    QVERIFY(!card.txtQuantita->isVisibleTo(&card));

    delete m_card.data();
    frmPrestazioni &one = openCard(QStringLiteral("select * from Articoli where art_Codice = 2"));
    QCOMPARE(one.txtDescrizione->text(), QStringLiteral("Camicia Oxford"));
    QCOMPARE(one.txtToolBar->text(), QStringLiteral("Articolo: 1 di 1"));
}

// The card open on one article, shown again by the menu (all articles) or
// the search (another article), shows what its query names; unsaved changes
// keep it where it is, with the message the search gives.
void TestArticleCard::shownAgainWithAnotherQueryReloads()
{
    addArticles(3);
    frmPrestazioni &card = openCard(QStringLiteral("select * from Articoli where art_Codice = 2"));
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 1"));
    card.p_strQuery = QString();
    showProgramWindow(card);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 3"));
    QCOMPARE(card.txtDescrizione->text(), QStringLiteral("Giacca in lana"));
    QVERIFY(card.TDBGrid1->isEnabled());
    // The same query again (the menu's empty one): to the front, no reload.
    click(Next);
    card.p_strQuery = QString();
    showProgramWindow(card);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 2 di 3"));
    QVERIFY(m_f->messages().texts().isEmpty());

    QTest::keyClicks(card.txtNote, QStringLiteral("da stirare"));
    card.p_strQuery = QStringLiteral("select * from Articoli where art_Codice = 3");
    showProgramWindow(card);
    // Asked about the change, the user stays (Annulla, the default).
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Salvare le modifiche?")});
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 2 di 3"));
    QCOMPARE(card.txtNote->text(), QStringLiteral("da stirare"));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Editing);
    QCOMPARE(card.p_strQuery, QStringLiteral("select * from Articoli order by art_Codice"));
}

void TestArticleCard::newThenSaveWithoutDescriptionIsRefused()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    click(New);
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Adding);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 0 di 1"));
    QCOMPARE(card.txtDescrizione->text(), QString());
    QVERIFY(!card.TDBGrid1->isEnabled());

    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kRequired});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbInformation));
    QCOMPARE(m_f->messages().messages().at(0).title, QStringLiteral("Qorda"));
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 1);
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Adding);
    QVERIFY(!card.TDBGrid1->isEnabled());

    click(New);
    QCOMPARE(m_f->messages().texts().last(),
             QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire un nuovo articolo."));
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 1);
}

void TestArticleCard::newThenSaveWritesTheArticle()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    click(New);
    QTest::keyClicks(card.txtDescrizione, QStringLiteral("Giubbotto di pelle"));
    QTest::keyClicks(card.txtNote, QStringLiteral("Fodera staccabile"));
    QTest::keyClicks(card.txtVarie, QStringLiteral("Collo in montone"));
    QTest::keyClicks(card.txtCarico, QStringLiteral("80.5"));
    QTest::keyClicks(card.txtPrezzo, QStringLiteral("199"));
    click(Save);

    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 2);
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Codice = 2 and art_Descrizione = 'Giubbotto di pelle' "
                                       "and art_Note = 'Fodera staccabile' and art_Varie = 'Collo in montone' "
                                       "and art_Prezzo_Carico = 80.5 and art_Prezzo_Listino = 199 and art_Quantita = 0")),
             1);
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::None);
    QCOMPARE(card.txtCodice->text(), QStringLiteral("2"));
    QCOMPARE(card.txtDescrizione->text(), QStringLiteral("Giubbotto di pelle"));
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 2 di 2"));
    QVERIFY(card.TDBGrid1->isEnabled());
}

void TestArticleCard::savingAChangeWritesOnlyThatArticle()
{
    addArticles(2);
    frmPrestazioni &card = openCard();
    click(Next);
    card.txtPrezzo->selectAll();
    QTest::keyClicks(card.txtPrezzo, QStringLiteral("55.9"));
    card.txtFornitore->setText(QStringLiteral("Tessiture O'Brien"));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Editing);
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{kSaved});
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Codice = 2 and art_Prezzo_Listino = 55.9 "
                                       "and art_Fornitore = 'Tessiture O''Brien'")),
             1);
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Codice = 1 and art_Prezzo_Listino = 25 "
                                       "and art_Fornitore = 'Dell''Orto'")),
             1);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 2 di 2"));
}

void TestArticleCard::aPriceThatIsNotANumberIsNotSaved_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<double>("stored");
    const QString notANumber =
        QStringLiteral("Impossibile salvare la prestazione corrente.\r\nIl campo Carico € non contiene un numero valido.");
    QTest::newRow("a word") << "dieci" << notANumber << 10.0;
    QTest::newRow("an exponent") << "1e308" << notANumber << 10.0;
    QTest::newRow("beyond an amount") << "100000000" << notANumber << 10.0;
    // Read as every typed amount is: a point alone is the decimal separator.
    QTest::newRow("a point alone") << "1.000" << kSaved << 1.0;
    QTest::newRow("grouped") << "1.234,50" << kSaved << 1234.5;
    QTest::newRow("beyond the cents") << "2,675" << kSaved << 2.68;
}

void TestArticleCard::aPriceThatIsNotANumberIsNotSaved()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(double, stored);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const auto restore = qScopeGuard([&previous] { QLocale::setDefault(previous); });
    addArticles(1);
    frmPrestazioni &card = openCard();
    card.txtCarico->setText(typed);
    click(Save);
    QCOMPARE(m_f->messages().texts(), QStringList{message});
    QCOMPARE(m_f->scalar(QStringLiteral("select art_Prezzo_Carico from Articoli")).toDouble(), stored);
}

void TestArticleCard::browsingStopsAtTheEndsAndDropsChanges()
{
    addArticles(3);
    frmPrestazioni &card = openCard();
    click(Previous);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 3"));
    click(Next);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 2 di 3"));
    click(Last);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 3 di 3"));
    QCOMPARE(card.txtDescrizione->text(), QStringLiteral("Pantalone chino"));
    click(Next);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 3 di 3"));

    // A change left behind with "No" is dropped, never written.
    card.txtDescrizione->setText(QStringLiteral("Pantalone modificato"));
    m_f->messages().queueAnswer(ui::vbNo);
    click(Previous);
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::None);
    click(Last);
    QCOMPARE(card.txtDescrizione->text(), QStringLiteral("Pantalone chino"));
    click(First);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 3"));
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Salvare le modifiche?")});
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Descrizione = 'Pantalone modificato'")), 0);
}

void TestArticleCard::keyedToolbarRunsTheSameCommands()
{
    addArticles(2);
    frmPrestazioni &card = openCard();
    QStringList keys;
    QStringList tips;
    for (QAction *action : card.Toolbar1->actions()) {
        if (action->isSeparator()) {
            keys << QStringLiteral("-");
            continue;
        }
        keys << action->data().toString();
        tips << action->toolTip();
    }
    QCOMPARE(keys, (QStringList{"New", "Open", "Save", "Delete", "-", "Print", "-", "First", "Previous", "Next", "Last"}));
    QCOMPARE(tips, (QStringList{"Nuovo Articolo", "Cerca Articolo", "Salva", "Elimina", "Stampa", "Primo",
                                "Precedente", "Successivo", "Ultimo"}));
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 2"));
    card.Toolbar1->findChild<QAction *>(QStringLiteral("Last"))->trigger();
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 2 di 2"));
    card.Toolbar1_ButtonClick(QStringLiteral("Archivia"));
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Errore")});
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbOKOnly));
    QCOMPARE(m_f->messages().messages().at(0).title, QStringLiteral("Qorda"));
    // "Open" closes the card for the article search.
    card.Toolbar1->findChild<QAction *>(QStringLiteral("Open"))->trigger();
    QVERIFY(!card.isVisible());
}

void TestArticleCard::unsavedChangesBlockNewSearchAndDelete()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    card.txtNote->setText(QStringLiteral("da rivedere"));
    click(New);
    click(Open);
    click(Delete);
    QCOMPARE(m_f->messages().texts(),
             (QStringList{QStringLiteral("I dati non sono stati salvati. Salvare prima di inserire un nuovo articolo."),
                          QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare un articolo."),
                          QStringLiteral("I dati non sono stati salvati. Salvare prima di cancellare un articolo.")}));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Editing);
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 1);
    QVERIFY(card.isVisible());
}

void TestArticleCard::printIsRefusedWhileAddingAndPrintsTheStoredArticle()
{
    addArticles(2);
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) "
                                "values ('8001', 2, 'M', 'Blu', 4)"));
    frmPrestazioni &card = openCard();
    click(New);
    click(Print);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("E' necessario salvare l'articolo prima di stampare.")});
    QCOMPARE(m_f->report().runCount(), 0);

    m_f->messages().queueAnswer(ui::vbNo); // the new article is given up
    click(Last);
    card.txtDescrizione->setText(QStringLiteral("Non ancora salvata"));
    click(Print);
    QCOMPARE(m_f->messages().messages().size(), 2);
    QCOMPARE(m_f->report().runCount(), 1);
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(), QStringLiteral("{articoli.art_Codice} = 2"));
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/articoli.rpt"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Lista Articoli"));
    QCOMPARE(m_f->report().lastDestination(), report::Destination::Screen);
    QStringList printed;
    for (const report::ReportPage &page : m_f->report().lastPages())
        for (const report::PageItem &item : page.items)
            printed << item.text;
    QVERIFY(printed.contains(QStringLiteral("Camicia Oxford")));
    QVERIFY(!printed.contains(QStringLiteral("Giacca in lana")));
    QVERIFY(!printed.contains(QStringLiteral("Non ancora salvata")));
    QVERIFY(printed.contains(QStringLiteral("8001")));
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
}

void TestArticleCard::quantityThatIsNotANumberBecomesZero()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    card.txtQuantita->setText(QStringLiteral("abc"));
    click(Save);
    QCOMPARE(card.txtQuantita->text(), QStringLiteral("0"));
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Quantita = 0")), 1);

    card.txtQuantita->setText(QString());
    click(Print);
    QCOMPARE(card.txtQuantita->text(), QStringLiteral("0"));
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
}

void TestArticleCard::deletingTheOnlyArticleIsReportedAndLogged()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->messages().texts(),
             (QStringList{QStringLiteral("Cancellare definitivamente l'articolo corrente?"), kStandardNoRecord}));
    QCOMPARE(m_f->messages().messages().at(0).style, int(ui::vbYesNo | ui::vbExclamation));
    QCOMPARE(m_f->log(), QByteArray("14:05:09: <frmprestazione.toolbar_Buttonclick: errore 3021: Nessun record corrente.>\r\n"));
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 0);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 0 di 0"));

    // The card goes on: a new article can be written.
    click(New);
    QTest::keyClicks(card.txtDescrizione, QStringLiteral("Sciarpa"));
    click(Save);
    QCOMPARE(m_f->messages().texts().last(), kSaved);
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Descrizione = 'Sciarpa'")), 1);
}

void TestArticleCard::deletingAnArticleAsksFirst()
{
    addArticles(3);
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('8002', 2)"));
    frmPrestazioni &card = openCard();
    click(Next);
    m_f->messages().queueAnswer(ui::vbNo);
    click(Delete);
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 3);
    m_f->messages().queueAnswer(ui::vbYes);
    click(Delete);
    QCOMPARE(m_f->messages().messages().size(), 2);
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Codice = 2")), 0);
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 2);
    // Only the article row goes: the stock item stays as it was.
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice = '8002'")), 1);
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 2"));
    QCOMPARE(card.txtDescrizione->text(), QStringLiteral("Giacca in lana"));
}

void TestArticleCard::scannerEntersOneStockItemPerCode()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    grid.setFocus();
    QVERIFY(grid.setCurrentCell(0, 1));
    typeInGrid(grid, QStringLiteral("123\r\n"));
    QCOMPARE(grid.currentRow(), 1);
    QCOMPARE(grid.currentColumn(), 1);
    typeInGrid(grid, QStringLiteral("456\n"));
    QCOMPARE(grid.currentRow(), 2);
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice_Articolo = 1")), 2);
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice in ('123', '456') and ca_Quantita = 0")), 2);
    QVERIFY(m_f->messages().texts().isEmpty());

    // A code typed and left in the row is written before the card moves on.
    typeInGrid(grid, QStringLiteral("789"));
    click(Last);
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice = '789' and ca_Codice_Articolo = 1")), 1);

    // Size, colour and quantity typed along the row.
    QVERIFY(grid.setCurrentCell(0, 2));
    typeInGrid(grid, QStringLiteral("XL\t"));
    typeInGrid(grid, QStringLiteral("Rosso\t"));
    typeInGrid(grid, QStringLiteral("7\r"));
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Codice = '123' and ca_Taglia = 'XL' "
                                       "and ca_Colore = 'Rosso' and ca_Quantita = 7 and ca_Codice_Articolo = 1")),
             1);
}

void TestArticleCard::refusedStockItemIsSaidInWordsAndKept_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");   // the whole text, or its start followed by "..."
    QTest::newRow("bar code already there") << 1 << "999\n"
        << "Si sta tentando di inserire un dato che ha il codice uguale ad un altro già esistente.\r\n"
           "Le modifiche non verranno salvate.";
    QTest::newRow("no bar code") << 2 << "XL\r"
        << "Si è verificato un errore durante l'esecuzione del programma.\r\nErrore numero: ...";
    QTest::newRow("more pieces than the stock counts") << 4 << "3000000000\r"
        << "La quantità deve essere un numero intero compreso tra -2147483648 e 2147483647.";
    QTest::newRow("half a piece") << 4 << "1.5\r"
        << "La quantità deve essere un numero intero compreso tra -2147483648 e 2147483647.";
}

// A stock item row the database or the card refuses is explained in words
// (never a bare error number) and keeps what was typed.
void TestArticleCard::refusedStockItemIsSaidInWordsAndKept()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    addArticles(2);
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('999', 2)"));
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, column));
    typeInGrid(grid, typed);
    if (m_f->messages().texts().isEmpty())   // the row is written as a command would
        grid.updateRow();
    QCOMPARE(m_f->messages().texts().size(), 1);
    const QString shown = m_f->messages().texts().at(0);
    if (message.endsWith(QLatin1String("...")))
        QVERIFY2(shown.startsWith(message.chopped(3)) && shown.contains(QStringLiteral("Descrizione: ")), qPrintable(shown));
    else
        QCOMPARE(shown, message);
    QVERIFY(grid.isRowDirty());
    QCOMPARE(grid.columnValue(column).toString(), typed.chopped(1));
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo]")), 1);
}

// The database refuses the write (a full disk, a lock): the error is shown,
// the success message is not, and the article stays in edit with what was
// typed, ready to be saved again.
void TestArticleCard::aSaveTheDatabaseRefusesIsNotReportedAsSaved()
{
    addArticles(1);
    m_f->refuseWrites(QStringLiteral("update on Articoli"));
    frmPrestazioni &card = openCard();
    card.txtDescrizione->setFocus();
    card.txtDescrizione->end(false);
    QTest::keyClicks(card.txtDescrizione, QStringLiteral(" blu"));
    click(Save);
    QCOMPARE(m_f->messages().texts().size(), 1);
    QVERIFY2(m_f->messages().texts().at(0).startsWith(
                 QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n")),
             qPrintable(m_f->messages().texts().at(0)));
    QVERIFY(!m_f->messages().texts().contains(kSaved));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Editing);
    QVERIFY(card.txtDescrizione->text().endsWith(QStringLiteral(" blu")));
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Descrizione like '* blu'")), 0);
    QVERIFY(m_f->log().contains("<frmprestazione.toolbar_Buttonclick: errore "));
}

void TestArticleCard::stockItemsFollowTheArticleShown()
{
    addArticles(2);
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia) values ('A1', 1, 'S')"));
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia) values ('B1', 2, 'M')"));
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia) values ('B2', 2, 'L')"));
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    QCOMPARE(grid.recordset()->recordCount(), 1);
    QCOMPARE(card.datDettagli->recordSource(), QStringLiteral("select * from [Codice Articolo] where ca_Codice_Articolo = 1"));
    click(Next);
    QCOMPARE(grid.recordset()->recordCount(), 2);
    QVERIFY(grid.setCurrentCell(1, 1));
    QCOMPARE(grid.columnText(1), QStringLiteral("B2"));
    QCOMPARE(grid.columnText(2), QStringLiteral("L"));
    QVERIFY(!grid.isColumnHidden(1));
    QVERIFY(grid.isColumnHidden(0));
}

void TestArticleCard::supplierPickerFillsTheSupplier()
{
    addArticles(1);
    for (const char *name : {"Zeta Moda", "Bianchi Tessuti", "Maglificio Sud"})
        m_f->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('%1')").arg(QLatin1String(name)));
    frmPrestazioni &card = openCard();
    QCOMPARE(card.cmdHelp->toolTip(), QStringLiteral("Elenco Prestazioni"));
    QStringList listed;
    int listWidth = 0;
    m_f->messages().queueModal([&](QDialog &dialog) {
        auto &picker = static_cast<frmHelp &>(dialog);
        listWidth = picker.ListWidthTwips();
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Return);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(card.cmdHelp, Qt::LeftButton);
    QCOMPARE(listed, (QStringList{"Bianchi Tessuti", "Maglificio Sud", "Zeta Moda"}));
    QCOMPARE(listWidth, 7980);
    QCOMPARE(card.txtFornitore->text(), QStringLiteral("Maglificio Sud"));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Editing);

    // Closing the picker without a choice keeps the supplier.
    QTest::mouseClick(card.cmdHelp, Qt::LeftButton);
    QCOMPARE(card.txtFornitore->text(), QStringLiteral("Maglificio Sud"));
    QCOMPARE(m_f->messages().modals(), (QStringList{"frmHelp", "frmHelp"}));
    click(Save);
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Fornitore = 'Maglificio Sud'")), 1);
}

// A save the check refuses keeps the card open with what was typed: the
// stock load does not open on an article that is not there.
void TestArticleCard::salvaECaricaRefusedKeepsTheCard()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    click(New);
    QTest::keyClicks(card.txtNote, QStringLiteral("da ordinare"));
    QCOMPARE(card.cmdEsporta->toolTip(), QStringLiteral("Salva e Carica"));
    QTest::mouseClick(card.cmdEsporta, Qt::LeftButton);
    QCOMPARE(m_f->messages().texts(), QStringList{kRequired});
    QVERIFY(!ui::WindowRegistry::existingInstance<frmCarico>());
    QVERIFY(card.isVisible());
    QCOMPARE(card.txtNote->text(), QStringLiteral("da ordinare"));
    QCOMPARE(card.datPrimaryRS->editMode(), db::EditMode::Adding);
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 1);
}

void TestArticleCard::salvaECaricaSavesTheNewArticle()
{
    frmPrestazioni &card = openCard();
    QTest::keyClicks(card.txtDescrizione, QStringLiteral("Cappello"));
    card.txtQuantita->setText(QStringLiteral("x"));
    QTest::mouseClick(card.cmdEsporta, Qt::LeftButton);
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Descrizione = 'Cappello' and art_Quantita = 0")), 1);
    QVERIFY(!card.isVisible());
    // The stock load, ready for new loads with the bar code to scan.
    frmCarico *load = ui::WindowRegistry::existingInstance<frmCarico>();
    QVERIFY(load && load->isVisible());
    QVERIFY(!load->loadedForChange());
    QVERIFY(load->findChild<QWidget *>(QStringLiteral("cmdCarica"))->isVisibleTo(load));
}

void TestArticleCard::focusHighlightsTheDataEntryBoxes()
{
    addArticles(1);
    frmPrestazioni &card = openCard();
    card.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&card));
    const QColor lavender(0xC0, 0xC0, 0xFF);
    card.txtDescrizione->setFocus();
    QVERIFY(card.txtDescrizione->font().bold());
    QCOMPARE(card.txtDescrizione->palette().color(QPalette::Base), lavender);
    QCOMPARE(card.txtDescrizione->selectedText(), QStringLiteral("Giacca in lana"));
    card.txtPrezzo->setFocus();
    QVERIFY(!card.txtDescrizione->font().bold());
    QCOMPARE(card.txtDescrizione->palette().color(QPalette::Base), QColor(Qt::white));
    QVERIFY(card.txtPrezzo->font().bold());
    card.txtFornitore->setFocus();
    QVERIFY(!card.txtFornitore->font().bold());
}

// The card as the shop owner sees it: an article with three sizes and its
// supplier. With TARVO_CARD_SHOT set, the picture is also saved there (and
// TARVO_CARD_SKIN may name the program's own skin folder for that picture).
void TestArticleCard::layoutPutsLabelsLeftAndTheGridBelow()
{
    if (qEnvironmentVariableIsSet("TARVO_CARD_SKIN"))
        skin::setDefaultSkinPath(qEnvironmentVariable("TARVO_CARD_SKIN"));
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Fornitore, art_Note, art_Varie, art_Prezzo_Carico, "
                                "art_Prezzo_Listino) values ('Giacca in lana cotta', 'Lanificio Dell''Orto', "
                                "'Bottoni in corno', 'Stagione autunno', 62.5, 149)"));
    const char *rows[][4] = {{"8001234500017", "46", "Blu notte", "3"},
                             {"8001234500024", "48", "Blu notte", "5"},
                             {"8001234500031", "50", "Grigio", "2"}};
    for (const auto &row : rows)
        m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, "
                                    "ca_Quantita) values ('%1', 1, '%2', '%3', %4)")
                         .arg(QLatin1String(row[0]), QLatin1String(row[1]), QLatin1String(row[2]), QLatin1String(row[3])));
    frmPrestazioni &card = openCard();
    card.resize(680, 560);
    QCoreApplication::processEvents();
    const QRect description = card.txtDescrizione->geometry();
    const QRect grid = card.TDBGrid1->geometry();
    QVERIFY(card.Frame10->geometry().bottom() < description.top());
    QVERIFY(card.txtVarie->geometry().bottom() < grid.top());
    QVERIFY(card.cmdHelp->geometry().left() > card.txtFornitore->geometry().right());
    bool labelFound = false;
    for (QLabel *label : card.findChildren<QLabel *>()) {
        if (label->text() == QStringLiteral("Descrizione")) {
            labelFound = true;
            QVERIFY(label->geometry().right() < description.left());
        }
    }
    QVERIFY(labelFound);
    QCOMPARE(card.TDBGrid1->model()->rowCount(), 4);   // three sizes and the row for a new one
    QCOMPARE(card.txtToolBar->text(), QStringLiteral("Articolo: 1 di 1"));
    const QImage shot = card.grab().toImage();
    QVERIFY(!shot.isNull());
    const QString target = qEnvironmentVariable("TARVO_CARD_SHOT");
    if (!target.isEmpty())
        QVERIFY(shot.save(target));
}

int main(int argc, char **argv)
{
    errors::TarvoApplication application(argc, argv);
    TestArticleCard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_article_card.moc"
