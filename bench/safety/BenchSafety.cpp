// The upgrade of a large shop, its backup against a plain copy of the file,
// and the integrity checks the program runs, on the same file in one run.
// The file copy and the backup both end with the copy synced to the disk.
#include "../common/BenchClock.h"

#include "safety/ShopSafety.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"
#include "db/SchemaVersions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using bench::Clock;
using bench::millis;

namespace {

// cp and fsync: what "as fast as copying the file" means.
double copyFileMs(const QString &from, const QString &to)
{
    const auto start = Clock::now();
    QFile::remove(to);
    if (!QFile::copy(from, to))
        qFatal("copy failed");
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
    return millis(Clock::now() - start);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "uso: bench-safety <copia di shop.mdb> [cartella]\n");
        return 2;
    }
    const QString shop = args.at(1);
    QTemporaryDir scratch(args.size() > 2 ? args.at(2) + QStringLiteral("/bench-safety-XXXXXX") : QString());
    if (!scratch.isValid()) {
        std::fprintf(stderr, "bench-safety: cartella di lavoro non creata: %s\n", qPrintable(scratch.errorString()));
        return 1;
    }
    const QString folder = scratch.path();
    std::printf("shop %s: %.0f MB\n", qPrintable(shop), QFileInfo(shop).size() / 1048576.0);

    int version = 0;
    {
        const auto database = db::Database::open(shop);
        version = db::SchemaVersions::versionOf(database->handle());
    }
    auto start = Clock::now();
    safety::upgradeShop(shop, QDate(2026, 12, 8));
    const double upgradeMs = millis(Clock::now() - start);
    std::printf("upgrade v%d -> v%d, safety copies included: %.0f ms\n", version, db::SchemaVersions::latest(),
                upgradeMs);
    for (int v = version; v < db::SchemaVersions::latest(); ++v)
        QFile::remove(safety::safetyCopyPath(shop, QDate(2026, 12, 8), v));

    // Warm both sides alike: the file is read once before either is timed.
    copyFileMs(shop, folder + QStringLiteral("/warm.mdb"));
    QFile::remove(folder + QStringLiteral("/warm.mdb"));
    std::vector<double> copies, backups, onlineCopies;
    for (int round = 0; round < 3; ++round) {
        copies.push_back(copyFileMs(shop, folder + QStringLiteral("/copia.mdb")));
        QFile::remove(folder + QStringLiteral("/copia.mdb"));
        start = Clock::now();
        db::copyDatabase(db::Database::open(shop)->handle(), folder + QStringLiteral("/online.mdb"));
        onlineCopies.push_back(millis(Clock::now() - start));
        QFile::remove(folder + QStringLiteral("/online.mdb"));
        start = Clock::now();
        const QString made = safety::backUp(shop, folder, QDateTime(QDate(2026, 12, 8), QTime(9, 0, round)));
        backups.push_back(millis(Clock::now() - start));
        QFile::remove(made);
    }
    const double copy = bench::median(copies);
    const double backup = bench::median(backups);
    const double online = bench::median(onlineCopies);
    start = Clock::now();
    const QString quick = db::integrityOf(db::Database::open(shop)->handle(), true);
    const double quickMs = millis(Clock::now() - start);
    std::printf("file copy + fsync            %8.0f ms\n", copy);
    std::printf("online backup API + fsync    %8.0f ms  x%.1f of the file copy, within 3x: %s\n", online,
                online / copy, online <= 3 * copy ? "PASS" : "FAIL");
    std::printf("whole backup command (copy + integrity_check of the copy) %8.0f ms\n", backup);
    std::printf("quick_check at start         %8.0f ms (%s)\n", quickMs, qPrintable(quick));
    return online <= 3 * copy && quick == QLatin1String("ok") ? 0 : 1;
}
