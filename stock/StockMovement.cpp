#include "stock/StockMovement.h"

#include "app/Globals.h"
#include "app/errors/ErrorTrap.h"
#include "app/modZandri.h"
#include "db/Database.h"
#include "db/SqlText.h"
#include "stock/StockQuantity.h"

#include <limits>
#include <optional>

namespace {

// The transaction of one movement. A build made only to prove that the crash
// test notices a missing transaction (TARVO_STOCK_WITHOUT_TRANSACTION, never
// set for the program) writes each statement on its own.
class MovementTransaction {
public:
    explicit MovementTransaction(db::Database &database)
#ifndef TARVO_STOCK_WITHOUT_TRANSACTION
        : m_transaction(database)
#endif
    {
        Q_UNUSED(database);
    }
    void commit()
    {
#ifndef TARVO_STOCK_WITHOUT_TRANSACTION
        m_transaction.commit();
#endif
    }

private:
#ifndef TARVO_STOCK_WITHOUT_TRANSACTION
    db::Transaction m_transaction;
#endif
};

std::shared_ptr<db::Database> openDatabase()
{
    return db::Database::open(g_strDbPath, QStringLiteral(";PWD=") + g_strDbPassword);
}

// The stock item as the load (double quotes) and the sale (single quotes)
// have always looked it up.
std::unique_ptr<db::Recordset> openItem(db::Database &database, const QString &barcode, QChar quote)
{
    const QString table = quote == QLatin1Char('"') ? QStringLiteral("[Codice Articolo]")
                                                    : QStringLiteral("[codice articolo]");
    return database.openRecordset(QStringLiteral("select * from ") + table
                                  + QStringLiteral(" where ca_Codice = ") + db::quoted(barcode, quote));
}

bool itemExists(db::Database &database, const QString &barcode)
{
    return openItem(database, barcode, QLatin1Char('\''))->recordCount() != 0;
}

// ca_Quantita := current + delta, on the item's first row.
void addToItem(db::Recordset &item, long delta)
{
    const QVariant current = item.value(QStringLiteral("ca_Quantita"));
    const qlonglong quantity = current.isValid() && !current.isNull() ? qlonglong(current.toDouble()) : 0;
    const qlonglong changed = quantity + qlonglong(delta);
    if (changed > std::numeric_limits<qint32>::max() || changed < std::numeric_limits<qint32>::min())
        throw errors::AppError(6, QStringLiteral("Overflow"));
    item.edit();
    item.setValue(QStringLiteral("ca_Quantita"), changed);
    item.update();
}

double storedQuantity(const db::Recordset &row, const QString &field)
{
    const QVariant value = row.value(field);
    return value.isValid() && !value.isNull() ? value.toDouble() : 0;
}

QString storedText(const db::Recordset &row, const QString &field)
{
    const QVariant value = row.value(field);
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

void writeLoad(db::Recordset &rs, const LoadRow &row)
{
    rs.setValue(QStringLiteral("ca_Data"), row.data);
    rs.setValue(QStringLiteral("ca_Codice_Articolo"), row.codice);
    rs.setValue(QStringLiteral("ca_Usato"), row.usato);
    rs.setValue(QStringLiteral("ca_Quantita"), row.quantita);
    rs.setValue(QStringLiteral("ca_Prezzo"), 0.0);
}

void writeSale(db::Recordset &rs, const SaleRow &row)
{
    rs.setValue(QStringLiteral("sc_Data"), row.data);
    rs.setValue(QStringLiteral("sc_Codice_Articolo"), row.codice);
    rs.setValue(QStringLiteral("sc_Quantita"), row.quantita);
    rs.setValue(QStringLiteral("sc_Prezzo"), row.prezzo);
    rs.setValue(QStringLiteral("sc_Sconto"), row.sconto);
    rs.setValue(QStringLiteral("sc_Saldo"), row.saldo);
    rs.setValue(QStringLiteral("sc_Pagamento"), row.pagamento);
}

// Moves the stock of an existing row's item back (its stored values) and
// the new item forward. `sign` is +1 for loads, -1 for sales.
StockMovement::Result moveBetween(db::Database &database, const QString &oldCode, double oldQuantity,
                                  const QString &newCode, double newQuantity, int sign)
{
    const long newWhole = StockQuantity::whole(newQuantity);
    const long oldWhole = StockQuantity::whole(oldQuantity);
    if (!itemExists(database, newCode))
        return StockMovement::Result::ItemNotFound;
    if (itemExists(database, oldCode))
        ModificaQuantita(oldCode, -sign * oldWhole);
    ModificaQuantita(newCode, sign * newWhole);
    return StockMovement::Result::Done;
}

} // namespace

StockMovement::Result StockMovement::recordLoad(const LoadRow &row, qlonglong *number)
{
    auto database = openDatabase();
    const long whole = StockQuantity::whole(row.quantita);
    MovementTransaction transaction(*database);
    auto item = openItem(*database, row.codice, QLatin1Char('"'));
    if (item->recordCount() == 0)
        return Result::ItemNotFound;
    addToItem(*item, whole);
    item->close();

    auto rs = database->openRecordset(QStringLiteral("select * from carico where ca_Codice = 0"));
    rs->addNew();
    writeLoad(*rs, row);
    rs->update();
    const qlonglong assigned = rs->lastInsertedId();
    rs->close();
    transaction.commit();
    if (number)
        *number = assigned;
    return Result::Done;
}

StockMovement::Result StockMovement::changeLoad(qlonglong number, const LoadRow &row)
{
    auto database = openDatabase();
    MovementTransaction transaction(*database);
    auto rs = database->openRecordset(QStringLiteral("select * from carico where ca_Codice = ")
                                      + QString::number(number));
    rs->edit(); // no such load: "no current record", nothing written
    const Result moved = moveBetween(*database, storedText(*rs, QStringLiteral("ca_Codice_Articolo")),
                                     storedQuantity(*rs, QStringLiteral("ca_Quantita")), row.codice,
                                     row.quantita, +1);
    if (moved != Result::Done)
        return moved;
    writeLoad(*rs, row);
    rs->update();
    rs->close();
    transaction.commit();
    return Result::Done;
}

StockMovement::Result StockMovement::deleteLoad(qlonglong number)
{
    auto database = openDatabase();
    MovementTransaction transaction(*database);
    auto rs = database->openRecordset(QStringLiteral("select * from carico where ca_Codice = ")
                                      + QString::number(number));
    Result result = Result::Done;
    if (rs->recordCount() != 0) {
        const QString code = storedText(*rs, QStringLiteral("ca_Codice_Articolo"));
        const long whole = StockQuantity::whole(storedQuantity(*rs, QStringLiteral("ca_Quantita")));
        if (itemExists(*database, code))
            ModificaQuantita(code, -whole);
        else
            result = Result::ItemNotFound;
    }
    rs->close();
    database->execute(QStringLiteral("delete from carico where ca_Codice = ") + QString::number(number));
    transaction.commit();
    return result;
}

StockMovement::Result StockMovement::recordSale(const SaleRow &row, qlonglong *number)
{
    auto database = openDatabase();
    const long whole = StockQuantity::whole(row.quantita);
    MovementTransaction transaction(*database);
    auto item = openItem(*database, row.codice, QLatin1Char('\''));
    if (item->recordCount() == 0)
        return Result::ItemNotFound;
    addToItem(*item, -whole);
    item->close();

    auto rs = database->openRecordset(QStringLiteral("select * from scarico where sc_Codice = 0"));
    rs->addNew();
    writeSale(*rs, row);
    rs->update();
    const qlonglong assigned = rs->lastInsertedId();
    rs->close();
    transaction.commit();
    if (number)
        *number = assigned;
    return Result::Done;
}

StockMovement::Result StockMovement::changeSale(qlonglong number, const SaleRow &row)
{
    auto database = openDatabase();
    MovementTransaction transaction(*database);
    auto rs = database->openRecordset(QStringLiteral("select * from scarico where sc_Codice = ")
                                      + QString::number(number));
    rs->edit();
    const Result moved = moveBetween(*database, storedText(*rs, QStringLiteral("sc_Codice_Articolo")),
                                     storedQuantity(*rs, QStringLiteral("sc_Quantita")), row.codice,
                                     row.quantita, -1);
    if (moved != Result::Done)
        return moved;
    writeSale(*rs, row);
    rs->update();
    rs->close();
    transaction.commit();
    return Result::Done;
}

StockMovement::Result StockMovement::deleteSale(qlonglong number)
{
    auto database = openDatabase();
    MovementTransaction transaction(*database);
    auto rs = database->openRecordset(QStringLiteral("select * from scarico where sc_Codice = ")
                                      + QString::number(number));
    std::optional<QString> code;
    long whole = 0;
    if (rs->recordCount() != 0) {
        code = storedText(*rs, QStringLiteral("sc_Codice_Articolo"));
        whole = StockQuantity::whole(storedQuantity(*rs, QStringLiteral("sc_Quantita")));
    }
    rs->close();
    database->execute(QStringLiteral("delete from scarico where sc_Codice = ") + QString::number(number));
    Result result = Result::Done;
    if (code) {
        if (itemExists(*database, *code))
            ModificaQuantita(*code, whole);
        else
            result = Result::ItemNotFound;
    }
    transaction.commit();
    return result;
}
