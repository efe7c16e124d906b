// The program's work on the PostgreSQL server beside raw libpq doing the
// same work in the same run, on the server copy of the large shop:
//   scan     the counter's lookup of a bar code: the stock item, then its
//            article (StockItemLookup, as the unload window does on a scan);
//            raw: the two selects, prepared once;
//   sale     StockMovement::recordSale, committed; raw: BEGIN, the stock
//            UPDATE, the INSERT ... RETURNING, COMMIT. Both sides wait once
//            for the server's WAL flush at the commit: the raw side's COMMIT
//            is timed apart, and the sale is measured once more with the
//            copy's commits not waiting for the flush (synchronous_commit
//            off, on new connections of both sides), where the work alone
//            is judged;
//   report   the day's sales laid out in pages (listascarichi.rpt through
//            ReportEngine on a DbReportSource); raw: the same join for the
//            day, every cell read;
//   print    a long period of sales (about 750,000) laid out in pages, each
//            in a process of its own so that its peak memory is its own:
//            on the file, on the server, and raw libpq reading the same
//            rows one at a time.
// Hot key: the same key every time; cold keys: keys not touched before in
// the run. Both sides are warmed alike (three times on the hot key), and
// the samples alternate between the sides. Figures are the medians of each
// round (min / median of those). Verdicts: scan and sale within 2x raw
// libpq, hot and cold; the day's report under 50 ms hot; the print's peak
// memory on the server under twice the file's.
//
//   QT_QPA_PLATFORM=offscreen bench-server <shop.mdb> <folder with tarvo.ini> [samples]
#include "RawServer.h"
#include "ServerProbe.h"

#include "db/Database.h"
#include "report/DbReportSource.h"
#include "report/ReportEngine.h"
#include "report/ReportProgress.h"
#include "rules/StockItemLookup.h"
#include "rules/ShopDatabase.h"
#include "rules/StockMovement.h"

#include "../common/BenchJudge.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <sys/resource.h>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

const char *itemSql = "SELECT \"ca_Codice\", \"ca_Codice_Articolo\", \"ca_Taglia\", \"ca_Colore\", \"ca_Quantita\" "
                      "FROM \"Codice Articolo\" WHERE tarvo_key(\"ca_Codice\") = tarvo_key($1)";
const char *articleSql = "SELECT * FROM \"Articoli\" WHERE \"art_Codice\" = $1";
const char *stockSql = "UPDATE \"Codice Articolo\" SET \"ca_Quantita\" = coalesce(\"ca_Quantita\", 0) - $2 "
                       "WHERE tarvo_key(\"ca_Codice\") = tarvo_key($1)";
const char *saleSql = "INSERT INTO scarico (\"sc_Data\", \"sc_Codice_Articolo\", \"sc_Quantita\", \"sc_Prezzo\", "
                      "\"sc_Sconto\", \"sc_Saldo\", \"sc_Pagamento\", \"sc_Usato\") "
                      "VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING \"sc_Codice\"";
// What listascarichi.rpt prints: each sale with its item and article.
const char *salesSql = "SELECT s.*, c.*, a.* FROM scarico s "
                       "JOIN \"Codice Articolo\" c ON tarvo_key(c.\"ca_Codice\") = tarvo_key(s.\"sc_Codice_Articolo\") "
                       "JOIN \"Articoli\" a ON a.\"art_Codice\" = c.\"ca_Codice_Articolo\" "
                       "WHERE s.\"sc_Data\" >= $1 AND s.\"sc_Data\" < $2 ORDER BY s.\"sc_Data\", s.\"sc_Codice\"";

// The print's period: about 750,000 sales of the large shop.
const QDate printFrom(2024, 1, 1), printTo(2025, 3, 10);

double peakMegabytes()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

QString salesFormula(const QDate &from, const QDate &to)
{
    return QStringLiteral("{scarico.sc_Data} >= date(%1) and {scarico.sc_Data} <= date(%2)")
        .arg(from.toString(QStringLiteral("yyyy,MM,dd")), to.toString(QStringLiteral("yyyy,MM,dd")));
}

// The sales of the period laid out by the program: the rows read.
qint64 printSales(const QString &shop, const QDate &from, const QDate &to, int *pages = nullptr)
{
    report::ReportRequest request;
    request.templatePath = QStringLiteral(TARVO_REPORTS_DIR "/listascarichi.rpt");
    request.selection = salesFormula(from, to);
    request.today = QDate(2026, 12, 8);
    report::DbReportSource source(shop);
    report::ReportProgress progress;
    const int laidOut = int(report::ReportEngine::run(request, source, &progress).size());
    if (pages)
        *pages = laidOut;
    return progress.rows();
}

