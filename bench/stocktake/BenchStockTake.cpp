// Times the stock take on a copy of a large shop (1,000,000 items, 5,000,000
// sales at scale 1):
//   scan: one bar code counted as the window counts it, into a count of
//     10,000 lines already (the item and its article looked up, the scope
//     checked, the line written and committed, the line's stock on the
//     count's day read back from the movements);
//     hot keys (50 items scanned over and over) and cold keys (a different
//     item of the million each time);
//   posting: a count of 10,000 items (different ones each round, each line
//     counted 0 to 12 pieces, so that nearly every item changes), posted in
//     one transaction; once dated today, once dated a week back (a week of
//     movements read to find the stock on that day); and a supplier's shelf
//     counted in half with the rest of the supplier's items set to zero;
// beside raw SQLite doing the same reads and writes in the same run with
// statements written by hand (the same indexes: the folded text keys), as a
// program on plain SQLite would (posting: the same lines read, the same rows
// written, in one transaction). Both sides are warmed alike. Both sides
// commit durably (synchronous=FULL): the time of one durable commit on this
// disk is printed apart, since every scan pays it once. Figures: min /
// median of the rounds, each round the median of its scans. Judged: a scan
// under 5 ms, posting 10,000 items under 2 s.
//
//   bench-stocktake <shop.mdb> [rounds]
#include "db/Database.h"
#include "db/TextKeys.h"
#include "rules/ShopDatabase.h"
#include "rules/general/Today.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLines.h"
#include "rules/stock/StockTakePosting.h"

#include "../common/BenchClock.h"
#include "../common/BenchJudge.h"
#include "../common/RawQuery.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <random>
#include <sqlite3.h>

namespace {

using bench::Clock;
using bench::millis;
using bench::RawQuery;
using bench::Rounds;

QStringList itemCodes(sqlite3 *handle)
{
    QStringList codes;
    RawQuery all(handle, "select ca_Codice from [Codice Articolo]");
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, "select ca_Codice from \"Codice Articolo\"", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        codes << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return codes;
}

void exec(sqlite3 *handle, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("%s: %s", sql, error);
}

// The raw side of a scan: the same reads and the same durable write.
class RawScan {
public:
    RawScan(sqlite3 *handle, qlonglong count)
        : m_handle(handle)
        , m_count(count)
        , m_item(handle, "select ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita from "
                         "\"Codice Articolo\" where ca_Codice = ?")
        , m_article(handle, "select art_Descrizione from Articoli where art_Codice = ?")
        , m_line(handle, "select ic_Contato from InventarioConteggi where ic_Inventario = ? and ic_Codice_Articolo = ?")
        , m_loads(handle, key("select ca_Quantita from carico where %1 = %2 and ca_Data >= ?", "ca_Codice_Articolo"))
        , m_sales(handle, key("select sc_Quantita from scarico where %1 = %2 and sc_Data >= ?", "sc_Codice_Articolo"))
        , m_adjustments(handle, key("select re_Quantita from Rettifiche where %1 = %2 and re_Data >= ?", "re_Codice_Articolo"))
    {
        sqlite3_prepare_v3(handle, "insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, ic_Contato) "
                                   "values (?, ?, 1) on conflict (ic_Inventario, ic_Codice_Articolo) do update set "
                                   "ic_Contato = ic_Contato + 1",
                           -1, SQLITE_PREPARE_PERSISTENT, &m_upsert, nullptr);
    }
    ~RawScan() { sqlite3_finalize(m_upsert); }

