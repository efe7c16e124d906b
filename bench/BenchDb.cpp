// bench-db SHOP [runs]: the engine against raw SQLite, both on a copy of the
// large shop SHOP (the file given is only read), in the same run. Each run
// warms both sides alike, then times them one after the other; a figure is
// the median of a run, and the summary gives the min and the median of the
// runs (3 by default).
//
//  (a) the statement of CercaValore by bar code (text key) and by article
//      code (number) through the engine, on hot keys (one key over and
//      over) and cold keys (random keys over the whole table): ratio to a
//      raw prepared lookup <= 2; (i) the program's own CercaValore, shown
//      for information when tarvo_app is linked
//  (b) a record set over all sales ordered by date, opened and its first
//      screen (30 rows, every field) read: < 100 ms
//  (c) ModificaQuantita, each a durable commit, against raw BEGIN; the same
//      UPDATE (the bar code folded, the range kept within a long);
//      COMMIT: the part without the fsync (synchronous=off on both sides)
//      within 1.5x, the fsync both share reported apart
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "db/TextKeys.h"
#include "rules/StockQuantity.h"

#ifdef TARVO_BENCH_WITH_APP
#include "base/Globals.h"
#include "base/modZandri.h"
#endif

#include <QCoreApplication>
#include <QFile>
#include <QStringBuilder>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + ptrdiff_t(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// The median time of one call of `work(i)` over `count` calls.
double timeEach(int count, const std::function<void(int)> &work)
{
    std::vector<double> samples;
    samples.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        work(i);
        samples.push_back(microseconds(Clock::now() - start));
    }
    return median(samples);
}

// The run medians of each measure, ours and raw.
struct Measure {
    std::vector<double> ours, raw;
};
std::map<std::string, Measure> measures;
std::vector<std::string> order;

void record(const std::string &name, double ours, double raw)
{
    if (!measures.count(name))
        order.push_back(name);
    measures[name].ours.push_back(ours);
    measures[name].raw.push_back(raw);
}

sqlite3 *openRaw(const QString &path)
{
    sqlite3 *raw = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench-db: cannot open %s\n", qPrintable(path));
        std::exit(1);
    }
    db::registerTextFunctions(raw); // the schema's collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    sqlite3_exec(raw, "pragma journal_mode=wal; pragma synchronous=full; pragma busy_timeout=5000",
                 nullptr, nullptr, nullptr);
    return raw;
}

sqlite3_stmt *prepare(sqlite3 *raw, const char *sql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v3(raw, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench-db: %s: %s\n", sql, sqlite3_errmsg(raw));
        std::exit(1);
    }
    return s;
}

QString columnText(sqlite3_stmt *s, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, column)));
}

// The statement CercaValore sends, through the engine: the text built, the
// database opened (a cached connection), a record set opened, its count and
// one field read, closed.
QString engineLookup(const QString &path, const QString &table, const QString &keyField, const QString &resultField,
                     const QString &key, int numeric)
{
    // Built in one piece, as CercaValore builds it.
    const QString value = numeric ? QString::number(key.toLongLong()) : db::quoted(key, QLatin1Char('"'));
    const QString sql = u"select * from [" % table % u"] where " % keyField % u" = " % value;
    const auto database = db::Database::open(path, QStringLiteral(";PWD="));
    const auto rs = database->openRecordset(sql);
    return rs->recordCount() != 0 ? rs->value(resultField).toString() : QString();
}

void changeQuantity(const QString &path, const QString &code, long delta)
{
#ifdef TARVO_BENCH_WITH_APP
    Q_UNUSED(path);
    ModificaQuantita(code, delta);
#else
    // The statement of ModificaQuantita.
    StockQuantity::addTo(*db::Database::open(path), code, delta);
#endif
}

struct Keys {
    std::vector<QString> codes;
    std::vector<qlonglong> articles;
};

// Stock items that exist, picked at random over the whole table.
Keys pickKeys(sqlite3 *raw, int count)
{
    Keys keys;
    std::mt19937 random(7);
    sqlite3_stmt *max = prepare(raw, "select max(rowid) from \"Codice Articolo\"");
    sqlite3_step(max);
    const qlonglong rows = sqlite3_column_int64(max, 0);
    sqlite3_finalize(max);
    sqlite3_stmt *pick = prepare(raw, "select ca_Codice, ca_Codice_Articolo from \"Codice Articolo\" where rowid = ?");
    while (int(keys.codes.size()) < count) {
        sqlite3_bind_int64(pick, 1, 1 + qlonglong(random() % quint64(rows)));
        if (sqlite3_step(pick) == SQLITE_ROW) {
            keys.codes.push_back(columnText(pick, 0));
            keys.articles.push_back(sqlite3_column_int64(pick, 1));
        }
        sqlite3_reset(pick);
    }
    sqlite3_finalize(pick);
    return keys;
}

