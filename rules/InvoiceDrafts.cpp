#include "rules/InvoiceDrafts.h"

#include "db/TextKeys.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <fcntl.h>
#include <unistd.h>

namespace {

// One byte of the file stands for a number (its folded text hashed): two
// numbers sharing a byte only keep each other's lines a little longer.
off_t byteOf(const QString &numero)
{
    quint32 hash = 2166136261u;
    for (const char c : db::foldedText(numero.trimmed()).toUtf8())
        hash = (hash ^ quint8(c)) * 16777619u;
    return off_t(hash & 0x3fffffff);
}

// The lock file of a database, opened once per program: locks belong to the
// open file, so every hold of this program shares it.
int lockFile(const QString &databasePath)
{
    static QMutex mutex;
    static QHash<QString, int> open;
    QMutexLocker lock(&mutex);
    const auto it = open.constFind(databasePath);
    if (it != open.cend())
        return *it;
    const int fd = ::open(QFile::encodeName(databasePath + QStringLiteral("-fatture.lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0)
        open.insert(databasePath, fd);
    return fd;
}

bool lockByte(int fd, off_t byte, short type, int command, short *found = nullptr)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    if (::fcntl(fd, command, &range) != 0)
        return false;
    if (found)
        *found = range.l_type;
    return true;
}

} // namespace

void InvoiceDrafts::hold(const QString &databasePath, const QString &numero)
{
    const int fd = lockFile(databasePath);
    if (fd >= 0)
        lockByte(fd, byteOf(numero), F_WRLCK, F_OFD_SETLK);
}

void InvoiceDrafts::release(const QString &databasePath, const QString &numero)
{
    const int fd = lockFile(databasePath);
    if (fd >= 0)
        lockByte(fd, byteOf(numero), F_UNLCK, F_OFD_SETLK);
}

bool InvoiceDrafts::heldElsewhere(const QString &databasePath, const QString &numero)
{
    const int fd = lockFile(databasePath);
    short found = F_UNLCK;
    // Locks of this program's own open file never conflict with a test made
    // through it: only another program's show.
    return fd >= 0 && lockByte(fd, byteOf(numero), F_WRLCK, F_OFD_GETLK, &found) && found != F_UNLCK;
}
