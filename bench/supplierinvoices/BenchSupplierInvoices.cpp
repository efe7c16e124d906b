// bench-supplier-invoices <shop.mdb> [runs]: suppliers' invoices into the
// large shop.
//
//   100 invoices of 50 lines  tarvo-importa fatture on a folder of 100
//                        FatturaPA files (ten suppliers, every line's EAN one
//                        of the shop's items), as the shop runs it: the whole
//                        process (start, reading, matching, one transaction
//                        per invoice, each synced), on a fresh copy each run.
//   the shared fsync     100 small write transactions on the same copy: the
//                        part of the figure above that is the disk's, not
//                        the import's.
//
// Each run takes other items (the same sequence each time the bench runs),
// read before by nothing in this run: cold keys.
#include "SupplierInvoiceFiles.h"

#include "common/BenchClock.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SchemaVersions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using namespace supplierfiles;

namespace {

constexpr int kInvoices = 100;
constexpr int kLines = 50;

bool upgrade(const QString &path)
{
    sqlite3 *handle = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &handle) != SQLITE_OK)
        return false;
    try {
        db::SchemaVersions::upgrade(handle, {});
    } catch (...) {
        sqlite3_close(handle);
        return false;
    }
    sqlite3_close(handle);
    return true;
}

// The bar codes of run `run`: 5,000 items spread over the whole shop.
QStringList barcodes(const QString &path, int run)
{
    QStringList codes;
    auto database = db::Database::open(path);
    auto rs = database->openRecordset(QStringLiteral("select ca_Codice from [Codice Articolo] where rowid % 197 = ")
                                      + QString::number(run * 7 + 3));
    for (; !rs->eof() && codes.size() < kInvoices * kLines; rs->moveNext())
        codes << rs->value(0).toString();
    database.reset();
    db::Database::closeAll();
    return codes;
}

bool writeInvoices(const QString &folder, const QStringList &codes, int run)
{
    for (int i = 0; i < kInvoices; ++i) {
        Supplier supplier;
        supplier.vatNumber = QStringLiteral("0123456%1").arg(1000 + i % 10);
        supplier.name = QStringLiteral("Fornitore %1").arg(i % 10);
        Body body;
        body.number = QStringLiteral("R%1/%2").arg(run).arg(i + 1);
        body.date = QStringLiteral("2026-11-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
        double total = 0;
        for (int l = 0; l < kLines; ++l) {
            const int quantity = 1 + (i + l) % 5;
            const double price = 5 + (l % 20) * 1.25;
            total += quantity * price;
            body.lines << Line{{}, {{QStringLiteral("EAN"), codes.value(i * kLines + l)}},
                               QStringLiteral("Articolo %1").arg(l), QString::number(quantity) + QStringLiteral(".00"),
                               QString::number(price, 'f', 2), {}, QString::number(quantity * price, 'f', 2)};
        }
        body.total = QString::number(total, 'f', 2);
        body.taxable = body.total;
        body.tax = QStringLiteral("0.00");
        if (!write(QStringLiteral("%1/IT%2_%3.xml").arg(folder, supplier.vatNumber).arg(i, 5, 10, QLatin1Char('0')),
                   invoiceXml(supplier, {body})))
            return false;
    }
    return true;
}

struct Import {
    double ms = -1;
    long peakKb = -1;
    QString output;
};

Import runImport(const QString &folder, const QString &database)
{
    QProcess process;
    const auto start = bench::Clock::now();
    process.start(QStringLiteral(TARVO_PEAK_OF), {QStringLiteral(TARVO_IMPORTA), QStringLiteral("fatture"), folder,
                                                   QStringLiteral("--database"), database});
    process.waitForFinished(600000);
    Import result;
    result.ms = bench::millis(bench::Clock::now() - start);
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    if (!lines.isEmpty() && lines.last().startsWith("peak-kb "))
        result.peakKb = lines.last().mid(8).toLong();
    return result;
}

double emptyTransactions(const QString &path)
{
    auto database = db::Database::open(path);
    const auto start = bench::Clock::now();
    for (int i = 0; i < kInvoices; ++i) {
        db::Transaction transaction(*database);
        // A row in and out: pages written, so the commit syncs as an import's does.
        database->execute(QStringLiteral("insert into CodiciFornitori (cf_Tipo) values ('bench')"));
        database->execute(QStringLiteral("delete from CodiciFornitori where cf_Tipo = 'bench'"));
        transaction.commit();
    }
    const double ms = bench::millis(bench::Clock::now() - start);
    database.reset();
    db::Database::closeAll();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "uso: bench-supplier-invoices <shop.mdb> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    std::vector<double> times;
    std::vector<double> fsyncs;
    long peak = -1;
    bool allImported = true;
    for (int run = 0; run < runs; ++run) {
        QTemporaryDir work;
        const QString copy = work.filePath(QStringLiteral("tarvo.mdb"));
        if (!QFile::copy(QString::fromLocal8Bit(argv[1]), copy) || !upgrade(copy)) {
            std::fprintf(stderr, "bench-supplier-invoices: cannot copy or upgrade %s\n", argv[1]);
            return 1;
        }
        const QString folder = work.filePath(QStringLiteral("fatture"));
        QDir().mkpath(folder);
        const QStringList codes = barcodes(copy, run);
        if (codes.size() < kInvoices * kLines || !writeInvoices(folder, codes, run)) {
            std::fprintf(stderr, "bench-supplier-invoices: cannot write the invoices\n");
            return 1;
        }
        const Import import = runImport(folder, copy);
        const bool imported = import.output.contains(QStringLiteral("Importate 100 fatture su 100."));
        allImported = allImported && imported;
        times.push_back(import.ms);
        peak = std::max(peak, import.peakKb);
        fsyncs.push_back(emptyTransactions(copy));
        std::printf("  run %d: %.0f ms%s\n", run + 1, import.ms, imported ? "" : " (NOT all imported)");
    }
    const double best = *std::min_element(times.begin(), times.end());
    const double middle = bench::median(times);
    std::printf("100 invoices x 50 lines, whole process: min %.0f ms, median %.0f ms (< 5000 ms) %s\n", best, middle,
                middle < 5000 && allImported ? "PASS" : "FAIL");
    std::printf("  of which the disk's: 100 small write transactions, median %.0f ms\n", bench::median(fsyncs));
    std::printf("  peak memory of tarvo-importa: %.1f MB\n", peak / 1024.0);
    return middle < 5000 && allImported ? 0 : 1;
}
