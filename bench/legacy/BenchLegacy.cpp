// The import of an old shop's file with 100,000 sales (default), against the
// floor of the same work done by hand: the file's rows read through libmdb
// and inserted with plain prepared statements in one transaction.
//
// Both sides write a new database made from the shipped schema (WAL,
// synchronous=FULL, so each ends with one durable commit) and read the same
// file, which the run has just written (its pages are in the file cache for
// every run: "cold" below is the first import of the process, with libmdb,
// the schema and SQLite's caches new; "hot" the later ones). The import also
// checks the file whole before it starts (one more read of every table),
// copies the database aside, and runs SQLite's integrity check before
// committing: the ratio includes all three.
#include "common/BenchClock.h"
#include "db/Database.h"
#include "legacy/LegacyImport.h"
#include "legacy/MdbLegacyReader.h"
#include "legacy/ShopTables.h"
#include "legacy/ValueMapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using bench::Clock;
using bench::millis;

namespace {

constexpr double kTargetMs = 10000;

QString schema()
{
    QFile file(QStringLiteral(TARVO_SCHEMA_FILE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no schema at %s", TARVO_SCHEMA_FILE);
    return QString::fromUtf8(file.readAll());
}

QString newDatabase(const QDir &folder, const QString &name)
{
    const QString path = folder.filePath(name);
    db::Database::create(path, schema());
    return path;
}

double importInto(const QString &mdb, const QString &database, legacy::WhenDataPresent when, qint64 &rows)
{
    auto db = db::Database::open(database);
    legacy::ImportOptions options;
    options.whenDataPresent = when;
    options.now = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
    const auto start = Clock::now();
    const legacy::ImportResult result = legacy::importLegacyFile(mdb, *db, options);
    const double ms = millis(Clock::now() - start);
    if (!result.imported())
        qFatal("import failed: %s", qPrintable(result.summary()));
    rows = result.rowsTaken();
    db::Database::closeAll();
    return ms;
}

// The floor: every row read and inserted as it is, nothing checked.
double rawCopy(const QString &mdb, const QString &database, double &readMs)
{
    // The engine's connection (WAL, synchronous=FULL, the text collation the
    // schema names), used raw.
    auto connection = db::Database::open(database);
    sqlite3 *db = connection->handle();
    const auto start = Clock::now();
    auto reader = legacy::MdbLegacyReader::open(mdb);
    readMs = millis(Clock::now() - start);
    sqlite3_exec(db, "begin immediate", nullptr, nullptr, nullptr);
    for (const legacy::ShopTable &table : legacy::shopTables()) {
        QStringList names, marks;
        for (const auto &field : table.fields) {
            names << QLatin1Char('"') + field.name + QLatin1Char('"');
            marks << QStringLiteral("?");
        }
        const QByteArray sql = QStringLiteral("insert or replace into \"%1\" (%2) values (%3)")
                                   .arg(table.name, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))).toUtf8();
        sqlite3_stmt *insert = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &insert, nullptr) != SQLITE_OK)
            qFatal("%s", sqlite3_errmsg(db));
        reader->readRows(table.name, [&](const std::vector<legacy::LegacyValue> &row) {
            for (size_t f = 0; f < table.fields.size(); ++f) {
                const QVariant v = legacy::mapValue(row[f], table.fields[f].kind).value;
                if (v.typeId() == QMetaType::LongLong)
                    sqlite3_bind_int64(insert, int(f) + 1, v.toLongLong());
                else if (v.typeId() == QMetaType::Double)
                    sqlite3_bind_double(insert, int(f) + 1, v.toDouble());
                else if (v.typeId() == QMetaType::QString) {
                    const QByteArray t = v.toString().toUtf8();
                    sqlite3_bind_text(insert, int(f) + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                } else
                    sqlite3_bind_null(insert, int(f) + 1);
            }
            if (sqlite3_step(insert) != SQLITE_DONE)
                qFatal("%s", sqlite3_errmsg(db));
            sqlite3_reset(insert);
        });
        sqlite3_finalize(insert);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    const double ms = millis(Clock::now() - start);
    connection.reset();
    db::Database::closeAll();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int sales = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir temporary;
    const QDir folder(argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path());
    const QString mdb = folder.filePath(QStringLiteral("vecchio.mdb"));

    auto start = Clock::now();
    QProcess maker;
    maker.start(QStringLiteral("python3"), {QStringLiteral(TARVO_LEGACY_MAKER), mdb, QString::number(sales)});
    if (!maker.waitForFinished(-1) || maker.exitCode() != 0)
        qFatal("make_legacy_shop.py failed: %s", maker.readAllStandardError().constData());
    std::printf("old file: %d sales, %.1f MB, written by the fixture writer in %.0f ms (not timed below)\n", sales,
                QFileInfo(mdb).size() / 1048576.0, millis(Clock::now() - start));

    qint64 rows = 0;
    const double cold = importInto(mdb, newDatabase(folder, QStringLiteral("a.mdb")), legacy::WhenDataPresent::Refuse, rows);
    std::vector<double> hot;
    for (int run = 0; run < 3; ++run)
        hot.push_back(importInto(mdb, newDatabase(folder, QStringLiteral("h%1.mdb").arg(run)),
                                 legacy::WhenDataPresent::Refuse, rows));
    const double replace = importInto(mdb, folder.filePath(QStringLiteral("a.mdb")), legacy::WhenDataPresent::Replace, rows);
    double readMs = 0;
    const double raw = rawCopy(mdb, newDatabase(folder, QStringLiteral("raw.mdb")), readMs);

    std::printf("rows imported: %lld\n", static_cast<long long>(rows));
    std::printf("import, cold (first of the process), new database:   %8.0f ms\n", cold);
    std::printf("import, hot (median of 3), new database:              %8.0f ms\n", bench::median(hot));
    std::printf("import replacing the same data already there:        %8.0f ms\n", replace);
    std::printf("raw floor: file opened and checked (%.0f ms) + rows read and inserted: %8.0f ms\n", readMs, raw);
    std::printf("ratio import hot / raw floor: %.2f (the import adds the backup copy, the"
                " keys and references checked per row and the integrity check)\n", bench::median(hot) / raw);
    const double worst = std::max({cold, replace, *std::max_element(hot.begin(), hot.end())});
    const bool pass = worst < kTargetMs;
    std::printf("%s: slowest import %.0f ms, target under %.0f ms\n", pass ? "PASS" : "FAIL", worst, kTargetMs);
    return pass ? 0 : 1;
}
