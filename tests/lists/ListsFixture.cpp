#include "ListsFixture.h"

#include "rules/general/Today.h"

#include <QDate>
#include <QFile>

namespace {

QString literal(const QString &dayFirst)
{
    return QLatin1Char('#') + QDate::fromString(dayFirst, QStringLiteral("dd/MM/yyyy")).toString(QStringLiteral("MM/dd/yyyy"))
           + QLatin1Char('#');
}

} // namespace

ListsFixture::ListsFixture()
{
    setToday(QDate(2026, 12, 6));
    const QString source = qEnvironmentVariable("TARVO_SOURCE_DIR");
    for (const char *name : {"listacarichi.rpt", "listascarichi.rpt", "prinota.rpt", "incassi.rpt"})
        QFile::copy(source + QStringLiteral("/resources/reports/") + QLatin1String(name),
                    folder() + QStringLiteral("/") + QLatin1String(name));
    execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (42, 'Giacca', 'Dell''Orto')"));
    execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (43, 'Sciarpa', 'Rossi')"));
    execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('1234', 42, 3)"));
    execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('1234U', 42, 1)"));
    execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('5555', 43, 10)"));
}

ListsFixture::~ListsFixture()
{
    setToday(QDate());
}

void ListsFixture::addLoad(const QString &barcode, const QString &date, double quantity, double price, bool used)
{
    execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
                           "values ('%1', %2, %3, %4, %5)")
                .arg(barcode, literal(date))
                .arg(quantity)
                .arg(price)
                .arg(used ? -1 : 0));
}

void ListsFixture::addSale(const QString &barcode, const QString &date, double quantity, double price,
                           double discount, double amount, const QString &payment, bool used)
{
    execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, "
                           "sc_Saldo, sc_Pagamento, sc_Usato) values ('%1', %2, %3, %4, %5, %6, %7, %8)")
                .arg(barcode, literal(date))
                .arg(quantity)
                .arg(price)
                .arg(discount)
                .arg(amount)
                .arg(payment.isNull() ? QStringLiteral("Null") : QLatin1Char('\'') + payment + QLatin1Char('\''))
                .arg(used ? -1 : 0));
}

double ListsFixture::stock(const QString &barcode) const
{
    return scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '") + barcode
                  + QStringLiteral("'")).toDouble();
}
