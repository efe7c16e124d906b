#include "quirnel/mdiTarvo.h"

#include <algorithm>
#include <QPointer>

#include "base/GeneralFunc6.h"
#include "base/OpenWindow.h"
#include "quirnel/MenuCommands.h"
#include "base/errors/ErrorTrap.h"
#include "base/print/MainReport.h"
#include "report/ReportControl.h"
#include "skin/SkinError.h"
#include "skin/ctrl_SkinableForm.h"
#include "ui/MdiChild.h"
#include "ui/Messages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include "base/Globals.h"
#include "safety/SafetyCommands.h"
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

mdiTarvo::mdiTarvo(QWidget *parent)
    : QMainWindow(parent)
    , m_area(new QMdiArea(this))
    , m_report(new report::ReportControl(this))
{
    setObjectName(QStringLiteral("mdiTarvo"));
    setWindowTitle(QStringLiteral("Qorda - Brellan"));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    // A calm blue-grey behind the windows, in tune with their frames.
    m_area->setBackground(QColor(0xcf, 0xd6, 0xdf));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    m_report->setObjectName(QStringLiteral("Report"));
    m_report->setMdiArea(m_area);
    setMainReport(m_report);
    setMainMdiArea(m_area);
    connect(m_report, &report::ReportControl::reportProduced, this, &mdiTarvo::skinPreview);
    connect(m_area, &QMdiArea::subWindowActivated, this, &mdiTarvo::followActivation);
    resize(1024, 740);
    buildMenus();
    refreshCommands();
    // The menu's shortcuts come before the text boxes' own (Ctrl+A opens the
    // article card also while a box has the focus).
    qApp->installEventFilter(this);
}

mdiTarvo::~mdiTarvo() = default;

QAction *mdiTarvo::addCommand(QMenu *menu, const QString &name, const QString &caption,
                              const QKeySequence &keys)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    if (name == QLatin1String("mnuFornitoriItem"))
        connect(action, &QAction::triggered, this, &mdiTarvo::mnuFornitoriItem_Click);
    else
        connect(action, &QAction::triggered, this, [this, name] { runCommand(name); });
    if (menu)
        menu->addAction(action);
    m_commands.insert(name, action);
    return action;
}

