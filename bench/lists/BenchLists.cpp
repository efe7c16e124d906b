// Times the stock unload list and the day's takings on a copy of a large
// shop (5,000,000 sales at scale 1), as a user meets them:
//   first screen: Liste / "Scarichi", a period of two months typed (about
//     100,000 sales on the large shop: the busiest month holds ~54,000),
//     "Trova" until the grid has painted its first screen;
//   scroll: from there to the last row (the grid reads on page by page as
//     it goes; rows held in memory stay a window of the set); in the
//     engine's order: a set sorted on a field without an index pays the
//     sort again for every page it reads on (see the note on the issue);
//   sort: a click on the "Prezzo" header until the first screen is painted
//     again in price order;
//   takings: Liste / "Incassi" on a busy day (about 1,800 sales), "Aggiorna"
//     until the lines by payment type are shown;
// hot (the same period or day again) and cold (another one each time),
// beside raw SQLite doing the same reads in the same run: the join of the
// period's first screen of rows; the same in price order; the
// day's sums grouped by payment with each payment's description. Both sides
// are warmed alike (each statement once on a warm-up period before timing);
// figures are medians of each round, the summary min / median of the rounds.
// Ours includes the dialect's translation, the record set, the grid's model
// and painting; raw includes none of that. Nothing is written: no fsync in
// either figure. Judged: first screen under 100 ms, sort under 1 s,
// takings under 50 ms; the scroll must not hold every row.
//
//   QT_QPA_PLATFORM=offscreen bench-lists <shop.mdb> [rounds]
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/ShopDatabase.h"
#include "rules/stock/StockListStatement.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmIncassi.h"
#include "stock/frmListaScarico.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchClock.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
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
using bench::median;
using bench::millis;

// A prepared raw statement with two text parameters; reads up to maxRows
// rows with every cell turned into text.
class RawQuery {
public:
    RawQuery(sqlite3 *handle, const char *sql)
    {
        if (sqlite3_prepare_v3(handle, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) != SQLITE_OK)
            qFatal("raw statement not prepared: %s", sqlite3_errmsg(handle));
    }
    ~RawQuery() { sqlite3_finalize(m_statement); }
    int read(const QString &a, const QString &b, int maxRows = 1 << 30)
    {
        const QByteArray x = a.toUtf8(), y = b.toUtf8();
        sqlite3_bind_text(m_statement, 1, x.constData(), int(x.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(m_statement, 2, y.constData(), int(y.size()), SQLITE_TRANSIENT);
        int rows = 0;
        while (rows < maxRows && sqlite3_step(m_statement) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(m_statement); ++c)
                m_cells += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, c))).size() >= 0;
        }
        sqlite3_reset(m_statement);
        return rows;
    }
    qlonglong first(const QString &a, const QString &b)
    {
        const QByteArray x = a.toUtf8(), y = b.toUtf8();
        sqlite3_bind_text(m_statement, 1, x.constData(), int(x.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(m_statement, 2, y.constData(), int(y.size()), SQLITE_TRANSIENT);
        const qlonglong value = sqlite3_step(m_statement) == SQLITE_ROW ? sqlite3_column_int64(m_statement, 0) : -1;
        sqlite3_reset(m_statement);
        return value;
    }

private:
    sqlite3_stmt *m_statement = nullptr;
    long long m_cells = 0;
};

// A statement prepared from its text, as the engine prepares a new search:
// the first `maxRows` rows read with every cell turned into text.
// The engine's translation has one parameter per literal of the legacy
// text: here the two dates of the period, bound as the engine stores them.
int rawRead(sqlite3 *handle, const QString &sql, const QDate &from, const QDate &to, int maxRows = 1 << 30)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        qFatal("raw statement not prepared: %s", sqlite3_errmsg(handle));
    if (sqlite3_bind_parameter_count(statement) != 2)
        qFatal("raw statement: %d parameters", sqlite3_bind_parameter_count(statement));
    const QByteArray a = from.toString(Qt::ISODate).toUtf8(), b = to.toString(Qt::ISODate).toUtf8();
    sqlite3_bind_text(statement, 1, a.constData(), int(a.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    int rows = 0;
    long long cells = 0;
    while (rows < maxRows && sqlite3_step(statement) == SQLITE_ROW) {
        ++rows;
        for (int c = 0; c < sqlite3_column_count(statement); ++c)
            cells += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c))).size() >= 0;
    }
    sqlite3_finalize(statement);
    return rows + int(cells & 0);
}

struct Rounds {
    std::vector<double> ours, raw;
};

bool judge(const char *what, const Rounds &r, double limitMs)
{
    const double m = median(r.ours);
    const bool pass = limitMs <= 0 || m < limitMs;
    const double rawMedian = median(r.raw);
    std::printf("%-42s %8.2f / %8.2f ms | raw %8.3f / %8.3f ms | x%6.1f | %s\n", what,
                *std::min_element(r.ours.begin(), r.ours.end()), m,
                r.raw.empty() ? 0.0 : *std::min_element(r.raw.begin(), r.raw.end()), rawMedian,
                rawMedian > 0 ? m / rawMedian : 0.0,
                limitMs <= 0 ? "(not judged)" : pass ? "PASS" : "FAIL");
    return pass;
}

