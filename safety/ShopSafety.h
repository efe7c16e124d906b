#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// Copies of the shop's file: the backup the user asks for, the daily one,
// the safety copies taken before an upgrade or a restore, and the checks a
// backup passes before it may replace the shop's file. Failures throw
// db::DbError with a message for the user.
namespace safety {

// "backup" in the program folder: where backups go unless the user picks
// another folder.
QString defaultBackupFolder();
// tarvo-AAAAMMGG-HHMMSS.mdb
QString backupFileName(const QDateTime &when);
// tarvo-AAAAMMGG-vN.mdb beside the shop's file: the file as it was at
// version N, taken before it is upgraded.
QString safetyCopyPath(const QString &databasePath, const QDate &day, int version);

using Progress = std::function<bool(int done, int total)>;

// A consistent copy of the open shop into `folder` (made if missing; the
// half copies stopped programs left there removed first), checked with integrity_check (`quickCheck`: quick_check, a fraction of
// the time on a large shop); returns its path. Refuses, with the space it
// needs, when the disk has too little room.
QString backUp(const QString &databasePath, const QString &folder, const QDateTime &when,
               const Progress &progress = {}, bool quickCheck = false);
// The two halves of backUp(): the copy, then its check (a copy that fails
// is removed and the failure thrown).
QString copyShop(const QString &databasePath, const QString &folder, const QDateTime &when,
                 const Progress &progress = {});
void checkCopy(const QString &copy, bool quickCheck);

// Whether the day of `now` has no backup in `folder` yet, made or on its
// way from another till: the first start of the day.
bool dailyBackupDue(const QString &folder, const QDateTime &now);
// At the first start of a day: a backup into `folder` (its copy checked
// with quick_check) unless one of that day is there already or another till
// is writing it now, then only the newest `keep` backups are kept.
// Returns the new backup's path, empty when none was due. Any thread:
// the copy reads through a connection of its own.
QString dailyBackUp(const QString &databasePath, const QString &folder, const QDateTime &now, int keep = 30,
                    const Progress &progress = {});
// Removes the oldest backups of `folder` beyond the newest `keep`.
void keepNewest(const QString &folder, int keep);

// What a file offered for a restore holds.
struct BackupContents {
    QString refusal;       // why it cannot be restored; empty when it can
    QDateTime written;     // when the copy was made (the file's time)
    int version = 0;
    qint64 articles = 0;
    qint64 sales = 0;
    qint64 invoices = 0;
};
BackupContents inspectBackup(const QString &file);

// Replaces the shop's file with the backup (inspected again first): the
// current file is kept beside as tarvo-AAAAMMGG-HHMMSS-prima-del-ripristino.mdb,
// the backup is copied over it and upgraded to the program's version.
// Every connection to the shop's file must be closed by the caller first;
// refused, with nothing written, while another program has the file open.
// Returns the safety copy's path.
QString restore(const QString &databasePath, const QString &backupFile, const QDateTime &now);

// The backup copied beside the shop's file and renamed over it (no
// connection may be open on it, here or in another program), then upgraded
// to the program's version. With `keepDamaged` the file it replaces stays
// as damagedPath() (with its log).
void putInPlace(const QString &databasePath, const QString &backupFile, bool keepDamaged = false);
// tarvo.mdb.danneggiato: a damaged shop's file, kept after a recovery.
QString damagedPath(const QString &databasePath);

// Brings the shop's file to the program's schema version, a dated safety
// copy beside it before each step. Throws (newer file, failed step).
void upgradeShop(const QString &databasePath, const QDate &today);

// "ok", or what is wrong with the file's header or its schema: what every
// start reads before the windows open (a few pages, whatever the size).
QString headerCheck(const QString &databasePath);

// "ok", or what `quick_check` finds wrong with the file, read through a
// read-only connection of its own (nothing is written, not even the
// checkpoint a closing connection makes). Throws DbError while another
// program is replacing the file. `goOn` is asked now and then; false stops
// the check (its result then names the interruption). `reading` is called
// once the check holds the moment of the file it reads: from then on no
// checkpoint can copy into the file what other connections commit.
QString quickCheck(const QString &databasePath, const std::function<bool()> &goOn = {},
                   const std::function<void()> &reading = {});

// The newest backup of `folder` that passes inspectBackup; empty if none.
QString newestGoodBackup(const QString &folder);

} // namespace safety