void mdiTarvo::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    addCommand(file, QStringLiteral("mnuFileArticoliItem"), QStringLiteral("Articoli"), QKeySequence(QStringLiteral("Ctrl+A")));
    addCommand(file, QStringLiteral("mnuFileCaricoItem"), QStringLiteral("Carico"), QKeySequence(QStringLiteral("Ctrl+K")));
    addCommand(file, QStringLiteral("mnuFornitoriItem"), QStringLiteral("Fornitori"), QKeySequence(QStringLiteral("Ctrl+O")));
    addCommand(file, QStringLiteral("mnuNotaFornitori"), QStringLiteral("Nota Fornitori"), QKeySequence(QStringLiteral("Ctrl+T")));
    addCommand(file, QStringLiteral("mnuPrimaNotaItem"), QStringLiteral("Prima Nota"), QKeySequence(QStringLiteral("Ctrl+P")));
    addCommand(file, QStringLiteral("mnuFileCercaArticoli"), QStringLiteral("Ricerca Articoli"), QKeySequence(QStringLiteral("Ctrl+F")));
    addCommand(file, QStringLiteral("mnuFileScaricoItem"), QStringLiteral("Scarico"), QKeySequence(QStringLiteral("Ctrl+S")));
    addCommand(file, QStringLiteral("mnuFileInventarioItem"), QStringLiteral("Inventario"), QKeySequence());
    QAction *separator = file->addSeparator();
    separator->setObjectName(QStringLiteral("nihil"));
    addCommand(file, QStringLiteral("mnuAnagraficheItem"), QStringLiteral("Anagrafiche"), QKeySequence(QStringLiteral("Ctrl+G")));
    addCommand(file, QStringLiteral("mnuFattureItem"), QStringLiteral("Fatture"), QKeySequence(QStringLiteral("Ctrl+I")));
    addCommand(file, QStringLiteral("mnuFileDatiAziendaItem"), QStringLiteral("Dati azienda"), QKeySequence());
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileSeparatoreBackup"));
    QAction *backup = file->addAction(QStringLiteral("Backup…"));
    backup->setObjectName(QStringLiteral("mnuFileBackupItem"));
    connect(backup, &QAction::triggered, this, [this] { safety::runBackup(this, g_strDbPath); });
    QAction *restore = file->addAction(QStringLiteral("Ripristina…"));
    restore->setObjectName(QStringLiteral("mnuFileRipristinaItem"));
    connect(restore, &QAction::triggered, this, [this] {
        safety::runRestore(this, g_strDbPath, [this] { return closeEveryWindow(); });
    });
    addCommand(file, QStringLiteral("mnuFileImportaArchivioItem"), QStringLiteral("Importa archivio precedente…"), QKeySequence());
    addCommand(file, QStringLiteral("mnuFileImportaArticoliItem"), QStringLiteral("Importa articoli…"), QKeySequence());
    addCommand(file, QStringLiteral("mnuFileImportaFattureItem"), QStringLiteral("Importa fatture fornitori…"), QKeySequence());

    QMenu *lists = menuBar()->addMenu(QStringLiteral("Liste"));
    lists->setObjectName(QStringLiteral("mnuListe"));
    lists->menuAction()->setObjectName(QStringLiteral("mnuListe"));
    addCommand(lists, QStringLiteral("mnuListeArticoliItem"), QStringLiteral("Articoli"), QKeySequence());
    addCommand(lists, QStringLiteral("mnuListeCarichiItem"), QStringLiteral("Carichi"), QKeySequence());
    addCommand(lists, QStringLiteral("mnuListeScarichiItem"), QStringLiteral("Scarichi"), QKeySequence());
    addCommand(lists, QStringLiteral("mnuListeIncassiItem"), QStringLiteral("Incassi"), QKeySequence());
    addCommand(lists, QStringLiteral("mnuListeValoreItem"), QStringLiteral("Valore del magazzino"), QKeySequence());
    addCommand(lists, QStringLiteral("mnuListeSottoscortaItem"), QStringLiteral("Sottoscorta"), QKeySequence());
    addCommand(lists, QStringLiteral("mnuListeStatisticheItem"), QStringLiteral("Statistiche"), QKeySequence());

    // The logs where the program notes its errors, for the shop and for
    // whoever looks after the program.
    QMenu *help = menuBar()->addMenu(QStringLiteral("Assistenza"));
    help->setObjectName(QStringLiteral("mnuAssistenza"));
    help->menuAction()->setObjectName(QStringLiteral("mnuAssistenza"));
    addCommand(help, QStringLiteral("mnuRegistroErroriItem"), QStringLiteral("Registro degli errori..."), QKeySequence());
    addCommand(help, QStringLiteral("mnuArchivioErroriItem"), QStringLiteral("Archivio degli errori..."), QKeySequence());

    // The main window's own keys, in no menu: the F1 list names them.
    addKey(QStringLiteral("mnuTastiItem"), QStringLiteral("L'elenco dei tasti"), QKeySequence(Qt::Key_F1),
           [this] { showKeys(); });
    addKey(QStringLiteral("mnuMenuItem"), QStringLiteral("Il menu del programma (poi le frecce e Invio)"),
           QKeySequence(Qt::Key_F10), [this] {
               if (!menuBar()->actions().isEmpty())
                   menuBar()->setActiveAction(menuBar()->actions().constFirst());
           });
    addKey(QStringLiteral("mnuChiudiFinestraItem"), QStringLiteral("Chiude la finestra attiva"),
           QKeySequence(Qt::CTRL | Qt::Key_F4), [this] {
               if (QMdiSubWindow *active = m_area->activeSubWindow())
                   active->close();
           });
    addKey(QStringLiteral("mnuFinestraSuccessivaItem"), QStringLiteral("La finestra successiva"),
           QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { m_area->activateNextSubWindow(); });
    addKey(QStringLiteral("mnuFinestraPrecedenteItem"), QStringLiteral("La finestra precedente"),
           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), [this] { m_area->activatePreviousSubWindow(); });

    // "About..." has no items: the title itself is the command.
    QAction *about = addCommand(nullptr, QStringLiteral("mnuAbout"), QStringLiteral("About..."), QKeySequence());
    menuBar()->addAction(about);

    for (QMenu *menu : {file, lists, help})
        connect(menu, &QMenu::aboutToShow, this, &mdiTarvo::refreshCommands);
}

bool mdiTarvo::closeEveryWindow()
{
    m_area->closeAllSubWindows();
    // Closed windows go on their next turn of the event loop: with them
    // their record sets, which must let go of the file now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return m_area->subWindowList().isEmpty();
}

QAction *mdiTarvo::commandAction(const QString &command) const
{
    if (QAction *key = m_keys.value(command))
        return key;
    return m_commands.value(command);
}

// A key of the main window itself, always enabled.
QAction *mdiTarvo::addKey(const QString &name, const QString &caption, const QKeySequence &keys,
                          const std::function<void()> &run)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, run);
    addAction(action);
    m_keys.insert(name, action);
    return action;
}

