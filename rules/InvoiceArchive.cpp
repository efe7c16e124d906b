#include "rules/InvoiceArchive.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/EngineErrors.h"
#include "db/SqlText.h"
#include "db/Statement.h"
#include "rules/InvoiceDrafts.h"
#include "rules/InvoiceLine.h"
#include "rules/InvoiceNumber.h"
#include "rules/SwitchableTransaction.h"



namespace {

bool g_oneTransactionPerWrite = true;

class WriteTransaction : public SwitchableTransaction {
public:
    explicit WriteTransaction(db::Database &database) : SwitchableTransaction(database, g_oneTransactionPerWrite) {}
};

QString number(const QString &numero)
{
    return db::quoted(numero, QLatin1Char('"'));
}

QString linesOf(const QString &numero)
{
    return QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = ") + number(numero);
}

} // namespace

void InvoiceArchive::setOneTransactionPerWrite(bool on)
{
    g_oneTransactionPerWrite = on;
}

QString InvoiceArchive::highestNumber() const
{
    auto rs = m_db.openRecordset(QStringLiteral("select max(fat_Numero) from Fattura"));
    if (rs->recordCount() == 0)
        return QString();
    const QVariant value = rs->value(0);
    return value.isNull() ? QString() : value.toString();
}

bool InvoiceArchive::exists(const QString &numero) const
{
    auto rs = m_db.openRecordset(QStringLiteral("select fat_Numero from Fattura where fat_Numero = ") + number(numero));
    return rs->recordCount() != 0;
}

bool InvoiceArchive::hasLines(const QString &numero) const
{
    auto rs = m_db.openRecordset(QStringLiteral("select top 1 df_Numero_Fattura from ") + linesOf(numero));
    return rs->recordCount() != 0;
}

QString InvoiceArchive::nextFreeNumber(const QDate &today) const
{
    QString candidate = InvoiceNumber::next(highestNumber(), today);
    while (exists(candidate) || hasLines(candidate))
        candidate = InvoiceNumber::next(candidate, today);
    return candidate;
}

double InvoiceArchive::linesTotal(const QString &numero) const
{
    auto rs = m_db.openRecordset(QStringLiteral("select df_Importo from ") + linesOf(numero));
    QVariantList amounts;
    while (rs->recordCount() != 0 && !rs->eof()) {
        amounts.append(rs->value(0));
        rs->moveNext();
    }
    return InvoiceLine::total(amounts);
}

void InvoiceArchive::storeTotal(const QString &numero)
{
    m_db.execute(QStringLiteral("update Fattura set fat_Imponibile = ")
                 + QString::number(linesTotal(numero), 'g', 17)
                 + QStringLiteral(" where fat_Numero = ") + number(numero));
}

InvoiceArchive::Result InvoiceArchive::saveNew(const QString &numero, const std::function<void()> &writeHeader)
{
    WriteTransaction transaction(m_db);
    if (exists(numero))
        return Result::NumberTaken;
    writeHeader();
    storeTotal(numero);
    transaction.commit();
    return Result::Done;
}

QString InvoiceArchive::saveNewOnFreeNumber(const QString &numero, const QDate &today,
                                            const std::function<void(const QString &)> &writeHeader)
{
    // Every number tried was free when looked up; only a number taken in
    // between (another engine's till, committing at that very moment) costs
    // another round. Far more rounds than tills means something else.
    constexpr int kRounds = 100;
    WriteTransaction transaction(m_db);
    QString target = exists(numero) ? nextFreeNumber(today) : numero;
    for (int round = 1;; ++round) {
        try {
            db::Transaction attempt(m_db);
            writeHeader(target);
            attempt.commit();
            break;
        } catch (const db::DbError &error) {
            if (error.kind() != db::ErrorKind::DuplicateKey || round == kRounds)
                throw;
        }
        target = nextFreeNumber(today);
    }
    storeTotal(target);
    transaction.commit();
    return target;
}

void InvoiceArchive::saveChanged(const QString &numero, const std::function<void()> &writeHeader)
{
    WriteTransaction transaction(m_db);
    writeHeader();
    storeTotal(numero);
    transaction.commit();
}

InvoiceArchive::Result InvoiceArchive::renumberLines(const QString &from, const QString &to)
{
    if (from == to)
        return exists(to) ? Result::NumberTaken : Result::Done;
    WriteTransaction transaction(m_db);
    if (exists(to) || exists(from))
        return Result::NumberTaken;
    // Lines left under the new number by an invoice never saved are not
    // this invoice's.
    m_db.execute(QStringLiteral("delete from ") + linesOf(to));
    m_db.execute(QStringLiteral("update [Dettaglio Fattura] set df_Numero_Fattura = ") + number(to)
                 + QStringLiteral(" where df_Numero_Fattura = ") + number(from));
    transaction.commit();
    return Result::Done;
}

void InvoiceArchive::deleteInvoice(const QString &numero, const std::function<void()> &deleteHeader)
{
    WriteTransaction transaction(m_db);
    m_db.execute(QStringLiteral("delete from ") + linesOf(numero));
    deleteHeader();
    transaction.commit();
}

void InvoiceArchive::discardUnsaved(const QString &numero)
{
    if (numero.isEmpty())
        return;
    WriteTransaction transaction(m_db);
    if (!exists(numero) && !InvoiceDrafts::heldElsewhere(m_db.path(), numero))
        m_db.execute(QStringLiteral("delete from ") + linesOf(numero));
    transaction.commit();
    InvoiceDrafts::release(m_db.path(), numero);
}

int InvoiceArchive::removeStrayLines()
{
    WriteTransaction transaction(m_db);
    // The candidates come from the stored numbers compared exactly, each
    // number once, from one index: a few milliseconds over years of lines.
    // A number that differs from its header only by case is then found by
    // the program's own comparison and keeps its lines.
    QStringList candidates;
    bool withoutNumber = false;
    {
        const QString sql = QStringLiteral(
            "select df_Numero_Fattura from \"Dettaglio Fattura\" group by df_Numero_Fattura "
            "having df_Numero_Fattura is null or not exists "
            "(select 1 from Fattura where fat_Numero = df_Numero_Fattura)");
        db::Statement *statement = m_db.statement(sql);
        const db::StatementUse use(statement);
        while (statement->step(sql)) {
            if (statement->columnType(0) == db::NullValue)
                withoutNumber = true;
            else
                candidates.append(statement->columnString(0));
        }
    }
    int removed = 0;
    if (withoutNumber)
        removed += m_db.execute(QStringLiteral("delete from [Dettaglio Fattura] where df_Numero_Fattura is null"));
    // Lines another till is typing right now are not stray.
    for (const QString &numero : candidates)
        if (!exists(numero) && !InvoiceDrafts::heldElsewhere(m_db.path(), numero))
            removed += m_db.execute(QStringLiteral("delete from ") + linesOf(numero));
    transaction.commit();
    return removed;
}
