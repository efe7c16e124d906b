// Times "Esporta" of the stock unload list over a period of many sales
// (750,000 by default: a busy shop's month, as review met it), as a user
// meets it: Liste / "Scarichi", the period, "Trova", then "Esporta" to a
// CSV file and to an Excel workbook, until the file is in place. Beside it,
// raw SQLite in the same run reads the same rows (the engine's translation
// of the list's statement) and writes each as a line of text to a file: the
// least an export can cost. Ours includes the dialect, the typed cells, the
// CSV fields (or the workbook's XML and zip) and the rename into place.
//
// Memory: the process's peak resident size is taken after an export of a
// tenth of the rows and again after the whole one; the export must not hold
// the rows, so the second adds little to the first. Judged: CSV within 4x
// raw, workbook under 60 s, the whole export adding under 64 MB to the peak
// of the small one.
//
//   QT_QPA_PLATFORM=offscreen bench-export <shop.mdb> [rows]
#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "base/ViewExport.h"
#include "quirnel/mdiTarvo.h"
#include "data/Grid.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/TextFunctions.h"
#include "rules/ShopDatabase.h"
#include "skin/SkinPath.h"
#include "skin/ctrl_SkinableButton.h"
#include "rules/stock/StockListStatement.h"
#include "stock/frmListaScarico.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchClock.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

using bench::Clock;
using bench::millis;

long peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

QString dayFirst(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

// The day by which `rows` sales have been made since the first one.
QDate dayOfSale(sqlite3 *raw, qint64 rows)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(raw, "select sc_Data from scarico order by sc_Data limit 1 offset ?", -1, &statement, nullptr);
    sqlite3_bind_int64(statement, 1, rows - 1);
    QDate day;
    if (sqlite3_step(statement) == SQLITE_ROW)
        day = QDate::fromString(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))),
                                Qt::ISODate);
    sqlite3_finalize(statement);
    return day;
}

// The list's statement as the engine hands it to SQLite, every cell read
// as text and written as a line: rows written.
qint64 rawExport(sqlite3 *raw, const QString &sql, const QDate &from, const QDate &to, const QString &file)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(raw, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        qFatal("raw statement not prepared: %s", sqlite3_errmsg(raw));
    const QByteArray a = from.toString(Qt::ISODate).toUtf8(), b = to.toString(Qt::ISODate).toUtf8();
    sqlite3_bind_text(statement, 1, a.constData(), int(a.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    std::FILE *out = std::fopen(QFile::encodeName(file).constData(), "wb");
    qint64 rows = 0;
    const int columns = sqlite3_column_count(statement);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char *cell = sqlite3_column_text(statement, c);
            if (cell)
                std::fputs(reinterpret_cast<const char *>(cell), out);
            std::fputc(c + 1 < columns ? ';' : '\n', out);
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    std::fclose(out);
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-export <shop.mdb> [rows]\n");
        return 2;
    }
    const qint64 wanted = argc > 2 ? QByteArray(argv[2]).toLongLong() : 750000;
    QTemporaryDir folder;
    const QString path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    setProgramFolder(folder.path());
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = path;   // exports only read: the shop itself, no copy
    skin::setDefaultSkinPath(QStringLiteral(TARVO_PROGRAM_DIR "/shpix"));
    ui::ScriptedMessages messages;

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);
    db::Connection::applyReadSettings(raw);
    const QDate first = dayOfSale(raw, 1);
    const QDate tenth = dayOfSale(raw, wanted / 10);
    const QDate last = dayOfSale(raw, wanted);
    if (!last.isValid()) {
        std::fprintf(stderr, "bench-export: the shop has fewer than %lld sales\n", wanted);
        return 1;
    }

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    main.show();
    frmListaScarico &list = openWindow<frmListaScarico>();
    QString target;
    setCsvFileChooser([&target](QWidget *, const QString &) { return target; });
    struct Run {
        double ms = 0;
        qint64 bytes = 0;
        long peak = 0;
    };
    const auto exportTo = [&](const QDate &to, const QString &name) {
        list.txtDataInizio->setText(dayFirst(first));
        list.txtDataFine->setText(dayFirst(to));
        list.Trova(QString());
        target = folder.filePath(name);
        messages.clear();
        const Clock::time_point start = Clock::now();
        list.cmdEsporta->click();
        Run run{millis(Clock::now() - start), QFileInfo(target).size(), peakMegabytes()};
        if (messages.texts().size() != 1 || !messages.texts().first().startsWith(QStringLiteral("Esportate ")))
            qFatal("export: %s", qPrintable(messages.texts().join(QLatin1Char('|'))));
        std::printf("  %-16s %s\n", qPrintable(name), qPrintable(messages.texts().first()));
        QFile::remove(target);
        return run;
    };

    StockListFilters filters;
    filters.dataInizio = dayFirst(first);
    filters.dataFine = dayFirst(last);
    const QString sql = ShopDatabase::open()->translate(unloadListSearch(filters, QString()).sql);
    const Clock::time_point rawStart = Clock::now();
    const qint64 rawRows = rawExport(raw, sql, first, last, folder.filePath(QStringLiteral("raw.txt")));
    const double rawMs = millis(Clock::now() - rawStart);
    QFile::remove(folder.filePath(QStringLiteral("raw.txt")));
    sqlite3_close(raw);

    std::printf("bench-export: %s, sales from %s to %s (%lld rows; a tenth to %s)\n", argv[1],
                qPrintable(dayFirst(first)), qPrintable(dayFirst(last)), rawRows, qPrintable(dayFirst(tenth)));
    const Run smallCsv = exportTo(tenth, QStringLiteral("decimo.csv"));
    const Run smallXlsx = exportTo(tenth, QStringLiteral("decimo.xlsx"));
    const Run csv = exportTo(last, QStringLiteral("scarichi.csv"));
    const Run xlsx = exportTo(last, QStringLiteral("scarichi.xlsx"));
    setCsvFileChooser({});

    const long smallPeak = std::max(smallCsv.peak, smallXlsx.peak);
    const long growth = std::max(csv.peak, xlsx.peak) - smallPeak;
    std::printf("  raw SQLite read + text lines: %8.0f ms\n", rawMs);
    std::printf("  CSV  (tenth / whole):         %8.0f / %8.0f ms  %6.1f MB  ratio to raw %.2f\n", smallCsv.ms, csv.ms,
                csv.bytes / 1e6, csv.ms / rawMs);
    std::printf("  XLSX (tenth / whole):         %8.0f / %8.0f ms  %6.1f MB\n", smallXlsx.ms, xlsx.ms, xlsx.bytes / 1e6);
    std::printf("  peak resident: %ld MB after the tenth, %ld MB after the whole (+%ld MB)\n", smallPeak,
                std::max(csv.peak, xlsx.peak), growth);
    const bool pass = csv.ms <= 4 * rawMs && xlsx.ms < 60000 && growth < 64;
    std::printf("%s: CSV within 4x raw, workbook under 60 s, whole export under +64 MB of peak\n",
                pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
