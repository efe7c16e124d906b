#include "CrashScript.h"

#include "db/Database.h"

QStringList CrashScript::barcodes()
{
    return {QStringLiteral("8001"), QStringLiteral("8002"), QStringLiteral("8002U"), QStringLiteral("Dell'8004"),
            QStringLiteral("8005")};
}

long CrashScript::startingStock(const QString &barcode)
{
    return 100 + 10 * barcodes().indexOf(barcode);
}

void CrashScript::fillShop(db::Database &database)
{
    database.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (1, 'Camicia', 30)"));
    for (const QString &code : barcodes())
        database.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values (")
                         + QStringLiteral("'") + QString(code).replace(QLatin1Char('\''), QStringLiteral("''"))
                         + QStringLiteral("', 1, ") + QString::number(startingStock(code)) + QStringLiteral(")"));
}

QList<double> CrashScript::quantities()
{
    return {1, 2, 3, 1.5, 2.5, 3.5, 0.5, 7};
}
