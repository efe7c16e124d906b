#include "SalesSummaryCheck.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/Statement.h"

#include <QDateTime>
#include <QHash>
#include <cmath>

namespace SalesSummaryCheck {

qint64 whole(double value)
{
    const double decimal = QString::number(value, 'g', 15).toDouble();
    return qint64(decimal < 0 ? -std::floor(-decimal + 0.5) : std::floor(decimal + 0.5));
}

Summary expected(db::Database &database)
{
    QHash<QString, qint64> articleOf;
    for (auto rs = database.openRecordset(QStringLiteral("select ca_Codice, ca_Codice_Articolo from [Codice Articolo]"));
         !rs->eof(); rs->moveNext())
        articleOf.insert(rs->value(0).toString().toLower(), rs->value(1).toLongLong());
    Summary out;
    for (auto rs = database.openRecordset(QStringLiteral(
             "select sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Saldo, sc_Sconto, sc_Pagamento from scarico"));
         !rs->eof(); rs->moveNext()) {
        const QVariant date = rs->value(1);
        if (date.isNull())
            continue;
        const QString day = date.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        const qint64 thousandths = whole(rs->value(2).toDouble() * 1000);
        const qint64 cents = whole(rs->value(3).toDouble() * 100);
        const qint64 discount = whole(rs->value(4).toDouble() * 100);
        const QString payment = rs->value(5).isNull() ? QString() : rs->value(5).toString();
        Sums &d = out.days[day + QLatin1Char('|') + payment];
        d.sales += 1;
        d.thousandths += thousandths;
        d.cents += cents;
        d.discountCents += discount;
        const qint64 article = articleOf.value(rs->value(0).toString().toLower(), 0);
        for (const QString &period : {day, day.left(7), day.left(4)}) {
            Sums &a = out.articles[period + QLatin1Char('|') + QString::number(article)];
            a.sales += 1;
            a.thousandths += thousandths;
            a.cents += cents;
        }
    }
    // What comes back to no sale leaves no row.
    out.days.removeIf([](const auto &entry) { return entry.value().sales == 0; });
    out.articles.removeIf([](const auto &entry) { return entry.value().sales == 0; });
    return out;
}

Summary stored(db::Database &database)
{
    Summary out;
    {
        const QString sql = QStringLiteral("select vg_Data, vg_Pagamento, vg_Vendite, vg_Pezzi_Millesimi, "
                                           "vg_Incasso_Centesimi, vg_Sconti_Centesimi from VenditeGiorno");
        db::Statement *row = database.statement(sql);
        const db::StatementUse use(row);
        while (row->step(sql))
            out.days.insert(row->columnString(0) + QLatin1Char('|') + row->columnString(1),
                            Sums{row->columnInteger(2), row->columnInteger(3), row->columnInteger(4),
                                 row->columnInteger(5)});
    }
    const QString sql = QStringLiteral("select va_Periodo, va_Articolo, va_Vendite, va_Pezzi_Millesimi, "
                                       "va_Incasso_Centesimi from VenditeArticoli");
    db::Statement *row = database.statement(sql);
    const db::StatementUse use(row);
    while (row->step(sql))
        out.articles.insert(row->columnString(0) + QLatin1Char('|') + QString::number(row->columnInteger(1)),
                            Sums{row->columnInteger(2), row->columnInteger(3), row->columnInteger(4), 0});
    return out;
}

namespace {

QString text(const Sums &sums)
{
    return QStringLiteral("%1 sales, %2 thousandths, %3 cents, %4 cents off")
        .arg(sums.sales)
        .arg(sums.thousandths)
        .arg(sums.cents)
        .arg(sums.discountCents);
}

QString firstDifference(const QString &table, const QMap<QString, Sums> &want, const QMap<QString, Sums> &have)
{
    for (auto it = want.cbegin(); it != want.cend(); ++it) {
        if (!have.contains(it.key()))
            return QStringLiteral("%1 lacks %2 (%3)").arg(table, it.key(), text(*it));
        if (!(have.value(it.key()) == *it))
            return QStringLiteral("%1 %2 holds %3, the sales say %4")
                .arg(table, it.key(), text(have.value(it.key())), text(*it));
    }
    for (auto it = have.cbegin(); it != have.cend(); ++it)
        if (!want.contains(it.key()))
            return QStringLiteral("%1 holds %2 (%3) of no sale").arg(table, it.key(), text(*it));
    return QString();
}

} // namespace

QString problem(db::Database &database)
{
    const Summary want = expected(database);
    const Summary have = stored(database);
    const QString days = firstDifference(QStringLiteral("VenditeGiorno"), want.days, have.days);
    return days.isEmpty() ? firstDifference(QStringLiteral("VenditeArticoli"), want.articles, have.articles) : days;
}

} // namespace SalesSummaryCheck
