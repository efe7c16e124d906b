// Times StampaFattura on a copy of a large shop (50,000 invoices): a 40-line
// invoice at three VAT rates printed to a PDF file, from the call to the
// written file, on a hot invoice (the same one again) and on cold ones (an
// invoice never printed before), beside the raw SQLite reads of the same
// rows (the lines by VAT code, one lookup per code, the report's join of
// invoice, customer, lines and rates) with every cell formatted to text:
// what the print reads, without laying out or writing the page. So the
// ratio includes the layout and the PDF writer, which the raw side does not
// do. Both sides are warmed alike; figures are medians of each round, the
// summary min / median of the rounds. Judged: under 300 ms.
//
//   QT_QPA_PLATFORM=offscreen bench-invoice-print <shop.mdb> [prints] [rounds] [--sample file.pdf]
//
// --sample also prints a three-line invoice at two rates to that file.
#include "base/Globals.h"
#include "quirnel/mdiTarvo.h"
#include "db/Database.h"
#include "db/Connection.h"
#include "db/TextFunctions.h"
#include "invoicing/StampaFattura.h"
#include "report/ReportControl.h"
#include "rules/ShopDatabase.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include "../common/BenchClock.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

using bench::Clock;
using bench::median;
using bench::millis;

class RawStatement {
public:
    RawStatement(sqlite3 *handle, const char *sql)
    {
        if (sqlite3_prepare_v3(handle, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) != SQLITE_OK)
            qFatal("raw statement not prepared: %s", sqlite3_errmsg(handle));
    }
    ~RawStatement() { sqlite3_finalize(m_statement); }
    int readText(const QByteArray &key)
    {
        sqlite3_bind_text(m_statement, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        return read();
    }
    int readNumber(qlonglong key)
    {
        sqlite3_bind_int64(m_statement, 1, key);
        return read();
    }
private:
    int read()
    {
        int cells = 0;
        while (sqlite3_step(m_statement) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(m_statement); ++c)
                cells += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, c))).size() >= 0;
        sqlite3_reset(m_statement);
        return cells;
    }
    sqlite3_stmt *m_statement = nullptr;
};

// What the print reads, through plain SQLite.
struct RawInvoice {
    explicit RawInvoice(sqlite3 *handle)
        : lines(handle, "select * from [Dettaglio Fattura] where df_Numero_Fattura = ? order by df_IVA")
        , code(handle, "select IVA_Descrizione, IVA_Aliquota from IVA where IVA_Codice = ?")
        , report(handle,
                 "select * from Fattura f left join Anagrafica a on a.anag_Contatore = f.fat_Codice_Cliente"
                 " left join [Dettaglio Fattura] d on d.df_Numero_Fattura = f.fat_Numero"
                 " left join IVA i on i.IVA_Codice = d.df_IVA where f.fat_Numero = ? order by f.fat_Numero")
    {
    }
    int read(const QString &numero)
    {
        const QByteArray key = numero.toUtf8();
        int cells = lines.readText(key);
        for (qlonglong c : {1, 2, 3})
            cells += code.readNumber(c);
        return cells + report.readText(key);
    }
    RawStatement lines, code, report;
};

struct Rounds {
    std::vector<double> ours, raw;
};

bool judge(const char *what, const Rounds &r, double limitMs)
{
    const double m = median(r.ours);
    const bool pass = m < limitMs;
    std::printf("%-30s %8.1f / %8.1f ms | raw %7.3f / %7.3f ms | under %4.0f ms: %s\n", what,
                *std::min_element(r.ours.begin(), r.ours.end()), m,
                *std::min_element(r.raw.begin(), r.raw.end()), median(r.raw), limitMs, pass ? "PASS" : "FAIL");
    return pass;
}

