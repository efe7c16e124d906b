#include "rules/StoreBarcodes.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "rules/EanCheckDigit.h"

const QString StoreBarcodes::kExhausted = QStringLiteral(
    "I codici a barre del negozio sono esauriti: il contatore ha raggiunto 99999999999.");
const QString StoreBarcodes::kInsideTransaction = QStringLiteral(
    "Un nuovo codice a barre del negozio non si può prendere mentre un'altra scrittura è in corso.");

QString StoreBarcodes::codeFor(qint64 number)
{
    const QString digits = QLatin1Char('2') + QString::number(number).rightJustified(11, QLatin1Char('0'));
    return digits + QString::number(eanCheckDigit(digits));
}

qint64 StoreBarcodes::takeNumber()
{
    // On the server a sequence never goes back; SQLite's counter goes back
    // with the transaction that moved it, so the number is committed alone.
    if (!m_database.onServer() && m_database.inTransaction())
        throw db::DbError(db::ErrorKind::General, 3000, kInsideTransaction);
    db::Transaction transaction(m_database);
    const QString sql = QStringLiteral("insert into \"CodiciNegozio\" default values");
    qint64 number = 0;
    {
        db::Statement *insert = m_database.insertStatement(sql, QStringLiteral("\"cn_Numero\""));
        const db::StatementUse use(insert);
        insert->step(sql);
        number = insert->lastInsertId();
    }
    if (number > kLastNumber)
        throw db::DbError(db::ErrorKind::General, 3000, kExhausted);
    transaction.commit();
    return number;
}

bool StoreBarcodes::isStockItem(const QString &code)
{
    const QString sql = QStringLiteral("select count(*) from \"Codice Articolo\" where \"ca_Codice\" = ?");
    db::Statement *statement = m_database.statement(sql);
    const db::StatementUse use(statement);
    statement->bindText(1, code);
    return statement->step(sql) && statement->columnInteger(0) > 0;
}

QString StoreBarcodes::next()
{
    for (;;) {
        const QString code = codeFor(takeNumber());
        if (!isStockItem(code))
            return code;
    }
}

QString StoreBarcodes::newItem(qlonglong article)
{
    const QString code = next();
    const QString sql = QStringLiteral("insert into \"Codice Articolo\" (\"ca_Codice\", \"ca_Codice_Articolo\", "
                                       "\"ca_Quantita\") values (?, ?, 0)");
    db::Transaction transaction(m_database);
    {
        db::Statement *insert = m_database.statement(sql);
        const db::StatementUse use(insert);
        insert->bindText(1, code);
        insert->bindInteger(2, article);
        insert->step(sql);
    }
    transaction.commit();
    return code;
}