QList<frmTasti::Row> mdiTarvo::keyRows() const
{
    QList<frmTasti::Row> rows;
    for (QMenu *menu : menuBar()->findChildren<QMenu *>())
        for (QAction *action : menu->actions())
            if (!action->shortcut().isEmpty())
                rows << frmTasti::Row{action->shortcut().toString(QKeySequence::NativeText),
                                      menu->title() + QStringLiteral(" > ") + action->text()};
    for (const QString &name : {QStringLiteral("mnuMenuItem"), QStringLiteral("mnuChiudiFinestraItem"), QStringLiteral("mnuFinestraSuccessivaItem"),
                               QStringLiteral("mnuFinestraPrecedenteItem"), QStringLiteral("mnuTastiItem")}) {
        const QAction *key = m_keys.value(name);
        rows << frmTasti::Row{key->shortcut().toString(QKeySequence::NativeText), key->text()};
    }
    rows << frmTasti::Row{QStringLiteral("Invio"), QStringLiteral("Il pulsante predefinito della finestra (Trova, Aggiorna, Carica, …)")};
    rows << frmTasti::Row{QStringLiteral("Esc"), QStringLiteral("Chiude un elenco, una ricerca o una lista")};
    rows << frmTasti::Row{QStringLiteral("Tab / Maiusc+Tab"), QStringLiteral("Il campo successivo / precedente")};
    return rows;
}

// The window active when another first shows is the one that opened it
// (the invoice for its print preview, the search for the card it opened).
void mdiTarvo::followActivation(QMdiSubWindow *frame)
{
    if (!frame)
        return;
    if (!frame->property("openerKnown").toBool()) {
        frame->setProperty("openerKnown", true);
        const QPointer<QMdiSubWindow> opener = m_lastActive;
        connect(frame, &QObject::destroyed, this, [this, opener] {
            if (opener && opener->isVisible())
                m_area->setActiveSubWindow(opener);
        });
    }
    m_lastActive = frame;
}

void mdiTarvo::showKeys()
{
    frmTasti keys(keyRows(), this);
    ui::messageService().execModal(keys);
}

void mdiTarvo::refreshCommands()
{
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it)
        it.value()->setEnabled(app::MenuCommands::find(it.key()) != nullptr);
}

void mdiTarvo::runCommand(const QString &command)
{
    const app::MenuWindow *target = app::MenuCommands::find(command);
    if (!target)
        return;
    if (target->action) {
        target->action();
        return;
    }
    SetHourglass();
    PointerReset pointer;
    QWidget &window = target->instance();
    for (const auto &member : target->members)
        member(window);
    ui::showMdiChild(*m_area, window);
}

// The one command with an error trap: each step runs through it, the first
// error is reported and logged and the next step runs all the same.
void mdiTarvo::mnuFornitoriItem_Click()
{
    const app::MenuWindow *target = app::MenuCommands::find(QStringLiteral("mnuFornitoriItem"));
    if (!target)
        return;
    PointerReset pointer;
    errors::ErrorTrap trap(QStringLiteral("mdiTarvo.mnuCodiciIva"));
    trap.run([] { SetHourglass(); });
    // Every step takes the instance again: a window that failed to load is
    // created anew by the next step, as a reference to it always did.
    for (const auto &member : target->members)
        trap.run([&] { member(target->instance()); });
    trap.run([&] { ui::showMdiChild(*m_area, target->instance()); });
    trap.run([] { ResetPointer(); });
}

bool mdiTarvo::isMenuShortcut(const QKeySequence &keys) const
{
    for (QAction *action : m_keys)
        if (action->shortcut() == keys)
            return true;
    for (QAction *action : m_commands)
        if (!action->shortcut().isEmpty() && action->shortcut() == keys && action->isEnabled())
            return true;
    return false;
}

// The report preview wears the same frame as every other child window; when
// the skin cannot be loaded the plain frame stays, the report is still there.
void mdiTarvo::skinPreview()
{
    report::ReportPreview *preview = m_report->lastPreview();
    if (!preview || preview->findChild<ctrl_SkinableForm *>())
        return;
    auto *frame = new ctrl_SkinableForm(preview);
    frame->setCaption(preview->windowTitle());
    try {
        frame->LoadSkin(preview);
    } catch (const skin::SkinError &) {
        delete frame;
    }
}

bool mdiTarvo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (isMenuShortcut(QKeySequence(key->keyCombination())))
                return true; // not accepted by the box: the menu's shortcut runs
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void mdiTarvo::showEvent(QShowEvent *event)
{
    refreshCommands();
    QMainWindow::showEvent(event);
}

// Every child runs its own close code, the active one first; the first that
// refuses (work the user wants to keep) keeps the program open, and the
// windows after it are not asked.
void mdiTarvo::closeEvent(QCloseEvent *event)
{
    QList<QMdiSubWindow *> frames = m_area->subWindowList(QMdiArea::ActivationHistoryOrder);
    std::reverse(frames.begin(), frames.end());
    for (const QPointer<QMdiSubWindow> frame : frames) {
        if (frame && frame->isVisible() && !frame->close()) {
            m_area->setActiveSubWindow(frame);
            event->ignore();
            return;
        }
    }
    event->accept();
}