    void scan(const QString &code, const QString &after)
    {
        m_item.read(code);
        m_article.read({QVariant(m_item.firstColumn().isEmpty() ? 0LL : 1LL)});
        exec(m_handle, "begin immediate");
        m_line.read({QVariant(m_count), code});
        const QByteArray text = code.toUtf8();
        sqlite3_bind_int64(m_upsert, 1, m_count);
        sqlite3_bind_text(m_upsert, 2, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_step(m_upsert);
        sqlite3_reset(m_upsert);
        exec(m_handle, "commit");
        m_loads.read({code, after});
        m_sales.read({code, after});
        m_adjustments.read({code, after});
    }

private:
    static QByteArray key(const char *sql, const char *column)
    {
        return QString::fromLatin1(sql)
            .arg(db::foldedTextKey(QLatin1String(column)), db::foldedTextKey(QStringLiteral("?")))
            .toUtf8();
    }
    struct Query : RawQuery {
        Query(sqlite3 *handle, const QByteArray &sql) : RawQuery(handle, sql.constData()) {}
        Query(sqlite3 *handle, const char *sql) : RawQuery(handle, sql) {}
    };
    sqlite3 *m_handle;
    qlonglong m_count;
    Query m_item, m_article, m_line, m_loads, m_sales, m_adjustments;
    sqlite3_stmt *m_upsert = nullptr;
};

// The raw side of posting: the same reads and writes by hand, in one
// transaction: the lines with their items' stock, the movements since the
// count's day, each line's stock written, an adjustment and the stock moved
// for each difference, the count marked.
double rawPost(sqlite3 *handle, qlonglong count, const QDate &day)
{
    const auto start = Clock::now();
    exec(handle, "begin immediate");
    sqlite3_stmt *mark = nullptr, *lines = nullptr, *moved = nullptr, *compared = nullptr, *adjust = nullptr,
                 *stock = nullptr;
    sqlite3_prepare_v2(handle, "update Inventari set inv_Registrato = -1 where inv_Codice = ? and inv_Registrato = 0",
                       -1, &mark, nullptr);
    sqlite3_prepare_v2(handle, "select ic.ic_Codice, ic.ic_Codice_Articolo, ic.ic_Contato, c.ca_Quantita "
                               "from InventarioConteggi ic join \"Codice Articolo\" c on c.ca_Codice = ic.ic_Codice_Articolo "
                               "where ic.ic_Inventario = ?", -1, &lines, nullptr);
    sqlite3_prepare_v2(handle, "select sc_Codice_Articolo, sc_Quantita from scarico where sc_Data >= ? union all "
                               "select ca_Codice_Articolo, -ca_Quantita from carico where ca_Data >= ? union all "
                               "select re_Codice_Articolo, -re_Quantita from Rettifiche where re_Data >= ?",
                       -1, &moved, nullptr);
    sqlite3_prepare_v2(handle, "update InventarioConteggi set ic_Giacenza = ? where ic_Codice = ?", -1, &compared, nullptr);
    sqlite3_prepare_v2(handle, "insert into Rettifiche (re_Codice_Articolo, re_Data, re_Quantita, re_Inventario) "
                               "values (?, ?, ?, ?)", -1, &adjust, nullptr);
    sqlite3_prepare_v2(handle, "update \"Codice Articolo\" set ca_Quantita = ca_Quantita + ? where ca_Codice = ?", -1,
                       &stock, nullptr);
    sqlite3_bind_int64(mark, 1, count);
    sqlite3_step(mark);
    const QByteArray after = day.addDays(1).toString(Qt::ISODate).toUtf8();
    const QByteArray iso = day.toString(Qt::ISODate).toUtf8();
    QHash<QByteArray, long> since;
    for (int p = 1; p <= 3; ++p)
        sqlite3_bind_text(moved, p, after.constData(), -1, SQLITE_STATIC);
    while (sqlite3_step(moved) == SQLITE_ROW)
        since[QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(moved, 0)))] +=
            long(std::nearbyint(sqlite3_column_double(moved, 1)));
    sqlite3_bind_int64(lines, 1, count);
    while (sqlite3_step(lines) == SQLITE_ROW) {
        const QByteArray code(reinterpret_cast<const char *>(sqlite3_column_text(lines, 1)));
        const long inStock = long(sqlite3_column_int64(lines, 3)) + since.value(code);
        const long difference = long(sqlite3_column_int64(lines, 2)) - inStock;
        sqlite3_bind_int64(compared, 1, inStock);
        sqlite3_bind_int64(compared, 2, sqlite3_column_int64(lines, 0));
        sqlite3_step(compared);
        sqlite3_reset(compared);
        if (difference == 0)
            continue;
        sqlite3_bind_text(adjust, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(adjust, 2, iso.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(adjust, 3, difference);
        sqlite3_bind_int64(adjust, 4, count);
        sqlite3_step(adjust);
        sqlite3_reset(adjust);
        sqlite3_bind_int64(stock, 1, difference);
        sqlite3_bind_text(stock, 2, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        sqlite3_step(stock);
        sqlite3_reset(stock);
    }
    for (sqlite3_stmt *statement : {mark, lines, moved, compared, adjust, stock})
        sqlite3_finalize(statement);
    exec(handle, "commit");
    return millis(Clock::now() - start);
}

// A count of these items, counted 0 to 12 pieces each, written at once.
StockTake countOf(db::Database &database, const QStringList &codes, const QDate &day, std::mt19937 &random)
{
    const StockTake take = StockTake::create(database, day, QString(), QString());
    db::Transaction transaction(database);
    for (const QString &code : codes)
        database.execute(QStringLiteral("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, ic_Contato) "
                                        "values (%1, '%2', %3)")
                             .arg(take.numero)
                             .arg(code)
                             .arg(std::uniform_int_distribution<int>(0, 12)(random)));
    transaction.commit();
    return take;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench-stocktake <shop.mdb> [rounds]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir folder(QStringLiteral("/tmp/bench-stocktake-XXXXXX"));
    const QString path = folder.filePath(QStringLiteral("tarvo.mdb"));
    const auto copyStart = Clock::now();
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), path)) {
        std::fprintf(stderr, "bench-stocktake: cannot copy %s\n", argv[1]);
        return 1;
    }
    std::printf("copy of the shop: %.0f ms\n", millis(Clock::now() - copyStart));
    ShopDatabase::setLocation(path);
    auto database = ShopDatabase::open();
    const QDate today(2026, 12, 9);
    setToday(today);

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    exec(raw, "pragma journal_mode = wal; pragma synchronous = full; pragma busy_timeout = 5000");
    const QStringList codes = itemCodes(raw);
    std::printf("%lld items\n", qlonglong(codes.size()));
    std::mt19937 random(20261209);
    auto anyItem = [&] { return codes.at(std::uniform_int_distribution<int>(0, int(codes.size()) - 1)(random)); };

