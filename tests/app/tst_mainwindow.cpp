#include "base/Globals.h"
#include "quirnel/Main.h"
#include "quirnel/MenuCommands.h"
#include "base/errors/ErrorTrap.h"
#include "quirnel/mdiTarvo.h"
#include "ui/BusyPointer.h"
#include "ui/MdiChild.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

// Stand-ins for the working windows, in a namespace of their own so they
// never meet the real windows of the program's library. They count their
// loads (first show, after the menu has set their members) and their close
// code runs.
namespace {

class FakeWindow : public QWidget {
public:
    int loads = 0;
    int closes = 0;
    bool refuseClose = false;
    QLineEdit *txtCodice = new QLineEdit(this);
    FakeWindow() { (new QVBoxLayout(this))->addWidget(txtCodice); }
protected:
    void showEvent(QShowEvent *event) override
    {
        if (!m_loaded) {
            m_loaded = true;
            ++loads;
        }
        QWidget::showEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        ++closes;
        if (refuseClose)
            event->ignore();
        else
            event->accept();
    }
private:
    bool m_loaded = false;
};

class frmPrestazioni : public FakeWindow {
public:
    QString p_strQuery = QStringLiteral("select * from Articoli where art_Codice = 3");
};

class frmScarico : public FakeWindow {
public:
    bool p_bln_Modifica = true;
    long p_lng_Codice_Scarico = 44;
};

class frmCarico : public FakeWindow {};

// A member whose assignment fails when asked to, to drive the trap.
struct FailingText {
    bool fail = false;
    QString value;
    FailingText &operator=(const QString &text)
    {
        if (fail)
            throw errors::AppError(91, QStringLiteral("Variabile oggetto non impostata"));
        value = text;
        return *this;
    }
};

class frmDizionari : public FakeWindow {
public:
    static inline bool failTitle = false;
    QString sNomeTabella, sDescrizione, sID;
    FailingText sTitolo;
    bool b_Codice_Visibile = true;
    bool bCodiceNumerico = false;
    frmDizionari() { sTitolo.fail = failTitle; }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void menuItems_data();
    void menuItems();
    void menuOrderWithTheSeparator();
    void itemsWithoutAWindowAreDisabled();

    void commandCreatesShowsAndResetsThePointer();
    void commandOnAnOpenWindowBringsItToFrontWithoutReloading();
    void articoliEmptiesTheCardsQueryEachTime();
    void scaricoAlwaysOpensANewSale();
    void fornitoriSetsTheDictionaryMembers();
    void fornitoriTrapReportsAndGoesOn();
    void closedWindowIsCreatedAfresh();
    void shortcutsComeBeforeTheTextBoxes();

    void closingTheMainWindowClosesEveryChild();
    void aChildThatRefusesKeepsTheProgramOpen();

