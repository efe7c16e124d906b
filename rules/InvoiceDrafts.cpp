#include "rules/InvoiceDrafts.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "db/TextKeys.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString keyOf(const QString &numero)
{
    return db::foldedText(numero.trimmed());
}

// One byte of the file stands for a number (its folded text hashed): two
// numbers sharing a byte only make an editor move on to the next number.
off_t byteOf(const QString &numero)
{
    quint32 hash = 2166136261u;
    for (const char c : keyOf(numero).toUtf8())
        hash = (hash ^ quint8(c)) * 16777619u;
    return off_t(hash & 0x3fffffff);
}

[[noreturn]] void cannotLock()
{
    throw db::DbError(db::ErrorKind::Io, 3051,
                      QStringLiteral("Impossibile aprire il file. Il file potrebbe essere già in uso o mancano le "
                                     "autorizzazioni necessarie."));
}

// The lock file of a database, opened once per program: locks belong to the
// open file, so every claim of this program shares it and none of them
// stands in the way of another.
int lockFile(const QString &databasePath)
{
    static QHash<QString, int> open;
    const auto it = open.constFind(databasePath);
    if (it != open.cend())
        return *it;
    const int fd = ::open(QFile::encodeName(databasePath + QStringLiteral("-fatture.lock")).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        cannotLock();
    open.insert(databasePath, fd);
    return fd;
}

// F_OFD_SETLK never waits: a byte another program holds fails at once.
bool lockByte(int fd, off_t byte, short type, int command, short *found = nullptr)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    if (::fcntl(fd, command, &range) != 0) {
        if (errno == EAGAIN || errno == EACCES)
            return false;
        cannotLock();
    }
    if (found)
        *found = range.l_type;
    return true;
}

// On a server the tills share no file: the claim is an advisory lock of the
// program's connection (pg_try_advisory_lock never waits either), let go
// of when the connection ends. The first key names the drafts among the
// shop's other locks.
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

// The drafts' locks on a byte the server sees granted: to this program's
// connection (`mine`) or to the others.
QString grantedLocks(bool mine)
{
    return QStringLiteral("select count(*) from pg_locks where locktype = 'advisory' "
                          "and database = (select oid from pg_database where datname = current_database()) "
                          "and classid = ? and objid = ? and objsubid = 2 and granted and pid %1 pg_backend_pid()")
        .arg(mine ? QStringLiteral("=") : QStringLiteral("<>"));
}

// What this program holds on a byte: the numbers claimed through it. A byte
// is locked once, whatever the numbers sharing it.
struct Holding {
    QSet<QString> numbers;
};

QMutex g_mutex;
QHash<QString, QHash<off_t, Holding>> g_holdings;

Holding *holdingOf(const QString &databasePath, off_t byte, const std::shared_ptr<db::Database> &server)
{
    auto bytes = g_holdings.find(databasePath);
    if (bytes == g_holdings.end())
        return nullptr;
    const auto held = bytes->find(byte);
    if (held == bytes->end())
        return nullptr;
    // A connection made anew (the program's own after the server was lost
    // and reached again, or another one) holds none of the old one's locks:
    // the lock is taken again, unless another till has taken it meanwhile.
    if (server && !runOnServer(*server, grantedLocks(true), byte)
        && !runOnServer(*server, QStringLiteral("select pg_try_advisory_lock(?, ?)"), byte)) {
        bytes->erase(held);
        return nullptr;
    }
    return &*held;
}

} // namespace

bool InvoiceDrafts::claim(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    const off_t byte = byteOf(numero);
    const auto server = serverShop(databasePath);
    if (Holding *held = holdingOf(databasePath, byte, server)) {
        held->numbers.insert(keyOf(numero));
        return true;
    }
    const bool taken = server ? runOnServer(*server, QStringLiteral("select pg_try_advisory_lock(?, ?)"), byte)
                              : lockByte(lockFile(databasePath), byte, F_WRLCK, F_OFD_SETLK);
    if (!taken)
        return false;
    g_holdings[databasePath][byte].numbers = {keyOf(numero)};
    return true;
}

void InvoiceDrafts::release(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    const off_t byte = byteOf(numero);
    const auto server = serverShop(databasePath);
    Holding *held = holdingOf(databasePath, byte, server);
    if (!held || !held->numbers.remove(keyOf(numero)) || !held->numbers.isEmpty())
        return;
    g_holdings[databasePath].remove(byte);
    if (server)
        runOnServer(*server, QStringLiteral("select pg_advisory_unlock(?, ?)"), byte);
    else
        lockByte(lockFile(databasePath), byte, F_UNLCK, F_OFD_SETLK);
}

bool InvoiceDrafts::heldHere(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    const Holding *held = holdingOf(databasePath, byteOf(numero), serverShop(databasePath));
    return held && held->numbers.contains(keyOf(numero));
}

bool InvoiceDrafts::heldElsewhere(const QString &databasePath, const QString &numero)
{
    const QMutexLocker lock(&g_mutex);
    if (const auto server = serverShop(databasePath))
        return runOnServer(*server, grantedLocks(false), byteOf(numero));
    short found = F_UNLCK;
    // Locks of this program's own open file never conflict with a test made
    // through it: only another program's show.
    return lockByte(lockFile(databasePath), byteOf(numero), F_WRLCK, F_OFD_GETLK, &found) && found != F_UNLCK;
}