void addInvoice(db::Database &database, const QString &numero, int lines)
{
    database.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, "
                                    "fat_Descrizione_Pagamento, fat_Pagato) values ('%1', #12/6/2026#, 1, 'Bonifico', 0)")
                         .arg(numero));
    static const int codes[] = {3, 1, 3, 2};
    for (int i = 0; i < lines; ++i) {
        const double price = 3.35 + 1.7 * i;
        database.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità,"
                                        " df_Prezzo, df_IVA, df_Importo) values ('%1', 'Articolo di prova numero %2', %3, %4, %5, %6)")
                             .arg(numero).arg(i + 1).arg(1 + i % 3).arg(price).arg(codes[i % 4]).arg(price * (1 + i % 3)));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QStringList args = application.arguments().mid(1);
    QString sample;
    const int at = int(args.indexOf(QStringLiteral("--sample")));
    if (at >= 0 && at + 1 < args.size()) {
        sample = args.at(at + 1);
        args.remove(at, 2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench-invoice-print <shop.mdb> [prints] [rounds] [--sample file.pdf]\n");
        return 2;
    }
    const int prints = args.size() > 1 ? args.at(1).toInt() : 15;
    const int rounds = args.size() > 2 ? args.at(2).toInt() : 3;

    // The program folder of the bench: a copy of the shop (the bench adds
    // its invoices), the template and the letterhead.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tarvo.mdb"));
    if (!QFile::copy(args.at(0), path)) {
        std::fprintf(stderr, "bench-invoice-print: cannot copy %s\n", qPrintable(args.at(0)));
        return 1;
    }
    QFile::copy(QStringLiteral(TARVO_PROGRAM_DIR "/fattura.rpt"), folder.filePath(QStringLiteral("fattura.rpt")));
    QFile::copy(QStringLiteral(TARVO_PROGRAM_DIR "/intestazione.txt"), folder.filePath(QStringLiteral("intestazione.txt")));
    setProgramFolder(folder.path());
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = path;
    ui::ScriptedMessages messages;

    std::shared_ptr<db::Database> database = ShopDatabase::open();
    const qlonglong invoices = database->openRecordset(QStringLiteral("select count(*) as n from Fattura"))->value(0).toLongLong();
    database->beginTrans();
    addInvoice(*database, QStringLiteral("26-90000"), 40);
    // Cold invoices: 26-9nnnn for the print, 26-7nnnn for the raw reads.
    for (int i = 1; i <= prints * rounds; ++i) {
        addInvoice(*database, QStringLiteral("26-9%1").arg(i, 4, 10, QLatin1Char('0')), 40);
        addInvoice(*database, QStringLiteral("26-7%1").arg(i, 4, 10, QLatin1Char('0')), 40);
    }
    addInvoice(*database, QStringLiteral("26-80000"), 0);
    database->commitTrans();

    sqlite3 *raw = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    db::registerTextFunctions(raw);   // the schema's columns name its collation
    db::Connection::applyReadSettings(raw);   // the engine's page cache
    RawInvoice rawInvoice(raw);

    mdiTarvo main;
    ui::WindowRegistry::adopt(main);
    report::ReportControl &control = main.Report();
    control.setPrinterToPdf(true);
    const QString pdf = folder.filePath(QStringLiteral("fattura.pdf"));
    control.setPdfFile(pdf);

    std::printf("bench-invoice-print: %s, %lld invoices, 40 lines at 3 rates, %d prints x %d rounds\n",
                qPrintable(args.at(0)), invoices, prints, rounds);
    std::printf("ours: StampaFattura to a PDF file (lines read, VAT summary, report laid out and written);\n"
                "raw: the same reads through prepared SQLite statements, every cell formatted to text.\n");
    // Warm-up, both sides: one print, one raw read, of the hot invoice.
    StampaFattura(QStringLiteral("26-90000"), false, 1);
    rawInvoice.read(QStringLiteral("26-90000"));
    Rounds hot, cold;
    int printed = 0;
    int next = 1;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> hotMs, coldMs, rawHot, rawCold;
        for (int i = 0; i < prints; ++i) {
            QFile::remove(pdf);
            auto start = Clock::now();
            StampaFattura(QStringLiteral("26-90000"), false, 1);
            hotMs.push_back(millis(Clock::now() - start));
            printed += QFileInfo(pdf).size() > 0;
            start = Clock::now();
            rawInvoice.read(QStringLiteral("26-90000"));
            rawHot.push_back(millis(Clock::now() - start));

            const QString numero = QStringLiteral("26-9%1").arg(next++, 4, 10, QLatin1Char('0'));
            QFile::remove(pdf);
            start = Clock::now();
            StampaFattura(numero, false, 1);
            coldMs.push_back(millis(Clock::now() - start));
            printed += QFileInfo(pdf).size() > 0;
            // The raw side reads an invoice of its own never read before.
            const QString rawNumero = QStringLiteral("26-7%1").arg(next - 1, 4, 10, QLatin1Char('0'));
            start = Clock::now();
            rawInvoice.read(rawNumero);
            rawCold.push_back(millis(Clock::now() - start));
        }
        hot.ours.push_back(median(hotMs));
        hot.raw.push_back(median(rawHot));
        cold.ours.push_back(median(coldMs));
        cold.raw.push_back(median(rawCold));
    }
    const int runsBefore = control.runCount();
    StampaFattura(QStringLiteral("26-80000"), false, 1);
    if (control.runCount() != runsBefore)
        std::fprintf(stderr, "bench-invoice-print: an invoice without lines was printed\n");
    if (printed != 2 * prints * rounds)
        std::fprintf(stderr, "bench-invoice-print: %d PDF files written, %d expected\n", printed, 2 * prints * rounds);
    if (!messages.texts().isEmpty())
        std::fprintf(stderr, "bench-invoice-print: messages shown: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));

    std::printf("\nmin / median of the rounds' medians\n");
    bool pass = judge("40-line invoice to PDF, hot", hot, 300);
    pass = judge("40-line invoice to PDF, cold", cold, 300) && pass;

    if (!sample.isEmpty()) {
        // Three lines at two rates, for a look at the page.
        database->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, "
                                         "fat_Descrizione_Pagamento, fat_Nota) values ('26-80001', #12/6/2026#, 1, "
                                         "'Bonifico a 30 giorni', 'Pagamento su IBAN IT60 X054 2811 1010 0000 0123 456')"));
        database->execute(QStringLiteral("insert into [Dettaglio Fattura] values "
                                         "('26-80001', 'Maglione lana merino taglia M blu', 2, 45, 3, 90),"
                                         "('26-80001', 'Libro: Storia del tessile comasco', 1, 22.5, 1, 22.5),"
                                         "('26-80001', 'Sciarpa di seta stampata', 1, 60, 3, 60)"));
        control.setPdfFile(sample);
        StampaFattura(QStringLiteral("26-80001"), false, 1);
        std::printf("sample invoice 26-80001 written to %s\n", qPrintable(sample));
    }
    sqlite3_close(raw);
    std::printf("%s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