    void mainSetsTitleAndGlobals();

private:
    std::unique_ptr<mdiTarvo> m_main;
};

void TestMainWindow::initTestCase()
{
    g_strAppName = QStringLiteral("Qorda");
}

void TestMainWindow::init()
{
    app::wireArticoliCommand<frmPrestazioni>();
    app::wireScaricoCommand<frmScarico>();
    app::wireFornitoriCommand<frmDizionari>();
    app::MenuCommands::wireWindow<frmCarico>(QStringLiteral("mnuFileCaricoItem"));
    frmDizionari::failTitle = false;
    m_main = std::make_unique<mdiTarvo>();
    m_main->show();
    QApplication::setActiveWindow(m_main.get());
}

void TestMainWindow::cleanup()
{
    m_main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const char *name : {"mnuFileArticoliItem", "mnuFileScaricoItem", "mnuFornitoriItem", "mnuFileCaricoItem"})
        app::MenuCommands::unwire(QString::fromLatin1(name));
    ui::resetPointer();
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("Articoli") << "mnuFile" << "mnuFileArticoliItem" << "Articoli" << "Ctrl+A";
    QTest::newRow("Carico") << "mnuFile" << "mnuFileCaricoItem" << "Carico" << "Ctrl+K";
    QTest::newRow("Fornitori") << "mnuFile" << "mnuFornitoriItem" << "Fornitori" << "Ctrl+O";
    QTest::newRow("Nota Fornitori") << "mnuFile" << "mnuNotaFornitori" << "Nota Fornitori" << "Ctrl+T";
    QTest::newRow("Prima Nota") << "mnuFile" << "mnuPrimaNotaItem" << "Prima Nota" << "Ctrl+P";
    QTest::newRow("Ricerca Articoli") << "mnuFile" << "mnuFileCercaArticoli" << "Ricerca Articoli" << "Ctrl+F";
    QTest::newRow("Scarico") << "mnuFile" << "mnuFileScaricoItem" << "Scarico" << "Ctrl+S";
    QTest::newRow("Inventario") << "mnuFile" << "mnuFileInventarioItem" << "Inventario" << "";
    QTest::newRow("Anagrafiche") << "mnuFile" << "mnuAnagraficheItem" << "Anagrafiche" << "Ctrl+G";
    QTest::newRow("Fatture") << "mnuFile" << "mnuFattureItem" << "Fatture" << "Ctrl+I";
    QTest::newRow("Importa archivio precedente") << "mnuFile" << "mnuFileImportaArchivioItem"
                                                 << "Importa archivio precedente…" << "";
    QTest::newRow("Liste Articoli") << "mnuListe" << "mnuListeArticoliItem" << "Articoli" << "";
    QTest::newRow("Carichi") << "mnuListe" << "mnuListeCarichiItem" << "Carichi" << "";
    QTest::newRow("Scarichi") << "mnuListe" << "mnuListeScarichiItem" << "Scarichi" << "";
    QTest::newRow("Registro degli errori") << "mnuAssistenza" << "mnuRegistroErroriItem" << "Registro degli errori..." << "";
    QTest::newRow("Archivio degli errori") << "mnuAssistenza" << "mnuArchivioErroriItem" << "Archivio degli errori..." << "";
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, menu);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    auto *owner = m_main->findChild<QMenu *>(menu);
    QVERIFY(owner);
    QAction *item = nullptr;
    for (QAction *action : owner->actions())
        if (action->objectName() == name)
            item = action;
    QVERIFY2(item, qPrintable(name));
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), QKeySequence(shortcut));
    QCOMPARE(m_main->commandAction(name), item);
}

void TestMainWindow::menuOrderWithTheSeparator()
{
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Qorda - Brellan"));
    QStringList bar;
    for (QAction *action : m_main->menuBar()->actions())
        bar << action->objectName() + QLatin1Char('=') + action->text();
    QCOMPARE(bar, (QStringList{"mnuFile=File", "mnuListe=Liste", "mnuAssistenza=Assistenza", "mnuAbout=About..."}));

    QStringList file;
    for (QAction *action : m_main->findChild<QMenu *>(QStringLiteral("mnuFile"))->actions())
        file << action->objectName();
    QCOMPARE(file, (QStringList{"mnuFileArticoliItem", "mnuFileCaricoItem", "mnuFornitoriItem", "mnuNotaFornitori",
                                "mnuPrimaNotaItem", "mnuFileCercaArticoli", "mnuFileScaricoItem", "mnuFileInventarioItem", "nihil",
                                "mnuAnagraficheItem", "mnuFattureItem", "mnuFileDatiAziendaItem", "mnuFileSeparatoreBackup",
                                "mnuFileBackupItem", "mnuFileRipristinaItem", "mnuFileImportaArchivioItem", "mnuFileImportaArticoliItem",
                                "mnuFileImportaFattureItem"}));
    auto *separator = m_main->findChild<QMenu *>(QStringLiteral("mnuFile"))->actions().at(8);
    QVERIFY(separator->isSeparator());
    QVERIFY(separator->text().isEmpty()); // a line, no stray "-"
}

void TestMainWindow::itemsWithoutAWindowAreDisabled()
{
    QVERIFY(m_main->commandAction(QStringLiteral("mnuFileCaricoItem"))->isEnabled());
    app::MenuCommands::unwire(QStringLiteral("mnuFileCaricoItem"));
    m_main->refreshCommands();
    QVERIFY(!m_main->commandAction(QStringLiteral("mnuFileCaricoItem"))->isEnabled());
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem")); // nothing to open, nothing happens
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
}

