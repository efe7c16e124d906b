#include "rules/stock/TakingsList.h"

#include "rules/MoneyText.h"
#include "rules/general/GeneralValues.h"
#include "rules/general/Today.h"

namespace {

QDate dayOf(const QString &checked)
{
    return QDate::fromString(checked, QStringLiteral("dd/MM/yyyy"));
}

} // namespace

QString TakingsList::title()
{
    return QStringLiteral("Incassi");
}

QList<ExportColumn> TakingsList::columns()
{
    using Kind = ExportColumn::Kind;
    ExportColumn sconti(QStringLiteral("Sconti"), QString(), Kind::Amount);
    ExportColumn incasso(QStringLiteral("Incasso"), QString(), Kind::Amount);
    sconti.decimals = incasso.decimals = 2;
    return {{QStringLiteral("Pagamento"), QString()}, {QStringLiteral("Vendite"), QString(), Kind::Number}, sconti,
            incasso};
}

ListExport TakingsList::list(const DailyTakings *shown)
{
    ListExport list;
    list.title = title();
    list.columns = columns();
    if (shown)
        for (const TakingsLine &line : shown->lines + QList<TakingsLine>{shown->totale})
            list.rows.append({line.descrizione, line.vendite, MoneyText::cents(line.sconti) / 100.0,
                              MoneyText::cents(line.incasso) / 100.0});
    return list;
}

bool TakingsList::period(const QString &start, const QString &end, QDate &from, QDate &to)
{
    const QString first = ControllaData(start);
    const QString last = ControllaData(end);
    from = first.isEmpty() ? today() : dayOf(first);
    to = last.isEmpty() ? from : dayOf(last);
    return from <= to;
}

QString TakingsList::badPeriod()
{
    return QStringLiteral("Indicare un periodo valido: la prima data non può seguire la seconda.");
}
