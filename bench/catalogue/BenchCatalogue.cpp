// Times the article search and the article grid on a copy of a large shop
// (200,000 articles at scale 1), as a user meets them:
//   keystroke: the description typed one character at a time, each change
//     running the search until its first screen is listed: a description's
//     start ("Giacca b", hot: the same every time), and part of a
//     description with "Ricerca Generica" (random model numbers, cold; and
//     a text no article holds, which a scan must read to the end);
//   grid: the article grid opened and scrolled to its last row;
//   sort: a click on the "Data U.V." heading until the grid shows again;
// beside raw SQLite doing the same reads in the same run: for a keystroke,
// the first 100 matches in code order with their stock, through the same
// trigram table ("match", then the engine's like on the description) when
// three or more letters are typed, else the plain like scan, as the program
// does (and, for information, the plain like scan of the cold searches
// beside the keystroke: what the index saves); for the grid, its first rows
// and every key; for the sort, the first rows in that order with every
// key. Both
// sides are warmed alike (each query once before timing); figures are
// medians of each round, the summary min / median of the rounds. Ours
// includes the statement, the index or the scan and the list items or
// grid rows; raw includes none of that. Nothing is written, so no fsync is
// in either figure. Judged: a keystroke under 50 ms, the grid under 300 ms,
// the sort under 1 s. On a database made before the description index
// the search falls back to the scan, and the figures say so.
//
//   QT_QPA_PLATFORM=offscreen bench-catalogue <shop.mdb> [searches] [rounds]
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "rules/ShopDatabase.h"
#include "skin/SkinPath.h"
#include "rules/stock/ArticleSearchPages.h"
#include "stock/frmArticoli.h"
#include "stock/frmCercaPrestazione.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchClock.h"
#include "../common/BenchJudge.h"
#include "../common/RawQuery.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

using bench::judge;
using bench::RawQuery;
using bench::Rounds;

QStringList listedCodes(const frmCercaPrestazione &search)
{
    QStringList codes;
    for (int i = 0; i < search.lvwFatture->topLevelItemCount() && i < 100; ++i)
        codes << search.lvwFatture->topLevelItem(i)->text(1);
    return codes;
}