void TestMainWindow::commandCreatesShowsAndResetsThePointer()
{
    QVERIFY(!ui::WindowRegistry::existingInstance<frmCarico>());
    m_main->commandAction(QStringLiteral("mnuFileCaricoItem"))->trigger();
    frmCarico *load = ui::WindowRegistry::existingInstance<frmCarico>();
    QVERIFY(load);
    QVERIFY(load->isVisible());
    QCOMPARE(load->loads, 1);
    QCOMPARE(ui::mdiFrameOf(*load)->mdiArea(), m_main->mdiArea());
    QCOMPARE(m_main->mdiArea()->activeSubWindow(), ui::mdiFrameOf(*load));
    QVERIFY(!ui::busyPointerShown());
}

void TestMainWindow::commandOnAnOpenWindowBringsItToFrontWithoutReloading()
{
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    m_main->runCommand(QStringLiteral("mnuFileScaricoItem"));
    frmCarico *load = ui::WindowRegistry::existingInstance<frmCarico>();
    frmScarico *sale = ui::WindowRegistry::existingInstance<frmScarico>();
    QCOMPARE(m_main->mdiArea()->activeSubWindow(), ui::mdiFrameOf(*sale));

    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    QCOMPARE(ui::WindowRegistry::existingInstance<frmCarico>(), load);
    QCOMPARE(load->loads, 1);
    QCOMPARE(m_main->mdiArea()->activeSubWindow(), ui::mdiFrameOf(*load));
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 2);
}

void TestMainWindow::articoliEmptiesTheCardsQueryEachTime()
{
    m_main->runCommand(QStringLiteral("mnuFileArticoliItem"));
    frmPrestazioni *card = ui::WindowRegistry::existingInstance<frmPrestazioni>();
    QVERIFY(card);
    QCOMPARE(card->p_strQuery, QString());
    // The search sets one article; the menu empties it again without a reload.
    card->p_strQuery = QStringLiteral("select * from Articoli where art_Codice = 9");
    m_main->runCommand(QStringLiteral("mnuFileArticoliItem"));
    QCOMPARE(card->p_strQuery, QString());
    QCOMPARE(card->loads, 1);
}

void TestMainWindow::scaricoAlwaysOpensANewSale()
{
    m_main->runCommand(QStringLiteral("mnuFileScaricoItem"));
    frmScarico *sale = ui::WindowRegistry::existingInstance<frmScarico>();
    QCOMPARE(sale->p_bln_Modifica, false);
    QCOMPARE(sale->p_lng_Codice_Scarico, 0L);
    sale->p_bln_Modifica = true;
    sale->p_lng_Codice_Scarico = 17;
    m_main->runCommand(QStringLiteral("mnuFileScaricoItem"));
    QCOMPARE(sale->p_bln_Modifica, false);
    QCOMPARE(sale->p_lng_Codice_Scarico, 0L);
    QCOMPARE(sale->loads, 1);
}

void TestMainWindow::fornitoriSetsTheDictionaryMembers()
{
    ui::ScriptedMessages messages;
    QTest::keyClick(m_main.get(), Qt::Key_O, Qt::ControlModifier);
    frmDizionari *dictionary = ui::WindowRegistry::existingInstance<frmDizionari>();
    QVERIFY(dictionary);
    QCOMPARE(dictionary->sNomeTabella, QStringLiteral("[Fornitore]"));
    QCOMPARE(dictionary->sTitolo.value, QStringLiteral("Fornitori"));
    QCOMPARE(dictionary->sDescrizione, QStringLiteral("fo_Descrizione"));
    QCOMPARE(dictionary->sID, QStringLiteral("fo_Descrizione"));
    QCOMPARE(dictionary->b_Codice_Visibile, false);
    QCOMPARE(dictionary->bCodiceNumerico, false);
    QVERIFY(dictionary->isVisible());
    QVERIFY(messages.messages().isEmpty());
    QVERIFY(!ui::busyPointerShown());
}

