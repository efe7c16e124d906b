// Times the invoice editor on a copy of a large shop (50,000 invoices of 4
// lines at scale 1), as a user meets it:
//   open: File / "Fatture" until the editor shows the first invoice with its
//     lines and total and knows the count ("Fattura: 1 di 50000");
//   next: the "Successiva" picture, until the next invoice's header, lines
//     and total are shown; on hot keys (back and forth over invoices already
//     visited) and on cold ones (the editor first placed on a random invoice,
//     not timed, then moved on);
// beside raw SQLite doing the same reads in the same run: for the open, the
// lines left without a header (the editor removes them on opening), the
// count of the invoices in number order, the first header, its lines and
// their sum; for a move, the next header by number, its lines and their
// sum. Both sides are warmed alike (each query once before timing); figures
// are medians of each round, the summary min / median of the rounds. Ours
// includes the dialect's translation, the record sets, the bound boxes, the
// grid and the counter; raw includes none of that. Nothing is written in the
// timed parts (the stray lines are none), so no fsync is in either figure.
// Judged: open under 300 ms, a move under 5 ms.
//
//   QT_QPA_PLATFORM=offscreen bench-invoice <shop.mdb> [moves] [rounds]
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "data/Grid.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "invoicing/frmFattura.h"
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
#include <algorithm>
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

void closeEditor()
{
    if (frmFattura *editor = ui::WindowRegistry::existingInstance<frmFattura>())
        delete editor;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

constexpr int kNext = 8;

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-invoice <shop.mdb> [moves] [rounds]\n");
        return 2;
    }
    const int moves = argc > 2 ? std::atoi(argv[2]) : 50;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    bench::ShopCopy shop(argv[1], "bench-invoice");
    if (!shop.ok())
        return 1;
    const QString path = shop.path();
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);   // the schema's columns name its collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    RawQuery rawStray(raw, "select df_Numero_Fattura from [Dettaglio Fattura] group by df_Numero_Fattura having "
                           "df_Numero_Fattura is null or not exists (select 1 from Fattura where fat_Numero = df_Numero_Fattura)");
    RawQuery rawKeys(raw, "select fat_Numero from Fattura order by fat_Numero");
    RawQuery rawFirst(raw, "select * from Fattura order by fat_Numero limit 1");
    RawQuery rawNext(raw, "select * from Fattura where fat_Numero > ?1 order by fat_Numero limit 1");
    RawQuery rawLines(raw, "select * from [Dettaglio Fattura] where df_Numero_Fattura = ?1");
    RawQuery rawSum(raw, "select df_Importo from [Dettaglio Fattura] where df_Numero_Fattura = ?1");
    std::vector<QString> numbers;
    {
        sqlite3_stmt *all = nullptr;
        sqlite3_prepare_v2(raw, "select fat_Numero from Fattura order by fat_Numero", -1, &all, nullptr);
        while (sqlite3_step(all) == SQLITE_ROW)
            numbers.push_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(all, 0))));
        sqlite3_finalize(all);
    }
    const int invoices = int(numbers.size());
    if (invoices < 2) {
        std::fprintf(stderr, "bench-invoice: the shop has no invoices\n");
        return 1;
    }
    const auto rawOpen = [&] {
        rawStray.read();
        rawKeys.read();
        rawFirst.read();
        rawLines.read(numbers.front());
        rawSum.read(numbers.front());
    };
    const auto rawMove = [&](const QString &from) {
        rawNext.read(from);
        const QString to = numbers.at(size_t(std::lower_bound(numbers.begin(), numbers.end(), from) - numbers.begin()) + 1);
        rawLines.read(to);
        rawSum.read(to);
    };

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();

    std::printf("bench-invoice: %s, %d invoices, %d moves x %d rounds\n", argv[1], invoices, moves, rounds);
    std::printf("ours: the editor's own handlers through the engine (statements, record sets, boxes, grid, counter);\n"
                "raw: prepared SQLite selects of the same rows, every cell formatted to text. Read-only: no fsync.\n");
    const QString expectedCounter = QStringLiteral("Fattura: 1 di ") + QString::number(invoices);
    std::mt19937_64 random(13);

    // Warm-up, both sides: the window and each query once.
    closeEditor();
    openWindow<frmFattura>().imgToolbar1_Click(kNext);
    rawOpen();
    rawMove(numbers.front());

    Rounds open, hot, cold;
    int wrong = 0;
    const int opens = std::max(5, moves / 10);
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> openMs, rawOpenMs, hotMs, rawHotMs, coldMs, rawColdMs;
        for (int i = 0; i < opens; ++i) {
            closeEditor();
            auto start = Clock::now();
            frmFattura &editor = openWindow<frmFattura>();
            openMs.push_back(millis(Clock::now() - start));
            if (editor.txtToolbar->text() != expectedCounter || editor.txtFields(0)->text() != numbers.front())
                ++wrong;
            start = Clock::now();
            rawOpen();
            rawOpenMs.push_back(millis(Clock::now() - start));
        }
        frmFattura &editor = openWindow<frmFattura>();
        // Hot: over the first invoices, already read.
        for (int i = 0; i < moves; ++i) {
            editor.imgToolbar1_Click(6);   // first, not timed
            const QString from = editor.txtFields(0)->text();
            auto start = Clock::now();
            editor.imgToolbar1_Click(kNext);
            hotMs.push_back(millis(Clock::now() - start));
            if (editor.txtFields(0)->text() != numbers.at(1))
                ++wrong;
            start = Clock::now();
            rawMove(from);
            rawHotMs.push_back(millis(Clock::now() - start));
        }
        // Cold: from random invoices across the archive.
        for (int i = 0; i < moves; ++i) {
            const int at = std::uniform_int_distribution<int>(0, invoices - 2)(random);
            editor.MostraFattura(numbers.at(size_t(at)));
            auto start = Clock::now();
            editor.imgToolbar1_Click(kNext);
            coldMs.push_back(millis(Clock::now() - start));
            if (editor.txtFields(0)->text() != numbers.at(size_t(at) + 1) || editor.TDBGrid1->model()->rowCount() < 2)
                ++wrong;
            const int rawAt = std::uniform_int_distribution<int>(0, invoices - 2)(random);
            start = Clock::now();
            rawMove(numbers.at(size_t(rawAt)));
            rawColdMs.push_back(millis(Clock::now() - start));
        }
        open.add(openMs, rawOpenMs);
        hot.add(hotMs, rawHotMs);
        cold.add(coldMs, rawColdMs);
    }
    closeEditor();
    sqlite3_close(raw);

    bool pass = true;
    std::printf("%-34s %19s | %22s |\n", "", "ours min / median", "raw min / median");
    pass &= judge("open on the first invoice", open, 300);
    pass &= judge("next invoice, hot keys", hot, 5);
    pass &= judge("next invoice, cold keys", cold, 5);
    if (wrong) {
        std::printf("%d shows did not show the invoice expected\n", wrong);
        pass = false;
    }
    std::printf("%s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