void closeGrid()
{
    delete ui::WindowRegistry::existingInstance<frmArticoli>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-catalogue <shop.mdb> [searches] [rounds]\n");
        return 2;
    }
    const int searches = argc > 2 ? std::atoi(argv[2]) : 10;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tarvo.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), path)) {
        std::fprintf(stderr, "bench-catalogue: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    setProgramFolder(folder.path());
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = path;
    skin::setDefaultSkinPath(QStringLiteral(TARVO_PROGRAM_DIR "/shpix"));
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);   // the engine's like, and the schema's collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    // A page of the list: the article, its description and supplier, its
    // stock over its items.
#define RAW_PAGE_COLUMNS "a.art_Codice, a.art_Descrizione, a.art_Fornitore, " \
                         "(select sum(ca_Quantita) from [Codice Articolo] where ca_Codice_Articolo = a.art_Codice) "
    RawQuery rawScan(raw, "select " RAW_PAGE_COLUMNS "from Articoli a "
                          "where a.art_Descrizione like ?1 order by a.art_Codice limit 100");
    const bool indexed = ArticleSearchPages::databaseHasIndex(*ShopDatabase::open());
    std::unique_ptr<RawQuery> rawMatch;
    if (indexed)
        rawMatch = std::make_unique<RawQuery>(raw, "select " RAW_PAGE_COLUMNS "from ArticoliTrigrammi t "
                                                   "join Articoli a on a.art_Codice = t.rowid "
                                                   "where ArticoliTrigrammi match ?1 and a.art_Descrizione like ?2 "
                                                   "order by t.rowid limit 100");
    // The page as plain SQLite reads it for what was typed: the trigram
    // table when three letters or more are typed, else the scan.
    const auto rawSearch = [&](const QString &typed, const QString &pattern) {
        if (rawMatch && typed.size() >= 3) {
            rawMatch->read({QLatin1Char('"') + QString(typed).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'),
                            pattern});
            return rawMatch->firstColumn();
        }
        rawScan.read({pattern});
        return rawScan.firstColumn();
    };
    RawQuery rawGridFirst(raw, "select * from Articoli order by art_Codice limit 64");
    RawQuery rawGridKeys(raw, "select art_Codice from Articoli order by art_Codice");
    RawQuery rawSortFirst(raw, "select * from Articoli order by art_Data_Ultima_Vendita limit 64");
    RawQuery rawSortKeys(raw, "select art_Codice from Articoli order by art_Data_Ultima_Vendita");
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(raw, "select count(*), max(art_Codice) from Articoli", -1, &count, nullptr);
    sqlite3_step(count);
    const int articles = sqlite3_column_int(count, 0);
    const int last = sqlite3_column_int(count, 1);
    sqlite3_finalize(count);

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();

    std::printf("bench-catalogue: %s, %d articles, %d searches x %d rounds, description index: %s\n", argv[1], articles,
                searches, rounds, indexed ? "yes" : "no (a database made before it: the search scans)");
    std::printf("ours: the windows' own handlers (statement, index or scan, list items or grid rows);\n"
                "raw: the same trigram table (\"match\", 3+ letters) or like scan / the same selects in SQLite,\n"
                "every cell formatted to text. Read-only: no fsync.\n");

    frmCercaPrestazione &search = openWindow<frmCercaPrestazione>();
    std::mt19937_64 random(16);
    int badLists = 0;
    // Types `text` one character at a time; the time of each keystroke and
    // of the raw scan for the same pattern go to the vectors.
    const auto type = [&](const QString &text, bool generica, std::vector<double> &ours, std::vector<double> &rawMs,
                          std::vector<double> *shortOurs = nullptr, std::vector<double> *shortRaw = nullptr,
                          std::vector<double> *scanMs = nullptr) {
        search.txtDescrizione->clear();
        search.chkGenerica->setChecked(generica);
        for (int n = 1; n <= text.size(); ++n) {
            const QString typed = text.left(n);
            auto start = Clock::now();
            search.txtDescrizione->setText(typed);
            (n < 3 && shortOurs ? *shortOurs : ours).push_back(millis(Clock::now() - start));
            const QString pattern = (generica ? QStringLiteral("*") : QString()) + typed + QStringLiteral("*");
            start = Clock::now();
            const QStringList expected = rawSearch(typed, pattern);
            (n < 3 && shortRaw ? *shortRaw : rawMs).push_back(millis(Clock::now() - start));
            if (scanMs) {
                start = Clock::now();
                rawScan.read({pattern});
                scanMs->push_back(millis(Clock::now() - start));
            }
            // The scan's list need not be in code order: compare the first
            // screen as a set when it holds every match, else its size.
            QStringList shown = listedCodes(search);
            QStringList wanted = expected;
            if (!search.allListed() && shown.size() >= 100) {
                shown = shown.mid(0, 100);
                wanted = expected.size() == 100 ? shown : expected;
            }
            std::sort(shown.begin(), shown.end());
            std::sort(wanted.begin(), wanted.end());
            if (shown != wanted) {
                ++badLists;
                std::fprintf(stderr, "bench-catalogue: \"%s\" lists %lld rows unlike the scan's %lld\n", qPrintable(typed),
                             qlonglong(shown.size()), qlonglong(expected.size()));
            }
        }
    };
    const auto coldNumber = [&] {
        return QString::number(std::uniform_int_distribution<int>(10000, last)(random));
    };
    const QString hotStart = QStringLiteral("Giacca b");
    const QString nowhere = QStringLiteral("zqwx");

    // Warm-up, both sides: each window and each query once.
    {
        std::vector<double> a, b;
        type(hotStart, false, a, b);
        type(coldNumber(), true, a, b);
        type(nowhere, true, a, b);
        openWindow<frmArticoli>();
        closeGrid();
        rawGridFirst.read();
        rawGridKeys.read();
        rawSortFirst.read();
        rawSortKeys.read();
    }

    Rounds hot, cold, coldScan, none, noneShort, grid, sort;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> hotMs, rawHot, coldMs, rawCold, scanCold, noneMs, rawNone, shortMs, rawShort, gridMs, rawGrid, sortMs, rawSort;
        for (int i = 0; i < searches; ++i) {
            type(hotStart, false, hotMs, rawHot);
            type(coldNumber(), true, coldMs, rawCold, nullptr, nullptr, &scanCold);
            type(nowhere, true, noneMs, rawNone, &shortMs, &rawShort);
        }
        for (int i = 0; i < std::max(1, searches / 3); ++i) {
            closeGrid();
            auto start = Clock::now();
            frmArticoli &window = openWindow<frmArticoli>();
            do {
                window.TDBGrid1->scrollToBottom();
                QCoreApplication::processEvents();
            } while (window.TDBGrid1->model()->canFetchMore(QModelIndex()));
            gridMs.push_back(millis(Clock::now() - start));
            if (window.TDBGrid1->model()->rowCount() < articles)
                std::fprintf(stderr, "bench-catalogue: the grid holds %d rows\n", window.TDBGrid1->model()->rowCount());
            start = Clock::now();
            rawGridFirst.read();
            rawGridKeys.read();
            rawGrid.push_back(millis(Clock::now() - start));

            start = Clock::now();
            window.TDBGrid1_HeadClick(frmArticoli::DataUV);
            QCoreApplication::processEvents();
            sortMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            rawSortFirst.read();
            rawSortKeys.read();
            rawSort.push_back(millis(Clock::now() - start));
        }
        hot.add(hotMs, rawHot);
        cold.add(coldMs, rawCold);
        coldScan.add(coldMs, scanCold);
        none.add(noneMs, rawNone);
        noneShort.add(shortMs, rawShort);
        grid.add(gridMs, rawGrid);
        sort.add(sortMs, rawSort);
    }
    closeGrid();
    if (badLists)
        std::fprintf(stderr, "bench-catalogue: %d lists differ from the scan's rows\n", badLists);
    if (!messages.texts().isEmpty())
        std::fprintf(stderr, "bench-catalogue: messages shown: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));
    std::printf("\nmin / median of the rounds' medians (per keystroke for the searches)\n");
    bool pass = judge("keystroke, start \"Giacca b\" (hot)", hot, 50);
    pass = judge("keystroke, Ricerca Generica, model no. (cold)", cold, 50) && pass;
    judge("  the same against raw's plain like scan", coldScan, 0);
    pass = judge("keystroke, Ricerca Generica, no match, 3+ chars", none, 50) && pass;
    pass = judge("keystroke, Ricerca Generica, no match, 1-2 chars", noneShort, 50) && pass;
    pass = judge("grid opened and scrolled to the last row", grid, 300) && pass;
    pass = judge("grid sorted by \"Data U.V.\"", sort, 1000) && pass;
    sqlite3_close(raw);
    return pass && !badLists && messages.texts().isEmpty() ? 0 : 1;
}