void lookups(const QString &path, sqlite3 *raw, const Keys &keys)
{
    sqlite3_stmt *byCode = prepare(raw, "select * from \"Codice Articolo\" where \"ca_Codice\" = ?");
    sqlite3_stmt *byArticle = prepare(raw, "select * from \"Articoli\" where \"art_Codice\" = ?");
    QString sink;
    const auto rawCode = [&](const QString &code) {
        const QByteArray key = code.toUtf8();
        sqlite3_bind_text(byCode, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(byCode) == SQLITE_ROW)
            sink = columnText(byCode, 1);
        sqlite3_reset(byCode);
    };
    const auto rawArticle = [&](qlonglong article) {
        sqlite3_bind_int64(byArticle, 1, article);
        if (sqlite3_step(byArticle) == SQLITE_ROW)
            sink = columnText(byArticle, 1);
        sqlite3_reset(byArticle);
    };
    const auto oursCode = [&](const QString &code) {
        sink = engineLookup(path, QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice"),
                            QStringLiteral("ca_Codice_Articolo"), code, 0);
    };
    const auto oursArticle = [&](qlonglong article) {
        sink = engineLookup(path, QStringLiteral("Articoli"), QStringLiteral("art_Codice"),
                            QStringLiteral("art_Descrizione"), QString::number(article), 1);
    };
    const int n = int(keys.codes.size());
    // Both sides warmed alike: every key once through each, then timed.
    const auto both = [&](const char *name, const std::function<void(int)> &ours, const std::function<void(int)> &plain) {
        timeEach(n, plain);
        timeEach(n, ours);
        const double r = timeEach(n, plain);
        const double o = timeEach(n, ours);
        record(name, o, r);
    };
    both("(a) bar code, cold keys", [&](int i) { oursCode(keys.codes[size_t(i)]); },
         [&](int i) { rawCode(keys.codes[size_t(i)]); });
    both("(a) bar code, hot key", [&](int) { oursCode(keys.codes[0]); }, [&](int) { rawCode(keys.codes[0]); });
    both("(a) article code, cold keys", [&](int i) { oursArticle(keys.articles[size_t(i)]); },
         [&](int i) { rawArticle(keys.articles[size_t(i)]); });
    both("(a) article code, hot key", [&](int) { oursArticle(keys.articles[0]); },
         [&](int) { rawArticle(keys.articles[0]); });
#ifdef TARVO_BENCH_WITH_APP
    // The program's own CercaValore adds its key conversion and the display
    // text of the field (FieldText) to the same engine calls.
    const auto program = [&](const QString &table, const QString &field, const QString &result, const QString &key,
                             int numeric) { sink = CercaValore(table, field, result, key, numeric); };
    both("(i) CercaValore, bar code, cold keys",
         [&](int i) { program(QStringLiteral("Codice Articolo"), QStringLiteral("ca_Codice"),
                              QStringLiteral("ca_Codice_Articolo"), keys.codes[size_t(i)], 0); },
         [&](int i) { rawCode(keys.codes[size_t(i)]); });
    both("(i) CercaValore, article code, hot key",
         [&](int) { program(QStringLiteral("Articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"),
                            QString::number(keys.articles[0]), 1); },
         [&](int) { rawArticle(keys.articles[0]); });
#endif
    sqlite3_finalize(byCode);
    sqlite3_finalize(byArticle);
}

