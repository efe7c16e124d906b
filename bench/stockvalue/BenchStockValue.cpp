// bench-stockvalue <shop.mdb> [runs]: the stock value at a date and what to
// reorder on a copy of a large shop (1,000,000 items, 500,000 loads,
// 5,000,000 sales at scale 1), as the shop meets them on the command line:
//
//   value, past     tarvo-esporta csv valore --al 31/12 of the year in the
//                   middle of the shop's sales (half of them come after)
//   value, recent   the same 30 days before the last sale
//   reorder         tarvo-esporta csv sottoscorta (the copy is given a
//                   minimum stock of 20 on one item in a hundred first)
//
// each as a whole process (start, the shop opened, every table read, every
// line written to a CSV file), its peak resident memory read by
// bench-peak-of. Cold: the copy's pages dropped from the system's cache
// first (posix_fadvise on the copy only: other files stay cached); hot: the
// same run again; beside the hot time, the process's own CPU time (user and
// system), which a busy machine does not stretch. Judged: the value under
// 2 s and 200 MB, the reorder list under 1 s.
//
// Beside it, in this process: the value alone (StockValuation::read, the
// lines made but not written) against raw SQLite reading the same tables
// into a hash of the codes and summing the same total, both warmed once on
// the same day first; their totals must agree.
#include "db/Database.h"
#include "rules/MoneyText.h"
#include "rules/StockQuantity.h"
#include "rules/stock/StockValuation.h"

#include "../common/BenchClock.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sqlite3.h>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

struct Run {
    double ms = 0;
    double cpuMs = 0;   // the process's own user and system time
    double peakMb = 0;
    bool ok = false;
};

// Drops the copy's pages (and its journal's) from the system's cache.
void evict(const QString &path)
{
    for (const QString &file : {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

Run runTool(const QStringList &arguments)
{
    QProcess process;
    struct rusage before {};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const auto start = Clock::now();
    process.start(QStringLiteral(TARVO_PEAK_OF), QStringList{QStringLiteral(TARVO_ESPORTA)} + arguments);
    Run run;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "bench-stockvalue: tarvo-esporta %s failed: %s\n", qPrintable(arguments.join(' ')),
                     process.readAllStandardError().constData());
        return run;
    }
    run.ms = millis(Clock::now() - start);
    // bench-peak-of and the tool it waited for: the launcher's own share is
    // a fork and a wait.
    struct rusage after {};
    ::getrusage(RUSAGE_CHILDREN, &after);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    run.cpuMs = ms(after.ru_utime) - ms(before.ru_utime) + ms(after.ru_stime) - ms(before.ru_stime);
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    run.peakMb = lines.last().startsWith("peak-kb ") ? lines.last().mid(8).toDouble() / 1024 : -1;
    run.ok = true;
    return run;
}

double minOf(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

bool measure(const char *what, const QString &shop, const QStringList &arguments, int runs, double limitMs,
             double limitMb)
{
    std::vector<double> cold, hot, peak, cpu;
    for (int r = 0; r < runs; ++r) {
        evict(shop);
        const Run first = runTool(arguments);
        const Run again = runTool(arguments);
        if (!first.ok || !again.ok)
            return false;
        cold.push_back(first.ms);
        hot.push_back(again.ms);
        peak.push_back(std::max(first.peakMb, again.peakMb));
        cpu.push_back(again.cpuMs);
    }
    const double maxPeak = *std::max_element(peak.begin(), peak.end());
    const bool pass = median(hot) < limitMs && median(cold) < limitMs && (limitMb <= 0 || maxPeak < limitMb);
    std::printf("%-16s hot %7.0f / %7.0f ms (cpu %7.0f) | cold %7.0f / %7.0f ms | peak %6.1f MB | under %.0f ms%s: %s\n",
                what, minOf(hot), median(hot), median(cpu), minOf(cold), median(cold), maxPeak, limitMs,
                limitMb > 0 ? qPrintable(QStringLiteral(", %1 MB").arg(limitMb)) : "", pass ? "PASS" : "FAIL");
    return pass;
}

sqlite3_stmt *prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "bench-stockvalue: %s\n", sqlite3_errmsg(db));
    return statement;
}

std::string textAt(sqlite3_stmt *row, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, column));
    return text ? std::string(text, size_t(sqlite3_column_bytes(row, column))) : std::string();
}

