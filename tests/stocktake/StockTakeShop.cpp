#include "StockTakeShop.h"

#include "rules/StockQuantity.h"
#include "rules/general/Today.h"

StockTakeShop::StockTakeShop()
{
    setToday(day());
    execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Rossi')"));
    execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Bianchi')"));
    const struct {
        int code;
        const char *description;
        const char *supplier;
    } articles[] = {{1, "Camicia lino", "Rossi"}, {2, "Pantalone 50% lana", "Rossi"}, {3, "Giacca", "Bianchi"},
                    {4, "Camicia *stella*", "Bianchi"}};
    for (const auto &a : articles)
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico) "
                               "values (%1, '%2', '%3', 10)")
                    .arg(a.code)
                    .arg(QLatin1String(a.description), QLatin1String(a.supplier)));
    const struct {
        const char *code;
        int article;
        const char *size;
        long stock;
    } items[] = {{"R1", 1, "M", 5}, {"R2", 1, "L", 3}, {"R3", 2, "48", 2}, {"B1", 3, "50", 4}, {"B2", 4, "S", 0}};
    for (const auto &i : items)
        execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, "
                               "ca_Quantita) values ('%1', %2, '%3', 'blu', %4)")
                    .arg(QLatin1String(i.code))
                    .arg(i.article)
                    .arg(QLatin1String(i.size))
                    .arg(i.stock));
    sell(QStringLiteral("R1"), 1, QStringLiteral("2026-12-09"), 30);
    execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = 5 where ca_Codice = 'R1'"));
}

StockTakeShop::~StockTakeShop()
{
    setToday(QDate());
}

long StockTakeShop::stock(const QString &barcode) const
{
    return long(scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '") + barcode
                       + QStringLiteral("'"))
                    .toLongLong());
}

// A movement written as the windows write it: the row, and the stock moved by
// the whole quantity.
void StockTakeShop::sell(const QString &barcode, double quantity, const QString &date, double amount) const
{
    execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, "
                           "sc_Saldo, sc_Pagamento) values ('%1', #%2#, %3, %4, 0, %4, 'CO')")
                .arg(barcode, date)
                .arg(quantity)
                .arg(amount));
    execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = ca_Quantita - %1 where ca_Codice = '%2'")
                .arg(StockQuantity::whole(quantity))
                .arg(barcode));
}

void StockTakeShop::load(const QString &barcode, double quantity, const QString &date) const
{
    execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo) "
                           "values ('%1', #%2#, %3, 0)")
                .arg(barcode, date)
                .arg(quantity));
    execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = ca_Quantita + %1 where ca_Codice = '%2'")
                .arg(StockQuantity::whole(quantity))
                .arg(barcode));
}
