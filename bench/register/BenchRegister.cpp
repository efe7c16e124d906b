// Times the register windows on a copy of a large shop (20,000 entries at
// scale 1), as a user meets them:
//   open: File / "Anagrafiche" until the card shows its first entry and
//     knows the count ("1 di 20000");
//   search: "Trova" with part of a name ("*1234*") until the list is
//     filled, on a hot pattern (the same again) and on cold ones (random
//     digits); and a name start that matches thousands ("Cliente 1*"), of
//     which the first 100 by name are listed;
//   recall: a double-click's RichiamaAnagrafica on the open card, cold
//     register numbers;
// beside raw SQLite doing the same reads in the same run: for the card, the
// first row and the count of all rows in register order; for the search,
// the same select with the engine's like and collation registered, every
// cell formatted to text; for the recall, the row by its key. Both sides
// are warmed alike (each query once before timing); figures are medians of
// each round, the summary min / median of the rounds. Ours includes the
// dialect's translation, the record set, the bound boxes or the list items
// and the counter; raw includes none of that. Nothing is written, so no
// fsync is in either figure. Judged: open under 200 ms, every search under
// 50 ms, the recall under 50 ms.
//
//   QT_QPA_PLATFORM=offscreen bench-register <shop.mdb> [searches] [rounds]
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "register/RichiamaAnagrafica.h"
#include "register/frmAnagrafica.h"
#include "register/frmCercaAnagrafica.h"
#include "skin/SkinPath.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchJudge.h"
#include "../common/RawQuery.h"
#include "../common/ShopCopy.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

using bench::Clock;
using bench::RawQuery;
using bench::Rounds;
using bench::judge;
using bench::median;
using bench::millis;

void closeCard()
{
    if (frmAnagrafica *card = ui::WindowRegistry::existingInstance<frmAnagrafica>())
        delete card;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The search as the user runs it: the name typed, "Trova" pressed; the
// number of entries listed.
int trova(frmCercaAnagrafica &search, const QString &name)
{
    search.txtDenominazione->setText(name);
    search.TrovaAnagrafica();
    return search.lvwAnagrafica->topLevelItemCount();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-register <shop.mdb> [searches] [rounds]\n");
        return 2;
    }
    const int searches = argc > 2 ? std::atoi(argv[2]) : 15;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    bench::ShopCopy shop(argv[1], "bench-register");
    if (!shop.ok())
        return 1;
    const QString path = shop.path();
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);   // the schema's columns name its collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    RawQuery rawFirst(raw, "select * from Anagrafica order by anag_Contatore limit 1");
    RawQuery rawKeys(raw, "select anag_Contatore from Anagrafica order by anag_Contatore");
    RawQuery rawSearch(raw, "select * from Anagrafica where anag_Denominazione like ?1 "
                            "order by anag_Denominazione limit 100");
    RawQuery rawEntry(raw, "select * from Anagrafica where anag_Contatore = ?1");
    sqlite3_stmt *max = nullptr;
    sqlite3_prepare_v2(raw, "select count(*), max(anag_Contatore) from Anagrafica", -1, &max, nullptr);
    sqlite3_step(max);
    const int entries = sqlite3_column_int(max, 0);
    const qlonglong last = sqlite3_column_int64(max, 1);
    sqlite3_finalize(max);

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();

    std::printf("bench-register: %s, %d register entries, %d searches x %d rounds\n", argv[1], entries, searches, rounds);
    std::printf("ours: the windows' own handlers through the engine (statement, record set, boxes or list items);\n"
                "raw: prepared SQLite selects of the same rows, every cell formatted to text. Read-only: no fsync.\n");
    const QString expectedCounter = QStringLiteral("1 di ") + QString::number(entries);
    std::mt19937_64 random(12);
    const auto coldPattern = [&] {
        return QStringLiteral("*") + QString::number(std::uniform_int_distribution<int>(100, 9999)(random)) + QStringLiteral("*");
    };
    const QString hotPattern = QStringLiteral("*1234*");
    const QString widePattern = QStringLiteral("Cliente 1*");

    // Warm-up, both sides: each window and each query once.
    closeCard();
    openWindow<frmAnagrafica>();
    frmCercaAnagrafica &search = openWindow<frmCercaAnagrafica>();
    trova(search, hotPattern);
    trova(search, widePattern);
    rawFirst.read();
    rawKeys.read();
    rawSearch.read(hotPattern);
    rawSearch.read(widePattern);
    rawEntry.read(1);

    Rounds open, hot, cold, wide, recall;
    int badLists = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> openMs, rawOpen, hotMs, rawHot, coldMs, rawCold, wideMs, rawWide, recallMs, rawRecall;
        for (int i = 0; i < searches; ++i) {
            closeCard();
            auto start = Clock::now();
            frmAnagrafica &card = openWindow<frmAnagrafica>();
            openMs.push_back(millis(Clock::now() - start));
            if (card.txtToolbar->text() != expectedCounter)
                std::fprintf(stderr, "bench-register: the card shows \"%s\"\n", qPrintable(card.txtToolbar->text()));
            start = Clock::now();
            rawFirst.read();
            rawKeys.read();
            rawOpen.push_back(millis(Clock::now() - start));

            start = Clock::now();
            const int hotListed = trova(search, hotPattern);
            hotMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            const int hotRaw = rawSearch.read(hotPattern);
            rawHot.push_back(millis(Clock::now() - start));
            badLists += hotListed != hotRaw;

            const QString pattern = coldPattern();
            start = Clock::now();
            const int coldListed = trova(search, pattern);
            coldMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            const int coldRaw = rawSearch.read(pattern);
            rawCold.push_back(millis(Clock::now() - start));
            badLists += coldListed != coldRaw;

            start = Clock::now();
            const int wideListed = trova(search, widePattern);
            wideMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            const int wideRaw = rawSearch.read(widePattern);
            rawWide.push_back(millis(Clock::now() - start));
            badLists += wideListed != 100 || wideRaw != 100;

            const qlonglong key = std::uniform_int_distribution<qlonglong>(1, last)(random);
            start = Clock::now();
            RichiamaAnagrafica(QString::number(key));
            recallMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            rawEntry.read(key);
            rawRecall.push_back(millis(Clock::now() - start));
            if (card.fieldText(0) != QString::number(key))
                std::fprintf(stderr, "bench-register: recall of %lld shows %s\n", key, qPrintable(card.fieldText(0)));
        }
        open.add(openMs, rawOpen);
        hot.add(hotMs, rawHot);
        cold.add(coldMs, rawCold);
        wide.add(wideMs, rawWide);
        recall.add(recallMs, rawRecall);
    }
    closeCard();
    if (badLists)
        std::fprintf(stderr, "bench-register: %d lists differ from the raw query's rows\n", badLists);
    // Patterns with no match show the no-match message; nothing else may.
    int otherMessages = 0;
    for (const QString &text : messages.texts())
        otherMessages += text != QStringLiteral("Nessuna anagrafica trovata con le caratteristiche specificate");
    if (otherMessages)
        std::fprintf(stderr, "bench-register: messages shown: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));
    std::printf("\nmin / median of the rounds' medians\n");
    bool pass = judge("open the card (all entries)", open, 200);
    pass = judge("search part of a name, hot \"*1234*\"", hot, 50) && pass;
    pass = judge("search part of a name, cold", cold, 50) && pass;
    pass = judge("search \"Cliente 1*\" (first 100)", wide, 50) && pass;
    pass = judge("recall on the open card, cold", recall, 50) && pass;
    sqlite3_close(raw);
    return pass && !badLists && !otherMessages ? 0 : 1;
}
