#pragma once

#include <QString>
#include <QtGlobal>

namespace db {

// Claims of this program on numbered keys of a shop, against the other
// programs working on it (a number being typed on one till). Beside a file
// a claim is a lock on a byte of "<file>-<name>.lock", which the system
// lets go of when the program ends, however it ends; on a server it is an
// advisory lock of the program's connection, which the server lets go of
// alike. A claim never waits: of two programs claiming a key at once, one
// gets it. The keys of one program are one claim each, however many times
// taken: the caller counts its own uses.
class ProgramClaims {
public:
    // `name`: the family of keys, naming their lock file; `serverSpace`:
    // the first key of their locks on the server.
    ProgramClaims(QString name, int serverSpace);

    // True when the key is this program's now; false, taking nothing, when
    // another program holds it.
    bool take(const QString &databasePath, qint64 key) const;
    void release(const QString &databasePath, qint64 key) const;
    // Whether a key this program took is still its own: a connection to the
    // server made anew (after the server was lost) holds none of the old
    // one's locks, and takes the key again unless another program has it.
    bool stillHeld(const QString &databasePath, qint64 key) const;
    // Whether another program holds the key.
    bool heldElsewhere(const QString &databasePath, qint64 key) const;

private:
    int lockFile(const QString &databasePath) const;
    QString m_name;
    int m_serverSpace;
};

} // namespace db
