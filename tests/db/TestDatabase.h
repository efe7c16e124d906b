#pragma once

#include "TestShopDatabase.h"

#include "db/DbError.h"

#include <QTest>

// The shared shop database, its connection open from the start, used as the
// engine's tests use a database handle.
class TestDatabase : public TestShopDatabase {
public:
    TestDatabase() { database(); }

    db::Database &operator*() const { return database(); }
    db::Database *operator->() const { return &database(); }

    static QString schemaText() { return shippedSchema(); }
};

// Runs a statement that must fail and returns the error it raised.
template <typename Work>
db::DbError expectDbError(Work work)
{
    try {
        work();
    } catch (const db::DbError &error) {
        return error;
    }
    QTest::qFail("no DbError was raised", __FILE__, __LINE__);
    return db::DbError(db::ErrorKind::General, 0, QString());
}
