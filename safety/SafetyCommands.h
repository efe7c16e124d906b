#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

class QMainWindow;
class QWidget;

// The File menu's "Backup…" and "Ripristina…", and the check of the shop's
// file at start.
namespace safety {

class StartCheck;

// Asks for the folder (the program's backup folder by default), copies the
// shop with a progress bar, checks the copy and says where it is.
void runBackup(QWidget *parent, const QString &databasePath);

// Asks for a backup, shows its date and counts, asks to confirm, closes the
// windows (`closeWindows` returns false when one stayed open) and replaces
// the shop's file, keeping the current one beside it.
void runRestore(QWidget *parent, const QString &databasePath, const std::function<bool()> &closeWindows);

// Before the main window: a shop on a server brought up to date there; the
// half copies removed; a missing file offered the newest good backup; the
// header and the schema read (a damaged file offered the newest good
// backup); the schema upgraded. False when the program must not go on.
bool openAtStart(const QString &databasePath, const QString &backupFolder);

// Before the main window is built: the day's check (below) started on its
// thread, so that it runs while the window is made. Null for a shop on a
// server or a new installation.
StartCheck *beginCheck(const QString &databasePath, const QString &backupFolder,
                       const QDateTime &now = QDateTime::currentDateTime());

// Once the main window shows, on the first start of the day: the check of
// every page and the daily backup behind it (StartCheck), said in the
// window's status bar; a write that comes during the check waits for its
// verdict and says so. A damaged file is offered the newest good backup
// once `closeWindows` has closed every window; with none, or declined, the
// program ends without writing to it. The object belongs to `window`; null
// for a shop on a server or a new installation. `begun`: the check
// beginCheck started, which the window takes over.
StartCheck *checkBehind(QMainWindow *window, const QString &databasePath, const QString &backupFolder,
                        const std::function<bool()> &closeWindows, StartCheck *begun = nullptr,
                        const QDateTime &now = QDateTime::currentDateTime());

// Both at once on this thread, to their end (a start without windows).
bool checkAtStart(const QString &databasePath, const QString &backupFolder,
                  const QDateTime &now = QDateTime::currentDateTime());

} // namespace safety
