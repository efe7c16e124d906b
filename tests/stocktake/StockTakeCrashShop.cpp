#include "StockTakeCrashShop.h"

#include "db/Database.h"

QString StockTakeCrashShop::barcode(int item)
{
    return QStringLiteral("S%1").arg(item, 4, 10, QLatin1Char('0'));
}

long StockTakeCrashShop::startingStock(int item)
{
    return 5 + item % 7;
}

void StockTakeCrashShop::fill(db::Database &database)
{
    db::Transaction transaction(database);
    database.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (1, 'Calza', 'Rossi')"));
    for (int item = 1; item <= kItems; ++item)
        database.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('")
                         + barcode(item) + QStringLiteral("', 1, ") + QString::number(startingStock(item))
                         + QLatin1Char(')'));
    transaction.commit();
}
