#include "rules/StockMovement.h"

#include "db/Database.h"
#include "rules/ShopDatabase.h"
#include "rules/StockQuantity.h"
#include "rules/SwitchableTransaction.h"

#include <functional>
#include <optional>

namespace {

bool g_oneTransactionPerMovement = true;

// What tells a load from a sale.
struct MovementKind {
    QString table;          // carico, scarico
    QString keyField;       // the counter
    QString itemField;      // the bar code
    QString quantityField;
    int sign;               // +1 load, -1 sale
};

const MovementKind &loadKind()
{
    static const MovementKind kind{QStringLiteral("carico"), QStringLiteral("ca_Codice"),
                                   QStringLiteral("ca_Codice_Articolo"), QStringLiteral("ca_Quantita"), +1};
    return kind;
}

const MovementKind &saleKind()
{
    static const MovementKind kind{QStringLiteral("scarico"), QStringLiteral("sc_Codice"),
                                   QStringLiteral("sc_Codice_Articolo"), QStringLiteral("sc_Quantita"), -1};
    return kind;
}

using WriteFields = std::function<void(db::Recordset &)>;

// The transaction of one movement (none in the crash test's control run).
class MovementTransaction : public SwitchableTransaction {
public:
    explicit MovementTransaction(db::Database &database) : SwitchableTransaction(database, g_oneTransactionPerMovement) {}
};

class Movement {
public:
    explicit Movement(const MovementKind &kind)
        : m_kind(kind)
        , m_database(ShopDatabase::open())
    {
    }

    StockMovement::Result record(const QString &barcode, double quantity, const WriteFields &write,
                                 qlonglong *number)
    {
        const long whole = StockQuantity::whole(quantity);
        MovementTransaction transaction(*m_database);
        if (!StockQuantity::addTo(*m_database, barcode, m_kind.sign * whole))
            return StockMovement::Result::ItemNotFound;

        auto rs = openRow(0);
        rs->addNew();
        write(*rs);
        rs->update();
        const qlonglong assigned = rs->lastInsertedId();
        rs->close();
        transaction.commit();
        if (number)
            *number = assigned;
        return StockMovement::Result::Done;
    }

    // The stock goes back by the stored quantity of the stored item and
    // forward by the new ones.
    StockMovement::Result change(qlonglong number, const QString &barcode, double quantity,
                                 const WriteFields &write)
    {
        const long newWhole = StockQuantity::whole(quantity);
        MovementTransaction transaction(*m_database);
        auto rs = openRow(number);
        rs->edit(); // no such row: "no current record", nothing written
        const QString oldCode = storedText(*rs, m_kind.itemField);
        const long oldWhole = StockQuantity::whole(storedQuantity(*rs));
        // An old item that no longer exists has no stock left to correct;
        // an unknown new one undoes everything (the transaction is not
        // committed).
        StockQuantity::addTo(*m_database, oldCode, -m_kind.sign * oldWhole);
        if (!StockQuantity::addTo(*m_database, barcode, m_kind.sign * newWhole))
            return StockMovement::Result::ItemNotFound;
        // The row is written only if it still holds what was read: a change
        // made meanwhile elsewhere stops the whole movement.
        write(*rs);
        rs->update();
        rs->close();
        transaction.commit();
        return StockMovement::Result::Done;
    }

    // The stored quantity goes back to the stored item, if it still exists;
    // the row goes in any case.
    StockMovement::Result remove(qlonglong number)
    {
        MovementTransaction transaction(*m_database);
        auto rs = openRow(number);
        std::optional<QString> code;
        long whole = 0;
        if (rs->recordCount() != 0) {
            code = storedText(*rs, m_kind.itemField);
            whole = StockQuantity::whole(storedQuantity(*rs));
        }
        rs->close();
        // Only the delete that removed the row gives its quantity back: a row
        // deleted meanwhile elsewhere has given it already.
        const int deleted = m_database->execute(QStringLiteral("delete from ") + m_kind.table + QStringLiteral(" where ")
                                                + m_kind.keyField + QStringLiteral(" = ") + QString::number(number));
        StockMovement::Result result = StockMovement::Result::Done;
        if (code && deleted != 0 && !StockQuantity::addTo(*m_database, *code, -m_kind.sign * whole))
            result = StockMovement::Result::ItemNotFound;
        transaction.commit();
        return result;
    }

private:
    std::unique_ptr<db::Recordset> openRow(qlonglong number)
    {
        return m_database->openRecordset(QStringLiteral("select * from ") + m_kind.table + QStringLiteral(" where ")
                                         + m_kind.keyField + QStringLiteral(" = ") + QString::number(number));
    }

    double storedQuantity(const db::Recordset &row) const
    {
        const QVariant value = row.value(m_kind.quantityField);
        return value.isValid() && !value.isNull() ? value.toDouble() : 0;
    }

    static QString storedText(const db::Recordset &row, const QString &field)
    {
        const QVariant value = row.value(field);
        return value.isValid() && !value.isNull() ? value.toString() : QString();
    }

    const MovementKind &m_kind;
    std::shared_ptr<db::Database> m_database;
};

void writeLoad(db::Recordset &rs, const LoadRow &row)
{
    rs.setValue(QStringLiteral("ca_Data"), row.data);
    rs.setValue(QStringLiteral("ca_Codice_Articolo"), row.codice);
    rs.setValue(QStringLiteral("ca_Usato"), row.usato);
    rs.setValue(QStringLiteral("ca_Quantita"), row.quantita);
    rs.setValue(QStringLiteral("ca_Prezzo"), row.prezzo);
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
    rs.setValue(QStringLiteral("sc_Usato"), row.usato);
}

} // namespace

StockMovement::Result StockMovement::recordLoad(const LoadRow &row, qlonglong *number)
{
    return Movement(loadKind()).record(row.codice, row.quantita, [&row](db::Recordset &rs) { writeLoad(rs, row); },
                                       number);
}

StockMovement::Result StockMovement::changeLoad(qlonglong number, const LoadRow &row)
{
    return Movement(loadKind()).change(number, row.codice, row.quantita,
                                       [&row](db::Recordset &rs) { writeLoad(rs, row); });
}

StockMovement::Result StockMovement::deleteLoad(qlonglong number)
{
    return Movement(loadKind()).remove(number);
}

StockMovement::Result StockMovement::recordSale(const SaleRow &row, qlonglong *number)
{
    return Movement(saleKind()).record(row.codice, row.quantita, [&row](db::Recordset &rs) { writeSale(rs, row); },
                                       number);
}

StockMovement::Result StockMovement::changeSale(qlonglong number, const SaleRow &row)
{
    return Movement(saleKind()).change(number, row.codice, row.quantita,
                                       [&row](db::Recordset &rs) { writeSale(rs, row); });
}

StockMovement::Result StockMovement::deleteSale(qlonglong number)
{
    return Movement(saleKind()).remove(number);
}

void StockMovement::setOneTransactionPerMovement(bool on)
{
    g_oneTransactionPerMovement = on;
}