void largeSets(const QString &path, sqlite3 *raw)
{
    const auto database = db::Database::open(path);
    const QString allSales = QStringLiteral("select * from scarico order by sc_Data");
    sqlite3_stmt *sales = prepare(raw, "select * from scarico order by sc_Data");
    const int screen = 30;
    QString sink;
    const auto oursScreen = [&](int) {
        const auto rs = database->openRecordset(allSales);
        const int fields = int(rs->fieldNames().size());
        for (int row = 0; row < screen && !rs->eof(); ++row) {
            for (int f = 0; f < fields; ++f)
                sink = rs->value(f).toString();
            rs->moveNext();
        }
    };
    const auto rawScreen = [&](int) {
        const int fields = sqlite3_column_count(sales);
        for (int row = 0; row < screen && sqlite3_step(sales) == SQLITE_ROW; ++row)
            for (int f = 0; f < fields; ++f)
                sink = columnText(sales, f);
        sqlite3_reset(sales);
    };
    timeEach(5, rawScreen);
    timeEach(5, oursScreen);
    record("(b) all sales by date, first 30 rows", timeEach(20, oursScreen) / 1000, timeEach(20, rawScreen) / 1000);

    // MoveLast reads every key: against raw SQLite stepping the same keys.
    sqlite3_stmt *saleKeys = prepare(raw, "select rowid from scarico order by sc_Data, rowid");
    const auto oursLast = [&](int) {
        const auto rs = database->openRecordset(allSales);
        rs->moveLast();
        sink = rs->value(0).toString();
        if (rs->recordCount() <= 0)
            std::exit(1);
    };
    const auto rawLast = [&](int) {
        std::vector<qint64> all;
        while (sqlite3_step(saleKeys) == SQLITE_ROW)
            all.push_back(sqlite3_column_int64(saleKeys, 0));
        sqlite3_reset(saleKeys);
    };
    record("(b) all sales by date, MoveLast", timeEach(1, oursLast) / 1000, timeEach(1, rawLast) / 1000);

    // The cards' counter: MoveLast + MoveFirst over all articles.
    sqlite3_stmt *articles = prepare(raw, "select * from \"Articoli\" order by \"art_Codice\"");
    const auto oursCards = [&](int) {
        const auto rs = database->openRecordset(QStringLiteral("select * from Articoli order by art_Codice"));
        rs->moveLast();
        rs->moveFirst();
        sink = rs->value(QStringLiteral("art_Descrizione")).toString();
    };
    const auto rawCards = [&](int) {
        int rows = 0;
        while (sqlite3_step(articles) == SQLITE_ROW)
            if (rows++ == 0)
                sink = columnText(articles, 1);
        sqlite3_reset(articles);
    };
    timeEach(1, rawCards);
    timeEach(1, oursCards);
    record("(b) all articles, MoveLast + MoveFirst", timeEach(3, oursCards) / 1000, timeEach(3, rawCards) / 1000);
    sqlite3_finalize(sales);
    sqlite3_finalize(saleKeys);
    sqlite3_finalize(articles);
}

