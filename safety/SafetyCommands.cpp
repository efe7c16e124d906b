#include "safety/SafetyCommands.h"

#include "base/Globals.h"
#include "safety/ShopSafety.h"
#include "safety/StartCheck.h"
#include "db/DatabaseSettings.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "db/WriteGate.h"
#include "ui/Messages.h"
#include "ui/ProgressFeedback.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMainWindow>
#include <QStatusBar>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <memory>
#include <atomic>
#include <QProgressDialog>
#include <optional>

namespace safety {

namespace {

QString pickFolder(QWidget *parent)
{
    QDir().mkpath(defaultBackupFolder());
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Cartella del backup"), defaultBackupFolder());
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool recover(const QString &databasePath, const QString &backup, bool keepDamaged)
{
    try {
        putInPlace(databasePath, backup, keepDamaged);
        return true;
    } catch (const db::DbError &error) {
        ui::MsgBox(QStringLiteral("Ripristino non riuscito.\n%1").arg(error.description()), ui::vbCritical, QString());
        return false;
    }
}

// No shop's file: a recovery stopped halfway, or the file lost. With no
// backup and no damaged file kept it is a new installation, left as it is
// (the first window that opens the file says so). False when the program
// must not go on.
bool offerMissingShop(const QString &databasePath, const QString &backupFolder)
{
    const QString backup = newestGoodBackup(backupFolder);
    const QString damaged = damagedPath(databasePath);
    const bool damagedKept = QFileInfo::exists(damaged);
    if (backup.isEmpty() && !damagedKept)
        return true;
    const QString kept = damagedKept ? QStringLiteral(" Il file danneggiato è conservato in %1.").arg(shown(damaged))
                                     : QString();
    if (backup.isEmpty()) {
        ui::MsgBox(QStringLiteral("Il database %1 manca e non c'è un backup valido da ripristinare.%2 Il programma "
                                  "si chiude senza modificare nulla.").arg(shown(databasePath), kept),
                   ui::vbCritical, QString());
        return false;
    }
    const QString question = QStringLiteral("Il database %1 manca.%2\n\nRipristinare l'ultimo backup valido (%3)?")
                                 .arg(shown(databasePath), kept, QFileInfo(backup).fileName());
    if (ui::MsgBox(question, ui::vbYesNo | ui::vbCritical, QString()) != ui::vbYes)
        return false;
    return recover(databasePath, backup, false);
}

// The file found damaged: the newest good backup offered in its place.
// False when the program must not go on.
bool offerDamagedShop(const QString &databasePath, const QString &backupFolder)
{
    db::Database::closeAll();
    const QString backup = newestGoodBackup(backupFolder);
    if (backup.isEmpty()) {
        ui::MsgBox(QStringLiteral("Il database %1 è danneggiato e non c'è un backup valido da ripristinare. "
                                  "Il programma si chiude senza modificarlo.").arg(shown(databasePath)),
                   ui::vbCritical, QString());
        return false;
    }
    // Saved while the check ran: in the damaged file's log, not in the backup.
    const int logged = db::WriteGate::loggedCommits(databasePath);
    const QString loggedLost =
        logged == 0   ? QString()
        : logged == 1 ? QStringLiteral(" La registrazione fatta durante il controllo resta nel file danneggiato, "
                                       "non nel backup: dopo il ripristino va ripetuta.")
                      : QStringLiteral(" Le %1 registrazioni fatte durante il controllo restano nel file danneggiato, "
                                       "non nel backup: dopo il ripristino vanno ripetute.").arg(logged);
    const QString question = QStringLiteral("Il database %1 è danneggiato.%3\n\nRipristinare l'ultimo backup "
                                            "valido (%2)? Il file danneggiato resta conservato accanto.")
                                 .arg(shown(databasePath), QFileInfo(backup).fileName(), loggedLost);
    if (ui::MsgBox(question, ui::vbYesNo | ui::vbCritical, QString()) != ui::vbYes)
        return false;
    // The damaged file is set aside by its name, never written; the file
    // put in its place is open to writes again.
    db::WriteGate::release(databasePath);
    if (recover(databasePath, backup, true))
        return true;
    db::WriteGate::refuse(databasePath, QStringLiteral("ripristino non riuscito"));
    return false;
}

// The header and the schema, read before any window opens the file; when
// they are damaged, the newest good backup offered. False when the program
// must not go on.
bool offerIfHeaderDamaged(const QString &databasePath, const QString &backupFolder)
{
    QString problem;
    try {
        problem = headerCheck(databasePath);
    } catch (const db::DbError &error) {
        ui::MsgBox(error.description(), ui::vbCritical, QString());
        return false;
    }
    return problem == QLatin1String("ok") || offerDamagedShop(databasePath, backupFolder);
}

// Writes waiting for the check to read its moment of the file (their
// windows are in the middle of a save: none may be closed under them).
int writesWaiting = 0;

// A write that comes while the check runs: the user sees why it waits, and
// may give it up (it is then refused, nothing written).
void waitForTheCheck(QWidget *window, const std::function<bool()> &decided)
{
    if (!QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread()) {
        while (!decided())
            QThread::msleep(20);
        return;
    }
    ++writesWaiting;
    const auto done = qScopeGuard([] { --writesWaiting; });
    ui::ProgressFeedback wait(QStringLiteral("Controllo del database in corso: la registrazione attende il suo "
                                             "esito..."), window);
    // Usually the check reads within a few milliseconds: the window shows
    // only for a wait the user would notice.
    wait.setDelay(300);
    std::atomic<bool> gaveUp {false};
    wait.setCancelHandler([&] { gaveUp.store(true); });
    wait.run([&] {
        while (!decided() && !gaveUp.load())
            QThread::msleep(5);
    });
}

} // namespace

void runBackup(QWidget *parent, const QString &databasePath)
{
    const QString folder = pickFolder(parent);
    if (folder.isEmpty())
        return;
    QProgressDialog progress(QStringLiteral("Backup del database in corso..."), QStringLiteral("Annulla"), 0, 100, parent);
    progress.setWindowTitle(g_strAppName);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    try {
        const QString made = copyShop(databasePath, folder, QDateTime::currentDateTime(), [&](int done, int total) {
            progress.setValue(total > 0 ? int(qint64(done) * 100 / total) : 100);
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
        progress.setValue(100);
        // The check reads the whole copy: on its own thread, the windows
        // painted meanwhile. It cannot be left halfway: the copy would stay
        // unchecked.
        std::optional<db::DbError> failure;
        ui::ProgressFeedback check(QStringLiteral("Verifica della copia in corso..."), parent);
        check.run([&] {
            try {
                checkCopy(made, false);
            } catch (const db::DbError &error) {
                failure = error;
            }
        });
        if (failure)
            throw *failure;
        ui::MsgBox(QStringLiteral("Backup completato e verificato:\n%1").arg(QDir::toNativeSeparators(made)),
                   ui::vbInformation, g_strAppName);
    } catch (const db::DbError &error) {
        progress.cancel();
        ui::MsgBox(QStringLiteral("Backup non riuscito.\n%1").arg(error.description()), ui::vbCritical, g_strAppName);
    }
}

void runRestore(QWidget *parent, const QString &databasePath, const std::function<bool()> &closeWindows)
{
    const QString file = QFileDialog::getOpenFileName(parent, QStringLiteral("Backup da ripristinare"),
                                                      defaultBackupFolder(),
                                                      QStringLiteral("Database di Tarvo (*.mdb)"));
    if (file.isEmpty())
        return;
    const BackupContents contents = inspectBackup(file);
    if (!contents.refusal.isEmpty()) {
        ui::MsgBox(QStringLiteral("Impossibile ripristinare %1.\n%2\nIl database non è stato modificato.")
                       .arg(QDir::toNativeSeparators(file), contents.refusal),
                   ui::vbCritical, g_strAppName);
        return;
    }
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    const QString question =
        QStringLiteral("Ripristinare il backup del %1?\n\nArticoli: %2\nVendite: %3\nFatture: %4\n\n"
                       "Tutto ciò che è stato registrato dopo andrà perso; il database attuale resta "
                       "conservato in una copia accanto. Le finestre aperte verranno chiuse.")
            .arg(contents.written.toString(QStringLiteral("dd/MM/yyyy HH:mm")), italian.toString(contents.articles),
                 italian.toString(contents.sales), italian.toString(contents.invoices));
    if (ui::MsgBox(question, ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2, g_strAppName) != ui::vbYes)
        return;
    if (closeWindows && !closeWindows()) {
        ui::MsgBox(QStringLiteral("Chiudere tutte le finestre prima del ripristino."), ui::vbExclamation, g_strAppName);
        return;
    }
    try {
        const QString kept = restore(databasePath, file, QDateTime::currentDateTime());
        ui::MsgBox(QStringLiteral("Ripristino completato.\nIl database precedente è conservato in:\n%1")
                       .arg(QDir::toNativeSeparators(kept)),
                   ui::vbInformation, g_strAppName);
    } catch (const db::DbError &error) {
        ui::MsgBox(QStringLiteral("Ripristino non riuscito.\n%1").arg(error.description()), ui::vbCritical, g_strAppName);
    }
}

bool openAtStart(const QString &databasePath, const QString &backupFolder)
{
    // A shop on a server: its schema is brought up to date there; the file
    // checks and the daily copies are the server's business.
    try {
        if (db::DatabaseSettings::beside(databasePath).copiesItself()) {
            upgradeShop(databasePath, QDate::currentDate());
            return true;
        }
    } catch (const db::DbError &error) {
        ui::MsgBox(error.description(), ui::vbCritical, QString());
        return false;
    }
    // Copies killed halfway, each as big as the shop.
    db::removeStaleCopies(QFileInfo(databasePath).absolutePath());
    db::removeStaleCopies(backupFolder);
    if (!QFileInfo::exists(databasePath)) {
        if (!offerMissingShop(databasePath, backupFolder))
            return false;
        if (!QFileInfo::exists(databasePath))
            return true; // a new installation
    } else if (!offerIfHeaderDamaged(databasePath, backupFolder)) {
        return false;
    }
    // Rare, and the windows need the new schema: done before them, a window
    // saying what is going on. It cannot stop halfway, so "Annulla" only
    // closes that window.
    std::optional<db::DbError> failure;
    ui::ProgressFeedback upgrade(QStringLiteral("Aggiornamento del database in corso..."));
    upgrade.run([&] {
        try {
            upgradeShop(databasePath, QDate::currentDate());
        } catch (const db::DbError &error) {
            failure = error;
        }
    });
    if (failure) {
        ui::MsgBox(failure->description(), ui::vbCritical, QString());
        return false;
    }
    return true;
}

StartCheck *beginCheck(const QString &databasePath, const QString &backupFolder, const QDateTime &now)
{
    if (db::DatabaseSettings::beside(databasePath).copiesItself() || !QFileInfo::exists(databasePath))
        return nullptr;
    auto *check = new StartCheck(databasePath, backupFolder, db::DatabaseSettings::backupsToKeep(databasePath), nullptr, now);
    check->holdSignals();
    check->start();
    return check;
}

StartCheck *checkBehind(QMainWindow *window, const QString &databasePath, const QString &backupFolder,
                        const std::function<bool()> &closeWindows, StartCheck *begun, const QDateTime &now)
{
    if (db::DatabaseSettings::beside(databasePath).copiesItself() || !QFileInfo::exists(databasePath))
        return nullptr;
    StartCheck *check = begun;
    if (check)
        check->setParent(window);
    else
        check = new StartCheck(databasePath, backupFolder, db::DatabaseSettings::backupsToKeep(databasePath), window, now);
    if (!check->due()) {
        check->listen();
        return check;
    }
    db::WriteGate::setWaiter([window](const std::function<bool()> &decided) { waitForTheCheck(window, decided); });
    QObject::connect(check, &StartCheck::progress, window, [window](const QString &text) {
        if (text.isEmpty())
            window->statusBar()->clearMessage();
        else
            window->statusBar()->showMessage(text);
    });
    auto settle = std::make_shared<std::function<void()>>();
    *settle = [=] {
        // A save waiting for the verdict is refused first; then the windows
        // let go of the file before it is set aside.
        if (writesWaiting > 0) {
            QTimer::singleShot(20, window, *settle);
            return;
        }
        if (!closeWindows()) {
            ui::MsgBox(QStringLiteral("Il database %1 è danneggiato: non vi viene registrato nulla. Chiudere tutte "
                                      "le finestre e ripristinare un backup (File, Ripristina…).")
                           .arg(shown(databasePath)),
                       ui::vbCritical, g_strAppName);
            return;
        }
        if (!offerDamagedShop(databasePath, backupFolder))
            QCoreApplication::exit(1);
        else
            window->statusBar()->showMessage(QStringLiteral("Database ripristinato dall'ultimo backup valido."));
    };
    QObject::connect(check, &StartCheck::damaged, window, [settle] { (*settle)(); });
    QObject::connect(check, &StartCheck::backupFailed, window, [](const QString &description) {
        ui::MsgBox(QStringLiteral("Backup giornaliero non eseguito.\n%1").arg(description), ui::vbExclamation,
                   QString());
    });
    check->start();
    check->listen();
    return check;
}

bool checkAtStart(const QString &databasePath, const QString &backupFolder, const QDateTime &now)
{
    if (!openAtStart(databasePath, backupFolder))
        return false;
    if (db::DatabaseSettings::beside(databasePath).copiesItself() || !QFileInfo::exists(databasePath))
        return true;
    StartCheck check(databasePath, backupFolder, db::DatabaseSettings::backupsToKeep(databasePath), nullptr, now);
    bool goesOn = true;
    QObject::connect(&check, &StartCheck::damaged, &check, [&] { goesOn = offerDamagedShop(databasePath, backupFolder); });
    QObject::connect(&check, &StartCheck::backupFailed, &check, [](const QString &description) {
        ui::MsgBox(QStringLiteral("Backup giornaliero non eseguito.\n%1").arg(description), ui::vbExclamation,
                   QString());
    });
    check.runHere();
    return goesOn;
}

} // namespace safety
