// bench-db [shop.mdb]: the engine against raw SQLite on the same file.
//  (a) CercaValore by bar code (text key) and by article code (number):
//      median per lookup, ratio to a raw prepared lookup <= 2, median < 50 us
//  (b) "select * from Articoli order by art_Codice", MoveLast, MoveFirst:
//      < 300 ms, against raw SQLite stepping the same rows
//  (c) ModificaQuantita, each a durable commit, against raw
//      BEGIN; UPDATE; COMMIT with the same settings: ratio <= 1.5
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "db/TextFunctions.h"

#ifdef TARVO_BENCH_WITH_APP
#include "app/Globals.h"
#include "app/modZandri.h"
#endif

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Figures {
    double median = 0;
    double mean = 0;
};

Figures timeEach(int count, const std::function<void(int)> &work)
{
    std::vector<double> samples;
    samples.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        work(i);
        samples.push_back(microseconds(Clock::now() - start));
    }
    Figures f;
    for (double s : samples)
        f.mean += s;
    f.mean /= count;
    std::nth_element(samples.begin(), samples.begin() + count / 2, samples.end());
    f.median = samples[size_t(count / 2)];
    return f;
}

void report(const char *measure, double ours, double raw, const char *unit, const char *limit, bool ok)
{
    std::printf("%-44s %10.2f %s %10.2f %s %7.2fx   %-22s %s\n", measure, ours, unit, raw, unit, ours / raw, limit,
                ok ? "OK" : "OLTRE IL LIMITE");
}

sqlite3 *openRaw(const QString &path)
{
    sqlite3 *raw = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench-db: cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    db::registerTextFunctions(raw); // the schema's collation
    sqlite3_exec(raw, "pragma journal_mode=wal; pragma synchronous=full; pragma busy_timeout=5000; pragma cache_size=-32000", nullptr, nullptr, nullptr);
    return raw;
}

sqlite3_stmt *prepare(sqlite3 *raw, const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(raw, sql, -1, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench-db: %s: %s\n", sql, sqlite3_errmsg(raw));
        std::exit(1);
    }
    return s;
}

QString lookup(const QString &path, const QString &table, const QString &keyField, const QString &resultField,
               const QString &key, int numeric)
{
#ifdef TARVO_BENCH_WITH_APP
    Q_UNUSED(path);
    return CercaValore(table, keyField, resultField, key, numeric);
#else
    // The statement CercaValore sends.
    const QString sql = QStringLiteral("select * from [") + table + QStringLiteral("] where ") + keyField
                        + QStringLiteral(" = ")
                        + (numeric ? QString::number(key.toLongLong()) : db::quoted(key, QLatin1Char('"')));
    const auto database = db::Database::open(path, QStringLiteral(";PWD="));
    const auto rs = database->openRecordset(sql);
    return rs->recordCount() != 0 ? rs->value(resultField).toString() : QString();
#endif
}

void changeQuantity(const QString &path, const QString &code, long delta)
{
#ifdef TARVO_BENCH_WITH_APP
    Q_UNUSED(path);
    ModificaQuantita(code, delta);
#else
    // The statements of ModificaQuantita.
    const auto database = db::Database::open(path);
    const auto rs = database->openRecordset(QStringLiteral("select * from [codice articolo]where ca_Codice = '")
                                            + db::escaped(code) + QStringLiteral("'"));
    if (rs->recordCount() == 0)
        return;
    rs->edit();
    rs->setValue(QStringLiteral("ca_Quantita"), rs->value(QStringLiteral("ca_Quantita")).toLongLong() + delta);
    rs->update();
#endif
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TARVO_BENCH_SHOP);
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "bench-db: %s missing; run bench-mkshop first\n", qPrintable(path));
        return 1;
    }
#ifdef TARVO_BENCH_WITH_APP
    g_strDbPath = path;
    std::printf("CercaValore and ModificaQuantita of the program (tarvo_app)\n");
#else
    std::printf("CercaValore and ModificaQuantita statements through the engine (tarvo_app not linked)\n");