    // One durable commit, the floor of every scan on either side.
    std::vector<double> fsyncs;
    exec(raw, "insert into Inventari (inv_Codice, inv_Note) values (999999, 'banco')");
    for (int i = 0; i < 20; ++i) {
        const QByteArray change = QStringLiteral("begin immediate; update Inventari set inv_Note = 'prova %1' "
                                                 "where inv_Codice = 999999; commit").arg(i).toUtf8();
        const auto start = Clock::now();
        exec(raw, change.constData());
        fsyncs.push_back(millis(Clock::now() - start));
    }
    exec(raw, "delete from Inventari where inv_Codice = 999999");
    std::printf("one durable commit (shared by both sides): %.3f ms median\n", bench::median(fsyncs));

    // Scans go into counts of 10,000 lines already, as late in a long count.
    QStringList counted;
    for (int i = 0; i < 10000; ++i)
        counted << anyItem();
    counted.removeDuplicates();
    const StockTake ours = countOf(*database, counted, today, random);
    const StockTake theirs = countOf(*database, counted, today, random);
    StockTakeLines lines(*database, ours);
    RawScan rawScan(raw, theirs.numero);
    const QString after = today.addDays(1).toString(Qt::ISODate);
    QStringList hot;
    for (int i = 0; i < 50; ++i)
        hot << anyItem();
    for (const QString &code : hot) {   // warm-up, alike
        lines.add(code, QString());
        rawScan.scan(code, after);
    }
    bool scansPass = true;
    for (const bool cold : {false, true}) {
        Rounds r;
        for (int round = 0; round < rounds; ++round) {
            std::vector<double> o, w;
            for (int i = 0; i < 100; ++i) {
                const QString code = cold ? anyItem() : hot.at(i % hot.size());
                auto start = Clock::now();
                const StockTakeLines::Result result = lines.add(code, QString());
                o.push_back(millis(Clock::now() - start));
                if (result.outcome != StockTakeLines::Outcome::Done)
                    qFatal("scan of %s refused", qPrintable(code));
                const QString other = cold ? anyItem() : code;
                start = Clock::now();
                rawScan.scan(other, after);
                w.push_back(millis(Clock::now() - start));
            }
            r.add(o, w);
        }
        scansPass &= bench::judge(cold ? "scan, cold keys (one durable commit)" : "scan, hot keys (one durable commit)",
                                  r, 5);
    }

