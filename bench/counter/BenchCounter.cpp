// Times the counter on a copy of a large shop (the file given is only read),
// beside plain SQLite doing the same work on the same file in the same run:
//   scan to ready: leaving the bar-code box of the unload window until every
//     box is filled; its database part (the lookups the window makes) beside
//     the same two lookups as prepared SQLite statements, on cold keys
//     (random items over the whole table) and on a hot key (one item over
//     and over), both sides warmed alike; judged: ratio <= 2;
//   record a sale: the click on "Scarica Articolo" until the sale is
//     committed, and its database part (StockMovement::recordSale, the
//     stock change and the new row in one transaction), beside BEGIN
//     IMMEDIATE; the same UPDATE of the item's stock (its range checked
//     alike); INSERT of the same eight fields; COMMIT, prepared once:
//     durable (synchronous=FULL on both sides), and without the fsync both
//     sides share (synchronous=off on both), so that the rest of the work
//     shows; the fsync printed apart. Judged: ratio <= 2 for the database
//     part with and without the fsync, and for the durable click.
// Figures are medians of a round; the summary gives min / median of the
// rounds.
//
//   QT_QPA_PLATFORM=offscreen bench-counter <shop.mdb> [scans] [sales] [rounds]
#include "base/Globals.h"
#include "rules/general/Today.h"
#include "db/Database.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "rules/StockItemLookup.h"
#include "rules/StockMovement.h"
#include "skin/SkinPath.h"
#include "stock/frmScarico.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[size_t(double(values.size() - 1) * p)];
}

void report(const char *what, const std::vector<double> &ours, const std::vector<double> &raw)
{
    const double m = median(ours);
    const double r = median(raw);
    std::printf("%-40s median %9.1f us  p90 %9.1f us | raw SQLite median %9.1f us | ratio %.2f\n", what, m,
                percentile(ours, 0.9), r, r > 0 ? m / r : 0.0);
}

// The medians of each round, ours and raw, by measure.
struct Rounds {
    std::vector<double> ours, raw;
};

bool judge(const char *what, const Rounds &rounds, double limit)
{
    const double m = median(rounds.ours), r = median(rounds.raw);
    const double ratio = r > 0 ? m / r : 0;
    const bool pass = limit <= 0 || ratio <= limit;
    std::printf("%-40s %8.1f / %8.1f us | raw %8.1f / %8.1f us | ratio %5.2f  %s\n", what,
                *std::min_element(rounds.ours.begin(), rounds.ours.end()), m,
                *std::min_element(rounds.raw.begin(), rounds.raw.end()), r, ratio,
                limit <= 0 ? "(for information)" : pass ? "target <= 2: PASS" : "target <= 2: FAIL");
    return pass;
}

// Stock items picked at random over the whole table.
QStringList sampleBarcodes(sqlite3 *handle, int count)
{
    sqlite3_stmt *max = nullptr;
    sqlite3_prepare_v2(handle, "select max(rowid) from [Codice Articolo]", -1, &max, nullptr);
    sqlite3_step(max);
    const sqlite3_int64 last = sqlite3_column_int64(max, 0);
    sqlite3_finalize(max);
    sqlite3_stmt *byRow = nullptr;
    sqlite3_prepare_v2(handle, "select ca_Codice from [Codice Articolo] where rowid >= ? limit 1", -1, &byRow, nullptr);
    std::mt19937_64 random(42);
    QStringList codes;
    while (codes.size() < count) {
        sqlite3_bind_int64(byRow, 1, std::uniform_int_distribution<sqlite3_int64>(1, last)(random));
        if (sqlite3_step(byRow) == SQLITE_ROW)
            codes << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(byRow, 0)));
        sqlite3_reset(byRow);
    }
    sqlite3_finalize(byRow);
    return codes;
}

// The two lookups of a scan, as a program on plain SQLite would make them:
// statements prepared once, every column the window shows read as text.
class RawLookup {
public:
    explicit RawLookup(sqlite3 *handle)
    {
        sqlite3_prepare_v3(handle, "select * from [Codice Articolo] where ca_Codice = ?", -1,
                           SQLITE_PREPARE_PERSISTENT, &m_item, nullptr);
        sqlite3_prepare_v3(handle, "select * from Articoli where art_Codice = ?", -1, SQLITE_PREPARE_PERSISTENT,
                           &m_article, nullptr);
    }
    ~RawLookup()
    {
        sqlite3_finalize(m_item);
        sqlite3_finalize(m_article);
    }
    StockItemInfo find(const QString &barcode)
    {
        StockItemInfo info;
        const QByteArray code = barcode.toUtf8();
        sqlite3_bind_text(m_item, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(m_item) == SQLITE_ROW) {
            info.articolo = text(m_item, 1);
            info.taglia = text(m_item, 2);
            info.colore = text(m_item, 3);
            info.quantita = text(m_item, 4);
        }
        sqlite3_reset(m_item);
        sqlite3_bind_int64(m_article, 1, info.articolo.toLongLong());
        if (sqlite3_step(m_article) == SQLITE_ROW) {
            info.descrizione = text(m_article, 1);
            info.listino = text(m_article, 4);
        }
        sqlite3_reset(m_article);
        return info;
    }

private:
    static QString text(sqlite3_stmt *s, int column)
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, column)));
    }
    sqlite3_stmt *m_item = nullptr;
    sqlite3_stmt *m_article = nullptr;
};

