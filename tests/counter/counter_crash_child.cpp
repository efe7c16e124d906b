// The child of the crash test: records, changes and deletes loads and sales
// through the counter's stock movements, and now and then counts an item and
// posts the count, until it is killed, and says "OK" on standard output after
// each committed operation.
//   counter-crash-child <database> <seed> [--without-transaction]
// The third argument makes the movements write statement by statement: the
// control run, which proves that the crash test notices a missing
// transaction.
#include "CrashScript.h"

#include "rules/ShopDatabase.h"
#include "rules/StockMovement.h"
#include "rules/StockQuantity.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLines.h"
#include "rules/stock/StockTakePosting.h"

#include <QCoreApplication>
#include <cstdio>
#include <random>
#include <vector>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString quantityText(double quantity)
{
    return StockQuantity::text(quantity);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return 2;
    ShopDatabase::setLocation(QString::fromLocal8Bit(argv[1]));
    if (argc > 3 && QByteArray(argv[3]) == "--without-transaction") {
        StockMovement::setOneTransactionPerMovement(false);
        StockTakePosting::setOneTransaction(false);
    }
    std::mt19937 random(unsigned(std::atol(argv[2])));
    const QStringList codes = CrashScript::barcodes();
    const QList<double> quantities = CrashScript::quantities();
    auto pick = [&random](auto size) { return int(std::uniform_int_distribution<int>(0, int(size) - 1)(random)); };
    std::vector<qlonglong> loads;
    std::vector<qlonglong> sales;

    say(QStringLiteral("READY"));
    for (;;) {
        const int kind = pick(100);
        const QString code = codes.at(pick(codes.size()));
        const double quantity = quantities.at(pick(quantities.size()));
        if (kind < 40) {
            LoadRow row{QStringLiteral("06/12/2026"), code, code.endsWith(QLatin1Char('U')) ? 1 : 0, quantity};
            qlonglong number = 0;
            say(QStringLiteral("DO load"));
            StockMovement::recordLoad(row, &number);
            loads.push_back(number);
            say(QStringLiteral("OK load %1 %2 %3").arg(number).arg(code, quantityText(quantity)));
        } else if (kind < 75) {
            SaleRow row{QStringLiteral("06/12/2026"), code, quantity, 30, 0, 30 * quantity, QStringLiteral("CO")};
            qlonglong number = 0;
            say(QStringLiteral("DO sale"));
            StockMovement::recordSale(row, &number);
            sales.push_back(number);
            say(QStringLiteral("OK sale %1 %2 %3").arg(number).arg(code, quantityText(quantity)));
        } else if (kind < 85 && !loads.empty()) {
            const qlonglong number = loads.at(size_t(pick(loads.size())));
            say(QStringLiteral("DO change-load %1").arg(number));
            StockMovement::changeLoad(number, LoadRow{QStringLiteral("07/12/2026"), code, 0, quantity});
            say(QStringLiteral("OK change-load %1 %2 %3").arg(number).arg(code, quantityText(quantity)));
        } else if (kind < 90 && !sales.empty()) {
            const qlonglong number = sales.at(size_t(pick(sales.size())));
            say(QStringLiteral("DO change-sale %1").arg(number));
            StockMovement::changeSale(number, SaleRow{QStringLiteral("07/12/2026"), code, quantity, 30, 1, 30 * quantity - 1, QString()});
            say(QStringLiteral("OK change-sale %1 %2 %3").arg(number).arg(code, quantityText(quantity)));
        } else if (kind < 92) {
            // A count of one item, posted: its adjustment moves the stock.
            auto database = ShopDatabase::open();
            const StockTake take = StockTake::create(*database, QDate(2026, 12, 6), QString(), QString());
            StockTakeLines(*database, take).set(code, QString::number(pick(20)));
            say(QStringLiteral("DO stocktake %1").arg(take.numero));
            StockTakePosting::post(*database, take.numero, QDate(2026, 12, 6));
            say(QStringLiteral("OK stocktake %1").arg(take.numero));
        } else if (kind < 95 && !loads.empty()) {
            const size_t at = size_t(pick(loads.size()));
            const qlonglong number = loads.at(at);
            loads.erase(loads.begin() + long(at));
            say(QStringLiteral("DO delete-load %1").arg(number));
            StockMovement::deleteLoad(number);
            say(QStringLiteral("OK delete-load %1").arg(number));
        } else if (!sales.empty()) {
            const size_t at = size_t(pick(sales.size()));
            const qlonglong number = sales.at(at);
            sales.erase(sales.begin() + long(at));
            say(QStringLiteral("DO delete-sale %1").arg(number));
            StockMovement::deleteSale(number);
            say(QStringLiteral("OK delete-sale %1").arg(number));
        }
    }
}
