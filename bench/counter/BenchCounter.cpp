// Times the counter on a large shop, beside plain SQLite doing the same work
// on the same file in the same run:
//   scan to ready: leaving the bar-code box of the unload window until every
//     box is filled; its database part (the lookups the window makes) beside
//     the same two lookups as prepared SQLite statements;
//   record a sale: the click on "Scarica Articolo" until the sale is
//     committed (WAL, synchronous=FULL), beside BEGIN; UPDATE; INSERT; COMMIT.
//
//   QT_QPA_PLATFORM=offscreen bench-counter <shop.mdb> [scans] [sales]
#include "app/Globals.h"
#include "app/Today.h"
#include "db/TextFunctions.h"
#include "skin/SkinPath.h"
#include "stock/StockItemLookup.h"
#include "stock/frmScarico.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
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
    std::printf("%-34s median %9.1f us  p90 %9.1f us | raw SQLite median %9.1f us | ratio %.2f\n", what, m,
                percentile(ours, 0.9), r, r > 0 ? m / r : 0.0);
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
        std::fprintf(stderr, "usage: bench-counter <shop.mdb> [scans] [sales]\n");
        return 2;
    }
    const int scans = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int sales = argc > 3 ? std::atoi(argv[3]) : 300;
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = QString::fromLocal8Bit(argv[1]);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    setToday(QDate(2026, 12, 6));
    skin::setDefaultSkinPath(QStringLiteral(TARVO_SKIN_DIR));

    sqlite3 *raw = nullptr;
    if (sqlite3_open_v2(argv[1], &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench-counter: cannot open %s\n", argv[1]);
        return 1;
    }
    db::registerTextFunctions(raw); // the schema's columns name its collation
    exec(raw, "pragma journal_mode=wal");
    exec(raw, "pragma synchronous=full");
    exec(raw, "pragma cache_size=-32000"); // as the engine sets it
    const QStringList codes = sampleBarcodes(raw, scans);
    std::printf("shop %s, %d scans, %d sales\n", argv[1], scans, sales);

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

    // Warm both sides alike: the same items once through each.
    RawLookup rawLookup(raw);
    for (const QString &code : codes) {
        StockItemInfo info = StockItemLookup::item(code);
        StockItemLookup::article(info);
        rawLookup.find(code);
    }

    std::vector<double> scanWindow, scanDatabase, scanRaw;
    int mismatches = 0;
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
        StockItemInfo ours = StockItemLookup::item(code);
        StockItemLookup::article(ours);
        scanDatabase.push_back(micros(Clock::now() - start));

        start = Clock::now();
        const StockItemInfo plain = rawLookup.find(code);
        scanRaw.push_back(micros(Clock::now() - start));
        if (plain.articolo != ours.articolo || plain.taglia != ours.taglia)
            ++mismatches;
    }
    report("scan to ready (window)", scanWindow, scanRaw);
    report("scan to ready (database part)", scanDatabase, scanRaw);

    std::vector<double> saleWindow, saleClick, saleRaw;
    sqlite3_stmt *update = nullptr;
    sqlite3_stmt *insert = nullptr;
    int prepared = sqlite3_prepare_v2(raw, "update [Codice Articolo] set ca_Quantita = ca_Quantita - ? where ca_Codice = ?", -1,
                       &update, nullptr);
    sqlite3_prepare_v2(raw,
                       "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, "
                       "sc_Pagamento) values (?, '2026-12-06', 1, ?, 0, ?, 'CO')",
                       -1, &insert, nullptr);
    if (prepared != SQLITE_OK || !update || !insert) {
        std::fprintf(stderr, "bench-counter: %s\n", sqlite3_errmsg(raw));
        return 1;
    }
    for (int i = 0; i < sales; ++i) {
        const QString code = codes.at(i % codes.size());
        codice->setFocus();
        codice->setText(code);
        quantita->setFocus();
        messages.queueAnswer(ui::vbYes);
        auto start = Clock::now();
        scarica->click();
        saleClick.push_back(micros(Clock::now() - start));
        saleWindow.push_back(micros(messages.asked - start));

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
        if (sqlite3_step(insert) != SQLITE_DONE)
            ++mismatches;
        sqlite3_reset(insert);
        exec(raw, "commit");
        saleRaw.push_back(micros(Clock::now() - start));
    }
    sqlite3_finalize(update);
    sqlite3_finalize(insert);
    report("record a sale (click to commit)", saleWindow, saleRaw);
    report("  the whole click, window cleared", saleClick, saleRaw);
    if (messages.texts().size() != sales)
        ++mismatches;
    std::printf("checks: %s\n", mismatches == 0 ? "every scan filled the window, every sale asked for the next"
                                                : "MISMATCHES");
    sqlite3_close(raw);
    return mismatches == 0 ? 0 : 1;
}
