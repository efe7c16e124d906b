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

#include <QStringList>
#include <utility>

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

// Every number tried was free when looked up; only a number taken in
// between (another till, committing or claiming at that very moment) costs
// another round. Far more rounds than tills means something else.
constexpr int kRounds = 100;

// The numbers an operation claims for its own writes (InvoiceDrafts), let
// go of when it ends, however it ends. Declared before the operation's
// transaction, it lets go after the commit: until then no other till may
// take them. A number this program held before is left held.
class OwnClaims {
public:
    explicit OwnClaims(QString path) : m_path(std::move(path)) {}
    ~OwnClaims()
    {
        for (const QString &numero : std::as_const(m_claimed)) {
            try {
                InvoiceDrafts::release(m_path, numero);
            } catch (...) {
                // The lock goes with the connection or the program anyway.
            }
        }
    }
    OwnClaims(const OwnClaims &) = delete;
    OwnClaims &operator=(const OwnClaims &) = delete;

    // False when another till holds the number.
    bool claim(const QString &numero)
    {
        if (InvoiceDrafts::heldHere(m_path, numero))
            return true;
        if (!InvoiceDrafts::claim(m_path, numero))
            return false;
        m_claimed.append(numero);
        return true;
    }
    // Let go of at the end even if it was held before.
    void releaseAtEnd(const QString &numero) { m_claimed.append(numero); }
    // Still held after the operation.
    void keep(const QString &numero) { m_claimed.removeAll(numero); }

private:
    QString m_path;
    QStringList m_claimed;
};

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
    while (exists(candidate) || hasLines(candidate) || InvoiceDrafts::heldElsewhere(m_db.path(), candidate))
        candidate = InvoiceNumber::next(candidate, today);
    return candidate;
}

std::optional<QString> InvoiceArchive::claimForLines(const QString &numero, const QDate &today)
{
    if (InvoiceDrafts::heldHere(m_db.path(), numero))
        return numero;
    OwnClaims claims(m_db.path());
    QString candidate = numero;
    for (int round = 1;; ++round) {
        if (claims.claim(candidate)) {
            // Lines under a number no till holds were left by a program
            // that stopped: not this invoice's either.
            if (!exists(candidate) && !hasLines(candidate)) {
                claims.keep(candidate);
                return candidate;
            }
            if (candidate == numero && exists(numero))
                return std::nullopt;
        }
        if (round == kRounds)
            throw db::errors::duplicateKey();
        candidate = nextFreeNumber(today);
    }
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

void InvoiceArchive::writeLine(const QString &numero, const std::function<void()> &writeLine)
{
    WriteTransaction transaction(m_db);
    writeLine();
    storeTotal(numero);
    transaction.commit();
}

InvoiceArchive::Result InvoiceArchive::saveNew(const QString &numero, const std::function<void()> &writeHeader)
{
    OwnClaims claims(m_db.path());
    if (!claims.claim(numero))
        return Result::NumberTaken;
    WriteTransaction transaction(m_db);
    if (exists(numero))
        return Result::NumberTaken;
    writeHeader();
    storeTotal(numero);
    transaction.commit();
    // Saved, the number is no longer a draft.
    InvoiceDrafts::release(m_db.path(), numero);
    return Result::Done;
}

QString InvoiceArchive::saveNewOnFreeNumber(const QString &numero, const QDate &today,
                                            const std::function<void(const QString &)> &writeHeader)
{
    OwnClaims claims(m_db.path());
    // A number this program held has this invoice's lines under it; any
    // other is claimed first, and lines under it are another till's.
    const auto mayTake = [&](const QString &candidate) {
        if (InvoiceDrafts::heldHere(m_db.path(), candidate))
            return !exists(candidate);
        return claims.claim(candidate) && !exists(candidate) && !hasLines(candidate);
    };
    WriteTransaction transaction(m_db);
    QString target = numero;
    for (int round = 1;; ++round) {
        if (mayTake(target)) {
            try {
                db::Transaction attempt(m_db);
                writeHeader(target);
                attempt.commit();
                break;
            } catch (const db::DbError &error) {
                if (error.kind() != db::ErrorKind::DuplicateKey)
                    throw;
            }
        }
        if (round == kRounds)
            throw db::errors::duplicateKey();
        target = nextFreeNumber(today);
    }
    storeTotal(target);
    transaction.commit();
    InvoiceDrafts::release(m_db.path(), target);
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
    OwnClaims claims(m_db.path());
    if (!claims.claim(to))
        return Result::NumberTaken;
    WriteTransaction transaction(m_db);
    if (exists(to) || exists(from))
        return Result::NumberTaken;
    // Lines left under the new number by an invoice never saved (no till
    // holds it now) are not this invoice's.
    m_db.execute(QStringLiteral("delete from ") + linesOf(to));
    m_db.execute(QStringLiteral("update [Dettaglio Fattura] set df_Numero_Fattura = ") + number(to)
                 + QStringLiteral(" where df_Numero_Fattura = ") + number(from));
    transaction.commit();
    claims.keep(to);
    InvoiceDrafts::release(m_db.path(), from);
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
    OwnClaims claims(m_db.path());
    if (!claims.claim(numero))
        return;
    claims.releaseAtEnd(numero);
    WriteTransaction transaction(m_db);
    if (!exists(numero))
        m_db.execute(QStringLiteral("delete from ") + linesOf(numero));
    transaction.commit();
}

int InvoiceArchive::removeStrayLines()
{
    OwnClaims claims(m_db.path());
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
    // Lines a till is typing right now, this one or another, are not stray;
    // claimed here, no till starts typing under the number before the
    // delete is committed.
    for (const QString &numero : candidates)
        if (!InvoiceDrafts::heldHere(m_db.path(), numero) && claims.claim(numero) && !exists(numero))
            removed += m_db.execute(QStringLiteral("delete from ") + linesOf(numero));
    transaction.commit();
    return removed;
}
