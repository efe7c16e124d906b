#pragma once

#include <QString>

// Program-wide values, set once by Main and never changed afterwards.
extern QString g_strAppName;      // "Qorda": title of nearly every message box
extern QString &g_strDbPath;      // program folder + "/tarvo.mdb" (ShopDatabase::path())
extern QString g_strConnString;   // connection string of the article search
extern QString &g_strDbPassword;  // stays empty: the database has no password (ShopDatabase::password())

// The folder that holds the program file; the database, templates, skin and
// logs are found by fixed names inside it. Tests point it at a folder of
// their own.
QString programFolder();
void setProgramFolder(const QString &folder);
