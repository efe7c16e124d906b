#include "rules/register/JournalList.h"

#include "rules/general/GeneralValues.h"

namespace {

const QString kDefaultStart = QStringLiteral("01/01/1900");
const QString kDefaultEnd = QStringLiteral("01/01/2100");

} // namespace

QString JournalList::title() const
{
    return m_kind == Kind::PrimaNota ? QStringLiteral("Prima Nota") : QStringLiteral("Nota Fornitori");
}

QString JournalList::table() const
{
    return m_kind == Kind::PrimaNota ? QStringLiteral("[Prima Nota]") : QStringLiteral("[Nota Fornitori]");
}

QList<ExportColumn> JournalList::columns()
{
    using K = ExportColumn::Kind;
    return {{QStringLiteral("Data"), QStringLiteral("pn_Data"), K::Date},
            {QStringLiteral("Descrizione"), QStringLiteral("pn_Descrizione")},
            {QStringLiteral("Fattura"), QStringLiteral("pn_Fattura")},
            {QStringLiteral("Uscita Lire"), QStringLiteral("pn_Uscita_Lire"), K::Number},
            {QStringLiteral("Importo"), QStringLiteral("pn_Uscita_Euro"), K::Amount},
            {QStringLiteral("Note"), QStringLiteral("pn_Note")}};
}

QString JournalList::periodCondition(const QString &from, const QString &to) const
{
    return QStringLiteral(" pn_Data between ") + DataSql(from, kDefaultStart) + QStringLiteral(" and ")
           + QStringLiteral(" ") + DataSql(to, kDefaultEnd);
}

QString JournalList::periodStatement(const QString &from, const QString &to) const
{
    return QStringLiteral("Select * from ") + table() + QStringLiteral(" where ") + periodCondition(from, to)
           + QStringLiteral(" order by pn_Data, pn_id");
}

QString JournalList::amountsStatement(const QString &from, const QString &to, Amounts amounts) const
{
    return QStringLiteral("Select sum(pn_Uscita_Euro) as n from ") + table() + QStringLiteral(" where ")
           + periodCondition(from, to)
           + (amounts == Amounts::Exits ? QStringLiteral(" and pn_Uscita_Euro > 0")
                                        : QStringLiteral(" and pn_Uscita_Euro < 0"));
}

QString JournalList::emptyStatement() const
{
    return QStringLiteral("Select * from ") + table() + QStringLiteral(" where pn_id = 0");
}

ListExport JournalList::list(const QString &statement) const
{
    return {title(), statement, columns(), {}};
}
