#pragma once

#include "db/Database.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// A fresh database made from the schema the program ships, in a temporary
// folder of the test's own.
class TestDatabase {
public:
    TestDatabase()
    {
        QFile schema(qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/schema/tarvo.sql"));
        if (!schema.open(QIODevice::ReadOnly))
            qFatal("schema not readable: %s", qPrintable(schema.fileName()));
        m_path = m_folder.path() + QStringLiteral("/tarvo.mdb");
        db::Database::create(m_path, QString::fromUtf8(schema.readAll()));
    }
    ~TestDatabase() { db::Database::closeAll(); }
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    QString path() const { return m_path; }
    QString folder() const { return m_folder.path(); }
    db::Database &database() const
    {
        if (!m_open)
            m_open = db::Database::open(m_path);
        return *m_open;
    }
    void execute(const QString &legacySql) const { database().execute(legacySql); }
    QVariant scalar(const QString &legacySql) const
    {
        auto rs = database().openRecordset(legacySql);
        return rs->recordCount() == 0 ? QVariant() : rs->value(0);
    }

private:
    QTemporaryDir m_folder;
    QString m_path;
    mutable std::shared_ptr<db::Database> m_open;
};
