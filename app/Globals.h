#pragma once

#include <QString>

// Program-wide values, set once by Main and never changed afterwards.
extern QString g_strAppName;      // "Qorda": title of nearly every message box
extern QString &g_strDbPath;      // program folder + "/tarvo.mdb" (ShopDatabase::path())
extern QString &g_strDbPassword;  // stays empty: the database has no password (ShopDatabase::password())

// The user's program folder: the database, the logs, the backups and the
// settings are found by fixed names inside it. It is the folder named by
// TARVO_HOME, otherwise the folder of the program file (a program folder
// installed by the build). Tests point it at a folder of their own.
QString programFolder();
void setProgramFolder(const QString &folder);

// The folder of the program file, with the templates, the skin and the tools
// installed beside it; the same as the program folder unless the program
// was installed by the package.
QString installFolder();

// A file the program brings (template, skin folder): the program folder's
// own copy when it has one, so a shop can change a template, otherwise the
// installed one (and when neither is there, the program folder's, which
// the messages then name).
QString installedFile(const QString &name);
