#include "app/Globals.h"

#include "rules/ShopDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString g_strAppName;
QString &g_strDbPath = ShopDatabase::path();
QString &g_strDbPassword = ShopDatabase::password();

namespace {
QString g_programFolder;
}

QString programFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    const QString home = qEnvironmentVariable("TARVO_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    return installFolder();
}

void setProgramFolder(const QString &folder)
{
    g_programFolder = folder;
}

QString installFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString installedFile(const QString &name)
{
    const QString own = QDir(programFolder()).filePath(name);
    const QString installed = QDir(installFolder()).filePath(name);
    return QFileInfo::exists(own) || !QFileInfo::exists(installed) ? own : installed;
}
