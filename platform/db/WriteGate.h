#pragma once

#include "db/DbError.h"

#include <QString>
#include <functional>

namespace db {

// Whether the shop's file may be written while its check runs behind the
// windows. Reads never wait. A write that comes while the check of its file
// is still running waits for the verdict; once the check has found the file
// damaged, every write to it is refused, so a damaged file is never written.
// A file no check holds is always open to writes.
class WriteGate {
public:
    // The check of `path` has started: writes wait for its verdict.
    static void hold(const QString &path);
    // The file is sound: writes go ahead.
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
    // refused.
    static bool refusesCommit(const QString &path);
    // What a refused write throws; a default error when the file is not refused.
    static DbError refusal(const QString &path);
};

} // namespace db