    bool postingPass = true;
    for (const int daysBack : {0, 7}) {
        Rounds r;
        std::vector<double> questions;
        for (int round = 0; round < rounds; ++round) {
            QStringList items;
            for (int i = 0; i < 10000; ++i)
                items << anyItem();
            items.removeDuplicates();
            const StockTake take = countOf(*database, items, today.addDays(-daysBack), random);
            auto start = Clock::now();
            StockTakePosting::itemsToChange(*database, take);
            questions.push_back(millis(Clock::now() - start));
            if (round == 0) {
                start = Clock::now();
                StockTakePosting::itemsToChange(*database, take);
                std::printf("the question asked again (its pages read): %.0f ms\n", millis(Clock::now() - start));
            }
            start = Clock::now();
            const StockTakePosting::Result result = StockTakePosting::post(*database, take.numero, today);
            const double ms = millis(Clock::now() - start);
            if (result.outcome != StockTakePosting::Outcome::Done || result.changed < items.size() / 2)
                qFatal("posting changed %d items", result.changed);
            // The same items again for the raw side, on a count of its own.
            const StockTake theirs = countOf(*database, items, today.addDays(-daysBack), random);
            r.add({ms}, {rawPost(raw, theirs.numero, theirs.data)});
        }
        std::printf("the question before posting (%d days back): %.0f ms median\n", daysBack, bench::median(questions));
        postingPass &= bench::judge(daysBack == 0 ? "post a count of 10,000 items, today"
                                                  : "post a count of 10,000 items, a week back",
                                    r, 2000);
    }
    // A supplier's shelf counted in half, the rest of the supplier's items
    // set to zero: the items not counted are looked for in the scope.
    {
        Rounds r;
        std::vector<double> questions;
        for (int round = 0; round < rounds; ++round) {
            const QString supplier = QStringLiteral("Fornitore %1").arg(90 - round);
            QStringList items;
            sqlite3_stmt *statement = nullptr;
            sqlite3_prepare_v2(raw, "select c.ca_Codice from Articoli a join \"Codice Articolo\" c "
                                    "on c.ca_Codice_Articolo = a.art_Codice where a.art_Fornitore = ?",
                               -1, &statement, nullptr);
            const QByteArray name = supplier.toUtf8();
            sqlite3_bind_text(statement, 1, name.constData(), -1, SQLITE_STATIC);
            int row = 0;
            while (sqlite3_step(statement) == SQLITE_ROW)
                if (row++ % 2 == 0)
                    items << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
            sqlite3_finalize(statement);
            StockTake take = StockTake::create(*database, today, supplier, QString());
            db::Transaction transaction(*database);
            for (const QString &code : items)
                database->execute(QStringLiteral("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, "
                                                 "ic_Contato) values (%1, '%2', 3)").arg(take.numero).arg(code));
            transaction.commit();
            StockTake::setAzzeraNonContati(*database, take.numero, true);
            take = *StockTake::read(*database, take.numero);
            auto start = Clock::now();
            const int changing = StockTakePosting::itemsToChange(*database, take);
            questions.push_back(millis(Clock::now() - start));
            start = Clock::now();
            const StockTakePosting::Result result = StockTakePosting::post(*database, take.numero, today);
            r.add({millis(Clock::now() - start)}, {});
            if (round == 0)
                std::printf("a supplier's count: %lld of %d items counted, %d changed\n", qlonglong(items.size()),
                            row, result.changed);
            if (result.changed != changing)
                qFatal("the question said %d, posting changed %d", changing, result.changed);
        }
        std::printf("the question before posting a supplier's count: %.0f ms median\n", bench::median(questions));
        postingPass &= bench::judge("post a supplier's count, the rest to zero", r, 2000);
    }
    sqlite3_close(raw);
    database.reset();
    db::Database::closeAll();
    return scansPass && postingPass ? 0 : 1;
}