std::vector<QByteArray> period(const QDate &from, const QDate &to)
{
    return {from.toString(Qt::ISODate).toUtf8(), to.addDays(1).toString(Qt::ISODate).toUtf8()};
}

// The child process of the print: "file", "server" or "raw", and the shop
// (the file, or the folder of the server's tarvo.ini and its database).
int printChild(const QString &side, const QString &shop, const QString &dbname)
{
    const auto start = Clock::now();
    qint64 rows = -1;
    if (side == QLatin1String("raw")) {
        bench::RawServer raw(shop, dbname);
        if (raw.ok() && raw.prepare("sales", salesSql))
            rows = raw.stream("sales", period(printFrom, printTo));
    } else {
        try {
            rows = printSales(shop, printFrom, printTo);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "print: %s\n", e.what());
        }
    }
    std::printf("%lld %.1f %.2f\n", static_cast<long long>(rows), peakMegabytes(), millis(Clock::now() - start) / 1000);
    return rows < 0 ? 1 : 0;
}

struct PrintFigure {
    qint64 rows = -1;
    double peakMb = 0, seconds = 0;
};

PrintFigure runPrint(const QString &side, const QString &shop, const QString &dbname)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--print"), side, shop, dbname});
    child.waitForFinished(-1);
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    PrintFigure figure;
    if (parts.size() == 3) {
        figure.rows = parts[0].toLongLong();
        figure.peakMb = parts[1].toDouble();
        figure.seconds = parts[2].toDouble();
    }
    return figure;
}

// "what  min / median | raw min / median | x ratio | within Nx raw: PASS",
// the BenchJudge line with the ratio as the limit.
bool judgeRatio(const char *what, const bench::Rounds &r, double maxRatio)
{
    const double ours = median(r.ours), raw = median(r.raw);
    const bool pass = raw > 0 && ours <= maxRatio * raw;
    std::printf("%-42s %8.3f / %8.3f ms | raw %8.3f / %8.3f ms | x%6.2f | within %.0fx raw: %s\n", what,
                *std::min_element(r.ours.begin(), r.ours.end()), ours,
                *std::min_element(r.raw.begin(), r.raw.end()), raw, raw > 0 ? ours / raw : 0.0, maxRatio,
                pass ? "PASS" : "FAIL");
    return pass;
}

