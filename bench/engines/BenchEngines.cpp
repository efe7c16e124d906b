// The same user actions on the shop's two engines, side by side in one run:
// the SQLite file (a copy of it: the sales write) and the PostgreSQL server
// database a tarvo.ini names (a copy made with CREATE DATABASE ... TEMPLATE,
// dropped at the end), through the program's own code:
//   scan       the unload window's bar-code box left until the window is
//              filled (StockItemLookup, as frmScarico does on a scan);
//   sale       StockMovement::recordSale, committed (one durable commit on
//              each side: SQLite synchronous=FULL, the server's WAL flush);
//   keystroke  the search window (frmCercaPrestazione) listing its first
//              screen after each character typed: "giac" from the start
//              and anywhere ("Ricerca Generica"), a model number anywhere;
//   report     the article card and the day's sales laid out in pages
//              (ReportEngine on a DbReportSource, no PDF).
// Hot key: the same key every time; cold keys: keys not touched before in
// the run. A keystroke's key is the text typed so far: "giac" typed over and
// over is hot, model numbers never typed before are cold (their first one or
// two digits are met again). Both sides are warmed alike (every action three
// times on its hot key, or on the text typed), and samples alternate between
// the sides; each side's window, list and pages are compared with the
// other's, and an error box on either side fails the run. Figures: min / median of
// the samples, wall clock of the whole action as the program runs it. On
// the server also the statements each action sent (pg_stat_statements
// calls, BEGIN/SAVEPOINT/COMMIT included) and the server's own time on
// them (planning + execution: no network, no client). The verdict is the
// target of no action over 50 ms of database time on the server, judged
// twice: on the server's time, and on the whole action's wall clock (which
// also holds the round trips, the client and the window); where raw libpq
// doing the same work takes 50 ms or more itself, within 2x raw instead.
//
//   QT_QPA_PLATFORM=offscreen bench-engines <shop.mdb> <folder with tarvo.ini> [samples]
#include "RawServer.h"
#include "ServerProbe.h"

#include "base/Globals.h"
#include "rules/general/Today.h"
#include "db/Database.h"
#include "db/DatabaseSettings.h"
#include "report/DbReportSource.h"
#include "report/ReportEngine.h"
#include "rules/StockMovement.h"
#include "skin/SkinPath.h"
#include "stock/frmCercaPrestazione.h"
#include "stock/frmScarico.h"
#include "ui/ScriptedMessages.h"

#include "../common/BenchClock.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <cstdio>
#include <functional>
#include <random>
#include <sqlite3.h>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

struct Side {
    const char *name;
    QString path;                          // tarvo.mdb (on the server: beside its tarvo.ini)
    bench::ServerProbe *probe = nullptr;   // the server's only
};

struct Samples {
    std::vector<double> wall, serverMs, statements;
};

// What an action gives back to compare the sides: the window's boxes, the
// codes listed, the pages laid out.
using Action = std::function<QString(const QString &key)>;

struct Measure {
    const char *what;
    Action action;
    QString hotKey;         // empty: the samples' keys are all there is
    QStringList coldKeys;   // one per sample, never used before
    QStringList warmKeys = {};   // empty: the hot key
    const char *keyLabel = "cold";   // of coldKeys when there is no hot key
    Action raw = {};        // the same work on raw libpq (bench-server judges it)
    QStringList rawColdKeys = {};   // the raw side's own cold keys; empty: coldKeys
};

