#include "rules/stock/StockListStatement.h"

#include "rules/general/FormulaDate.h"
#include "rules/general/GeneralValues.h"
#include "db/SqlText.h"

#include <QRegularExpression>

namespace {

const QString kDefaultStart = QStringLiteral("01/01/1900");
const QString kDefaultEnd = QStringLiteral("01/01/2100");

QString period(const StockListFilters &filters, const QString &field)
{
    return QLatin1Char(' ') + field + QStringLiteral(" between ") + DataSql(filters.dataInizio, kDefaultStart)
           + QStringLiteral(" and ") + QLatin1Char(' ') + DataSql(filters.dataFine, kDefaultEnd)
           + QStringLiteral(" and ");
}

QString periodFormula(const StockListFilters &filters, const QString &table)
{
    return QStringLiteral("{") + table + QStringLiteral(".") + table.left(2) + QStringLiteral("_Data}")
           + QStringLiteral(" >= ") + FormulaDate(filters.dataInizio, kDefaultStart) + QStringLiteral(" and {") + table
           + QStringLiteral(".") + table.left(2) + QStringLiteral("_data}") + QStringLiteral(" <= ")
           + FormulaDate(filters.dataFine, kDefaultEnd);
}

// The condition on new or used goods, for the statement and for the formula.
void addUsato(StockListSearch &search, const QString &usato, const QString &field, const QString &formulaField)
{
    if (usato == QLatin1String("Solo nuovo")) {
        search.sql += field + QStringLiteral(" = 0") + QStringLiteral(" and ");
        search.formula += formulaField + QStringLiteral(" = false") + QStringLiteral(" and ");
    } else if (usato == QLatin1String("Solo usato")) {
        search.sql += field + QStringLiteral(" = -1") + QStringLiteral(" and ");
        search.formula += formulaField + QStringLiteral(" = true") + QStringLiteral(" and ");
    }
}

bool isWholeNumber(const QString &code)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]{1,18}$"));
    return wholeNumber.match(code).hasMatch();
}

void finish(StockListSearch &search, const QString &sortField)
{
    search.sql.chop(5);
    if (!sortField.isEmpty())
        search.sql += QStringLiteral(" order by ") + sortField;
}

} // namespace

StockListSearch loadListSearch(const StockListFilters &filters, const QString &sortField)
{
    StockListSearch search;
    search.sql = QStringLiteral("Select * from carico, articoli, [codice articolo] where [codice articolo].ca_Codice = "
                                "carico.ca_Codice_Articolo and art_Codice = [codice articolo].ca_Codice_Articolo and ");
    const QString articolo = filters.articolo.trimmed();
    if (!articolo.isEmpty()) {
        if (!isWholeNumber(articolo)) {
            search.refused = true;
            return search;
        }
        search.sql += QStringLiteral("art_Codice = ") + articolo + QStringLiteral(" and ");
        search.formula = QStringLiteral("{articoli.art_Codice} = ") + articolo + QStringLiteral(" and ");
    } else if (!filters.codice.trimmed().isEmpty()) {
        const QString code = QLatin1Char('"') + db::escaped(filters.codice, QLatin1Char('"')) + QLatin1Char('"');
        search.sql += QStringLiteral("carico.ca_Codice_Articolo = ") + code + QStringLiteral(" and ");
        search.formula = QStringLiteral("{carico.ca_Codice_Articolo} = ") + code + QStringLiteral(" and ");
    }
    if (!filters.fornitore.trimmed().isEmpty()) {
        search.sql += QStringLiteral(" art_Fornitore = ") + db::quoted(filters.fornitore) + QStringLiteral(" and ");
        search.formula += QStringLiteral("{articoli.art_Fornitore} = ") + db::formulaQuoted(filters.fornitore)
                          + QStringLiteral(" and");
    }
    addUsato(search, filters.usato, QStringLiteral("carico.ca_Usato"), QStringLiteral("{carico.ca_Usato}"));
    search.sql += period(filters, QStringLiteral("carico.ca_Data"));
    search.formula += periodFormula(filters, QStringLiteral("carico"));
    finish(search, sortField);
    return search;
}

StockListSearch unloadListSearch(const StockListFilters &filters, const QString &sortField)
{
    StockListSearch search;
    search.sql = QStringLiteral("Select * from scarico, articoli, [codice articolo] where ca_Codice = sc_Codice_Articolo "
                                "and art_Codice = ca_Codice_Articolo and ");
    const QString code = filters.codice.trimmed();
    if (!code.isEmpty()) {
        if (!isWholeNumber(code)) {
            search.refused = true;
            return search;
        }
        search.sql += QStringLiteral("art_Codice = ") + code + QStringLiteral(" and ");
        search.formula = QStringLiteral("{articoli.art_Codice} = ") + code + QStringLiteral(" and ");
    }
    if (!filters.fornitore.trimmed().isEmpty()) {
        search.sql += QStringLiteral(" art_Fornitore = ") + db::quoted(filters.fornitore) + QStringLiteral(" and ");
        search.formula += QStringLiteral(" {articoli.art_Fornitore} = ") + db::formulaQuoted(filters.fornitore)
                          + QStringLiteral(" and");
    }
    addUsato(search, filters.usato, QStringLiteral("sc_Usato"), QStringLiteral("{scarico.sc_Usato}"));
    search.sql += period(filters, QStringLiteral("sc_Data"));
    search.formula += periodFormula(filters, QStringLiteral("scarico"));
    finish(search, sortField);
    return search;
}