#endif
    sqlite3 *raw = openRaw(path);
    std::mt19937 random(7);

    // Keys that exist, picked at random.
    std::vector<QString> codes;
    std::vector<qlonglong> articles;
    {
        sqlite3_stmt *count = prepare(raw, "select max(rowid) from \"Codice Articolo\"");
        sqlite3_step(count);
        const qlonglong rows = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
        sqlite3_stmt *pick = prepare(raw, "select ca_Codice, ca_Codice_Articolo from \"Codice Articolo\" where rowid = ?");
        while (codes.size() < 20000) {
            sqlite3_bind_int64(pick, 1, 1 + qlonglong(random() % quint64(rows)));
            if (sqlite3_step(pick) == SQLITE_ROW) {
                codes.push_back(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(pick, 0))));
                articles.push_back(sqlite3_column_int64(pick, 1));
            }
            sqlite3_reset(pick);
        }
        sqlite3_finalize(pick);
    }
    const int n = int(codes.size());
    std::printf("%-44s %13s %13s %8s   %-22s\n", "misura", "motore", "sqlite", "rapporto", "limite");

    // (a) lookups.
    {
        sqlite3_stmt *byCode = prepare(raw, "select * from \"Codice Articolo\" where \"ca_Codice\" = ?");
        sqlite3_stmt *byArticle = prepare(raw, "select * from \"Articoli\" where \"art_Codice\" = ?");
        QString sink;
        auto rawCode = [&](int i) {
            const QByteArray key = codes[size_t(i)].toUtf8();
            sqlite3_bind_text(byCode, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(byCode) == SQLITE_ROW)
                sink = QString::number(sqlite3_column_int64(byCode, 1));
            sqlite3_reset(byCode);
        };
        auto rawArticle = [&](int i) {
            sqlite3_bind_int64(byArticle, 1, articles[size_t(i)]);
            if (sqlite3_step(byArticle) == SQLITE_ROW)
                sink = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(byArticle, 1)));
            sqlite3_reset(byArticle);
        };
        auto oursCode = [&](int i) {
            sink = lookup(path, QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice"),
                          QStringLiteral("ca_Codice_Articolo"), codes[size_t(i)], 0);
        };
        auto oursArticle = [&](int i) {
            sink = lookup(path, QStringLiteral("Articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"),
                          QString::number(articles[size_t(i)]), 1);
        };
        timeEach(n, rawCode); // warm the page cache and the statement caches
        timeEach(n, oursCode);
        const Figures rc = timeEach(n, rawCode);
        const Figures oc = timeEach(n, oursCode);
        report("(a) CercaValore per codice a barre (mediana)", oc.median, rc.median, "us", "<= 2x, < 50 us",
               oc.median / rc.median <= 2.0 && oc.median < 50);
        std::printf("    media: motore %.2f us, sqlite %.2f us\n", oc.mean, rc.mean);
        // The same on 500 keys used over and over: the engine's own cost,
        // with every page in memory.
        auto hot = [](int i) { return i % 500; };
        const Figures rh = timeEach(n, [&](int i) { rawCode(hot(i)); });
        const Figures oh = timeEach(n, [&](int i) { oursCode(hot(i)); });
        report("(a) CercaValore per codice a barre, in memoria", oh.median, rh.median, "us", "<= 2x, < 50 us",
               oh.median / rh.median <= 2.0 && oh.median < 50);
        timeEach(n, rawArticle);
        timeEach(n, oursArticle);
        const Figures ra = timeEach(n, rawArticle);
        const Figures oa = timeEach(n, oursArticle);
        report("(a) CercaValore per codice articolo (mediana)", oa.median, ra.median, "us", "<= 2x, < 50 us",
               oa.median / ra.median <= 2.0 && oa.median < 50);
        std::printf("    media: motore %.2f us, sqlite %.2f us\n", oa.mean, ra.mean);
        const Figures rah = timeEach(n, [&](int i) { rawArticle(hot(i)); });
        const Figures oah = timeEach(n, [&](int i) { oursArticle(hot(i)); });
        report("(a) CercaValore per codice articolo, in memoria", oah.median, rah.median, "us", "<= 2x, < 50 us",
               oah.median / rah.median <= 2.0 && oah.median < 50);
        sqlite3_finalize(byCode);
        sqlite3_finalize(byArticle);
    }

    // (b) a large set: count known, last and first row.
    {
        const auto database = db::Database::open(path);
        sqlite3_stmt *all = prepare(raw, "select * from \"Articoli\" order by \"art_Codice\"");
        QString first, last;
        auto rawSet = [&](int) {
            int rows = 0;
            while (sqlite3_step(all) == SQLITE_ROW) {
                if (rows++ == 0)
                    first = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(all, 1)));
            }
            sqlite3_reset(all);
        };
        auto oursSet = [&](int) {
            const auto rs = database->openRecordset(QStringLiteral("select * from Articoli order by art_Codice"));
            rs->moveLast();
            last = rs->value(QStringLiteral("art_Descrizione")).toString();
            rs->moveFirst();
            first = rs->value(QStringLiteral("art_Descrizione")).toString();
            if (rs->recordCount() <= 0)
                std::exit(1);
        };
        rawSet(0);
        oursSet(0);
        const Figures rs = timeEach(5, rawSet);
        const Figures os = timeEach(5, oursSet);
        report("(b) Articoli per codice, MoveLast, MoveFirst", os.median / 1000, rs.median / 1000, "ms", "< 300 ms",
               os.median / 1000 < 300);
        sqlite3_finalize(all);
    }

    // (c) durable stock changes; +1 then -1 leaves the stock as it was.
    {
        sqlite3_stmt *begin = prepare(raw, "begin");
        sqlite3_stmt *update = prepare(raw, "update \"Codice Articolo\" set \"ca_Quantita\" = \"ca_Quantita\" + ? where \"ca_Codice\" = ?");
        sqlite3_stmt *commit = prepare(raw, "commit");
        auto rawChange = [&](int i) {
            sqlite3_step(begin);
            sqlite3_reset(begin);
            const QByteArray key = codes[size_t(i / 2)].toUtf8();
            sqlite3_bind_int64(update, 1, i % 2 ? -1 : 1);
            sqlite3_bind_text(update, 2, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            sqlite3_step(update);
            sqlite3_reset(update);
            sqlite3_step(commit);
            sqlite3_reset(commit);
        };
        auto oursChange = [&](int i) { changeQuantity(path, codes[size_t(i / 2)], i % 2 ? -1 : 1); };
        const int changes = 400;
        timeEach(20, rawChange);
        timeEach(20, oursChange);
        const Figures rc = timeEach(changes, rawChange);
        const Figures oc = timeEach(changes, oursChange);
        report("(c) ModificaQuantita, commit durevole (mediana)", oc.median, rc.median, "us", "<= 1.5x",
               oc.median / rc.median <= 1.5);
        std::printf("    media: motore %.2f us, sqlite %.2f us\n", oc.mean, rc.mean);
        sqlite3_finalize(begin);
        sqlite3_finalize(update);
        sqlite3_finalize(commit);
    }
    sqlite3_close_v2(raw);
    return 0;
}
