// The child of the invoice crash test: writes invoices as the editor does
// (lines first, as the grid writes them, then the header on Save),
// renumbers the lines of a new invoice before saving it, changes a line of a
// stored invoice, and deletes invoices, until it is killed. It says "OK" on
// standard output after each committed operation.
//   invoice-crash-child <database> <seed> [--without-transaction]
// The third argument makes the invoice writes run statement by statement:
// the control run, which proves that the crash test notices it.
#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceNumber.h"
#include "rules/ShopDatabase.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdio>
#include <random>
#include <vector>

namespace {

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString quotedNumber(const QString &numero)
{
    return db::quoted(numero, QLatin1Char('"'));
}

// One line, written on its own as the grid writes a row left by the user.
void writeLine(db::Database &database, const QString &numero, int quantity, double price)
{
    auto rs = database.openRecordset(QStringLiteral("select * from [Dettaglio Fattura] where df_Numero_Fattura = \"\""));
    rs->addNew();
    rs->setValue(QStringLiteral("df_Numero_Fattura"), numero);
    rs->setValue(QStringLiteral("df_Descrizione"), QStringLiteral("Riga"));
    rs->setValue(QStringLiteral("df_Quantità"), quantity);
    rs->setValue(QStringLiteral("df_Prezzo"), price);
    rs->setValue(QStringLiteral("df_IVA"), 3);
    rs->setValue(QStringLiteral("df_Importo"), quantity * price);
    rs->update();
}

// The header as the editor's record set writes it on Save.
void writeHeader(db::Database &database, const QString &numero)
{
    auto rs = database.openRecordset(QStringLiteral("select * from Fattura order by fat_Numero"));
    rs->addNew();
    rs->setValue(QStringLiteral("fat_Numero"), numero);
    rs->setValue(QStringLiteral("fat_Data"), QDate(2026, 12, 6));
    rs->setValue(QStringLiteral("fat_Codice_Cliente"), 1);
    rs->update();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return 2;
    ShopDatabase::setLocation(QString::fromLocal8Bit(argv[1]));
    const bool withoutTransaction = argc > 3 && QByteArray(argv[3]) == "--without-transaction";
    InvoiceArchive::setOneTransactionPerWrite(!withoutTransaction);
    std::mt19937 random(unsigned(std::atol(argv[2])));
    auto pick = [&random](int size) { return std::uniform_int_distribution<int>(0, size - 1)(random); };
    const QList<double> prices = {0.1, 0.2, 12.5, 49.9, 3.5, 100};
    auto database = ShopDatabase::open();
    InvoiceArchive archive(*database);
    std::vector<QString> stored;
    const QDate today(2026, 12, 6);

    say(QStringLiteral("READY"));
    for (;;) {
        const int kind = pick(100);
        if (kind < 55) {
            // A new invoice, renumbered before its save one time in three.
            const QString numero = archive.nextFreeNumber(today);
            const bool renumber = kind < 18;
            const QString saved = renumber ? InvoiceNumber::build(today, 90000 + pick(9999)) : numero;
            if (renumber && archive.exists(saved))
                continue;
            say(QStringLiteral("DO new %1 %2").arg(numero, saved));
            const int lines = 1 + pick(4);
            for (int line = 0; line < lines; ++line)
                writeLine(*database, numero, 1 + pick(3), prices.at(pick(int(prices.size()))));
            if (renumber) {
                archive.renumberLines(numero, saved);
                say(QStringLiteral("OK renumber %1 %2").arg(numero, saved));
            }
            archive.saveNew(saved, [&] { writeHeader(*database, saved); });
            stored.push_back(saved);
            say(QStringLiteral("OK new %1 %2").arg(saved).arg(lines));
        } else if (kind < 80 && !stored.empty()) {
            // A line of a stored invoice changed: the line and the header's
            // total in one transaction, as the editor's grid writes them.
            const QString numero = stored.at(size_t(pick(int(stored.size()))));
            say(QStringLiteral("DO line %1").arg(numero));
            if (!withoutTransaction)
                database->beginTrans();
            database->execute(QStringLiteral("update [Dettaglio Fattura] set df_Quantità = df_Quantità + 1, "
                                             "df_Importo = (df_Quantità + 1) * df_Prezzo where df_Numero_Fattura = ")
                              + quotedNumber(numero));
            archive.storeTotal(numero);
            if (!withoutTransaction)
                database->commitTrans();
            say(QStringLiteral("OK line %1").arg(numero));
        } else if (!stored.empty()) {
            const size_t at = size_t(pick(int(stored.size())));
            const QString numero = stored.at(at);
            say(QStringLiteral("DO delete %1").arg(numero));
            auto headers = database->openRecordset(QStringLiteral("select * from Fattura where fat_Numero = ") + quotedNumber(numero));
            archive.deleteInvoice(numero, [&] { headers->deleteRecord(); });
            stored.erase(stored.begin() + long(at));
            say(QStringLiteral("OK delete %1").arg(numero));
        }
    }
}
