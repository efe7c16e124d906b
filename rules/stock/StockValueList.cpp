#include "rules/stock/StockValueList.h"

#include "rules/general/GeneralValues.h"
#include "rules/general/Today.h"
#include "rules/stock/StockValueCsv.h"

QString StockValueList::title()
{
    return QStringLiteral("Valore del magazzino");
}

QList<ExportColumn> StockValueList::columns()
{
    using Kind = ExportColumn::Kind;
    ExportColumn prezzo(QStringLiteral("Prezzo medio"), QString(), Kind::Amount);
    ExportColumn valore(QStringLiteral("Valore"), QString(), Kind::Amount);
    prezzo.decimals = valore.decimals = 2;
    return {{QStringLiteral("Fornitore"), QString()},
            {QStringLiteral("Codice"), QString()},
            {QStringLiteral("Descrizione"), QString()},
            {QStringLiteral("Taglia"), QString()},
            {QStringLiteral("Colore"), QString()},
            {QStringLiteral("Quantità"), QString(), Kind::Number},
            prezzo,
            valore};
}

ListExport StockValueList::list(std::shared_ptr<const StockValuation> shown)
{
    ListExport list;
    list.title = title();
    list.columns = columns();
    if (!shown)
        return list;
    list.rowSource = [shown](const std::function<bool(const QVariantList &)> &row) {
        for (qint64 i = 0; i < shown->lineCount(); ++i) {
            const StockValueLine line = shown->line(i);
            if (!row({line.fornitore, line.codice, line.descrizione, line.taglia, line.colore, line.quantita,
                      line.prezzoCents / 100.0, line.valoreCents / 100.0}))
                return;
        }
    };
    list.csvLines = [shown](const std::function<bool(QByteArrayView)> &line) {
        StockValueCsv::handAll(shown, line);
    };
    return list;
}

QDate StockValueList::defaultDay(const QDate &today)
{
    return QDate(today.year() - 1, 12, 31);
}

bool StockValueList::day(const QString &typed, QDate &day)
{
    if (typed.trimmed().isEmpty()) {
        day = defaultDay(today());
        return true;
    }
    const QString checked = ControllaData(typed);
    day = QDate::fromString(checked, QStringLiteral("dd/MM/yyyy"));
    return day.isValid();
}

QString StockValueList::badDay()
{
    return QStringLiteral("Indicare una data valida nel formato GG/MM/AAAA.");
}

QString StockValueList::noLines()
{
    return QStringLiteral("Nessun articolo era in magazzino alla data scelta.");
}

QString StockValueList::heading(const QDate &day)
{
    return title() + QStringLiteral(" al ") + day.toString(QStringLiteral("dd/MM/yyyy"));
}

QStringList StockValueList::reportFields()
{
    return {QStringLiteral("fornitore"), QStringLiteral("codice"), QStringLiteral("descrizione"), QStringLiteral("taglia"),
            QStringLiteral("colore"), QStringLiteral("quantita"), QStringLiteral("prezzo"), QStringLiteral("valore")};
}
