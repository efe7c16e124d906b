// Times "Statistiche" on a copy of a large shop (5,000,000 sales over eight
// years at scale 1), as the user meets it:
//   open:        Liste / "Statistiche": the window made and shown, this
//                month read and its four charts and tables drawn;
//   year:        "Anno" for 2024 (about 630,000 sales), "Aggiorna", until
//                the four charts are drawn again;
//   five years:  from 01/01/2020 to 31/12/2024 (about 3,150,000 sales);
// each "drawn" meaning every chart view painted into a picture of its own
// (grab), as the screen would paint it. Hot: the same again; cold: the
// engine's connections closed and the copy's pages dropped from the
// system's cache first (posix_fadvise on the copy only).
//
// Beside it, raw SQLite summing the same period straight from the sales
// (takings by month and the 20 articles sold most, grouped by hand), warmed
// once like ours: what the summary the program keeps saves; the totals of
// both must agree. Nothing is written: no fsync in either figure. Judged:
// a year under 300 ms and five years under 1 s, cold and hot; the process's
// peak memory under 200 MB.
//
//   QT_QPA_PLATFORM=offscreen bench-statistics <shop.mdb> [rounds] [--senza-raw]
#include "../common/BenchClock.h"
#include "../common/ShopCopy.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/TextFunctions.h"
#include "rules/general/Today.h"
#include "rules/stats/SalesStatistics.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmStatistiche.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>
#include <unordered_map>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

