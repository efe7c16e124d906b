#include "ShopLock.h"

#include "DbError.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace db {

namespace {

// How long a program opening the file waits for a restore elsewhere to end.
constexpr int patienceMs = 5000;
constexpr int retryMs = 50;

struct Held {
    int fd = -1;
    int connections = 0;
    int aloneDepth = 0;
    bool locked = false;
};

// Locks belong to the open file, one per lock file for the whole program:
// its shared lock and its lock alone are the same lock, changed in one step.
struct Locks {
    QMutex mutex;
    QHash<QString, Held> byFile;
};

Locks &locks()
{
    // Never destroyed: connections kept in other statics close after it at exit.
    static Locks *instance = new Locks;
    return *instance;
}

bool heldByAnother()
{
    return errno == EAGAIN || errno == EACCES;
}

void openLockFile(Held &held, const QString &file)
{
    if (held.fd < 0)
        held.fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

// Nothing of this program on the file any more: closing lets the lock go.
void forgetIfUnused(const QString &file)
{
    const auto it = locks().byFile.find(file);
    if (it == locks().byFile.end() || it->connections > 0 || it->aloneDepth > 0)
        return;
    if (it->fd >= 0)
        ::close(it->fd);
    locks().byFile.erase(it);
}

DbError inUseElsewhere()
{
    return DbError(ErrorKind::Busy, 3045,
                   QStringLiteral("Il database è aperto in un altro programma (un'altra cassa?): chiuderlo e "
                                  "riprovare. Il database non è stato modificato."));
}

DbError beingReplaced()
{
    return DbError(ErrorKind::Busy, 3045,
                   QStringLiteral("Il database è in corso di sostituzione in un altro programma (un ripristino o "
                                  "un'importazione): riprovare fra qualche istante."));
}

DbError cannotLock(const QString &file)
{
    return DbError(ErrorKind::Io, 3051,
                   QStringLiteral("Impossibile bloccare il database con il file %1 (%2). Il database non è stato "
                                  "modificato.").arg(file, QString::fromLocal8Bit(std::strerror(errno))));
}

} // namespace

bool ShopLock::lockFirstByte(int fd, short type)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
}

QString ShopLock::lockPath(const QString &databasePath)
{
    const QFileInfo info(databasePath);
    QString file = info.canonicalFilePath();
    if (file.isEmpty()) { // a shop whose file is missing, about to be put back
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        file = (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
    }
    return file + QStringLiteral("-aperto.lock");
}

void ShopLock::share(const QString &databasePath)
{
    const QString file = lockPath(databasePath);
    QMutexLocker lock(&locks().mutex);
    Held &held = locks().byFile[file];
    ++held.connections;
    if (held.locked)
        return;
    openLockFile(held, file);
    // A folder where no lock file can be made is one where no restore can
    // be made either: nothing to share.
    if (held.fd < 0)
        return;
    for (int waited = 0;; waited += retryMs) {
        if (lockFirstByte(held.fd, F_RDLCK)) {
            held.locked = true;
            return;
        }
        if (!heldByAnother())
            return;
        if (waited >= patienceMs) {
            --held.connections;
            forgetIfUnused(file);
            throw beingReplaced();
        }
        ::usleep(retryMs * 1000);
    }
}

void ShopLock::unshare(const QString &databasePath)
{
    const QString file = lockPath(databasePath);
    QMutexLocker lock(&locks().mutex);
    const auto it = locks().byFile.find(file);
    if (it == locks().byFile.end())
        return;
    --it->connections;
    forgetIfUnused(file);
}

ShopLock::ShopLock(const QString &databasePath) : m_lockPath(lockPath(databasePath))
{
    QMutexLocker lock(&locks().mutex);
    Held &held = locks().byFile[m_lockPath];
    if (held.aloneDepth > 0) {
        ++held.aloneDepth;
        return;
    }
    openLockFile(held, m_lockPath);
    if (held.fd < 0 || !lockFirstByte(held.fd, F_WRLCK)) {
        const DbError error = held.fd >= 0 && heldByAnother() ? inUseElsewhere() : cannotLock(m_lockPath);
        forgetIfUnused(m_lockPath);
        throw error;
    }
    held.locked = true;
    held.aloneDepth = 1;
}

ShopLock::~ShopLock()
{
    QMutexLocker lock(&locks().mutex);
    Held &held = locks().byFile[m_lockPath];
    if (--held.aloneDepth > 0)
        return;
    // The connections this program opened meanwhile keep the file shared;
    // changed in one step, so no other program can take it alone between.
    if (held.connections > 0)
        lockFirstByte(held.fd, F_RDLCK);
    forgetIfUnused(m_lockPath);
}

} // namespace db
