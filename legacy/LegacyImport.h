#pragma once

#include "legacy/ImportResult.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace db { class Database; }

namespace legacy {

class LegacyReader;

// What to do when the database already holds the shop's data: refuse (the
// database stays as it is) or replace it all. Never both merged.
enum class WhenDataPresent { Refuse, Replace };

struct ImportProgress {
    QString table;          // the table being read
    int tableIndex = 0;     // from 0
    int tableCount = 0;
    qint64 rows = 0;        // rows of it read so far
    qint64 rowsInTable = 0;
};

struct ImportOptions {
    WhenDataPresent whenDataPresent = WhenDataPresent::Refuse;
    QDateTime now;          // names the backup copy
    std::function<void(const ImportProgress &)> progress;
    std::function<bool()> cancelRequested;
};

// Brings the old shop's tables into the database: checks the file, copies
// the database aside, then takes every table in one transaction (counters keep
// their numbers, sequences continue after the highest, the database's own
// check must pass), or changes nothing at all.
ImportResult importLegacyShop(LegacyReader &reader, db::Database &database, const ImportOptions &options);
// The same on a file, which is refused with its reason when it is no whole Jet 4 file.
ImportResult importLegacyFile(const QString &path, db::Database &database, const ImportOptions &options);

// Rows of the shop's own data in the database (the VAT rates, payment kinds
// and services delivered with it do not count).
qint64 shopDataRows(db::Database &database);

} // namespace legacy
