#pragma once

#include "db/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A fresh shop database from the shipped schema, in a folder of its own.
class TestDatabase {
public:
    TestDatabase()
    {
        QFile schema(QStringLiteral(":/schema/tarvo.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            qFatal("schema resource missing");
        m_path = m_dir.filePath(QStringLiteral("tarvo.mdb"));
        db::Database::create(m_path, QString::fromUtf8(schema.readAll()));
        m_db = db::Database::open(m_path);
    }
    ~TestDatabase() { db::Database::closeAll(); }

    db::Database &operator*() const { return *m_db; }
    db::Database *operator->() const { return m_db.get(); }
    const QString &path() const { return m_path; }
    QString folder() const { return m_dir.path(); }

    static QString schemaText()
    {
        QFile schema(QStringLiteral(":/schema/tarvo.sql"));
        schema.open(QIODevice::ReadOnly);
        return QString::fromUtf8(schema.readAll());
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::shared_ptr<db::Database> m_db;
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
