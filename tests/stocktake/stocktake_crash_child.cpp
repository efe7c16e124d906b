// The child of the stock-take crash test: counts every item of the shop and
// posts the count, again and again, with a sale now and then, until it is
// killed; says "OK" on standard output after each commit.
//   stocktake-crash-child <database> <seed> [--without-transaction]
// The third argument makes the posting write statement by statement: the
// control run, which proves that the crash test notices a missing
// transaction.
#include "StockTakeCrashShop.h"

#include "db/Database.h"
#include "rules/ShopDatabase.h"
#include "rules/StockMovement.h"
#include "rules/general/Today.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakePosting.h"

#include <QCoreApplication>
#include <cstdio>
#include <random>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return 2;
    ShopDatabase::setLocation(QString::fromLocal8Bit(argv[1]));
    if (argc > 3 && QByteArray(argv[3]) == "--without-transaction")
        StockTakePosting::setOneTransaction(false);
    setToday(QDate(2026, 12, 9));
    std::mt19937 random(unsigned(std::atol(argv[2])));
    auto pick = [&random](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
    auto database = ShopDatabase::open();

    say(QStringLiteral("READY"));
    for (;;) {
        if (pick(0, 2) == 0) {
            const int item = pick(1, StockTakeCrashShop::kItems);
            const QString code = StockTakeCrashShop::barcode(item);
            SaleRow row{QStringLiteral("09/12/2026"), code, 1, 3, 0, 3, QStringLiteral("CO")};
            qlonglong number = 0;
            say(QStringLiteral("DO sale"));
            StockMovement::recordSale(row, &number);
            say(QStringLiteral("OK sale %1 %2 1").arg(number).arg(code));
        }
        // The count itself, typed in at once (its scans are not what is tested).
        const StockTake take = StockTake::create(*database, QDate(2026, 12, 9), QString(), QString());
        {
            db::Transaction transaction(*database);
            for (int item = 1; item <= StockTakeCrashShop::kItems; ++item)
                database->execute(QStringLiteral("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, "
                                                 "ic_Contato) values (")
                                  + QString::number(take.numero) + QStringLiteral(", '")
                                  + StockTakeCrashShop::barcode(item) + QStringLiteral("', ")
                                  + QString::number(pick(0, 12)) + QLatin1Char(')'));
            transaction.commit();
        }
        say(QStringLiteral("DO post %1").arg(take.numero));
        const StockTakePosting::Result result = StockTakePosting::post(*database, take.numero, QDate(2026, 12, 9));
        say(QStringLiteral("OK post %1 %2").arg(take.numero).arg(result.changed));
    }
}
