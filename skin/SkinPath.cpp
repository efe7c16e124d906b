#include "skin/SkinPath.h"

#include <QCoreApplication>
#include <QDir>

namespace skin {

namespace {
QString &storedPath()
{
    static QString path;
    return path;
}
} // namespace

QString defaultSkinPath()
{
    if (storedPath().isEmpty() && QCoreApplication::instance())
        return QCoreApplication::applicationDirPath() + QStringLiteral("/shpix");
    return storedPath();
}

void setDefaultSkinPath(const QString &folder)
{
    storedPath() = folder;
}

QString skinFile(const QString &skinPath, const QString &fileName)
{
    QString folder = skinPath;
    while (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        folder.chop(1);
    return folder + QLatin1Char('/') + fileName;
}

} // namespace skin
