// One till of the several-tills test, working on a shared shop file until it
// has done its share:
//   till-child <database> sales|loads|changes|invoices <count>
// sales and loads record <count> movements of one unit of item "1234";
// changes records one sale and rewrites it <count> times, between quantity 1
// and 2; invoices saves <count> new invoices, each under the number an
// editor would have proposed just before. Prints "READY", waits for a line
// on standard input (so that both tills start together), and exits 0 when
// every operation was done without an error. draft types <count> lines of
// a new invoice under number 26-00009 as the editor does (the number held
// for the other tills), prints "TYPED" and waits for a second line before
// it ends, never saving the invoice. codes makes <count> stock items of
// article 42 under codes the shop makes itself.
#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceDrafts.h"
#include "rules/ShopDatabase.h"
#include "rules/StockMovement.h"
#include "rules/StoreBarcodes.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdio>
#include <exception>

namespace {

const QString kDate = QStringLiteral("08/12/2026");
const QString kItem = QStringLiteral("1234");

SaleRow sale(double quantity)
{
    return SaleRow{kDate, kItem, quantity, 10, 0, 10 * quantity, QStringLiteral("CO")};
}

void saveInvoice(db::Database &database)
{
    const QDate today(2026, 12, 8);
    InvoiceArchive archive(database);
    const QString proposed = archive.nextFreeNumber(today);
    auto header = database.openRecordset(QStringLiteral("select * from Fattura order by fat_Numero"));
    header->addNew();
    header->setValue(QStringLiteral("fat_Codice_Cliente"), 1);
    archive.saveNewOnFreeNumber(proposed, today, [&header](const QString &numero) {
        header->setValue(QStringLiteral("fat_Numero"), numero);
        header->update();
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 4)
        return 2;
    ShopDatabase::setLocation(QString::fromLocal8Bit(argv[1]));
    const QByteArray work = argv[2];
    const int count = std::atoi(argv[3]);
    std::puts("READY");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 3;
    try {
        if (work == "sales") {
            for (int i = 0; i < count; ++i)
                if (StockMovement::recordSale(sale(1)) != StockMovement::Result::Done)
                    return 4;
        } else if (work == "loads") {
            for (int i = 0; i < count; ++i)
                if (StockMovement::recordLoad(LoadRow{kDate, kItem, 0, 1}) != StockMovement::Result::Done)
                    return 4;
        } else if (work == "changes") {
            qlonglong number = 0;
            StockMovement::recordSale(sale(1), &number);
            for (int i = 0; i < count; ++i)
                if (StockMovement::changeSale(number, sale(i % 2 == 0 ? 2 : 1)) != StockMovement::Result::Done)
                    return 4;
        } else if (work == "draft") {
            auto database = ShopDatabase::open();
            const QString numero = QStringLiteral("26-00009");
            if (!InvoiceDrafts::claim(database->path(), numero))
                return 5;
            for (int i = 0; i < count; ++i)
                database->execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, "
                                                 "df_Quantità, df_Prezzo, df_IVA) values ('")
                                  + numero + QStringLiteral("', 'Riga', 1, 10, 3)"));
            std::puts("TYPED");
            std::fflush(stdout);
            if (!std::fgets(line, sizeof line, stdin))
                return 3;
        } else if (work == "codes") {
            auto database = ShopDatabase::open();
            StoreBarcodes barcodes(*database);
            for (int i = 0; i < count; ++i)
                barcodes.newItem(42);
        } else if (work == "invoices") {
            auto database = ShopDatabase::open();
            for (int i = 0; i < count; ++i)
                saveInvoice(*database);
        } else {
            return 2;
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "till-child: %s\n", error.what());
        return 1;
    }
    return 0;
}