// Notes when the window asks for the next article: the sale is committed
// by then, and the rest of the click is the window getting ready again.
class TimedMessages : public ui::ScriptedMessages {
public:
    Clock::time_point asked;
    int message(const ui::Message &m) override
    {
        asked = Clock::now();
        return ScriptedMessages::message(m);
    }
};

void exec(sqlite3 *handle, const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "bench-counter: %s: %s\n", sql, message ? message : "");
        std::exit(1);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-counter <shop.mdb> [scans] [sales] [rounds]\n");
        return 2;
    }
    const int scans = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    const int sales = argc > 3 ? std::max(1, std::atoi(argv[3])) : 300;
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    // The sales change the shop: work on a copy.
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("shop.mdb"));
    if (!folder.isValid() || !QFile::copy(QString::fromLocal8Bit(argv[1]), copy)) {
        std::fprintf(stderr, "bench-counter: cannot copy %s\n", argv[1]);
        return 1;
    }
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = copy;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    setToday(QDate(2026, 12, 6));
    skin::setDefaultSkinPath(QStringLiteral(TARVO_SKIN_DIR));

    sqlite3 *raw = nullptr;
    if (sqlite3_open_v2(copy.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench-counter: cannot open %s\n", qPrintable(copy));
        return 1;
    }
    db::registerTextFunctions(raw); // the schema's columns name its collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    exec(raw, "pragma journal_mode=wal");
    exec(raw, "pragma synchronous=full");
    const QStringList codes = sampleBarcodes(raw, scans);
    std::printf("shop %s (a copy), %d scans, %d sales, %d rounds\n", argv[1], scans, sales, rounds);

    TimedMessages messages;
    frmScarico window;
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        std::fprintf(stderr, "bench-counter: the window did not become active\n");
    auto *codice = window.findChild<QLineEdit *>(QStringLiteral("txtCodice"));
    auto *quantita = window.findChild<QLineEdit *>(QStringLiteral("txtQuantita"));
    auto *saldo = window.findChild<QLineEdit *>(QStringLiteral("txtSaldo"));
    auto *scarica = window.findChild<QPushButton *>(QStringLiteral("cmdScarica"));

    RawLookup rawLookup(raw);
    int mismatches = 0;
    const auto ours = [&](const QString &code) {
        StockItemInfo info = StockItemLookup::item(code);
        StockItemLookup::article(info);
        return info;
    };
    // Warm both sides alike: the same items once through each.
    for (const QString &code : codes) {
        ours(code);
        rawLookup.find(code);
    }

    std::vector<double> scanWindow, scanRaw;
    for (const QString &code : codes) {
        codice->setFocus();
        codice->setText(code);
        quantita->clear();
        auto start = Clock::now();
        quantita->setFocus(); // leaving the bar-code box
        scanWindow.push_back(micros(Clock::now() - start));
        if (saldo->text().isEmpty())
            ++mismatches;
        start = Clock::now();
        rawLookup.find(code);
        scanRaw.push_back(micros(Clock::now() - start));
    }
    report("scan to ready (window), cold keys", scanWindow, scanRaw);

    Rounds cold, hot;
    for (int round = 0; round < rounds; ++round) {
        for (int hotKey = 0; hotKey < 2; ++hotKey) {
            std::vector<double> oursTimes, rawTimes;
            for (int i = 0; i < codes.size(); ++i) {
                const QString &code = hotKey ? codes.first() : codes.at(i);
                auto start = Clock::now();
                const StockItemInfo mine = ours(code);
                oursTimes.push_back(micros(Clock::now() - start));
                start = Clock::now();
                const StockItemInfo plain = rawLookup.find(code);
                rawTimes.push_back(micros(Clock::now() - start));
                if (plain.articolo != mine.articolo || plain.taglia != mine.taglia)
                    ++mismatches;
            }
            Rounds &into = hotKey ? hot : cold;
            into.ours.push_back(median(oursTimes));
            into.raw.push_back(median(rawTimes));
        }
    }

    sqlite3_stmt *update = nullptr;
    sqlite3_stmt *insert = nullptr;
    int prepared = sqlite3_prepare_v3(raw, "update [Codice Articolo] set ca_Quantita = ifnull(ca_Quantita, 0) - ?1 "
                                           "where ca_Codice = ?2 and ifnull(ca_Quantita, 0) between -2147483648 + ?1 "
                                           "and 2147483647 + ?1", -1, SQLITE_PREPARE_PERSISTENT, &update, nullptr);
    sqlite3_prepare_v3(raw,
                       "insert into scarico (sc_Data, sc_Codice_Articolo, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, "
                       "sc_Pagamento, sc_Usato) values ('2026-12-06', ?, 1, ?, 0, ?, 'CO', ?)",
                       -1, SQLITE_PREPARE_PERSISTENT, &insert, nullptr);
    if (prepared != SQLITE_OK || !update || !insert) {
        std::fprintf(stderr, "bench-counter: %s\n", sqlite3_errmsg(raw));
        return 1;
    }
    sqlite3 *engine = db::Database::open(g_strDbPath)->handle();
    Rounds durableSale, fastSale, durablePart, fastPart;
    int asked = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int durable = 1; durable >= 0; --durable) {
            const char *sync = durable ? "pragma synchronous=full" : "pragma synchronous=off";
            exec(raw, sync);
            exec(engine, sync);
            std::vector<double> saleWindow, saleRaw, saleDatabase;
            for (int i = 0; i < sales; ++i) {
                const QString code = codes.at(i % codes.size());
                codice->setFocus();
                codice->setText(code);
                quantita->setFocus();
                messages.queueAnswer(ui::vbYes);
                auto start = Clock::now();
                scarica->click();
                saleWindow.push_back(micros(messages.asked - start));
                ++asked;

                const QByteArray utf8 = code.toUtf8();
                start = Clock::now();
                exec(raw, "begin immediate");
                sqlite3_bind_int(update, 1, 1);
                sqlite3_bind_text(update, 2, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
                if (sqlite3_step(update) != SQLITE_DONE || sqlite3_changes(raw) != 1)
                    ++mismatches;
                sqlite3_reset(update);
                sqlite3_bind_text(insert, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
                sqlite3_bind_double(insert, 2, 20);
                sqlite3_bind_double(insert, 3, 20);
                sqlite3_bind_int(insert, 4, code.endsWith(QLatin1Char('U')) ? -1 : 0);
                if (sqlite3_step(insert) != SQLITE_DONE)
                    ++mismatches;
                sqlite3_reset(insert);
                exec(raw, "commit");
                saleRaw.push_back(micros(Clock::now() - start));

                // The database part of the same sale.
                SaleRow row;
                row.data = QStringLiteral("06/12/2026");
                row.codice = code;
                row.quantita = 1;
                row.prezzo = 20;
                row.saldo = 20;
                row.pagamento = QStringLiteral("CO");
                row.usato = code.endsWith(QLatin1Char('U')) ? -1 : 0;
                start = Clock::now();
                if (StockMovement::recordSale(row) != StockMovement::Result::Done)
                    ++mismatches;
                saleDatabase.push_back(micros(Clock::now() - start));
            }
            Rounds &into = durable ? durableSale : fastSale;
            into.ours.push_back(median(saleWindow));
            into.raw.push_back(median(saleRaw));
            Rounds &part = durable ? durablePart : fastPart;
            part.ours.push_back(median(saleDatabase));
            part.raw.push_back(median(saleRaw));
        }
    }
    exec(raw, "pragma synchronous=full");
    exec(engine, "pragma synchronous=full");
    sqlite3_finalize(update);
    sqlite3_finalize(insert);

    std::printf("\nmin / median of %d rounds; database part: StockItemLookup::item + ::article against the same\n"
                "two prepared selects; a sale: the click until the next article is asked for, and its database\n"
                "part StockMovement::recordSale, against BEGIN IMMEDIATE; UPDATE; INSERT; COMMIT\n", rounds);
    bool pass = judge("scan, database part, cold keys", cold, 2.0);
    pass = judge("scan, database part, hot key", hot, 2.0) && pass;
    pass = judge("sale, database part, durable commit", durablePart, 2.0) && pass;
    pass = judge("sale, database part, without fsync", fastPart, 2.0) && pass;
    pass = judge("record a sale (click), durable commit", durableSale, 2.0) && pass;
    judge("record a sale (click), without fsync", fastSale, 0);
    std::printf("    the fsync of a durable sale, shared by both sides: click %.0f us, database part %.0f us, raw %.0f us\n",
                median(durableSale.ours) - median(fastSale.ours), median(durablePart.ours) - median(fastPart.ours),
                median(durableSale.raw) - median(fastSale.raw));
    if (messages.texts().size() != asked)
        ++mismatches;
    std::printf("checks: %s\n", mismatches == 0 ? "every scan filled the window, every sale asked for the next"
                                                : "MISMATCHES");
    std::printf("%s\n", pass && mismatches == 0 ? "PASS" : "FAIL");
    sqlite3_close(raw);
    return pass && mismatches == 0 ? 0 : 1;
}