// The total value on `day` as a program on plain SQLite would sum it: the
// same tables read whole, the codes in a standard hash.
qint64 rawTotalCents(sqlite3 *db, const QDate &day)
{
    const std::string after = day.addDays(1).toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    struct Item {
        qint64 quantity = 0;
        double price = 0, loaded = 0, value = 0;
    };
    std::unordered_map<qint64, double> prices;
    sqlite3_stmt *s = prepare(db, "select art_Codice, art_Prezzo_Carico from Articoli");
    while (sqlite3_step(s) == SQLITE_ROW)
        prices.emplace(sqlite3_column_int64(s, 0), sqlite3_column_double(s, 1));
    sqlite3_finalize(s);
    std::unordered_map<std::string, Item> items;
    items.reserve(1 << 20);
    s = prepare(db, "select lower(ca_Codice), ca_Quantita, ca_Codice_Articolo from \"Codice Articolo\"");
    while (sqlite3_step(s) == SQLITE_ROW) {
        Item &item = items[textAt(s, 0)];
        item.quantity = sqlite3_column_int64(s, 1);
        const auto price = prices.find(sqlite3_column_int64(s, 2));
        item.price = price == prices.end() ? 0 : price->second;
    }
    sqlite3_finalize(s);
    s = prepare(db, "select lower(ca_Codice_Articolo), ca_Quantita, ca_Prezzo, ca_Data from carico");
    while (sqlite3_step(s) == SQLITE_ROW) {
        const auto item = items.find(textAt(s, 0));
        if (item == items.end())
            continue;
        const double quantity = sqlite3_column_double(s, 1), price = sqlite3_column_double(s, 2);
        if (textAt(s, 3) >= after) {
            item->second.quantity -= StockQuantity::whole(quantity);
        } else {
            item->second.loaded += quantity;
            item->second.value += quantity * (price > 0 ? price : item->second.price);
        }
    }
    sqlite3_finalize(s);
    for (const char *sql : {"select lower(sc_Codice_Articolo), -sc_Quantita, sc_Data from scarico",
                            "select lower(re_Codice_Articolo), re_Quantita, re_Data from Rettifiche"}) {
        s = prepare(db, sql);
        while (sqlite3_step(s) == SQLITE_ROW) {
            if (textAt(s, 2) < after)
                continue;
            const auto item = items.find(textAt(s, 0));
            if (item != items.end())
                item->second.quantity -= StockQuantity::whole(sqlite3_column_double(s, 1));
        }
        sqlite3_finalize(s);
    }
    qint64 total = 0;
    for (const auto &[code, item] : items)
        total += item.quantity * MoneyText::cents(item.loaded > 0 ? item.value / item.loaded : item.price);
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-stockvalue <shop.mdb> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir folder;
    const QString shop = folder.filePath(QStringLiteral("tarvo.mdb"));
    // A copy sharing the original's blocks where the file system can.
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("--reflink=auto"), QString::fromLocal8Bit(argv[1]), shop}) != 0) {
        std::fprintf(stderr, "bench-stockvalue: cannot copy %s\n", argv[1]);
        return 1;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(shop).constData(), &db) != SQLITE_OK)
        return 1;
    sqlite3_exec(db, "update \"Codice Articolo\" set ca_Scorta_Minima = 20 where rowid % 100 = 0", nullptr, nullptr, nullptr);
    QDate first, last;
    {
        sqlite3_stmt *s = prepare(db, "select min(sc_Data), max(sc_Data) from scarico");
        if (sqlite3_step(s) == SQLITE_ROW) {
            first = QDate::fromString(QString::fromStdString(textAt(s, 0)).left(10), Qt::ISODate);
            last = QDate::fromString(QString::fromStdString(textAt(s, 1)).left(10), Qt::ISODate);
        }
        sqlite3_finalize(s);
    }
    if (!first.isValid() || !last.isValid()) {
        std::fprintf(stderr, "bench-stockvalue: the shop has no sales\n");
        return 1;
    }
    const QDate past(first.year() + (last.year() - first.year()) / 2, 12, 31);
    const QDate recent = last.addDays(-30);
    std::printf("bench-stockvalue: %s, sales %s to %s; past day %s, recent day %s; %d runs\n", argv[1],
                qPrintable(first.toString(Qt::ISODate)), qPrintable(last.toString(Qt::ISODate)),
                qPrintable(past.toString(Qt::ISODate)), qPrintable(recent.toString(Qt::ISODate)), runs);

    const QString csv = folder.filePath(QStringLiteral("lista.csv"));
    const QStringList where{QStringLiteral("--database"), shop, QStringLiteral("--file"), csv};
    bool pass = true;
    pass &= measure("value, past", shop,
                    QStringList{QStringLiteral("csv"), QStringLiteral("valore"), QStringLiteral("--al"),
                                past.toString(QStringLiteral("dd/MM/yyyy"))} + where, runs, 2000, 200);
    pass &= measure("value, recent", shop,
                    QStringList{QStringLiteral("csv"), QStringLiteral("valore"), QStringLiteral("--al"),
                                recent.toString(QStringLiteral("dd/MM/yyyy"))} + where, runs, 2000, 200);
    pass &= measure("reorder", shop, QStringList{QStringLiteral("csv"), QStringLiteral("sottoscorta")} + where, runs,
                    1000, 0);

    // The core alone against raw SQLite, warm, on the past day.
    auto database = db::Database::open(shop);
    const auto ours = StockValuation::read(*database, past);
    const qint64 raw = rawTotalCents(db, past);
    std::vector<double> oursMs, rawMs;
    for (int r = 0; r < runs; ++r) {
        auto start = Clock::now();
        StockValuation::read(*database, past);
        oursMs.push_back(millis(Clock::now() - start));
        start = Clock::now();
        rawTotalCents(db, past);
        rawMs.push_back(millis(Clock::now() - start));
    }
    std::printf("%-16s ours %7.0f / %7.0f ms | raw %7.0f / %7.0f ms | x%.1f | %lld lines, total %s (raw %s)%s\n",
                "value alone", minOf(oursMs), median(oursMs), minOf(rawMs), median(rawMs),
                median(rawMs) > 0 ? median(oursMs) / median(rawMs) : 0.0, ours->lineCount(),
                qPrintable(MoneyText::format(double(ours->totalCents()) / 100, QLocale::c())),
                qPrintable(MoneyText::format(double(raw) / 100, QLocale::c())),
                ours->totalCents() == raw ? "" : "  TOTALS DIFFER");
    sqlite3_close(db);
    return pass && ours->totalCents() == raw ? 0 : 1;
}
