#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace db { class Database; }

// A program folder in a temporary directory: a database made from the
// shipped schema with a few records of every kind, the shipped templates and
// a letterhead of its own.
class ReportFixture {
public:
    ReportFixture();
    bool isValid() const { return m_valid; }
    QString folder() const { return m_dir.path(); }
    QString databasePath() const { return m_dir.filePath("tarvo.mdb"); }
    QString templatePath(const QString &name) const { return m_dir.filePath(name); }
    db::Database &database() { return *m_db; }

private:
    QTemporaryDir m_dir;
    std::shared_ptr<db::Database> m_db;
    bool m_valid = false;
};