void evict(const QString &path)
{
    db::Database::closeAll();
    for (const QString &file : {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void drawAll(frmStatistiche &window)
{
    for (QChartView *view : {window.chtIncassi, window.chtArticoli, window.chtFornitori, window.chtPagamenti})
        (void)view->grab();
}

struct Period {
    const char *name;
    int kind;   // the index of cboPeriodo
    const char *from;
    const char *to;
    double limitMs;
};

double show(frmStatistiche &window, const Period &period)
{
    const auto start = Clock::now();
    window.cboPeriodo->setCurrentIndex(period.kind);
    window.txtDal->setText(QString::fromLatin1(period.from));
    window.txtAl->setText(QString::fromLatin1(period.to));
    window.cmdAggiorna->click();
    drawAll(window);
    return millis(Clock::now() - start);
}

// The same figures straight from the sales: takings by month and the 20
// articles sold most by pieces, as a program without the summary reads them.
struct Raw {
    double ms = 0;
    qint64 cents = 0;
};

Raw rawFigures(sqlite3 *db, const char *from, const char *to)
{
    const auto start = Clock::now();
    Raw raw;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "select substr(sc_Data, 1, 7), sum(sc_Saldo) from scarico where sc_Data between ?1 and ?2 "
                           "group by 1", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, from, -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, to, -1, SQLITE_STATIC);
    double total = 0;
    while (sqlite3_step(s) == SQLITE_ROW)
        total += sqlite3_column_double(s, 1);
    sqlite3_finalize(s);
    raw.cents = std::llround(total * 100);
    sqlite3_prepare_v2(db, "select ca_Codice_Articolo, sum(sc_Quantita) as pezzi from scarico "
                           "join \"Codice Articolo\" on ca_Codice = sc_Codice_Articolo where sc_Data between ?1 and ?2 "
                           "group by 1 order by pezzi desc limit 20", -1, &s, nullptr);
    sqlite3_bind_text(s, 1, from, -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, to, -1, SQLITE_STATIC);
    while (sqlite3_step(s) == SQLITE_ROW) {
    }
    sqlite3_finalize(s);
    raw.ms = millis(Clock::now() - start);
    return raw;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-statistics <shop.mdb> [rounds] [--senza-raw]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    // --senza-raw: ours alone, for a quick look (judged without the comparison).
    const bool withRaw = !(argc > 3 && QByteArray(argv[3]) == "--senza-raw");
    bench::ShopCopy shop(argv[1], "bench-statistics");
    if (!shop.ok())
        return 1;
    ui::ScriptedMessages messages;
    setToday(QDate(2026, 11, 15));

    const Period periods[] = {
        {"year", 2, "01/01/2024", "", 300},
        {"five years", 3, "01/01/2020", "31/12/2024", 1000},
    };
    bool pass = true;

    std::vector<double> opened;
    for (int r = 0; r < rounds; ++r) {
        evict(shop.path());
        const auto start = Clock::now();
        auto *window = new frmStatistiche;
        window->show();
        QApplication::processEvents();
        drawAll(*window);
        opened.push_back(millis(Clock::now() - start));
        delete window;
    }
    std::printf("%-11s cold %6.0f / %6.0f ms (this month, min / median)\n", "open", *std::min_element(opened.begin(), opened.end()),
                median(opened));

    // Ours first, every period, so that the peak memory read after them is
    // the window's alone; raw SQLite after, in the same process.
    struct Ours {
        std::vector<double> cold, hot, read;
        qint64 cents = 0;
        bool ranked = false;
    };
    std::vector<Ours> ours;
    auto *window = new frmStatistiche;
    window->show();
    QApplication::processEvents();
    for (const Period &period : periods) {
        Ours run;
        show(*window, period);   // warm-up
        for (int r = 0; r < rounds; ++r) {
            evict(shop.path());
            run.cold.push_back(show(*window, period));
            run.hot.push_back(show(*window, period));
            // The figures alone, without the window's tables and charts.
            const auto start = Clock::now();
            (void)SalesStatistics::read(*db::Database::open(shop.path()), window->shown().period);
            run.read.push_back(millis(Clock::now() - start));
        }
        run.cents = window->shown().cents;
        run.ranked = !window->shown().byPieces.isEmpty();
        ours.push_back(run);
    }
    delete window;
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024.0;
    const bool memoryOk = peakMb < 200;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(shop.path().toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);
    db::Connection::applyReadSettings(raw);
    for (std::size_t p = 0; p < std::size(periods); ++p) {
        const Period &period = periods[p];
        const QString isoFrom = QDate::fromString(QString::fromLatin1(period.from), QStringLiteral("dd/MM/yyyy"))
                                    .toString(QStringLiteral("yyyy-MM-dd"));
        const QDate toDay = *period.to ? QDate::fromString(QString::fromLatin1(period.to), QStringLiteral("dd/MM/yyyy"))
                                       : QDate(2024, 12, 31);
        const QByteArray from = isoFrom.toLatin1();
        const QByteArray to = toDay.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        std::vector<double> rawHot;
        Raw rawRun;
        rawRun.cents = ours[p].cents;
        if (withRaw)
            rawRun = rawFigures(raw, from.constData(), to.constData());   // warm-up, as ours above
        for (int r = 0; withRaw && r < rounds; ++r) {
            rawRun = rawFigures(raw, from.constData(), to.constData());
            rawHot.push_back(rawRun.ms);
        }
        const Ours &run = ours[p];
        const bool agree = run.cents == rawRun.cents;
        const bool ok = median(run.cold) < period.limitMs && median(run.hot) < period.limitMs && agree && run.ranked;
        pass = pass && ok;
        std::printf("%-11s cold %6.0f / %6.0f ms | hot %6.0f / %6.0f ms (figures alone %5.0f) | raw from the sales, "
                    "hot %7.0f ms | takings %s %lld cents | under %.0f ms: %s\n",
                    period.name, *std::min_element(run.cold.begin(), run.cold.end()), median(run.cold),
                    *std::min_element(run.hot.begin(), run.hot.end()), median(run.hot), median(run.read),
                    median(rawHot), agree ? "agree," : "DIFFER:", static_cast<long long>(run.cents), period.limitMs,
                    ok ? "PASS" : "FAIL");
    }
    sqlite3_close(raw);
    std::printf("peak memory of the window's runs %.1f MB, under 200 MB: %s\n", peakMb, memoryOk ? "PASS" : "FAIL");
    if (!messages.texts().isEmpty())
        std::printf("messages: %s\n", qPrintable(messages.texts().join(QStringLiteral(" | "))));
    return pass && memoryOk && messages.texts().isEmpty() ? 0 : 1;
}