// +1 then -1 on the same items leaves the stock as it was.
void stockChanges(const QString &path, sqlite3 *raw, const Keys &keys, bool durable)
{
    sqlite3 *engine = db::Database::open(path)->handle();
    const char *sync = durable ? "pragma synchronous=full" : "pragma synchronous=off";
    sqlite3_exec(engine, sync, nullptr, nullptr, nullptr);
    sqlite3_exec(raw, sync, nullptr, nullptr, nullptr);
    sqlite3_stmt *begin = prepare(raw, "begin immediate");
    // The program's statement: the bar code found whatever its case, the
    // quantity moved only while it stays within a long.
    const QByteArray changeSql = "update \"Codice Articolo\" set \"ca_Quantita\" = ifnull(\"ca_Quantita\", 0) + ?1 where "
                                 + db::foldedTextKey(QStringLiteral("\"ca_Codice\"")).toUtf8()
                                 + " = ?2 and ifnull(\"ca_Quantita\", 0) + ?1 between -2147483648 and 2147483647";
    sqlite3_stmt *update = prepare(raw, changeSql.constData());
    sqlite3_stmt *commit = prepare(raw, "commit");
    const auto rawChange = [&](int i) {
        sqlite3_step(begin);
        sqlite3_reset(begin);
        const QByteArray key = db::foldedText(keys.codes[size_t(i / 2)]).toUtf8();
        sqlite3_bind_int64(update, 1, i % 2 ? -1 : 1);
        sqlite3_bind_text(update, 2, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_step(update);
        sqlite3_reset(update);
        sqlite3_step(commit);
        sqlite3_reset(commit);
    };
    const auto oursChange = [&](int i) { changeQuantity(path, keys.codes[size_t(i / 2)], i % 2 ? -1 : 1); };
    const int changes = durable ? 200 : 2000;
    timeEach(changes, rawChange);
    timeEach(changes, oursChange);
    const double r = timeEach(changes, rawChange);
    const double o = timeEach(changes, oursChange);
    record(durable ? "(c) ModificaQuantita, durable commit" : "(c) ModificaQuantita, without fsync", o, r);
    sqlite3_exec(engine, "pragma synchronous=full", nullptr, nullptr, nullptr);
    sqlite3_exec(raw, "pragma synchronous=full", nullptr, nullptr, nullptr);
    sqlite3_finalize(begin);
    sqlite3_finalize(update);
    sqlite3_finalize(commit);
}

double minimum(const std::vector<double> &v)
{
    return *std::min_element(v.begin(), v.end());
}

// Prints every measure and judges those with a target; false on a failure.
bool summary()
{
    std::printf("\n%-40s %21s %21s %13s  %s\n", "measure (min / median of the runs)", "engine", "raw SQLite",
                "ratio (med)", "target");
    bool allPass = true;
    for (const std::string &name : order) {
        const Measure &m = measures[name];
        const bool ms = name.rfind("(b)", 0) == 0;
        const double ours = median(m.ours), raw = median(m.raw);
        const double ratio = raw > 0 ? ours / raw : 0;
        std::string target;
        bool pass = true;
        if (name.rfind("(a)", 0) == 0) {
            target = "ratio <= 2";
            pass = ratio <= 2.0;
        } else if (name == "(b) all sales by date, first 30 rows") {
            target = "< 100 ms";
            pass = ours < 100;
        } else if (name == "(c) ModificaQuantita, without fsync") {
            target = "ratio <= 1.5";
            pass = ratio <= 1.5;
        }
        std::printf("%-40s %8.2f / %8.2f %s %8.2f / %8.2f %s %8.2fx     %s%s\n", name.c_str(), minimum(m.ours), ours,
                    ms ? "ms" : "us", minimum(m.raw), raw, ms ? "ms" : "us", ratio, target.c_str(),
                    target.empty() ? "(for information)" : pass ? "  PASS" : "  FAIL");
        allPass = allPass && pass;
    }
    const Measure &durable = measures["(c) ModificaQuantita, durable commit"];
    const Measure &fast = measures["(c) ModificaQuantita, without fsync"];
    std::printf("    the fsync of a durable commit, shared by both sides: engine %.0f us, raw %.0f us\n",
                median(durable.ours) - median(fast.ours), median(durable.raw) - median(fast.raw));
    return allPass;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-db <shop.mdb made by bench-mkshop> [runs, default 3]\n");
        return 2;
    }
    const QString shop = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!QFile::exists(shop)) {
        std::fprintf(stderr, "bench-db: %s missing; run bench-mkshop first\n", qPrintable(shop));
        return 1;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("shop.mdb"));
    if (!folder.isValid() || !QFile::copy(shop, path)) {
        std::fprintf(stderr, "bench-db: cannot copy %s\n", qPrintable(shop));
        return 1;
    }
#ifdef TARVO_BENCH_WITH_APP
    g_strDbPath = path;
    std::printf("on a copy of %s; ModificaQuantita and (i) CercaValore of the program (tarvo_app)\n", qPrintable(shop));
#else
    std::printf("on a copy of %s; the statements of ModificaQuantita (tarvo_app not linked)\n", qPrintable(shop));
#endif
    std::printf("(a) engine: the statement CercaValore sends built, database opened (cached), record set opened,\n"
                "    count and one field read as text, closed; raw: one prepared statement bound, stepped, one\n"
                "    column read as text, reset\n"
                "(i) the program's CercaValore, for information: (a) plus its key conversion and display text\n"
                "(b) engine: open the set and read 30 rows of every field; raw: a prepared select stepped 30 rows\n"
                "(c) engine: ModificaQuantita (one update adding to the quantity); raw: BEGIN; the same UPDATE (folded\n"
                "    bar code, range kept within a long) prepared; COMMIT;\n"
                "    'without fsync' runs both sides with synchronous=off, so the rest of the work is compared\n");
    sqlite3 *raw = openRaw(path);
    const Keys keys = pickKeys(raw, 20000);
    for (int run = 1; run <= runs; ++run) {
        std::printf("run %d of %d\n", run, runs);
        std::fflush(stdout);
        lookups(path, raw, keys);
        largeSets(path, raw);
        stockChanges(path, raw, keys, true);
        stockChanges(path, raw, keys, false);
    }
    const bool pass = summary();
    sqlite3_close_v2(raw);
    db::Database::closeAll();
    std::printf("%s\n", pass ? "PASS: every target met" : "FAIL: a target was missed");
    return pass ? 0 : 1;
}
