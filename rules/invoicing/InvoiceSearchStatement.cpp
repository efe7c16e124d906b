#include "rules/invoicing/InvoiceSearchStatement.h"

#include "rules/general/GeneralValues.h"
#include "db/SqlText.h"

#include <QStringList>

namespace {

// The condition of a filled filter, followed by " and ": the number's, and
// the customer's and the paid box's.
QString numberCondition(const InvoiceSearchFilters &filters)
{
    QString sql;
    const QString numero = filters.numero.trimmed();
    if (!numero.isEmpty()) {
        const QString pattern = QLatin1Char('*') + db::typedLikePattern(numero) + QLatin1Char('*');
        sql += QStringLiteral("fat_Numero like ") + db::quoted(pattern, QLatin1Char('"')) + QStringLiteral(" and ");
    }
    return sql;
}

QString customerAndPaidConditions(const InvoiceSearchFilters &filters)
{
    QString sql;
    const QString cliente = filters.codiceCliente.trimmed();
    if (!cliente.isEmpty())
        sql += QStringLiteral(" fat_Codice_Cliente = ") + QString::number(ValLong(cliente)) + QStringLiteral(" and ");
    if (filters.saldata == QLatin1String("Si"))
        sql += QStringLiteral(" fat_Pagato = -1") + QStringLiteral(" and ");
    else if (filters.saldata == QLatin1String("No"))
        sql += QStringLiteral(" fat_Pagato = 0") + QStringLiteral(" and ");
    return sql;
}

QString firstDay(const InvoiceSearchFilters &filters)
{
    return DataSql(filters.dataInizio.trimmed(), QStringLiteral("01/01/1900"));
}

QString lastDay(const InvoiceSearchFilters &filters)
{
    return DataSql(filters.dataFine.trimmed(), QStringLiteral("01/01/2100"));
}

// The statement from `head` (its select and from clauses) on: the
// conditions of the filled filters, and the order unless `ordered` is false.
QString searchStatement(const QString &head, const InvoiceSearchFilters &filters, bool ordered = true)
{
    QString sql = head + QStringLiteral(" where ") + numberCondition(filters);
    sql += QStringLiteral(" fat_Data between ") + firstDay(filters) + QStringLiteral(" and ") + QStringLiteral(" ")
           + lastDay(filters) + QStringLiteral(" and ");
    sql += customerAndPaidConditions(filters);
    sql.chop(5);
    return ordered ? sql + QStringLiteral(" order by fat_Data desc, fat_Numero desc") : sql;
}

bool datesTyped(const InvoiceSearchFilters &filters)
{
    return !filters.dataInizio.trimmed().isEmpty() || !filters.dataFine.trimmed().isEmpty();
}

} // namespace

QString invoiceSearchStatement(const InvoiceSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select top 200 * from fattura"), filters);
}

QString invoiceCountStatement(const InvoiceSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select count(*) as n from fattura"), filters, false);
}

QString invoiceOutsideDatesCountStatement(const InvoiceSearchFilters &filters)
{
    if (datesTyped(filters))
        return QString();
    return QStringLiteral("Select count(*) as n from fattura where ") + numberCondition(filters)
           + customerAndPaidConditions(filters) + QStringLiteral("(fat_Data is null or fat_Data < ") + firstDay(filters)
           + QStringLiteral(" or fat_Data > ") + lastDay(filters) + QLatin1Char(')');
}

QString invoiceUndatedCountStatement(const InvoiceSearchFilters &filters)
{
    QString conditions = numberCondition(filters) + customerAndPaidConditions(filters);
    if (conditions.isEmpty())
        return QStringLiteral("Select count(*) as n from fattura");
    conditions.chop(5);
    return QStringLiteral("Select count(*) as n from fattura where ") + conditions;
}

QString invoiceExportStatement(const InvoiceSearchFilters &filters)
{
    return searchStatement(QStringLiteral("Select f.*, a.anag_Denominazione from fattura f left join anagrafica a "
                                          "on a.anag_Contatore = f.fat_Codice_Cliente"),
                           filters);
}

QString invoiceListFormula(const QStringList &numbers)
{
    QString formula;
    for (const QString &number : numbers)
        formula += QStringLiteral("{fattura.fat_Numero} = ") + db::formulaQuoted(number) + QStringLiteral(" or ");
    formula.chop(4);
    return formula;
}
