#include "ProgramClaims.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "Statement.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace db {

namespace {

[[noreturn]] void cannotLock()
{
    throw DbError(ErrorKind::Io, 3051,
                  QStringLiteral("Impossibile aprire il file. Il file potrebbe essere già in uso o mancano le "
                                 "autorizzazioni necessarie."));
}

// F_OFD_SETLK never waits: a byte another program holds fails at once.
bool lockByte(int fd, qint64 byte, short type, int command, short *found = nullptr)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = off_t(byte);
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

// The shop's connection when it is on a server, null beside a file.
std::shared_ptr<Database> serverShop(const QString &databasePath)
{
    const std::shared_ptr<Database> shop = Database::open(databasePath);
    return shop->onServer() ? shop : nullptr;
}

bool askServer(Database &shop, const QString &sql, int space, qint64 key)
{
    Statement *statement = shop.statement(sql);
    const StatementUse use(statement);
    statement->bindInteger(1, space);
    statement->bindInteger(2, key);
    return statement->step(sql) && statement->columnInteger(0) != 0;
}

const QString tryLock = QStringLiteral("select pg_try_advisory_lock(?, ?)");

// The locks on a key the server sees granted: to this program's connection
// (`mine`) or to the others.
QString grantedLocks(bool mine)
{
    return QStringLiteral("select count(*) from pg_locks where locktype = 'advisory' "
                          "and database = (select oid from pg_database where datname = current_database()) "
                          "and classid = ? and objid = ? and objsubid = 2 and granted and pid %1 pg_backend_pid()")
        .arg(mine ? QStringLiteral("=") : QStringLiteral("<>"));
}

} // namespace

ProgramClaims::ProgramClaims(QString name, int serverSpace) : m_name(std::move(name)), m_serverSpace(serverSpace) {}

// The lock file of a database, opened once per program: locks belong to the
// open file, so every claim of this program shares it and none of them
// stands in the way of another.
int ProgramClaims::lockFile(const QString &databasePath) const
{
    static QMutex mutex;
    static QHash<QString, int> open;
    const QString path = databasePath + QLatin1Char('-') + m_name + QStringLiteral(".lock");
    const QMutexLocker lock(&mutex);
    const auto it = open.constFind(path);
    if (it != open.cend())
        return *it;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        cannotLock();
    open.insert(path, fd);
    return fd;
}

bool ProgramClaims::take(const QString &databasePath, qint64 key) const
{
    if (const auto server = serverShop(databasePath))
        return askServer(*server, tryLock, m_serverSpace, key);
    return lockByte(lockFile(databasePath), key, F_WRLCK, F_OFD_SETLK);
}

void ProgramClaims::release(const QString &databasePath, qint64 key) const
{
    if (const auto server = serverShop(databasePath))
        askServer(*server, QStringLiteral("select pg_advisory_unlock(?, ?)"), m_serverSpace, key);
    else
        lockByte(lockFile(databasePath), key, F_UNLCK, F_OFD_SETLK);
}

bool ProgramClaims::stillHeld(const QString &databasePath, qint64 key) const
{
    const auto server = serverShop(databasePath);
    return !server || askServer(*server, grantedLocks(true), m_serverSpace, key)
           || askServer(*server, tryLock, m_serverSpace, key);
}

bool ProgramClaims::heldElsewhere(const QString &databasePath, qint64 key) const
{
    if (const auto server = serverShop(databasePath))
        return askServer(*server, grantedLocks(false), m_serverSpace, key);
    short found = F_UNLCK;
    // Locks of this program's own open file never conflict with a test made
    // through it: only another program's show.
    return lockByte(lockFile(databasePath), key, F_WRLCK, F_OFD_GETLK, &found) && found != F_UNLCK;
}

} // namespace db
