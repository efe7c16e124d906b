#include "rules/ShopDatabase.h"

#include "db/Database.h"

// Function-local, so that the globals that refer to them can be bound during
// static initialisation in any order.
QString &ShopDatabase::path()
{
    static QString location;
    return location;
}

QString &ShopDatabase::password()
{
    static QString text;
    return text;
}

void ShopDatabase::setLocation(const QString &location, const QString &passwordText)
{
    path() = location;
    password() = passwordText;
}

std::shared_ptr<db::Database> ShopDatabase::open()
{
    return db::Database::open(path(), QStringLiteral(";PWD=") + password());
}
