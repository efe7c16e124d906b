#pragma once

#include <QString>

// Program-wide values, set once by Main and never changed afterwards.
extern QString g_strAppName;      // "Qorda": title of nearly every message box
extern QString &g_strDbPath;      // the shop's database, set by Main (ShopDatabase::path())
extern QString &g_strDbPassword;  // stays empty: the database has no password (ShopDatabase::password())

// The user's program folder (db::ProgramFolder::path()): the database, the
// logs, the backups and the settings are found by fixed names inside it.
// Tests point it at a folder of their own.
QString programFolder();
void setProgramFolder(const QString &folder);

// The folder of the program file, with the templates, the skin and the tools
// installed beside it (db::ProgramFolder::installPath()).
QString installFolder();

// A file the program brings (template, skin folder): the program folder's
// own copy when it has one, so a shop can change a template, otherwise the
// installed one (and when neither is there, the program folder's, which
// the messages then name).
QString installedFile(const QString &name);