QString dayFirst(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString iso(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

// "Trova" over a period until the first screen is painted.
void trova(frmListaScarico &list, const QDate &from, const QDate &to)
{
    list.txtDataInizio->setText(dayFirst(from));
    list.txtDataFine->setText(dayFirst(to));
    list.TrovaScarichi(QString());
    list.TDBGrid1->repaint();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-lists <shop.mdb> [rounds]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    constexpr int kPerRound = 5;

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tarvo.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), path)) {
        std::fprintf(stderr, "bench-lists: cannot copy %s\n", argv[1]);
        return 1;
    }
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    setProgramFolder(folder.path());
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = path;
    skin::setDefaultSkinPath(QStringLiteral(TARVO_PROGRAM_DIR "/shpix"));
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    // The raw side runs the list's own statements as the engine hands them
    // to SQLite (its translation of the legacy text), so both sides meet
    // the same query plan.
    const auto rawList = [&](const QDate &from, const QDate &to, bool sorted) {
        StockListFilters filters;
        filters.dataInizio = dayFirst(from);
        filters.dataFine = dayFirst(to);
        const QString sql = ShopDatabase::open()->translate(
            unloadListSearch(filters, sorted ? QStringLiteral("sc_Prezzo") : QString()).sql);
        const int rows = rawRead(raw, sql, from, to, 40);
        if (rows != 40)
            qFatal("raw first screen: %d rows", rows);
        return rows;
    };
    RawQuery rawCount(raw, "select count(*) from scarico where sc_Data between ?1 and ?2");
    RawQuery rawTakings(raw, "select sc_Pagamento, count(*), sum(sc_Sconto), sum(sc_Saldo), "
                             "(select pag_Descrizione from Pagamenti where pag_Codice = sc_Pagamento) "
                             "from scarico where sc_Data between ?1 and ?2 group by sc_Pagamento");
    sqlite3_stmt *range = nullptr;
    sqlite3_prepare_v2(raw, "select min(sc_Data), max(sc_Data) from scarico", -1, &range, nullptr);
    sqlite3_step(range);
    const QDate firstDay = QDate::fromString(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(range, 0))), Qt::ISODate);
    const QDate lastDay = QDate::fromString(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(range, 1))), Qt::ISODate);
    sqlite3_finalize(range);
    sqlite3_stmt *busy = nullptr;
    sqlite3_prepare_v2(raw, "select sc_Data, count(*) from scarico group by sc_Data order by 2 desc limit 40", -1, &busy, nullptr);
    std::vector<QDate> busyDays;
    while (sqlite3_step(busy) == SQLITE_ROW)
        busyDays.push_back(QDate::fromString(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(busy, 0))), Qt::ISODate));
    sqlite3_finalize(busy);
    if (!firstDay.isValid() || busyDays.size() < 2) {
        std::fprintf(stderr, "bench-lists: the shop has no sales\n");
        return 1;
    }

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();
    frmListaScarico &list = openWindow<frmListaScarico>();
    list.resize(1000, 700);
    frmIncassi &takings = openWindow<frmIncassi>();

    std::mt19937_64 random(15);
    const int months = (lastDay.year() - firstDay.year()) * 12 + lastDay.month() - firstDay.month() - 2;
    const auto coldPeriod = [&] {
        const QDate start = QDate(firstDay.year(), firstDay.month(), 1).addMonths(std::uniform_int_distribution<int>(1, months - 1)(random));
        return std::pair{start, start.addMonths(2).addDays(-1)};
    };
    const auto hot = coldPeriod();
    const QDate hotDay = busyDays[0];

    const qlonglong hotRows = rawCount.first(iso(hot.first), iso(hot.second));
    std::printf("bench-lists: %s, sales %s to %s; hot period %s-%s with %lld sales; busy day %s; %d rounds x %d\n", argv[1],
                qPrintable(dayFirst(firstDay)), qPrintable(dayFirst(lastDay)), qPrintable(dayFirst(hot.first)),
                qPrintable(dayFirst(hot.second)), hotRows, qPrintable(dayFirst(hotDay)), rounds, kPerRound);
    std::printf("ours: the windows' own handlers through the engine (statement, record set, grid model, painting);\n"
                "raw: the engine's translation of the same statements prepared on SQLite, the first screen of\n"
                "%d rows, every cell formatted to text. Read-only: no fsync on either side.\n", 40);
    std::fflush(stdout);

    // Warm-up, both sides alike: every statement once on the hot period/day.
    trova(list, hot.first, hot.second);
    Q_EMIT list.TDBGrid1->headClick(5);
    takings.txtDataInizio->setText(dayFirst(hotDay));
    takings.txtDataFine->setText(dayFirst(hotDay));
    takings.cmdAggiorna_Click();
    rawList(hot.first, hot.second, false);
    rawList(hot.first, hot.second, true);
    rawTakings.read(iso(hotDay), iso(hotDay));

    Rounds screenHot, screenCold, scroll, sortHot, sortCold, takeHot, takeCold;
    int wrong = 0;
    int heldAtEnd = 0, rowsAtEnd = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> a, ar, b, br, c, cr, d, dr, e, er, f, fr, g, gr;
        for (int i = 0; i < kPerRound; ++i) {
            for (const bool cold : {false, true}) {
                const auto period = cold ? coldPeriod() : hot;
                auto start = Clock::now();
                trova(list, period.first, period.second);
                (cold ? b : a).push_back(millis(Clock::now() - start));
                start = Clock::now();
                rawList(period.first, period.second, false);
                (cold ? br : ar).push_back(millis(Clock::now() - start));

                start = Clock::now();
                Q_EMIT list.TDBGrid1->headClick(5);
                list.TDBGrid1->repaint();
                (cold ? d : c).push_back(millis(Clock::now() - start));
                start = Clock::now();
                rawList(period.first, period.second, true);
                (cold ? dr : cr).push_back(millis(Clock::now() - start));
                wrong += list.TDBGrid1->recordsetModel()->index(0, 1).data().toString().isEmpty();
            }
            // To the end of the hot period in the engine's order, as Ctrl+End
            // does: the grid reads on block by block.
            trova(list, hot.first, hot.second);
            auto start = Clock::now();
            data::RecordsetModel *model = list.TDBGrid1->recordsetModel();
            while (model->canFetchMore({}))
                model->fetchMore({});
            list.TDBGrid1->scrollToBottom();
            list.TDBGrid1->repaint();
            e.push_back(millis(Clock::now() - start));
            rowsAtEnd = model->rowCount();
            heldAtEnd = model->cachedRowCount();
            start = Clock::now();
            {
                StockListFilters filters;
                filters.dataInizio = list.txtDataInizio->text();
                filters.dataFine = list.txtDataFine->text();
                const int all = rawRead(raw, ShopDatabase::open()->translate(unloadListSearch(filters, QString()).sql),
                                        hot.first, hot.second);
                if (all != rowsAtEnd)
                    std::fprintf(stderr, "bench-lists: raw read %d rows, the grid %d\n", all, rowsAtEnd);
            }
            er.push_back(millis(Clock::now() - start));

            for (const bool cold : {false, true}) {
                const QDate day = cold ? busyDays[1 + std::uniform_int_distribution<size_t>(0, busyDays.size() - 2)(random)] : hotDay;
                takings.txtDataInizio->setText(dayFirst(day));
                takings.txtDataFine->setText(dayFirst(day));
                start = Clock::now();
                takings.cmdAggiorna_Click();
                (cold ? g : f).push_back(millis(Clock::now() - start));
                start = Clock::now();
                rawTakings.read(iso(day), iso(day));
                (cold ? gr : fr).push_back(millis(Clock::now() - start));
                wrong += takings.lvwIncassi->topLevelItemCount() < 2;
            }
        }
        screenHot.ours.push_back(median(a)); screenHot.raw.push_back(median(ar));
        screenCold.ours.push_back(median(b)); screenCold.raw.push_back(median(br));
        sortHot.ours.push_back(median(c)); sortHot.raw.push_back(median(cr));
        sortCold.ours.push_back(median(d)); sortCold.raw.push_back(median(dr));
        scroll.ours.push_back(median(e)); scroll.raw.push_back(median(er));
        takeHot.ours.push_back(median(f)); takeHot.raw.push_back(median(fr));
        takeCold.ours.push_back(median(g)); takeCold.raw.push_back(median(gr));
    }
    if (wrong)
        std::fprintf(stderr, "bench-lists: %d searches showed nothing\n", wrong);
    if (!messages.texts().isEmpty())
        std::fprintf(stderr, "bench-lists: messages shown: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));
    std::printf("\nmin / median of the rounds' medians (raw of the scroll: every row of the period read)\n");
    bool pass = judge("first screen, two months, hot", screenHot, 100);
    pass = judge("first screen, two months, cold", screenCold, 100) && pass;
    pass = judge("sort by price, hot", sortHot, 1000) && pass;
    pass = judge("sort by price, cold", sortCold, 1000) && pass;
    judge("scroll to the last row", scroll, 0);
    const bool lazy = heldAtEnd < rowsAtEnd;
    std::printf("%-42s %d rows, %d held in memory at the end: %s\n", "scroll reads lazily", rowsAtEnd, heldAtEnd,
                lazy ? "PASS" : "FAIL");
    pass = judge("takings of a busy day, hot", takeHot, 50) && pass;
    pass = judge("takings of a busy day, cold", takeCold, 50) && pass;
    sqlite3_close(raw);
    return pass && lazy && !wrong && messages.texts().isEmpty() ? 0 : 1;
}
