// Not a test: renders a 10,000-row load list to PDF and reports the time,
// then writes one sample PDF per template into the folder given as argument
// (default: the temporary folder, removed at exit).
#include "ReportFixture.h"
#include "report/DbReportSource.h"
#include "report/ReportControl.h"
#include "report/ReportEngine.h"
#include "db/Database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>

using namespace report;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ReportFixture fixture;
    if (!fixture.isValid()) {
        std::fprintf(stderr, "fixture not available (TARVO_SOURCE_DIR?)\n");
        return 1;
    }
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : fixture.folder();
    QDir().mkpath(out);

    ReportControl report;
    report.setDatabasePath(fixture.databasePath());
    report.setToday(QDate(2026, 5, 4));
    report.set(prop::Destination, int(Destination::File));
    auto print = [&](const QString &name, const QString &title, const QString &selection, const QStringList &slots = {}) {
        for (int i = 0; i < kFormulaSlots; ++i)
            report.set(prop::Formulas, i, i < slots.size() ? slots.at(i) : QString());
        report.set(prop::PrintFileName, QDir(out).filePath(QFileInfo(name).completeBaseName() + ".pdf"));
        report.set(prop::ReportFileName, fixture.templatePath(name));
        report.set(prop::WindowTitle, title);
        report.set(prop::SelectionFormula, selection);
        report.set(prop::Action, 1);
    };
    print("fattura.rpt", "Stampa della fattura numero 26-00007", "{fattura.fat_Numero} ='26-00007'",
          {"", "Descrizione_Iva_1='IVA 4%'", "Importo_IVA_1=1.00", "Descrizione_Iva_2='IVA 22%'",
           "Importo_IVA_2=33.00", "IVA = 34.00", "NumeroFattura='7'"});
    print("articoli.rpt", "Lista Articoli", "");
    print("listascarichi.rpt", "Brellan - Lista degli scarichi", "");
    print("listafat.rpt", "Lista Fatture", "");
    print("clienti.rpt", "Stampa dei dati del Cliente Bianchi Mario", "{anagrafica.anag_Contatore} = 1");
    print("lstclienti.rpt", "Lista Clienti", "");
    print("prinota.rpt", "", "{Nota Fornitori.pn_data} >= date(2000,01,01) and {Nota Fornitori.pn_data} <=  date(2200,01,01)");

    db::Database &d = fixture.database();
    d.beginTrans();
    for (int i = 0; i < 10000; ++i)
        d.execute(QString("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
                          "values ('%1', #%2/%3/2026#, %4, 0, 0)")
                      .arg(i % 2 ? "800001" : "800002").arg(1 + i % 12).arg(1 + i % 28).arg(1 + i % 5));
    d.commitTrans();
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    print("listacarichi.rpt", "Corvel - Lista dei Carichi",
          "{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)");
    const qint64 ms = timer.elapsed();
    const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
    std::printf("listacarichi.rpt: 10003 rows, %d pages, %lld ms to PDF (%.0f ms of processor time)\n",
                report.lastPageCount(), ms, cpuMs);
    timer.restart();
    DbReportSource source(fixture.databasePath());
    ReportRequest request;
    request.templatePath = fixture.templatePath("listacarichi.rpt");
    request.selection = "{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)";
    request.today = QDate(2026, 5, 4);
    const auto pages = ReportEngine::run(request, source);
    std::printf("  of which reading and laying out: %lld ms\n", timer.elapsed());
    return 0;
}
