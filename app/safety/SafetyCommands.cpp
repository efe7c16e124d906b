#include "app/safety/SafetyCommands.h"

#include "app/Globals.h"
#include "app/safety/ShopSafety.h"
#include "db/DatabaseSettings.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "ui/Messages.h"
#include "ui/ProgressFeedback.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QSettings>
#include <optional>

namespace safety {

namespace {

int backupsToKeep()
{
    // Settable beside the database: [backup] giorni=N in tarvo.ini.
    const QSettings settings(programFolder() + QStringLiteral("/tarvo.ini"), QSettings::IniFormat);
    const int keep = settings.value(QStringLiteral("backup/giorni"), 30).toInt();
    return keep > 0 ? keep : 30;
}

QString pickFolder(QWidget *parent)
{
    QDir().mkpath(defaultBackupFolder());
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Cartella del backup"), defaultBackupFolder());
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

bool checkAtStart(const QString &databasePath, const QString &backupFolder)
{
    // A shop on a server: its schema is brought up to date there; the file
    // checks and the daily copies are the server's business.
    try {
        if (db::DatabaseSettings::beside(databasePath).onServer()) {
            upgradeShop(databasePath, QDate::currentDate());
            return true;
        }
    } catch (const db::DbError &error) {
        ui::MsgBox(error.description(), ui::vbCritical, QString());
        return false;
    }
    if (!QFileInfo::exists(databasePath))
        return true; // the first window that opens it says so
    QString problem;
    ui::ProgressFeedback check(QStringLiteral("Controllo del database in corso..."));
    check.run([&] { problem = quickCheck(databasePath); });
    if (problem != QLatin1String("ok")) {
        db::Database::closeAll();
        const QString backup = newestGoodBackup(backupFolder);
        if (backup.isEmpty()) {
            ui::MsgBox(QStringLiteral("Il database %1 è danneggiato e non c'è un backup valido da ripristinare. "
                                      "Il programma si chiude senza modificarlo.")
                           .arg(QDir::toNativeSeparators(databasePath)),
                       ui::vbCritical, QString());
            return false;
        }
        const QString question = QStringLiteral("Il database %1 è danneggiato.\n\nRipristinare l'ultimo backup "
                                                "valido (%2)? Il file danneggiato resta conservato accanto.")
                                     .arg(QDir::toNativeSeparators(databasePath), QFileInfo(backup).fileName());
        if (ui::MsgBox(question, ui::vbYesNo | ui::vbCritical, QString()) != ui::vbYes)
            return false;
        try {
            // The damaged file is set aside by its name, never written.
            const QString damaged = databasePath + QStringLiteral(".danneggiato");
            for (const QString &suffix : {QString(), QStringLiteral("-wal")}) {
                QFile::remove(damaged + suffix);
                QFile::rename(databasePath + suffix, damaged + suffix);
            }
            QFile::remove(databasePath + QStringLiteral("-shm"));
            putInPlace(databasePath, backup);
        } catch (const db::DbError &error) {
            ui::MsgBox(QStringLiteral("Ripristino non riuscito.\n%1").arg(error.description()), ui::vbCritical,
                       QString());
            return false;
        }
    }
    // Both can take a while on a large shop: a window says what is going on.
    // Neither can stop halfway, so "Annulla" only closes that window.
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
    ui::ProgressFeedback daily(QStringLiteral("Backup giornaliero in corso..."));
    daily.run([&] {
        try {
            dailyBackUp(databasePath, backupFolder, QDateTime::currentDateTime(), backupsToKeep());
        } catch (const db::DbError &error) {
            failure = error;
        }
    });
    if (failure)
        ui::MsgBox(QStringLiteral("Backup giornaliero non eseguito.\n%1").arg(failure->description()),
                   ui::vbExclamation, QString());
    return true;
}

} // namespace safety
