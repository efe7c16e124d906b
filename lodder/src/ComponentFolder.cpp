#include "ComponentFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <dlfcn.h>

namespace lodder {

QString componentPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&componentPath), &info) == 0 || !info.dli_fname)
        return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

QString componentFolder()
{
    const QString path = componentPath();
    if (path.isEmpty())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(path).absolutePath();
}

} // namespace lodder
