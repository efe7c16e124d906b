// Times the invoice search on a copy of a large shop (50,000 invoices at
// scale 1), as a user meets it: "Trova" until the list is filled,
//   - with every filter empty (the newest 200 of all invoices);
//   - with part of a number, on a hot text (the same again, "26-49": this
//     year's invoices of a range) and on cold ones (one random sequence,
//     "-01234", as a user finds one invoice);
//   - with a customer, on cold customers (random register numbers);
// beside raw SQLite reading the same rows in the same run: the same
// selection and order, the customer's name joined in, every cell formatted
// to text. Both sides are warmed alike (each query once before timing);
// figures are medians of each round, the summary min / median of the
// rounds. Ours includes the dialect's translation, the record set, the
// customers' names read in one statement, the list items and, when the
// list is full, the count of every match it says ("Mostrate 200 di N
// fatture"); raw includes none of that.
// Nothing is written, so no fsync is in either figure. Judged: every search
// under 50 ms.
//
//   QT_QPA_PLATFORM=offscreen bench-invoice-search <shop.mdb> [searches] [rounds]
#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "invoicing/frmCercaFattura.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchJudge.h"
#include "../common/RawQuery.h"
#include "../common/ShopCopy.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <cstdio>
#include <random>
#include <sqlite3.h>

namespace {

using bench::Clock;
using bench::RawQuery;
using bench::Rounds;
using bench::judge;
using bench::median;
using bench::millis;

// The search's rows read raw: the same selection in the same order, the
// customer's name joined in.
QByteArray rawSearch(const char *where)
{
    return QByteArrayLiteral("select f.*, a.anag_Denominazione from Fattura f left join Anagrafica a "
                             "on a.anag_Contatore = f.fat_Codice_Cliente where ")
           + where + " order by f.fat_Data desc, f.fat_Numero desc limit 200";
}

int trova(frmCercaFattura &search, const QString &numero, const QString &cliente)
{
    search.txtNumero->setText(numero);
    search.txtCodiceCliente->setText(cliente);
    search.TrovaFatture();
    return search.lvwFatture->topLevelItemCount();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-invoice-search <shop.mdb> [searches] [rounds]\n");
        return 2;
    }
    const int searches = argc > 2 ? std::atoi(argv[2]) : 15;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;

    bench::ShopCopy shop(argv[1], "bench-invoice-search");
    if (!shop.ok())
        return 1;
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(shop.path().toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);   // the engine's like (* and ?) and collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    RawQuery rawAll(raw, rawSearch("1").constData());
    RawQuery rawNumber(raw, rawSearch("f.fat_Numero like ?1").constData());
    RawQuery rawCustomer(raw, rawSearch("f.fat_Codice_Cliente = ?1").constData());
    sqlite3_stmt *facts = nullptr;
    sqlite3_prepare_v2(raw, "select (select count(*) from Fattura), (select max(anag_Contatore) from Anagrafica)", -1,
                       &facts, nullptr);
    sqlite3_step(facts);
    const int invoices = sqlite3_column_int(facts, 0);
    const int customers = sqlite3_column_int(facts, 1);
    sqlite3_finalize(facts);

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();
    std::printf("bench-invoice-search: %s, %d invoices, %d searches x %d rounds\n", argv[1], invoices, searches, rounds);
    std::printf("ours: \"Trova\" through the engine (statement, record set, a customer lookup per row, list items);\n"
                "raw: prepared SQLite selects of the same rows with the name joined, every cell formatted to text.\n"
                "Read-only: no fsync.\n");

    std::mt19937_64 random(7);
    const auto coldNumber = [&] {
        return QStringLiteral("-%1").arg(std::uniform_int_distribution<int>(1, invoices)(random), 5, 10, QLatin1Char('0'));
    };
    const QString hotNumber = QStringLiteral("26-49");
    frmCercaFattura &search = openWindow<frmCercaFattura>();
    // Warm-up, both sides: each query once.
    trova(search, QString(), QString());
    trova(search, hotNumber, QString());
    trova(search, QString(), QStringLiteral("1"));
    rawAll.read();
    rawNumber.read(QStringLiteral("*") + hotNumber + QStringLiteral("*"));
    rawCustomer.read(QStringLiteral("1"));

    Rounds all, hot, cold, customer;
    int badLists = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> allMs, rawAllMs, hotMs, rawHotMs, coldMs, rawColdMs, customerMs, rawCustomerMs;
        for (int i = 0; i < searches; ++i) {
            auto start = Clock::now();
            const int listed = trova(search, QString(), QString());
            allMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            badLists += listed != rawAll.read();
            rawAllMs.push_back(millis(Clock::now() - start));

            start = Clock::now();
            const int hotListed = trova(search, hotNumber, QString());
            hotMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            badLists += hotListed != rawNumber.read(QStringLiteral("*") + hotNumber + QStringLiteral("*"));
            rawHotMs.push_back(millis(Clock::now() - start));

            const QString number = coldNumber();
            start = Clock::now();
            const int coldListed = trova(search, number, QString());
            coldMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            badLists += coldListed != rawNumber.read(QStringLiteral("*") + number + QStringLiteral("*"));
            rawColdMs.push_back(millis(Clock::now() - start));

            const QString who = QString::number(std::uniform_int_distribution<int>(1, customers)(random));
            start = Clock::now();
            const int customerListed = trova(search, QString(), who);
            customerMs.push_back(millis(Clock::now() - start));
            start = Clock::now();
            badLists += customerListed != rawCustomer.read(who);
            rawCustomerMs.push_back(millis(Clock::now() - start));
        }
        all.add(allMs, rawAllMs);
        hot.add(hotMs, rawHotMs);
        cold.add(coldMs, rawColdMs);
        customer.add(customerMs, rawCustomerMs);
    }
    if (badLists)
        std::fprintf(stderr, "bench-invoice-search: %d lists differ from the raw query's rows\n", badLists);
    int otherMessages = 0;
    for (const QString &text : messages.texts())
        otherMessages += text != QStringLiteral("Nessuna fattura trovata con le caratteristiche specificate");
    if (otherMessages)
        std::fprintf(stderr, "bench-invoice-search: messages shown: %s\n",
                     qPrintable(messages.texts().join(QLatin1String(" | "))));
    std::printf("\nmin / median of the rounds' medians\n");
    bool pass = judge("every filter empty (newest 200)", all, 50);
    pass = judge("part of a number, hot \"26-49\"", hot, 50) && pass;
    pass = judge("part of a number, cold", cold, 50) && pass;
    pass = judge("one customer, cold", customer, 50) && pass;
    sqlite3_close(raw);
    return pass && !badLists && !otherMessages ? 0 : 1;
}
