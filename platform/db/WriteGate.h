#pragma once

#include "db/DbError.h"

#include <QString>
#include <functional>

namespace db {

// Whether the shop's file may be written while its check runs behind the
// windows. Reads never wait. Once the check reads its moment of the file, a
// write goes into the file's log only: nothing is copied from the log into
// the file (no checkpoint, not even the one a closing connection makes) until
// the check has found the file sound. Once it has found the file damaged,
// every write is refused, so a damaged file is never written; what was logged
// meanwhile stays in its log, beside it. A write that comes before the check
// reads waits for it. A file no check holds is always open to writes.
class WriteGate {
public:
    // The check of `path` has started: writes wait for its verdict.
    static void hold(const QString &path);
    // The check reads its moment of the file (or stopped before its
    // verdict): writes go into the log, the log stays out of the file.
    static void keepInLog(const QString &path);
    // The file is sound: writes go ahead, the log goes into the file.
    static void pass(const QString &path);
    // The file is damaged (`problem` as the check reported it): writes are
    // refused until release().
    static void refuse(const QString &path, const QString &problem);
    // No check holds the file any more (a sound file put in its place).
    static void release(const QString &path);

    // How the program shows a write waiting: `decided` turns true once the
    // verdict is in; the waiter returns then, or earlier when the user gives
    // up (the write is then refused). Without a waiter the write blocks.
    using Waiter = std::function<void(const std::function<bool()> &decided)>;
    static void setWaiter(Waiter waiter);

    // Before a write begins (no lock of the file held yet): returns when the
    // file may be written; throws the refusal otherwise.
    static void beforeWrite(const QString &path);
    // At a commit that did not pass beforeWrite() (a write of its own): waits
    // without the waiter for a verdict still due; true when it must be
    // refused. `countLogged`: a commit about to be made (not a failed one
    // being explained).
    static bool refusesCommit(const QString &path, bool countLogged = false);
    // What a refused write throws; a default error when the file is not refused.
    static DbError refusal(const QString &path);

    // Whether the log may be copied into the file: the file is sound.
    static bool mayCheckpoint(const QString &path);
    // Commits kept in the log since keepInLog(): lost to a file put back
    // from a backup.
    static int loggedCommits(const QString &path);
};

} // namespace db
