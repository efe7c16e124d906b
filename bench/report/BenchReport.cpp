// bench-report <shop.mdb> [runs] [template]: the three prints (or the one of
// the template named) of the stock windows on the
// large shop database, each against raw SQLite on the same rows.
//
//   ours, to PDF  the report control as the windows drive it (template, query,
//                 selection in the database, layout, PDF written)
//   ours, engine  the same without the PDF, on a connection opened once as the
//                 raw side's: template read, formula parsed and turned into the
//                 WHERE, rows read and laid out into pages
//   raw           one prepared SQLite statement with the same join, WHERE and
//                 order, every cell of every row formatted to text
//
// The PDF is written twice: into a folder in memory (/dev/shm), where the
// file's flush to disk costs nothing, and into a folder on disk. The ratio is
// judged on the first, since raw writes no file; the difference is the
// durable write (data written out and synced) and is printed apart, and the
// time limits are judged on the disk figures, which are what a user waits.
//
// Both sides run once on the hot key before timing (page cache and prepared
// statements warm alike); the hot key is then timed `runs` times, and the cold
// keys are a different article, month or day on every run (the same sequence
// for both sides), their pages first read into the system's cache by a
// connection of their own, so that no side pays the disk for another. Peak
// memory is the high-water mark (ru_maxrss) of one tarvo-stampa process per
// report, started by bench-peak-of so that the figure is its own. A card
// costs a fraction of a millisecond: its ratios are timed over 50 cards a
// sample, so that they are not noise.
#include "report/DbReportSource.h"
#include "report/ReportControl.h"
#include "report/ReportEngine.h"
#include "report/ValueFormatter.h"
#include "db/Database.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"

#include <QDate>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

using namespace report;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double min = 0, median = 0;
    Sample per(int count) const { return {min / count, median / count}; }
};

Sample timeRuns(int runs, const std::function<void(int)> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work(i);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

struct Case {
    const char *name;
    const char *templateName;
    const char *title;
    double limitMs;
    std::function<QString(int key)> formula;        // key -1 = hot
    std::function<std::vector<QString>(int key)> rawParameters;
    const char *rawSql;
    // Prints in one timed sample of the ratios (in memory, engine, raw): a
    // card costs a fraction of a millisecond, where one print's figure would
    // be noise; the per-print figure is the sample over the batch.
    int batch = 1;
};

// Raw side: the statement stepped to its end, each cell formatted as text.
qint64 rawRun(sqlite3 *handle, const char *sql, const std::vector<QString> &parameters)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "raw: %s\n", sqlite3_errmsg(handle));
        std::exit(1);
    }
    for (size_t i = 0; i < parameters.size(); ++i) {
        const QByteArray utf8 = parameters[i].toUtf8();
        sqlite3_bind_text(st, int(i) + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    qint64 rows = 0, chars = 0;
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < columns; ++c) {
            QString text;
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: text = ValueFormatter::format(qlonglong(sqlite3_column_int64(st, c))); break;
            case SQLITE_FLOAT: text = ValueFormatter::format(sqlite3_column_double(st, c), QStringLiteral("money")); break;
            case SQLITE_TEXT: {
                text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)), sqlite3_column_bytes(st, c));
                if (text.size() >= 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-'))
                    text = text.mid(8, 2) + QLatin1Char('/') + text.mid(5, 2) + QLatin1Char('/') + text.left(4);
                break;
            }
            default: break;
            }
            chars += text.size();
        }
    }
    sqlite3_finalize(st);
    return rows + (chars < 0 ? 1 : 0);
}

// The peak resident memory of one tarvo-stampa run, in kB (-1 when it
// failed): read by bench-peak-of, which starts it from a small process (a
// child of this one would carry this process's own peak; see PeakOf.cpp).
long peakKilobytes(const QString &templatePath, const QString &formula, const QString &database, const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral(TARVO_PEAK_OF),
                  {QStringLiteral(TARVO_STAMPA), templatePath, QStringLiteral("--formula"), formula, QStringLiteral("--pdf"),
                   pdf, QStringLiteral("--database"), database});
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return -1;
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    return lines.last().startsWith("peak-kb ") ? lines.last().mid(8).toLong() : -1;
}

QString day(const QDate &d) { return d.toString(QStringLiteral("yyyy,MM,dd")); }

