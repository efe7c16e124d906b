#include "TestShopDatabase.h"

#include "rules/ShopDatabase.h"

TestShopDatabase::TestShopDatabase(const QString &schemaSql, const QString &fileName)
    : m_path(m_folder.filePath(fileName))
    , m_previousPath(ShopDatabase::path())
    , m_previousPassword(ShopDatabase::password())
{
    if (!m_folder.isValid())
        qFatal("no temporary folder: %s", qPrintable(m_folder.errorString()));
    db::Database::create(m_path, schemaSql);
    ShopDatabase::setLocation(m_path);
}

TestShopDatabase::~TestShopDatabase()
{
    m_database.reset();
    db::Database::closeAll();
    ShopDatabase::setLocation(m_previousPath, m_previousPassword);
}

db::Database &TestShopDatabase::database() const
{
    if (!m_database)
        m_database = db::Database::open(m_path);
    return *m_database;
}

void TestShopDatabase::execute(const QString &legacySql) const
{
    database().execute(legacySql);
}

QVariant TestShopDatabase::scalar(const QString &legacySql) const
{
    auto rs = database().openRecordset(legacySql);
    return rs->recordCount() == 0 ? QVariant() : rs->value(0);
}

int TestShopDatabase::count(const QString &fromAndWhere) const
{
    return scalar(QStringLiteral("select count(*) from ") + fromAndWhere).toInt();
}
