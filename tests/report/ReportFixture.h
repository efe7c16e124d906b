#pragma once

#include "TestShopDatabase.h"

#include <QString>

// A program folder in a temporary directory (the shared test shop's): its
// database made from the shipped schema with a few records of every kind, the shipped templates and
// a letterhead of its own.
class ReportFixture {
public:
    ReportFixture();
    bool isValid() const { return m_valid; }
    QString folder() const { return m_shop.folder(); }
    QString databasePath() const { return m_shop.path(); }
    QString templatePath(const QString &name) const { return folder() + QLatin1Char('/') + name; }
    db::Database &database() { return m_shop.database(); }

private:
    TestShopDatabase m_shop;
    bool m_valid = false;
};
