#include "rules/register/JournalList.h"

#include "rules/general/GeneralValues.h"

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
    const ExportColumn fattura(QStringLiteral("Fattura"), QStringLiteral("pn_Fattura"));
    return {{QStringLiteral("Data"), QStringLiteral("pn_Data"), K::Date},
            {QStringLiteral("Descrizione"), QStringLiteral("pn_Descrizione")},
            fattura,
            {QStringLiteral("Uscita Lire"), QStringLiteral("pn_Uscita_Lire"), K::Number},
            fattura,
            {QStringLiteral("Importo"), QStringLiteral("pn_Uscita_Euro"), K::Amount},
            {QStringLiteral("Note"), QStringLiteral("pn_Note")}};
}

QString JournalList::periodStatement(const QString &from, const QString &to) const
{
    QString sql = QStringLiteral("Select * from ") + table() + QStringLiteral(" where ");
    sql += QStringLiteral(" pn_Data between ") + DataSql(from, QStringLiteral("01/01/1900")) + QStringLiteral(" and ");
    sql += QStringLiteral(" ") + DataSql(to, QStringLiteral("01/01/2100")) + QStringLiteral(" and ");
    sql.chop(5);
    return sql;
}

QString JournalList::emptyStatement() const
{
    return QStringLiteral("Select * from ") + table() + QStringLiteral(" where pn_id = 0");
}

ListExport JournalList::list(const QString &statement) const
{
    return {title(), statement, columns(), {}};
}
