#pragma once

#include <QString>

namespace db {

// Which programs have a database file open. A program holds a shared lock
// on "<file>-aperto.lock" beside it while it has a connection to the file
// (the system lets go of it however the program ends). Whatever replaces or
// rewrites the whole file (a restore, an import) first takes that lock
// alone, so it never does so under another till, and no till opens the file
// while it is being replaced: one that opens after sees the new file.
class ShopLock {
public:
    // A connection of this program to the file, before it is opened. While
    // another program holds the file alone it waits a few seconds, then
    // throws DbError (Busy).
    static void share(const QString &databasePath);
    // The connection closed: the lock goes with the program's last one.
    static void unshare(const QString &databasePath);

    // The file for this program alone while the object lives (this program's
    // own connections may stay open); throws DbError (Busy) at once when
    // another program has the file open.
    explicit ShopLock(const QString &databasePath);
    ~ShopLock();
    ShopLock(const ShopLock &) = delete;
    ShopLock &operator=(const ShopLock &) = delete;

    // The file that holds the locks of `databasePath`.
    static QString lockPath(const QString &databasePath);
    // A lock (F_RDLCK, F_WRLCK, F_UNLCK) on the first byte of the open file
    // `fd`, held by that open file until it is closed, however the program
    // ends; false when another open file holds one in the way.
    static bool lockFirstByte(int fd, short type);

private:
    QString m_lockPath;
};

} // namespace db
