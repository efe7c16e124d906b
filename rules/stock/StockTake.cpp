#include "rules/stock/StockTake.h"

#include "db/Database.h"

namespace {

QString textOf(const db::Recordset &rs, const char *field)
{
    const QVariant value = rs.value(QLatin1String(field));
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

QDate dateOf(const db::Recordset &rs, const char *field)
{
    const QVariant value = rs.value(QLatin1String(field));
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return value.toDate();
}

StockTake fromRow(const db::Recordset &rs)
{
    StockTake take;
    take.numero = rs.value(QStringLiteral("inv_Codice")).toLongLong();
    take.data = dateOf(rs, "inv_Data");
    take.fornitore = textOf(rs, "inv_Fornitore");
    take.descrizione = textOf(rs, "inv_Descrizione");
    take.azzeraNonContati = rs.value(QStringLiteral("inv_Azzera_Non_Contati")).toBool();
    take.registrato = rs.value(QStringLiteral("inv_Registrato")).toBool();
    take.dataRegistrazione = dateOf(rs, "inv_Data_Registrazione");
    take.note = textOf(rs, "inv_Note");
    return take;
}

const QString kColumns = QStringLiteral("select inv_Codice, inv_Data, inv_Fornitore, inv_Descrizione, "
                                        "inv_Azzera_Non_Contati, inv_Registrato, inv_Data_Registrazione, inv_Note "
                                        "from Inventari");

} // namespace

QString StockTake::caption() const
{
    QString text = QStringLiteral("Inventario n. %1 del %2").arg(numero).arg(data.toString(QStringLiteral("dd/MM/yyyy")));
    if (!fornitore.isEmpty())
        text += QStringLiteral(" - Fornitore ") + fornitore;
    if (!descrizione.isEmpty())
        text += QStringLiteral(" - Descrizione \"") + descrizione + QLatin1Char('"');
    if (registrato)
        text += QStringLiteral(" (registrato)");
    return text;
}

StockTake StockTake::create(db::Database &database, const QDate &data, const QString &fornitore,
                            const QString &descrizione)
{
    auto rs = database.openRecordset(kColumns + QStringLiteral(" where inv_Codice = 0"));
    rs->addNew();
    rs->setValue(QStringLiteral("inv_Data"), data);
    if (!fornitore.isEmpty())
        rs->setValue(QStringLiteral("inv_Fornitore"), fornitore);
    if (!descrizione.isEmpty())
        rs->setValue(QStringLiteral("inv_Descrizione"), descrizione);
    rs->setValue(QStringLiteral("inv_Azzera_Non_Contati"), 0);
    rs->setValue(QStringLiteral("inv_Registrato"), 0);
    rs->update();
    const qlonglong numero = rs->lastInsertedId();
    rs->close();
    return *read(database, numero);
}

std::optional<StockTake> StockTake::read(db::Database &database, qlonglong numero)
{
    auto rs = database.openRecordset(kColumns + QStringLiteral(" where inv_Codice = ") + QString::number(numero));
    if (rs->eof())
        return std::nullopt;
    return fromRow(*rs);
}

std::optional<StockTake> StockTake::lastOpen(db::Database &database)
{
    auto rs = database.openRecordset(kColumns + QStringLiteral(" where inv_Registrato = 0 order by inv_Codice desc"));
    if (rs->eof())
        return std::nullopt;
    return fromRow(*rs);
}

QList<StockTake> StockTake::all(db::Database &database)
{
    QList<StockTake> takes;
    for (auto rs = database.openRecordset(kColumns + QStringLiteral(" order by inv_Codice desc")); !rs->eof();
         rs->moveNext())
        takes << fromRow(*rs);
    return takes;
}

bool StockTake::setAzzeraNonContati(db::Database &database, qlonglong numero, bool azzera)
{
    return database.execute(QStringLiteral("update Inventari set inv_Azzera_Non_Contati = ")
                            + (azzera ? QStringLiteral("-1") : QStringLiteral("0"))
                            + QStringLiteral(" where inv_Registrato = 0 and inv_Codice = ") + QString::number(numero))
           != 0;
}
