#include "AnotherProgramLock.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

AnotherProgramLock::AnotherProgramLock(const QString &file, Kind kind)
{
    m_fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    struct flock range {};
    range.l_type = kind == Shared ? F_RDLCK : F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 1;
    m_held = m_fd >= 0 && ::fcntl(m_fd, F_OFD_SETLK, &range) == 0;
}

AnotherProgramLock::~AnotherProgramLock()
{
    release();
}

void AnotherProgramLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_held = false;
}

QString AnotherProgramLock::shopLockOf(const QString &databasePath)
{
    const QString canonical = QFileInfo(databasePath).canonicalFilePath();
    return (canonical.isEmpty() ? databasePath : canonical) + QStringLiteral("-aperto.lock");
}
