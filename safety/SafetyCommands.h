#pragma once

#include <QString>
#include <functional>

class QWidget;

// The File menu's "Backup…" and "Ripristina…", and the check of the shop's
// file at start.
namespace safety {

// Asks for the folder (the program's backup folder by default), copies the
// shop with a progress bar, checks the copy and says where it is.
void runBackup(QWidget *parent, const QString &databasePath);

// Asks for a backup, shows its date and counts, asks to confirm, closes the
// windows (`closeWindows` returns false when one stayed open) and replaces
// the shop's file, keeping the current one beside it.
void runRestore(QWidget *parent, const QString &databasePath, const std::function<bool()> &closeWindows);

// At start (before any window): a quick integrity check (on failure: says so and offers the
// newest good backup), the schema upgrade, the daily backup. False when
// the program must not go on with the file.
bool checkAtStart(const QString &databasePath, const QString &backupFolder);

} // namespace safety