void TestMainWindow::fornitoriTrapReportsAndGoesOn()
{
    QTemporaryDir folder;
    setProgramFolder(folder.path());
    frmDizionari::failTitle = true;
    ui::ScriptedMessages messages;
    m_main->commandAction(QStringLiteral("mnuFornitoriItem"))->trigger();
    setProgramFolder(QString());

    QCOMPARE(messages.messages().size(), 1);
    QVERIFY(messages.texts().first().startsWith(
        QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.")));
    QVERIFY(messages.texts().first().contains(QStringLiteral("Impossibile aprire l'elenco dei fornitori: riprovare")));
    QVERIFY(!messages.texts().first().contains(QStringLiteral("Variabile oggetto non impostata")));
    // The steps after the failing one ran all the same.
    frmDizionari *dictionary = ui::WindowRegistry::existingInstance<frmDizionari>();
    QVERIFY(dictionary);
    QCOMPARE(dictionary->sNomeTabella, QStringLiteral("[Fornitore]"));
    QCOMPARE(dictionary->sTitolo.value, QString());
    QCOMPARE(dictionary->sID, QStringLiteral("fo_Descrizione"));
    QCOMPARE(dictionary->b_Codice_Visibile, false);
    QVERIFY(dictionary->isVisible());
    QVERIFY(!ui::busyPointerShown());
}

void TestMainWindow::closedWindowIsCreatedAfresh()
{
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    QPointer<frmCarico> first = ui::WindowRegistry::existingInstance<frmCarico>();
    ui::mdiFrameOf(*first)->close();
    QTRY_VERIFY(!first);
    QVERIFY(!ui::WindowRegistry::existingInstance<frmCarico>());
    QTRY_VERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    frmCarico *second = ui::WindowRegistry::existingInstance<frmCarico>();
    QVERIFY(second);
    QCOMPARE(second->loads, 1);
}

void TestMainWindow::shortcutsComeBeforeTheTextBoxes()
{
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    frmCarico *load = ui::WindowRegistry::existingInstance<frmCarico>();
    load->txtCodice->setText(QStringLiteral("8001234"));
    load->txtCodice->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(load->txtCodice));
    // Ctrl+A would select the text; here it opens the article card.
    QTest::keyClick(load->txtCodice, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(ui::WindowRegistry::existingInstance<frmPrestazioni>());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    frmScarico *sale = ui::WindowRegistry::existingInstance<frmScarico>();
    QVERIFY(sale);
    QCOMPARE(m_main->mdiArea()->activeSubWindow(), ui::mdiFrameOf(*sale));
}

void TestMainWindow::closingTheMainWindowClosesEveryChild()
{
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    m_main->runCommand(QStringLiteral("mnuFileScaricoItem"));
    QPointer<frmCarico> load = ui::WindowRegistry::existingInstance<frmCarico>();
    QPointer<frmScarico> sale = ui::WindowRegistry::existingInstance<frmScarico>();
    QVERIFY(m_main->close());
    QVERIFY(!m_main->isVisible());
    QCOMPARE(load->closes, 1);
    QCOMPARE(sale->closes, 1);
    QTRY_VERIFY(!load && !sale);
}

void TestMainWindow::aChildThatRefusesKeepsTheProgramOpen()
{
    m_main->runCommand(QStringLiteral("mnuFileCaricoItem"));
    m_main->runCommand(QStringLiteral("mnuFileScaricoItem"));
    QPointer<frmScarico> sale = ui::WindowRegistry::existingInstance<frmScarico>();
    sale->refuseClose = true; // unsaved sale, the user answered Cancel
    QVERIFY(!m_main->close());
    QVERIFY(m_main->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(sale && sale->isVisible());
    // The active window is asked first; after a refusal the others are not.
    QVERIFY(ui::WindowRegistry::existingInstance<frmCarico>());
    sale->refuseClose = false;
    QVERIFY(m_main->close());
}

void TestMainWindow::mainSetsTitleAndGlobals()
{
    QTemporaryDir folder;
    const QString programs = folder.path() + QStringLiteral("/Programmi Negozio");
    setProgramFolder(programs);
    mdiTarvo &main = Main();
    setProgramFolder(QString());
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Qorda"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Qorda"));
    QCOMPARE(g_strAppName, QStringLiteral("Qorda"));
    QCOMPARE(g_strDbPath, programs + QStringLiteral("/tarvo.mdb"));
    QCOMPARE(g_strDbPassword, QString());
    QVERIFY(main.isVisible());
    QCOMPARE(main.windowTitle(), QStringLiteral("Qorda - Brellan"));
    QCOMPARE(&Main(), &main); // one default instance
    QPointer<mdiTarvo> guard(&main);
    main.close();
    QTRY_VERIFY(!guard);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