double minOf(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double maxOf(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

QStringList sampleBarcodes(const QString &file, int count)
{
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *max = nullptr, *byRow = nullptr;
    sqlite3_prepare_v2(handle, "select max(rowid) from [Codice Articolo]", -1, &max, nullptr);
    sqlite3_step(max);
    const sqlite3_int64 last = sqlite3_column_int64(max, 0);
    sqlite3_finalize(max);
    sqlite3_prepare_v2(handle, "select ca_Codice from [Codice Articolo] where rowid >= ? limit 1", -1, &byRow, nullptr);
    std::mt19937_64 random(7);
    QStringList codes;
    while (codes.size() < count) {
        sqlite3_bind_int64(byRow, 1, std::uniform_int_distribution<sqlite3_int64>(1, last)(random));
        if (sqlite3_step(byRow) == SQLITE_ROW) {
            const QString code = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(byRow, 0)));
            if (!codes.contains(code))
                codes << code;
        }
        sqlite3_reset(byRow);
    }
    sqlite3_finalize(byRow);
    sqlite3_close(handle);
    return codes;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench-engines <shop.mdb> <folder with tarvo.ini> [samples]\n");
        return 2;
    }
    const int samples = argc > 3 ? std::max(3, std::atoi(argv[3])) : 15;
    QTemporaryDir fileFolder, serverFolder;
    const QString file = fileFolder.filePath(QStringLiteral("tarvo.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), file)) {
        std::fprintf(stderr, "bench-engines: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    QString copyName;
    const QString copyError = bench::makeServerCopy(QString::fromLocal8Bit(argv[2]), serverFolder.path(), &copyName);
    if (!copyError.isEmpty()) {
        std::fprintf(stderr, "bench-engines: %s\n", qPrintable(copyError));
        return 1;
    }
    bench::ServerProbe probe(serverFolder.path(), copyName);
    if (!probe.ok()) {
        std::fprintf(stderr, "bench-engines: %s\n", qPrintable(probe.error()));
        return 1;
    }
    Side sides[2] = {{"SQLite", file}, {"server", serverFolder.filePath(QStringLiteral("tarvo.mdb")), &probe}};
    // The raw libpq baseline: the same work, statements written by hand and
    // prepared once.
    bench::RawServer raw(serverFolder.path(), copyName);
    const bool rawReady =
        raw.ok()
        && raw.prepare("item", "SELECT \"ca_Codice\", \"ca_Codice_Articolo\", \"ca_Taglia\", \"ca_Colore\", "
                               "\"ca_Quantita\" FROM \"Codice Articolo\" WHERE tarvo_key(\"ca_Codice\") = tarvo_key($1)")
        && raw.prepare("article", "SELECT * FROM \"Articoli\" WHERE \"art_Codice\" = $1")
        && raw.prepare("stock", "UPDATE \"Codice Articolo\" SET \"ca_Quantita\" = coalesce(\"ca_Quantita\", 0) - $2 "
                                "WHERE tarvo_key(\"ca_Codice\") = tarvo_key($1)")
        && raw.prepare("sale", "INSERT INTO scarico (\"sc_Data\", \"sc_Codice_Articolo\", \"sc_Quantita\", \"sc_Prezzo\", "
                               "\"sc_Sconto\", \"sc_Saldo\", \"sc_Pagamento\", \"sc_Usato\") "
                               "VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING \"sc_Codice\"")
        && raw.prepare("search", "SELECT \"art_Codice\", \"art_Descrizione\", \"art_Fornitore\" FROM \"Articoli\" "
                                 "WHERE tarvo_key(\"art_Descrizione\") OPERATOR(pg_catalog.~~) $1 "
                                 "ORDER BY \"art_Codice\" LIMIT 100")
        && raw.prepare("stocks", "SELECT \"ca_Codice_Articolo\", sum(\"ca_Quantita\") FROM \"Codice Articolo\" "
                                 "WHERE \"ca_Codice_Articolo\" = ANY($1::bigint[]) GROUP BY 1")
        && raw.prepare("card", "SELECT * FROM \"Articoli\" a LEFT JOIN \"Codice Articolo\" c "
                               "ON c.\"ca_Codice_Articolo\" = a.\"art_Codice\" WHERE a.\"art_Codice\" = $1 "
                               "ORDER BY a.\"art_Codice\", tarvo_sort(c.\"ca_Codice\")")
        && raw.prepare("sales", "SELECT s.*, c.*, a.* FROM scarico s JOIN \"Codice Articolo\" c "
                                "ON tarvo_key(c.\"ca_Codice\") = tarvo_key(s.\"sc_Codice_Articolo\") "
                                "JOIN \"Articoli\" a ON a.\"art_Codice\" = c.\"ca_Codice_Articolo\" "
                                "WHERE s.\"sc_Data\" >= $1 AND s.\"sc_Data\" < $2 ORDER BY s.\"sc_Data\", s.\"sc_Codice\"");
    if (!rawReady) {
        std::fprintf(stderr, "bench-engines: raw libpq: %s\n", qPrintable(raw.error()));
        return 1;
    }
    const auto rawScan = [&](const QString &code) {
        std::vector<QByteArray> item;
        if (raw.run("item", {code.toUtf8()}, &item) > 0)
            raw.run("article", {item[1]});
        return QString();
    };
    const auto rawSale = [&](const QString &code) {
        raw.exec("BEGIN");
        raw.run("stock", {code.toUtf8(), "1"});
        raw.run("sale", {"2026-12-08", code.toUtf8(), "1", "20", "0", "20", "CO", "0"});
        raw.exec("COMMIT");
        return QString();
    };
    const auto rawKeystroke = [&](const QString &key) {
        const bool anywhere = key.startsWith(QLatin1Char('*'));
        const QByteArray text = key.mid(anywhere ? 1 : 0).toLower().toUtf8();
        std::vector<QByteArray> rows;
        raw.run("search", {(anywhere ? "%" : "") + text + "%"}, nullptr, &rows);
        QByteArrayList list;
        for (const QByteArray &code : rows)
            list << code;
        raw.run("stocks", {"{" + list.join(',') + "}"});
        return QString();
    };
    const auto rawCard = [&](const QString &code) {
        raw.run("card", {code.toUtf8()});
        return QString();
    };
    const auto rawDay = [&](const QString &day) {
        const QDate date = QDate::fromString(day, QStringLiteral("yyyy,MM,dd"));
        raw.run("sales", {date.toString(Qt::ISODate).toUtf8(), date.addDays(1).toString(Qt::ISODate).toUtf8()});
        return QString();
    };

    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = file;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    setToday(QDate(2026, 12, 8));
    skin::setDefaultSkinPath(QStringLiteral(TARVO_SKIN_DIR));
    ui::ScriptedMessages messages;

    frmScarico counter;
    counter.show();
    QApplication::setActiveWindow(&counter);
    if (!QTest::qWaitForWindowActive(&counter))
        std::fprintf(stderr, "bench-engines: the counter window is not active\n");
    auto *codice = counter.findChild<QLineEdit *>(QStringLiteral("txtCodice"));
    auto *quantita = counter.findChild<QLineEdit *>(QStringLiteral("txtQuantita"));
    frmCercaPrestazione search;
    search.show();

    // Keys: a warm-up and `samples` cold ones per action, never shared.
    // Twice over: the raw side's cold keys are cold for it too, never the
    // ones the program's server side has just read.
    const QStringList barcodes = sampleBarcodes(file, 4 * (samples + 1));
    std::mt19937_64 random(11);
    const auto numbers = [&](int count, int from, int to) {
        QStringList keys;
        while (keys.size() < count) {
            const QString key = QString::number(std::uniform_int_distribution<int>(from, to)(random));
            if (!keys.contains(key))
                keys << key;
        }
        return keys;
    };

    const auto scan = [&](const QString &code) {
        codice->setFocus();
        codice->setText(code);
        quantita->clear();
        quantita->setFocus(); // leaving the bar-code box
        QStringList boxes;
        for (const char *box : {"txtDescrizione", "txtQuantitaDisponibile", "txtListino", "txtPrezzo", "txtSaldo"})
            if (auto *edit = counter.findChild<QLineEdit *>(QLatin1String(box)))
                boxes << edit->text();
        return boxes.join(QLatin1Char('|'));
    };
    const auto sale = [&](const QString &code) {
        SaleRow row;
        row.data = QStringLiteral("08/12/2026");
        row.codice = code;
        row.quantita = 1;
        row.prezzo = row.saldo = 20;
        row.pagamento = QStringLiteral("CO");
        return StockMovement::recordSale(row) == StockMovement::Result::Done ? QStringLiteral("done")
                                                                            : QStringLiteral("not found");
    };
    // `key` is "text" or "*text" (anywhere); each sample one keystroke.
    const auto keystroke = [&](const QString &key) {
        const bool anywhere = key.startsWith(QLatin1Char('*'));
        search.lvwFatture->clear();   // a failed search must not show the other side's list
        {
            // The other side typed the same text: only a change searches.
            const QSignalBlocker quiet(search.txtDescrizione);
            search.txtDescrizione->clear();
        }
        search.chkGenerica->setChecked(anywhere);
        search.txtDescrizione->setText(key.mid(anywhere ? 1 : 0));
        QStringList codes;
        for (int i = 0; i < search.lvwFatture->topLevelItemCount(); ++i)
            codes << search.lvwFatture->topLevelItem(i)->text(1);
        return codes.join(QLatin1Char(','));
    };
    const auto printReport = [&](const char *templateName, const QString &formula) {
        report::ReportRequest request;
        request.templatePath = QStringLiteral(TARVO_REPORTS_DIR "/") + QLatin1String(templateName);
        request.selection = formula;
        request.today = QDate(2026, 12, 8);
        report::DbReportSource source(g_strDbPath);
        return QString::number(report::ReportEngine::run(request, source).size());
    };
    const auto typedKeys = [](const QString &text, bool anywhere) {
        QStringList keys;
        for (int n = 1; n <= text.size(); ++n)
            keys << (anywhere ? QStringLiteral("*") : QString()) + text.left(n);
        return keys;
    };
    const auto repeat = [&](const QStringList &keys) {
        QStringList out;
        while (out.size() < samples)
            out += keys;
        return out.mid(0, samples);
    };
    QStringList modelNumbers;
    for (const QString &n : numbers((samples + 4) / 5, 10000, 199999))
        modelNumbers += typedKeys(n, true);
    const QDate firstDay(2019, 1, 1);
    QStringList days;
    for (const QString &n : numbers(2 * samples, 0, 2400))
        days << firstDay.addDays(n.toInt()).toString(QStringLiteral("yyyy,MM,dd"));
    const QStringList cards = numbers(2 * samples, 1, 200000);

    std::vector<Measure> measures = {
        {"scan to ready", scan, barcodes.first(), barcodes.mid(1, samples), {}, "cold", rawScan,
         barcodes.mid(2 * (samples + 1), samples)},
        {"recorded sale", sale, barcodes.at(samples + 1), barcodes.mid(samples + 2, samples), {}, "cold", rawSale,
         barcodes.mid(3 * (samples + 1), samples)},
        {"keystroke \"giac\" from the start", keystroke, QString(), repeat(typedKeys(QStringLiteral("giac"), false)),
         typedKeys(QStringLiteral("giac"), false), "hot", rawKeystroke},
        {"keystroke \"giac\" anywhere", keystroke, QString(), repeat(typedKeys(QStringLiteral("giac"), true)),
         typedKeys(QStringLiteral("giac"), true), "hot", rawKeystroke},
        {"keystroke model no. anywhere", keystroke, QString(), modelNumbers.mid(0, samples),
         typedKeys(QStringLiteral("99999"), true), "cold", rawKeystroke},
        {"report: article card", [&](const QString &k) { return printReport("articoli.rpt", QStringLiteral("{articoli.art_Codice} = ") + k); },
         QStringLiteral("12345"), cards.mid(0, samples), {}, "cold", rawCard, cards.mid(samples)},
        {"report: the day's sales", [&](const QString &k) {
             return printReport("listascarichi.rpt", QStringLiteral("{scarico.sc_Data} >= date(%1) and {scarico.sc_data} <= date(%1)").arg(k)); },
         QStringLiteral("2025,03,14"), days.mid(0, samples), {}, "cold", rawDay, days.mid(samples)},
    };

    std::printf("bench-engines: %s against server database %s, %d samples per figure\n", argv[1], qPrintable(copyName),
                samples);
    std::printf("wall = the whole action as the program runs it (window, engine, round trips, server);\n"
                "srv = the server's planning + execution of the action's statements (pg_stat_statements);\n"
                "stmts = statements sent per action (BEGIN/SAVEPOINT/COMMIT included); ratio = server wall / SQLite wall;\n"
                "raw = raw libpq doing the same database work (no window), statements written by hand and prepared\n"
                "once; x raw = server wall / raw (bench-server judges the scan and the sale against it)\n"
                "(medians). The sale holds one durable commit on each side; srv leaves out the commit's WAL flush.\n"
                "Verdict: the median under 50 ms on the server.\n\n");
    std::printf("%-34s %-4s | SQLite wall min/med ms | server wall min/med/max ms   | srv med/max ms  | stmts | ratio | raw med  | x raw | srv<50 | wall<50\n",
                "action", "key");
    int mismatches = 0, failures = 0, floors = 0;
    for (const Measure &m : measures) {
        // Warm-up, alike on both sides: the hot key, or the typed text.
        const QStringList warmKeys = m.warmKeys.isEmpty() ? QStringList{m.hotKey} : m.warmKeys;
        for (int i = 0; i < 3; ++i)
            for (Side &side : sides)
                for (const QString &key : warmKeys) {
                    g_strDbPath = side.path;
                    m.action(key);
                    if (side.probe)
                        m.raw(key);
                }
        for (int cold = 0; cold < 2; ++cold) {
            if (!cold && m.hotKey.isEmpty())
                continue;   // a keystroke's text is its key: the typed sequences are the hot ones
            Samples got[2];
            std::vector<double> rawWall;
            for (int i = 0; i < samples; ++i) {
                const QString key = cold || m.hotKey.isEmpty() ? m.coldKeys.at(i) : m.hotKey;
                QString results[2];
                for (int s = 0; s < 2; ++s) {
                    g_strDbPath = sides[s].path;
                    bench::ServerWork before;
                    if (sides[s].probe)
                        before = sides[s].probe->total();
                    const auto start = Clock::now();
                    const qsizetype shown = messages.texts().size();
                    try {
                        results[s] = m.action(key);
                    } catch (const std::exception &e) {
                        results[s] = QStringLiteral("error: ") + QString::fromUtf8(e.what());
                    }
                    got[s].wall.push_back(millis(Clock::now() - start));
                    if (messages.texts().size() != shown)   // the program's own error box
                        results[s] = QStringLiteral("error: ") + messages.texts().constLast();
                    if (sides[s].probe) {
                        const bench::ServerWork work = sides[s].probe->total() - before;
                        got[s].serverMs.push_back(work.ms);
                        got[s].statements.push_back(double(work.statements));
                    }
                }
                const QString rawKey = cold && !m.rawColdKeys.isEmpty() ? m.rawColdKeys.at(i) : key;
                const auto rawStart = Clock::now();
                m.raw(rawKey);
                rawWall.push_back(millis(Clock::now() - rawStart));
                if (results[0] != results[1] || results[0].startsWith(QLatin1String("error"))) {
                    if (++mismatches <= 5)
                        std::fprintf(stderr, "bench-engines: %s \"%s\": SQLite gives \"%s\", the server \"%s\"\n", m.what,
                                     qPrintable(key), qPrintable(results[0].left(200)), qPrintable(results[1].left(200)));
                }
            }
            const bool keyed = !m.hotKey.isEmpty();
            const double server = median(got[1].serverMs), wall = median(got[1].wall);
            const double rawMedian = median(rawWall);
            // Where raw libpq doing the same work cannot finish under 50 ms
            // itself (a day's sales read cold from the disk), the server's
            // own reading is the floor: judged within 2x raw instead.
            const bool overTheFloor = rawMedian >= 50;
            const bool serverPass = server < 50 || (overTheFloor && wall <= 2 * rawMedian);
            const bool wallPass = wall < 50 || (overTheFloor && wall <= 2 * rawMedian);
            failures += serverPass ? 0 : 1;
            floors += overTheFloor ? 1 : 0;
            std::printf("%-34s %-4s | %9.2f / %9.2f | %8.2f / %8.2f / %8.2f | %6.2f / %6.2f | %5.0f | x%5.1f | %8.3f | x%5.1f | %-6s | %s\n", m.what,
                        !keyed ? m.keyLabel : cold ? "cold" : "hot", minOf(got[0].wall), median(got[0].wall),
                        minOf(got[1].wall), wall, maxOf(got[1].wall), server, maxOf(got[1].serverMs),
                        median(got[1].statements),
                        median(got[0].wall) > 0 ? wall / median(got[0].wall) : 0.0, rawMedian,
                        rawMedian > 0 ? wall / rawMedian : 0.0, serverPass ? "PASS" : "FAIL",
                        wallPass ? "PASS" : "FAIL");
            std::fflush(stdout);
        }
    }
    if (floors > 0)
        std::printf("\n%d action(s) where raw libpq itself takes 50 ms or more: judged within 2x raw\n", floors);
    std::printf("\nchecks: %s\n", mismatches ? "the sides DIFFER (see above)" : "both sides gave the same windows, lists and pages");
    g_strDbPath = file;
    db::Database::closeAll();
    bench::dropServerCopy(QString::fromLocal8Bit(argv[2]), copyName);
    std::printf("%s\n", failures == 0 && mismatches == 0 ? "PASS" : "FAIL");
    return failures == 0 && mismatches == 0 ? 0 : 1;
}
