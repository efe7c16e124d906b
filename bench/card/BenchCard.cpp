// Times the article card on a copy of a large shop, as a user meets it:
//   open: File / "Articoli" until the card shows its first article and knows
//     the count ("Articolo: 1 di 200000");
//   print: the card's Print until the preview holds the article's page,
//     on a hot article (the same one again) and on cold ones (articles
//     picked at random over the whole table, each opened as the article
//     search opens it);
// beside raw SQLite reading the same rows with every cell formatted to text:
// for the open, the statements the card's first screen needs (the first
// article, the count of the articles, the first article's stock items); for
// the print, the rows of the article's page (what the page shows, without
// laying it out). Both sides are warmed alike; figures are medians of each
// round, the summary min / median of the rounds. Ours includes building
// the window (skin, toolbars, grids) on each open, which raw has no part
// of. Judged: open under 100 ms, print under 300 ms.
//
//   QT_QPA_PLATFORM=offscreen bench-card <shop.mdb> [prints] [rounds]
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "report/ReportControl.h"
#include "skin/SkinPath.h"
#include "stock/frmPrestazioni.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchClock.h"
#include "../common/BenchJudge.h"
#include "../common/RawQuery.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

// The rows of one article's page, read and formatted as plain SQLite would.
class RawArticle {
public:
    explicit RawArticle(sqlite3 *handle)
    {
        sqlite3_prepare_v3(handle,
                           "select * from Articoli a left join [Codice Articolo] c on c.ca_Codice_Articolo = a.art_Codice "
                           "where a.art_Codice = ? order by c.ca_Codice",
                           -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
    }
    ~RawArticle() { sqlite3_finalize(m_statement); }
    int read(qlonglong code)
    {
        if (!m_statement)
            qFatal("raw statement not prepared");
        sqlite3_bind_int64(m_statement, 1, code);
        int cells = 0;
        while (sqlite3_step(m_statement) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(m_statement); ++c)
                cells += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, c))).size() >= 0;
        sqlite3_reset(m_statement);
        return cells;
    }
private:
    sqlite3_stmt *m_statement = nullptr;
};

using bench::judge;
using bench::Rounds;

frmPrestazioni &openCard(const QString &query)
{
    return openWindow<frmPrestazioni>([&query](frmPrestazioni &card) { card.p_strQuery = query; });
}

void closeCard()
{
    if (frmPrestazioni *card = ui::WindowRegistry::existingInstance<frmPrestazioni>())
        delete card;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void closePreview(mdiTarvo &main)
{
    if (report::ReportPreview *preview = main.Report().lastPreview())
        preview->parentWidget()->close();   // its frame in the main window
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-card <shop.mdb> [prints] [rounds]\n");
        return 2;
    }
    const int prints = argc > 2 ? std::atoi(argv[2]) : 15;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    // The program folder of the bench: a copy of the shop, the templates.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tarvo.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), path)) {
        std::fprintf(stderr, "bench-card: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile::copy(QStringLiteral(TARVO_PROGRAM_DIR "/articoli.rpt"), folder.filePath(QStringLiteral("articoli.rpt")));
    QFile::copy(QStringLiteral(TARVO_PROGRAM_DIR "/intestazione.txt"), folder.filePath(QStringLiteral("intestazione.txt")));
    setProgramFolder(folder.path());
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = path;
    skin::setDefaultSkinPath(QStringLiteral(TARVO_PROGRAM_DIR "/shpix"));
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);   // the schema's columns name its collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    RawArticle rawArticle(raw);
    // The card's first screen, plainly: the first article, how many there
    // are, its stock items.
    bench::RawQuery rawFirst(raw, "select * from Articoli order by art_Codice limit 1");
    bench::RawQuery rawCount(raw, "select count(*) from Articoli");
    bench::RawQuery rawItems(raw, "select * from [Codice Articolo] where ca_Codice_Articolo = ?1");
    const auto rawOpen = [&] {
        rawFirst.read();
        const qlonglong first = rawFirst.firstColumn().value(0).toLongLong();
        rawCount.read();
        rawItems.read(first);
        return rawCount.last();
    };
    sqlite3_stmt *max = nullptr;
    sqlite3_prepare_v2(raw, "select max(art_Codice) from Articoli", -1, &max, nullptr);
    sqlite3_step(max);
    const qlonglong last = sqlite3_column_int64(max, 0);
    sqlite3_finalize(max);

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();

    std::printf("bench-card: %s, %lld articles, %d prints x %d rounds\n", argv[1], last, prints, rounds);
    std::printf("ours: the card's own handlers through the engine and the report control (preview built);\n"
                "raw: the open's first screen (first article, count, its items) and the print's rows as prepared\n"
                "SQLite selects, every cell formatted to text.\n");
    std::mt19937_64 random(7);
    Rounds open, hot, cold;
    int pages = 0;
    // Warm-up, both sides: the card once, the raw query once.
    closeCard();
    openCard(QString()).Toolbar1_ButtonClick(QStringLiteral("Print"));
    closePreview(main);
    rawArticle.read(1);
    rawOpen();
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> openMs, rawOpenMs, hotMs, coldMs, rawHot, rawCold;
        for (int i = 0; i < prints; ++i) {
            closeCard();
            auto start = Clock::now();
            frmPrestazioni &card = openCard(QString());
            openMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            const QString count = rawOpen();
            rawOpenMs.push_back(millis(Clock::now() - start));
            if (card.txtToolBar->text() != QStringLiteral("Articolo: 1 di ") + count)
                std::fprintf(stderr, "bench-card: the card shows \"%s\"\n", qPrintable(card.txtToolBar->text()));

            start = Clock::now();
            card.Toolbar1_ButtonClick(QStringLiteral("Print"));
            hotMs.push_back(millis(Clock::now() - start));
            pages += main.Report().lastPageCount();
            closePreview(main);
            start = Clock::now();
            rawArticle.read(card.txtCodice->text().toLongLong());
            rawHot.push_back(millis(Clock::now() - start));

            const qlonglong code = std::uniform_int_distribution<qlonglong>(1, last)(random);
            closeCard();
            frmPrestazioni &one = openCard(QStringLiteral("select * from Articoli where art_Codice = ") + QString::number(code));
            start = Clock::now();
            one.Toolbar1_ButtonClick(QStringLiteral("Print"));
            coldMs.push_back(millis(Clock::now() - start));
            pages += main.Report().lastPageCount();
            closePreview(main);
            start = Clock::now();
            rawArticle.read(code);
            rawCold.push_back(millis(Clock::now() - start));
        }
        open.ours.push_back(median(openMs));
        open.raw.push_back(median(rawOpenMs));
        hot.ours.push_back(median(hotMs));
        hot.raw.push_back(median(rawHot));
        cold.ours.push_back(median(coldMs));
        cold.raw.push_back(median(rawCold));
    }
    closeCard();
    if (pages != 2 * prints * rounds)
        std::fprintf(stderr, "bench-card: %d pages printed, %d expected\n", pages, 2 * prints * rounds);
    if (!messages.texts().isEmpty())
        std::fprintf(stderr, "bench-card: messages shown: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));
    std::printf("\nmin / median of the rounds' medians\n");
    bool pass = judge("open the card (all articles)", open, 100);
    pass = judge("Print, hot article", hot, 300) && pass;
    pass = judge("Print, cold articles", cold, 300) && pass;
    sqlite3_close(raw);
    return pass && messages.texts().isEmpty() && pages == 2 * prints * rounds ? 0 : 1;
}
