#include "app/Globals.h"

#include "rules/ShopDatabase.h"

#include <QCoreApplication>

QString g_strAppName;
QString &g_strDbPath = ShopDatabase::path();
QString g_strConnString;
QString &g_strDbPassword = ShopDatabase::password();

namespace {
QString g_programFolder;
}

QString programFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &folder)
{
    g_programFolder = folder;
}
