// bench-labels <shop.mdb> [runs]: labels on the large shop database.
//
//   1,000 labels to PDF  tarvo-etichette as the shop runs it, 200 articles of
//                        five items each, one label an item, on A4 3 x 8
//                        sheets: the whole process (start, reading, layout,
//                        PDF written and synced), and its peak memory read by
//                        bench-peak-of (see bench/report/PeakOf.cpp).
//   a month's load list  the labels of every load the load list found for a
//                        month (what the list's Ctrl+E reads), one a load.
//   one article to the preview  what "Anteprima" does for an article card:
//                        the article's items read, laid out, the preview
//                        window built and painted.
//
// The hot key is the same articles every run, after one run to warm the
// page cache; the cold keys are other articles on every run (the same
// sequence each time the bench runs), never read before in this run.
#include "report/LabelLayout.h"
#include "report/LabelSheet.h"
#include "report/LabelSource.h"
#include "report/ReportControl.h"
#include "report/ReportPreview.h"
#include "report/ReportProperties.h"
#include "db/Database.h"
#include "db/Recordset.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace report;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double min = 0, median = 0;
};

Sample timeRuns(int runs, const std::function<void(int)> &work)
{
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work(run);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

const char *verdict(bool pass)
{
    return pass ? "PASS" : "FAIL";
}

// Articles with exactly five items, from `first` on: the same on every run
// of the bench.
QList<qint64> articlesWithFiveItems(db::Database &shop, qint64 first, int count)
{
    QList<qint64> articles;
    auto rs = shop.openRecordset(QStringLiteral("Select ca_Codice_Articolo, count(*) as Codici from [Codice Articolo] "
                                                "where ca_Codice_Articolo >= %1 group by ca_Codice_Articolo "
                                                "order by ca_Codice_Articolo")
                                     .arg(first));
    while (!rs->eof() && articles.size() < count) {
        if (rs->value(QStringLiteral("Codici")).toInt() == 5)
            articles << rs->value(QStringLiteral("ca_Codice_Articolo")).toLongLong();
        rs->moveNext();
    }
    return articles;
}

// What the last run said it printed: "1000 etichette su 42 pagine: ...".
QByteArray lastSaid;

// One tarvo-etichette run through bench-peak-of: its peak memory in kB, -1
// when it failed.
long runLabels(const QString &database, const QList<qint64> &articles, const QString &pdf)
{
    QStringList arguments = {QStringLiteral(TARVO_ETICHETTE)};
    for (const qint64 article : articles)
        arguments << QStringLiteral("--articolo") << QString::number(article);
    arguments << QStringLiteral("--copie") << QStringLiteral("1") << QStringLiteral("--pdf") << pdf
              << QStringLiteral("--database") << database;
    QProcess process;
    process.start(QStringLiteral(TARVO_PEAK_OF), arguments);
    process.waitForFinished(-1);
    if (process.exitCode() != 0) {
        std::fprintf(stderr, "%s", process.readAllStandardError().constData());
        return -1;
    }
    lastSaid = process.readAllStandardOutput().trimmed();
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    return lines.last().startsWith("peak-kb ") ? lines.last().mid(8).toLong() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-labels <shop.mdb> [runs]\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(3, std::atoi(argv[2])) : 7;
    auto shop = db::Database::open(database);
    QTemporaryDir folder(QStringLiteral("/tmp/bench-labels-XXXXXX"));
    bool allPass = true;

    std::printf("1,000 labels to PDF (tarvo-etichette, 200 articles x 5 items, A4 3x8), %d runs\n", runs);
    const QList<qint64> hot = articlesWithFiveItems(*shop, 1, 200);
    const QString pdf = folder.filePath(QStringLiteral("etichette.pdf"));
    long peak = runLabels(database, hot, pdf);   // warms the cache for the hot key
    const Sample hotRun = timeRuns(runs, [&](int) { peak = std::max(peak, runLabels(database, hot, pdf)); });
    std::vector<QList<qint64>> coldKeys;
    for (int run = 0; run < runs; ++run)
        coldKeys.push_back(articlesWithFiveItems(*shop, 20000 + run * 20000, 200));
    const Sample coldRun = timeRuns(runs, [&](int run) { peak = std::max(peak, runLabels(database, coldKeys[run], pdf)); });
    const bool sizeOk = QFileInfo(pdf).size() > 0 && lastSaid.startsWith("1000 etichette su 42 pagine");
    std::printf("  tarvo-etichette: %s\n", lastSaid.constData());
    std::printf("  hot  min %.0f ms median %.0f ms (< 2000 ms) %s\n", hotRun.min, hotRun.median,
                verdict(hotRun.median < 2000));
    std::printf("  cold min %.0f ms median %.0f ms (< 2000 ms) %s\n", coldRun.min, coldRun.median,
                verdict(coldRun.median < 2000));
    std::printf("  peak memory of tarvo-etichette: %.1f MB (< 200 MB) %s; PDF %.1f kB\n", peak / 1024.0,
                verdict(peak > 0 && peak < 200 * 1024 && sizeOk), QFileInfo(pdf).size() / 1024.0);
    allPass = allPass && hotRun.median < 2000 && coldRun.median < 2000 && peak > 0 && peak < 200 * 1024 && sizeOk;

    std::printf("a month's load list: the labels of every load found, %d runs\n", runs);
    const auto monthList = [](int month) {
        const QDate first(2025, month, 1);
        return QStringLiteral("Select * from carico, articoli, [codice articolo] where [codice articolo].ca_Codice = "
                              "carico.ca_Codice_Articolo and art_Codice = [codice articolo].ca_Codice_Articolo and "
                              "carico.ca_Data between #%1# and #%2# order by carico.ca_Data")
            .arg(first.toString(QStringLiteral("MM/dd/yyyy")), first.addMonths(1).addDays(-1).toString(QStringLiteral("MM/dd/yyyy")));
    };
    size_t listed = LabelSource(*shop).ofLoadList(monthList(1)).size();
    const Sample hotList = timeRuns(runs, [&](int) { listed = LabelSource(*shop).ofLoadList(monthList(1)).size(); });
    const Sample coldList = timeRuns(runs, [&](int run) { LabelSource(*shop).ofLoadList(monthList(2 + run % 10)); });
    // The baseline: the list's own statement, every row read through a record set.
    const Sample listAlone = timeRuns(runs, [&](int) {
        auto rs = shop->openRecordset(monthList(1));
        while (!rs->eof())
            rs->moveNext();
    });
    std::printf("  %zu loads; hot min %.0f ms median %.0f ms, cold min %.0f ms median %.0f ms (< 2000 ms) %s\n", listed,
                hotList.min, hotList.median, coldList.min, coldList.median,
                verdict(hotList.median < 2000 && coldList.median < 2000));
    std::printf("  baseline, the list's rows alone (hot): min %.0f ms median %.0f ms\n", listAlone.min, listAlone.median);
    allPass = allPass && hotList.median < 2000 && coldList.median < 2000;

    std::printf("one article's labels to the preview (read, laid out, preview built and painted), %d runs\n", runs);
    ReportControl control;
    control.set(prop::Destination, int(Destination::Screen));
    LabelSheet::Options options;
    options.layout = LabelLayout::named(QStringLiteral("A4-3x8"));
    const auto toPreview = [&](qint64 article) {
        const std::vector<LabelContent> labels =
            LabelSource(*shop).ofArticles({article}, LabelSource::Copies::Fixed, 2);
        control.runPages(QStringLiteral("Etichette"), [&](PageStore &pages, const std::function<bool()> &stop) {
            LabelSheet::layOut(labels, options, pages, stop);
        });
        ReportPreview *preview = control.lastPreview();
        preview->repaint();
        QApplication::processEvents();
        preview->close();
        QApplication::processEvents();
    };
    toPreview(hot.first());
    const Sample hotPreview = timeRuns(runs, [&](int) { toPreview(hot.first()); });
    const Sample coldPreview = timeRuns(runs, [&](int run) { toPreview(coldKeys[run].first() + 1); });
    std::printf("  hot  min %.1f ms median %.1f ms (< 300 ms) %s\n", hotPreview.min, hotPreview.median,
                verdict(hotPreview.median < 300));
    std::printf("  cold min %.1f ms median %.1f ms (< 300 ms) %s\n", coldPreview.min, coldPreview.median,
                verdict(coldPreview.median < 300));
    allPass = allPass && hotPreview.median < 300 && coldPreview.median < 300;
    std::printf("%s\n", allPass ? "ALL PASS" : "SOME FAIL");
    return allPass ? 0 : 1;
}