// The raw side's half-open range of stored dates.
std::vector<QString> isoRange(const QDate &from, const QDate &until)
{
    return {from.toString(Qt::ISODate), until.toString(Qt::ISODate)};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench-report <shop.mdb> [ripetizioni] [modello]\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(3, std::atoi(argv[2])) : 7;
    const QString reports = QStringLiteral(TARVO_REPORTS_DIR);
    QTemporaryDir out;
    QTemporaryDir inMemory(QStringLiteral("/dev/shm/bench-report-XXXXXX"));
    if (!out.isValid() || !inMemory.isValid()) {
        std::fprintf(stderr, "impossibile creare le cartelle di lavoro (/tmp, /dev/shm)\n");
        return 2;
    }

    sqlite3 *raw = nullptr;
    if (sqlite3_open_v2(database.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "impossibile aprire %s\n", argv[1]);
        return 2;
    }
    db::registerTextFunctions(raw);
    db::Connection::applyReadSettings(raw);   // the engine's page cache

    // Key -1 is the hot key; cold keys spread over the years of the file.
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(raw, "select max(art_Codice) from Articoli", -1, &count, nullptr);
    sqlite3_step(count);
    const int articles = std::max(1, sqlite3_column_int(count, 0));
    sqlite3_finalize(count);
    auto article = [=](int k) { return k < 0 ? 1 + 12344 % articles : 1 + (k * 7919 + 31) % articles; };
    auto firstOfMonth = [](int k) { return k < 0 ? QDate(2025, 3, 1) : QDate(2019, 1, 1).addMonths(k * 5 % 84); };
    auto saleDay = [](int k) { return k < 0 ? QDate(2025, 3, 14) : QDate(2019, 1, 1).addDays(k * 97 % 2500); };
    std::vector<Case> cases = {
        {"scheda articolo, un articolo", "articoli.rpt", "Lista Articoli", 300,
         [=](int k) { return QStringLiteral("{articoli.art_Codice} = %1").arg(article(k)); },
         [=](int k) { return std::vector<QString>{QString::number(article(k))}; },
         "SELECT a.*, c.* FROM Articoli a LEFT JOIN \"Codice Articolo\" c ON c.ca_Codice_Articolo = a.art_Codice "
         "WHERE a.art_Codice = CAST(?1 AS INTEGER) ORDER BY a.art_Codice, c.ca_Codice", 50},
        {"carichi di un mese", "listacarichi.rpt", "Corvel - Lista dei Carichi", 1000,
         [=](int k) {
             return QStringLiteral("{carico.ca_Data} >= date(%1) and {carico.ca_data} <= date(%2)")
                 .arg(day(firstOfMonth(k)), day(firstOfMonth(k).addMonths(1).addDays(-1)));
         },
         [=](int k) { return isoRange(firstOfMonth(k), firstOfMonth(k).addMonths(1)); },
         "SELECT carico.*, c.*, a.* FROM carico JOIN \"Codice Articolo\" c ON c.ca_Codice = carico.ca_Codice_Articolo "
         "JOIN Articoli a ON a.art_Codice = c.ca_Codice_Articolo WHERE carico.ca_Data >= ?1 AND carico.ca_Data < ?2 "
         "ORDER BY carico.ca_Data, carico.ca_Codice"},
        {"vendite di un giorno", "listascarichi.rpt", "Brellan - Lista degli scarichi", 300,
         [=](int k) {
             return QStringLiteral("{scarico.sc_Data} >= date(%1) and {scarico.sc_data} <= date(%1)").arg(day(saleDay(k)));
         },
         [=](int k) { return isoRange(saleDay(k), saleDay(k).addDays(1)); },
         "SELECT scarico.*, c.*, a.* FROM scarico JOIN \"Codice Articolo\" c ON c.ca_Codice = scarico.sc_Codice_Articolo "
         "JOIN Articoli a ON a.art_Codice = c.ca_Codice_Articolo WHERE scarico.sc_Data >= ?1 AND scarico.sc_Data < ?2 "
         "ORDER BY scarico.sc_Data, scarico.sc_Codice"},
    };

    ReportControl control;
    control.setFeedback(false);
    control.setDatabasePath(database);
    control.set(prop::Destination, int(Destination::File));
    int failures = 0;
    auto verdict = [&](bool ok) {
        failures += ok ? 0 : 1;
        return ok ? "PASS" : "FAIL";
    };

    std::printf("bench-report on %s, %d runs per figure, times in ms (min / median)\n", argv[1], runs);
    std::printf("  ours to PDF = report control: template, query with the selection as WHERE, layout, PDF written\n"
                "                in memory (/dev/shm); on disk it also waits for the file's sync, printed apart\n"
                "  ours engine = the same without the PDF, connection kept open as raw's (template, formula, WHERE, read, lay out)\n"
                "  raw         = one prepared SQLite select, same join/WHERE/order, each cell formatted to text\n");
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    for (const Case &c : cases) {
        if (!only.isEmpty() && !QString::fromUtf8(c.templateName).startsWith(only))
            continue;
        const QString templatePath = reports + QLatin1Char('/') + QLatin1String(c.templateName);
        const QString onDisk = out.filePath(QStringLiteral("bench.pdf"));
        const QString inRam = inMemory.filePath(QStringLiteral("bench.pdf"));
        QString pdf = onDisk;
        std::function<void(int)> printPdf = [&](int key) {
            for (int i = 0; i < kFormulaSlots; ++i)
                control.set(prop::Formulas, i, QString());
            control.set(prop::ReportFileName, templatePath);
            control.set(prop::ReportSource, 2);
            control.set(prop::WindowLeft, 0);
            control.set(prop::WindowTop, 0);
            control.set(prop::WindowTitle, QString::fromUtf8(c.title));
            control.set(prop::PrintFileName, pdf);
            control.set(prop::SelectionFormula, c.formula(key));
            control.set(prop::Action, 1);
        };
        // Its connection opened once, as the raw side's.
        DbReportSource source(database);
        std::function<void(int)> engineOnly = [&](int key) {
            ReportRequest request;
            request.templatePath = templatePath;
            request.title = QString::fromUtf8(c.title);
            request.selection = c.formula(key);
            request.today = QDate(2026, 12, 9);
            ReportEngine::run(request, source);
        };
        std::function<void(int)> rawOnce = [&](int key) { rawRun(raw, c.rawSql, c.rawParameters(key)); };

        pdf = inRam;
        printPdf(-1);
        pdf = onDisk;
        printPdf(-1);
        engineOnly(-1);
        const qint64 rows = rawRun(raw, c.rawSql, c.rawParameters(-1));
        const int pages = control.lastPageCount();
        const int held = control.lastPeakRowsHeld();

        // Hot: the hot key `batch` times a sample; cold: `batch` other keys
        // each sample, the same sequence for every side.
        const int batch = c.batch;
        const auto hotBatch = [&](const std::function<void(int)> &one) {
            return timeRuns(runs, [&](int) {
                for (int j = 0; j < batch; ++j)
                    one(-1);
            }).per(batch);
        };
        const auto coldBatch = [&](const std::function<void(int)> &one) {
            return timeRuns(runs, [&](int i) {
                for (int j = 0; j < batch; ++j)
                    one(i * batch + j + 1);
            }).per(batch);
        };
        const Sample diskHot = timeRuns(runs, [&](int) { printPdf(-1); });
        pdf = inRam;
        const Sample pdfHot = hotBatch(printPdf);
        const Sample engHot = hotBatch(engineOnly);
        const Sample rawHot = hotBatch(rawOnce);
        // The cold keys' pages read once into the system's cache by a
        // connection of their own, closed again: whichever side runs first
        // does not pay the disk for the others, and no side's own cache
        // holds them.
        {
            sqlite3 *warmer = nullptr;
            sqlite3_open_v2(database.toUtf8().constData(), &warmer, SQLITE_OPEN_READONLY, nullptr);
            db::registerTextFunctions(warmer);
            for (int i = 0; i < runs * batch; ++i)
                rawRun(warmer, c.rawSql, c.rawParameters(i + 1));
            sqlite3_close(warmer);
        }
        const Sample pdfCold = coldBatch(printPdf);
        pdf = onDisk;
        const Sample diskCold = timeRuns(runs, [&](int i) { printPdf(i * batch + 1); });
        const Sample engCold = coldBatch(engineOnly);
        const Sample rawCold = coldBatch(rawOnce);
        const long kb = peakKilobytes(templatePath, c.formula(-1), database, pdf);

        std::printf("\n%s (%s): %lld rows, %d pages, at most %d rows held by the layout\n", c.name, c.templateName,
                    rows, pages, held);
        if (batch > 1)
            std::printf("  (in memory, engine and raw: per print, timed over %d prints a sample; on disk: one print)\n", batch);
        auto line = [&](const char *key, const Sample &p, const Sample &d, const Sample &e, const Sample &r) {
            std::printf("  %-4s ours to PDF %7.3f / %7.3f   ours engine %7.3f / %7.3f   raw %6.3f / %6.3f\n", key,
                        p.min, p.median, e.min, e.median, r.min, r.median);
            const double engineRatio = e.median / std::max(0.01, r.median);
            const double pdfRatio = p.median / std::max(0.01, r.median);
            std::printf("       engine/raw %5.2fx (<= 3x) %s   to-PDF/raw %5.2fx (<= 3x) %s\n", engineRatio,
                        verdict(engineRatio <= 3.0), pdfRatio, verdict(pdfRatio <= 3.0));
            std::printf("       to PDF on disk %7.2f / %7.2f (<= %.0f) %s, of which the durable write %.2f\n", d.min,
                        d.median, c.limitMs, verdict(d.median <= c.limitMs), std::max(0.0, d.median - p.median));
        };
        line("hot", pdfHot, diskHot, engHot, rawHot);
        line("cold", pdfCold, diskCold, engCold, rawCold);
        std::printf("  peak memory of tarvo-stampa alone: %.1f MB (<= 200 MB) %s\n", kb / 1024.0, verdict(kb > 0 && kb <= 200 * 1024));
    }
    sqlite3_close(raw);
    struct rusage own {};
    getrusage(RUSAGE_SELF, &own);
    std::printf("\n(this bench's own peak, which the figures above do not include: %.1f MB)\n", own.ru_maxrss / 1024.0);
    std::printf("%s\n", failures ? "SOME FIGURES FAILED" : "ALL FIGURES PASSED");
    return failures ? 1 : 0;
}
