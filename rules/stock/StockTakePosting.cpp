#include "rules/stock/StockTakePosting.h"

#include "db/Database.h"
#include "db/SqlText.h"
#include "rules/StockQuantity.h"
#include "rules/SwitchableTransaction.h"
#include "rules/stock/StockTakeLines.h"

namespace {

bool g_oneTransaction = true;

QString dateLiteral(const QDate &date)
{
    return QLatin1Char('#') + date.toString(Qt::ISODate) + QLatin1Char('#');
}

} // namespace

int StockTakePosting::itemsToChange(db::Database &database, const StockTake &take)
{
    return int(StockTakeLines(database, take).differences().size());
}

StockTakePosting::Result StockTakePosting::post(db::Database &database, qlonglong numero, const QDate &postedOn)
{
    Result result;
    const QString number = QString::number(numero);
    SwitchableTransaction transaction(database, g_oneTransaction);
    // Marked first: a second posting (another till, a second click) finds
    // the count posted and stops, or waits until this one has ended.
    if (database.execute(QStringLiteral("update Inventari set inv_Registrato = -1, inv_Data_Registrazione = ")
                         + dateLiteral(postedOn) + QStringLiteral(" where inv_Registrato = 0 and inv_Codice = ")
                         + number) == 0) {
        result.outcome = StockTake::read(database, numero) ? Outcome::AlreadyPosted : Outcome::NotFound;
        return result;
    }
    std::optional<StockTake> take = StockTake::read(database, numero);
    // The stock is compared as it was before the mark.
    take->registrato = false;
    StockTakeLines lines(database, *take);
    const QList<StockTakeLine> counted = lines.lines();
    for (const StockTakeLine &line : counted)
        database.execute(QStringLiteral("update InventarioConteggi set ic_Giacenza = ") + QString::number(line.giacenza)
                         + QStringLiteral(" where ic_Codice = ") + QString::number(line.riga));
    const QString day = dateLiteral(take->data);
    for (const StockTakeLine &line : lines.differences(counted)) {
        const QString code = db::quoted(line.codice, QLatin1Char('"'));
        if (!line.contato)
            database.execute(QStringLiteral("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo, "
                                            "ic_Contato, ic_Giacenza) values (")
                             + number + QStringLiteral(", ") + code + QStringLiteral(", 0, ")
                             + QString::number(line.giacenza) + QLatin1Char(')'));
        // An item deleted meanwhile has no stock left to correct.
        if (!StockQuantity::addTo(database, line.codice, line.differenza()))
            continue;
        database.execute(QStringLiteral("insert into Rettifiche (re_Codice_Articolo, re_Data, re_Quantita, "
                                        "re_Inventario) values (")
                         + code + QStringLiteral(", ") + day + QStringLiteral(", ")
                         + QString::number(line.differenza()) + QStringLiteral(", ") + number + QLatin1Char(')'));
        ++result.changed;
    }
    transaction.commit();
    return result;
}

QString StockTakePosting::question(const StockTake &take, int changes)
{
    return QStringLiteral("Registrare l'inventario del %1? Cambia la giacenza di %2 %3.")
        .arg(take.data.toString(QStringLiteral("dd/MM/yyyy")))
        .arg(changes)
        .arg(changes == 1 ? QStringLiteral("articolo") : QStringLiteral("articoli"));
}

QString StockTakePosting::done(int changes)
{
    return QStringLiteral("Inventario registrato: cambiata la giacenza di %1 %2.")
        .arg(changes)
        .arg(changes == 1 ? QStringLiteral("articolo") : QStringLiteral("articoli"));
}

QString StockTakePosting::alreadyPosted()
{
    return QStringLiteral("L'inventario è già registrato: non si può registrare di nuovo.");
}

QString StockTakePosting::failed(const QString &reason)
{
    return QStringLiteral("L'inventario non è stato registrato e nessuna giacenza è cambiata: %1").arg(reason);
}

void StockTakePosting::setOneTransaction(bool on)
{
    g_oneTransaction = on;
}
