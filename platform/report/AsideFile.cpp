#include "AsideFile.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace report {

AsideFile::AsideFile(QString target) : m_target(std::move(target)) {}

AsideFile::~AsideFile()
{
    cancel();
}

bool AsideFile::open()
{
    static QAtomicInteger<quint32> counter;
    const QByteArray target = QFile::encodeName(m_target);
    // The process and a counter make the name unique among our own prints;
    // O_EXCL refuses a name somebody else left there, and the next is tried.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_aside = target + ".tarvo-" + QByteArray::number(QCoreApplication::applicationPid()) + '-'
                  + QByteArray::number(++counter);
        m_fd = ::open(m_aside.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0)
        return false;
    m_failed = false;
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 AsideFile::writeData(const char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            return -1;
        }
        done += n;
    }
    return done;
}

bool AsideFile::commit()
{
    if (m_fd < 0)
        return false;
    const bool written = !m_failed && ::fdatasync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    QIODevice::close();
    if (!written || !closed || ::rename(m_aside.constData(), QFile::encodeName(m_target).constData()) != 0) {
        ::unlink(m_aside.constData());
        return false;
    }
    return true;
}

void AsideFile::cancel()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    ::unlink(m_aside.constData());
    QIODevice::close();
}

} // namespace report
