#pragma once

#include <QString>
#include <memory>

namespace db { class Database; }

// The shop's database (tarvo.mdb) and the one way to open it. Its location
// is set once, where the program learns it (start-up, or a test's fixture).
// The program's globals g_strDbPath and g_strDbPassword are these same two
// texts, so setting either name sets both.
class ShopDatabase {
public:
    static QString &path();
    static QString &password();
    static void setLocation(const QString &path, const QString &password = QString());
    // The shared connection to the database, with the connect text
    // ";PWD=" + password.
    static std::shared_ptr<db::Database> open();
};
