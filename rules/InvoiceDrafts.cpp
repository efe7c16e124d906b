#include "rules/InvoiceDrafts.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "db/TextKeys.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
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

// On a server the tills share no file: the mark is an advisory lock of the
// program's connection, which the server lets go of when the connection
// ends. The first key names the drafts among the shop's other locks.
constexpr int draftLocks = 0x7461; // "ta"

std::shared_ptr<db::Database> serverShop(const QString &databasePath)
{
    const std::shared_ptr<db::Database> shop = db::Database::open(databasePath);
    return shop->onServer() ? shop : nullptr;
}

bool runOnServer(db::Database &shop, const QString &sql, off_t byte)
{
    db::Statement *statement = shop.statement(sql);
    const db::StatementUse use(statement);
    statement->bindInteger(1, draftLocks);
    statement->bindInteger(2, qint64(byte));
    return statement->step(sql) && statement->columnInteger(0) != 0;
}

// The numbers this program holds on the server (its locks would stack).
QSet<QString> &heldOnServer()
{
    static QSet<QString> held;
    return held;
}

QString serverKey(const QString &databasePath, const QString &numero)
{
    return databasePath + QLatin1Char('\n') + QString::number(qint64(byteOf(numero)));
}

} // namespace

void InvoiceDrafts::hold(const QString &databasePath, const QString &numero)
{
    if (const auto shop = serverShop(databasePath)) {
        if (!heldOnServer().contains(serverKey(databasePath, numero))
            && runOnServer(*shop, QStringLiteral("select pg_try_advisory_lock(?, ?)"), byteOf(numero)))
            heldOnServer().insert(serverKey(databasePath, numero));
        return;
    }
    const int fd = lockFile(databasePath);
    if (fd >= 0)
        lockByte(fd, byteOf(numero), F_WRLCK, F_OFD_SETLK);
}

void InvoiceDrafts::release(const QString &databasePath, const QString &numero)
{
    if (const auto shop = serverShop(databasePath)) {
        if (heldOnServer().remove(serverKey(databasePath, numero)))
            runOnServer(*shop, QStringLiteral("select pg_advisory_unlock(?, ?)"), byteOf(numero));
        return;
    }
    const int fd = lockFile(databasePath);
    if (fd >= 0)
        lockByte(fd, byteOf(numero), F_UNLCK, F_OFD_SETLK);
}

bool InvoiceDrafts::heldElsewhere(const QString &databasePath, const QString &numero)
{
    if (const auto shop = serverShop(databasePath))
        return runOnServer(*shop,
                           QStringLiteral("select count(*) from pg_locks where locktype = 'advisory' and classid = ? "
                                          "and objid = ? and objsubid = 2 and granted and pid <> pg_backend_pid()"),
                           byteOf(numero));
    const int fd = lockFile(databasePath);
    short found = F_UNLCK;
    // Locks of this program's own open file never conflict with a test made
    // through it: only another program's show.
    return fd >= 0 && lockByte(fd, byteOf(numero), F_WRLCK, F_OFD_GETLK, &found) && found != F_UNLCK;
}
