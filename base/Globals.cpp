#include "base/Globals.h"

#include "db/ProgramFolder.h"
#include "rules/ShopDatabase.h"

#include <QDir>
#include <QFileInfo>

QString g_strAppName;
QString &g_strDbPath = ShopDatabase::path();
QString &g_strDbPassword = ShopDatabase::password();

QString programFolder()
{
    return db::ProgramFolder::path();
}

void setProgramFolder(const QString &folder)
{
    db::ProgramFolder::set(folder);
}

QString installFolder()
{
    return db::ProgramFolder::installPath();
}

QString installedFile(const QString &name)
{
    const QString own = QDir(programFolder()).filePath(name);
    const QString installed = QDir(installFolder()).filePath(name);
    return QFileInfo::exists(own) || !QFileInfo::exists(installed) ? own : installed;
}
