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
// memory is the high-water mark (ru_maxrss) of one tarvo-stampa child
// process per report.
#include "report/DbReportSource.h"
#include "report/ReportControl.h"
#include "report/ReportEngine.h"
#include "report/ValueFormatter.h"
#include "db/Database.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"

#include <QDate>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace report;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double min = 0, median = 0;
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

long peakKilobytes(const QString &templatePath, const QString &formula, const QString &database, const QString &pdf)
{
    const QByteArray exe = TARVO_STAMPA, t = templatePath.toLocal8Bit(), f = formula.toLocal8Bit(),
                     d = database.toLocal8Bit(), p = pdf.toLocal8Bit();
    const char *argv[] = {exe.constData(), t.constData(), "--formula", f.constData(), "--pdf", p.constData(),
                          "--database", d.constData(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.constData(), nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
        return -1;
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
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
    auto article = [](int k) { return k < 0 ? 12345 : 1 + (k * 7919 + 31) % 200000; };
    auto firstOfMonth = [](int k) { return k < 0 ? QDate(2025, 3, 1) : QDate(2019, 1, 1).addMonths(k * 5 % 84); };
    auto saleDay = [](int k) { return k < 0 ? QDate(2025, 3, 14) : QDate(2019, 1, 1).addDays(k * 97 % 2500); };
    std::vector<Case> cases = {
        {"scheda articolo, un articolo", "articoli.rpt", "Lista Articoli", 300,
         [=](int k) { return QStringLiteral("{articoli.art_Codice} = %1").arg(article(k)); },
         [=](int k) { return std::vector<QString>{QString::number(article(k))}; },
         "SELECT a.*, c.* FROM Articoli a LEFT JOIN \"Codice Articolo\" c ON c.ca_Codice_Articolo = a.art_Codice "
         "WHERE a.art_Codice = CAST(?1 AS INTEGER) ORDER BY a.art_Codice, c.ca_Codice"},
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
        auto printPdf = [&](int key) {
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
        auto engineOnly = [&](int key) {
            ReportRequest request;
            request.templatePath = templatePath;
            request.title = QString::fromUtf8(c.title);
            request.selection = c.formula(key);
            request.today = QDate(2026, 12, 9);
            return ReportEngine::run(request, source).size();
        };
        auto rawOnce = [&](int key) { return rawRun(raw, c.rawSql, c.rawParameters(key)); };

        pdf = inRam;
        printPdf(-1);
        pdf = onDisk;
        printPdf(-1);
        engineOnly(-1);
        const qint64 rows = rawOnce(-1);
        const int pages = control.lastPageCount();
        const int held = control.lastPeakRowsHeld();

        const Sample diskHot = timeRuns(runs, [&](int) { printPdf(-1); });
        pdf = inRam;
        const Sample pdfHot = timeRuns(runs, [&](int) { printPdf(-1); });
        const Sample engHot = timeRuns(runs, [&](int) { engineOnly(-1); });
        const Sample rawHot = timeRuns(runs, [&](int) { rawOnce(-1); });
        // The cold keys' pages read once into the system's cache by a
        // connection of their own, closed again: whichever side runs first
        // does not pay the disk for the others, and no side's own cache
        // holds them.
        {
            sqlite3 *warmer = nullptr;
            sqlite3_open_v2(database.toUtf8().constData(), &warmer, SQLITE_OPEN_READONLY, nullptr);
            db::registerTextFunctions(warmer);
            for (int i = 0; i < runs; ++i)
                rawRun(warmer, c.rawSql, c.rawParameters(i + 1));
            sqlite3_close(warmer);
        }
        const Sample pdfCold = timeRuns(runs, [&](int i) { printPdf(i + 1); });
        pdf = onDisk;
        const Sample diskCold = timeRuns(runs, [&](int i) { printPdf(i + 1); });
        const Sample engCold = timeRuns(runs, [&](int i) { engineOnly(i + 1); });
        const Sample rawCold = timeRuns(runs, [&](int i) { rawOnce(i + 1); });
        const long kb = peakKilobytes(templatePath, c.formula(-1), database, pdf);

        std::printf("\n%s (%s): %lld rows, %d pages, at most %d rows held by the layout\n", c.name, c.templateName,
                    rows, pages, held);
        auto line = [&](const char *key, const Sample &p, const Sample &d, const Sample &e, const Sample &r) {
            std::printf("  %-4s ours to PDF %7.2f / %7.2f   ours engine %7.2f / %7.2f   raw %6.2f / %6.2f\n", key,
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
        std::printf("  peak memory of tarvo-stampa: %.1f MB (<= 200 MB) %s\n", kb / 1024.0, verdict(kb > 0 && kb <= 200 * 1024));
    }
    sqlite3_close(raw);
    std::printf("\n%s\n", failures ? "SOME FIGURES FAILED" : "ALL FIGURES PASSED");
    return failures ? 1 : 0;
}