struct Sampled {
    bench::Rounds wall;
    bench::Rounds statements;   // per action, from pg_stat_statements
    std::vector<double> rawCommit;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    if (argc == 5 && qstrcmp(argv[1], "--print") == 0)
        return printChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                          QString::fromLocal8Bit(argv[4]));
    if (argc == 5 && qstrcmp(argv[1], "--scan") == 0) {
        // The scan alone, over and over on one key, for a profiler.
        ShopDatabase::setLocation(QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("tarvo.mdb")));
        const auto start = Clock::now();
        for (int i = 0; i < std::atoi(argv[4]); ++i) {
            StockItemInfo info = StockItemLookup::item(QString::fromLocal8Bit(argv[3]));
            StockItemLookup::article(info);
        }
        std::printf("%.3f ms per scan\n", millis(Clock::now() - start) / std::max(1, std::atoi(argv[4])));
        return 0;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench-server <shop.mdb> <folder with tarvo.ini> [samples]\n");
        return 2;
    }
    const int samples = argc > 3 ? std::max(6, std::atoi(argv[3])) : 30;
    const int rounds = 3, perRound = samples / rounds;
    const QString iniFolder = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir fileFolder, serverFolder;
    const QString file = fileFolder.filePath(QStringLiteral("tarvo.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), file)) {
        std::fprintf(stderr, "bench-server: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    QString copyName;
    const QString copyError = bench::makeServerCopy(iniFolder, serverFolder.path(), &copyName);
    if (!copyError.isEmpty()) {
        std::fprintf(stderr, "bench-server: %s\n", qPrintable(copyError));
        return 1;
    }
    const QString shop = serverFolder.filePath(QStringLiteral("tarvo.mdb"));
    ShopDatabase::setLocation(shop);
    bench::ServerProbe probe(serverFolder.path(), copyName);
    const auto connectRaw = [&] {
        auto side = std::make_unique<bench::RawServer>(serverFolder.path(), copyName);
        if (!side->ok() || !side->prepare("item", itemSql) || !side->prepare("article", articleSql)
            || !side->prepare("stock", stockSql) || !side->prepare("sale", saleSql)
            || !side->prepare("sales", salesSql)) {
            std::fprintf(stderr, "bench-server: raw libpq: %s\n", qPrintable(side->error()));
            std::exit(1);
        }
        return side;
    };
    std::unique_ptr<bench::RawServer> rawSide = connectRaw();
    bench::RawServer &keys = *rawSide;
    if (!probe.ok()) {
        std::fprintf(stderr, "bench-server: %s\n", qPrintable(probe.error()));
        return 1;
    }

    // Keys: bar codes spread over the items, never used twice; days of sales.
    std::mt19937_64 random(7);
    QStringList barcodes;
    keys.prepare("byrow", "SELECT \"ca_Codice\" FROM \"Codice Articolo\" WHERE rowid >= $1 ORDER BY rowid LIMIT 1");
    // Cold keys twice over: each side's own, never just read by the other.
    while (barcodes.size() < 6 * (samples + 1)) {
        std::vector<QByteArray> first;
        keys.run("byrow", {QByteArray::number(std::uniform_int_distribution<int>(1, 1000000)(random))}, &first);
        if (!first.empty() && !barcodes.contains(QString::fromUtf8(first[0])))
            barcodes << QString::fromUtf8(first[0]);
    }
    QStringList days;
    while (days.size() < 2 * samples + 1) {
        const QString day = QDate(2019, 1, 1).addDays(std::uniform_int_distribution<int>(0, 2400)(random)).toString(Qt::ISODate);
        if (!days.contains(day))
            days << day;
    }

    struct Action {
        const char *what;
        std::function<QString(const QString &)> ours, raw;
        QString hot;
        QStringList cold, rawCold;
        bool withoutFlush = false;   // the copy's commits skip the WAL flush, on both sides
    };
    Sampled saleCommit;
    const auto ourScan = [](const QString &code) {
        StockItemInfo info = StockItemLookup::item(code);
        StockItemLookup::article(info);
        return info.articolo + QLatin1Char('|') + info.descrizione;
    };
    const auto rawScan = [&](const QString &code) {
        std::vector<QByteArray> item, article;
        if (rawSide->run("item", {code.toUtf8()}, &item) < 1)
            return QStringLiteral("|");
        rawSide->run("article", {item[1]}, &article);
        return QString::fromUtf8(item[1]) + QLatin1Char('|') + (article.size() > 1 ? QString::fromUtf8(article[1]) : QString());
    };
    const auto ourSale = [](const QString &code) {
        SaleRow row;
        row.data = QStringLiteral("08/12/2026");
        row.codice = code;
        row.quantita = 1;
        row.prezzo = row.saldo = 20;
        row.pagamento = QStringLiteral("CO");
        return StockMovement::recordSale(row) == StockMovement::Result::Done ? QStringLiteral("done")
                                                                            : QStringLiteral("not found");
    };
    const auto rawSale = [&](const QString &code) {
        bool done = rawSide->exec("BEGIN") && rawSide->run("stock", {code.toUtf8(), "1"}) >= 0
                    && rawSide->run("sale", {"2026-12-08", code.toUtf8(), "1", "20", "0", "20", "CO", "0"}) == 1;
        const auto commit = Clock::now();
        done = rawSide->exec("COMMIT") && done;
        saleCommit.rawCommit.push_back(millis(Clock::now() - commit));
        return done ? QStringLiteral("done") : QStringLiteral("failed");
    };
    const auto ourDay = [&](const QString &day) {
        const QDate date = QDate::fromString(day, Qt::ISODate);
        return QString::number(printSales(shop, date, date));
    };
    const auto rawDay = [&](const QString &day) {
        const QDate date = QDate::fromString(day, Qt::ISODate);
        return QString::number(rawSide->run("sales", period(date, date)));
    };
    const std::vector<Action> actions = {
        {"scan", ourScan, rawScan, barcodes.first(), barcodes.mid(1, samples), barcodes.mid(2 * (samples + 1), samples)},
        {"sale", ourSale, rawSale, barcodes.at(samples + 1), barcodes.mid(samples + 2, samples),
         barcodes.mid(3 * (samples + 1), samples)},
        {"report: the day's sales", ourDay, rawDay, QStringLiteral("2025-03-14"), days.mid(1, samples),
         days.mid(samples + 1, samples)},
        // Last: it changes the copy's settings.
        {"sale without the WAL flush", ourSale, rawSale, barcodes.at(4 * (samples + 1)),
         barcodes.mid(4 * (samples + 1) + 1, samples), barcodes.mid(5 * (samples + 1), samples), true},
    };

    std::printf("bench-server: the server copy %s of the large shop, %d samples per figure in %d rounds\n",
                qPrintable(copyName), samples, rounds);
    std::printf("ours = the program's own code; raw = libpq alone, the same work, statements written by hand and\n"
                "prepared once; stmts = statements the server ran per action (pg_stat_statements, median).\n\n");
    int failures = 0, mismatches = 0;
    for (const Action &a : actions) {
        if (a.withoutFlush) {
            // The work of a sale without the flush both sides wait for at
            // their commit: new connections on both sides, the copy's
            // commits no longer waiting for the disk.
            probe.exec(QStringLiteral("ALTER DATABASE \"%1\" SET synchronous_commit = off").arg(copyName));
            db::Database::closeAll();
            rawSide = connectRaw();
        }
        for (int i = 0; i < 3; ++i) {
            a.ours(a.hot);
            a.raw(a.hot);
        }
        for (int cold = 0; cold < 2; ++cold) {
            Sampled s;
            saleCommit.rawCommit.clear();
            std::vector<double> oursStatements, rawStatements;
            for (int r = 0; r < rounds; ++r) {
                std::vector<double> ours, rawWall;
                for (int i = 0; i < perRound; ++i) {
                    const QString key = cold ? a.cold.at(r * perRound + i) : a.hot;
                    const QString rawKey = cold ? a.rawCold.at(r * perRound + i) : a.hot;
                    QString got[2];
                    for (int side = 0; side < 2; ++side) {
                        const bench::ServerWork before = probe.total();
                        const auto start = Clock::now();
                        try {
                            got[side] = side ? a.raw(rawKey) : a.ours(key);
                        } catch (const std::exception &e) {
                            got[side] = QStringLiteral("error: ") + QString::fromUtf8(e.what());
                        }
                        (side ? rawWall : ours).push_back(millis(Clock::now() - start));
                        (side ? rawStatements : oursStatements).push_back(double((probe.total() - before).statements));
                    }
                    // Cold keys differ between the sides, and so do their
                    // results: those are only checked for a failure.
                    const auto failed = [](const QString &result) {
                        return result.startsWith(QLatin1String("error")) || result == QLatin1String("failed")
                               || result == QLatin1String("not found") || result == QLatin1String("|");
                    };
                    if ((cold ? failed(got[0]) || failed(got[1]) : got[0] != got[1]) && ++mismatches <= 5)
                        std::fprintf(stderr, "bench-server: %s \"%s\": ours \"%s\", raw \"%s\"\n", a.what, qPrintable(key),
                                     qPrintable(got[0].left(200)), qPrintable(got[1].left(200)));
                }
                s.wall.add(ours, rawWall);
            }
            const QByteArray what = QByteArray(a.what) + (cold ? " cold" : " hot");
            const bool sale = QByteArray(a.what).startsWith("sale");
            const bool report = QByteArray(a.what).startsWith("report");
            std::printf("%s: statements per action, ours %.0f, raw %.0f\n", what.constData(), median(oursStatements),
                        median(rawStatements));
            if (report) {
                failures += bench::judge(what.constData(), s.wall, cold ? 0 : 50) ? 0 : 1;
            } else if (sale) {
                failures += judgeRatio(what.constData(), s.wall, 2) ? 0 : 1;
                // Each side waits once for the server's WAL flush at its
                // commit: the raw side's COMMIT shows what that costs.
                std::printf("%-42s %8.3f ms (raw COMMIT, median)\n", "  of which the commit", median(saleCommit.rawCommit));
            } else {
                failures += judgeRatio(what.constData(), s.wall, 2) ? 0 : 1;
            }
            std::fflush(stdout);
        }
    }

    // The long print, each side in a process of its own.
    std::printf("\nprint of the sales from %s to %s (each side in a process of its own):\n",
                qPrintable(printFrom.toString(Qt::ISODate)), qPrintable(printTo.toString(Qt::ISODate)));
    db::Database::closeAll();
    const PrintFigure onFile = runPrint(QStringLiteral("file"), file, QString());
    const PrintFigure onServer = runPrint(QStringLiteral("server"), shop, QString());
    const PrintFigure rawRead = runPrint(QStringLiteral("raw"), serverFolder.path(), copyName);
    for (const auto &[name, f] : {std::pair{"file", onFile}, std::pair{"server", onServer}, std::pair{"raw libpq, rows only", rawRead}})
        std::printf("  %-22s %9lld rows  %7.2f s  peak %7.1f MB\n", name, static_cast<long long>(f.rows), f.seconds, f.peakMb);
    const bool sameRows = onFile.rows > 0 && onFile.rows == onServer.rows && onServer.rows == rawRead.rows;
    const bool boundedMemory = sameRows && onServer.peakMb < 2 * onFile.peakMb;
    std::printf("%-42s server %.1f MB, file %.1f MB | under twice the file's: %s\n", "print: peak memory", onServer.peakMb,
                onFile.peakMb, boundedMemory ? "PASS" : "FAIL");
    if (!sameRows)
        ++mismatches;
    failures += boundedMemory ? 0 : 1;

    std::printf("\nchecks: %s\n", mismatches ? "the sides DIFFER (see above)" : "both sides gave the same results");
    ShopDatabase::setLocation(file);
    db::Database::closeAll();
    bench::dropServerCopy(iniFolder, copyName);
    const bool pass = failures == 0 && mismatches == 0;
    std::printf("%s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
