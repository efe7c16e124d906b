#include "rules/stats/StatisticsTables.h"

#include "rules/CsvTable.h"

#include <QIODevice>
#include <QLocale>
#include <cmath>

namespace {

using Kind = ExportColumn::Kind;

ExportColumn amountColumn(const QString &header)
{
    ExportColumn column(header, QString(), Kind::Amount);
    column.decimals = 2;
    return column;
}

ExportColumn numberColumn(const QString &header, int decimals = -1)
{
    ExportColumn column(header, QString(), Kind::Number);
    column.decimals = decimals;
    return column;
}

QVariant euroValue(qint64 cents)
{
    return double(cents) / 100.0;
}

QVariant piecesValue(qint64 thousandths)
{
    return double(thousandths) / 1000.0;
}

// A share in percent to one decimal; empty when there is nothing to share.
QVariant percentValue(qint64 part, qint64 whole)
{
    if (whole == 0)
        return QVariant();
    return std::round(double(part) * 1000.0 / double(whole)) / 10.0;
}

} // namespace

QString StatisticsTables::title(const QString &what, const SalesStatistics &statistics)
{
    return what + QStringLiteral(" - ") + statistics.period.text();
}

QString StatisticsTables::bucketText(const StatisticsPeriod::Bucket &bucket, StatisticsPeriod::Step step)
{
    const QString format = QStringLiteral("dd/MM/yyyy");
    switch (step) {
    case StatisticsPeriod::Step::Day:
        return bucket.from.toString(format);
    case StatisticsPeriod::Step::Week:
        return QStringLiteral("dal %1 al %2").arg(bucket.from.toString(format), bucket.to.toString(format));
    case StatisticsPeriod::Step::Month:
        break;
    }
    return StatisticsPeriod::locale().toString(bucket.from, QStringLiteral("MMMM yyyy"));
}

ListExport StatisticsTables::takings(const SalesStatistics &statistics)
{
    ListExport list;
    list.title = title(QStringLiteral("Incassi"), statistics);
    list.columns = {ExportColumn(QStringLiteral("Periodo"), QString()), numberColumn(QStringLiteral("Vendite")),
                    amountColumn(QStringLiteral("Incasso")), numberColumn(QStringLiteral("Vendite anno precedente")),
                    amountColumn(QStringLiteral("Incasso anno precedente")), numberColumn(QStringLiteral("Variazione %"), 1)};
    const StatisticsPeriod::Step step = statistics.period.step();
    for (const TakingsPoint &point : statistics.takings)
        list.rows.append({bucketText(point.bucket, step), point.sales, euroValue(point.cents), point.salesBefore,
                          euroValue(point.centsBefore), percentValue(point.cents - point.centsBefore, point.centsBefore)});
    list.rows.append({QStringLiteral("Totale"), statistics.sales, euroValue(statistics.cents), statistics.salesBefore,
                      euroValue(statistics.centsBefore),
                      percentValue(statistics.cents - statistics.centsBefore, statistics.centsBefore)});
    return list;
}

ListExport StatisticsTables::articles(const SalesStatistics &statistics, Ranking ranking)
{
    ListExport list;
    list.title = title(ranking == Ranking::Pieces ? QStringLiteral("Articoli più venduti per pezzi")
                                                  : QStringLiteral("Articoli più venduti per incasso"),
                       statistics);
    list.columns = {numberColumn(QStringLiteral("Posizione")), numberColumn(QStringLiteral("Articolo")),
                    ExportColumn(QStringLiteral("Descrizione"), QString()),
                    ExportColumn(QStringLiteral("Fornitore"), QString()), numberColumn(QStringLiteral("Pezzi")),
                    amountColumn(QStringLiteral("Incasso"))};
    const QList<ArticleFigure> &figures = ranking == Ranking::Pieces ? statistics.byPieces : statistics.byTakings;
    int place = 0;
    for (const ArticleFigure &figure : figures)
        list.rows.append({++place, figure.article == 0 ? QVariant() : QVariant(figure.article), figure.description,
                          figure.supplier, piecesValue(figure.thousandths), euroValue(figure.cents)});
    return list;
}

ListExport StatisticsTables::suppliers(const SalesStatistics &statistics)
{
    ListExport list;
    list.title = title(QStringLiteral("Margine per fornitore"), statistics);
    list.columns = {ExportColumn(QStringLiteral("Fornitore"), QString()), numberColumn(QStringLiteral("Pezzi")),
                    amountColumn(QStringLiteral("Incasso")), amountColumn(QStringLiteral("Costo del venduto")),
                    amountColumn(QStringLiteral("Margine")), numberColumn(QStringLiteral("Margine %"), 1)};
    SupplierFigure total;
    for (const SupplierFigure &figure : statistics.suppliers) {
        list.rows.append({figure.supplier, piecesValue(figure.thousandths), euroValue(figure.cents), euroValue(figure.costCents),
                          euroValue(figure.marginCents()), percentValue(figure.marginCents(), figure.cents)});
        total.thousandths += figure.thousandths;
        total.cents += figure.cents;
        total.costCents += figure.costCents;
    }
    list.rows.append({QStringLiteral("Totale"), piecesValue(total.thousandths), euroValue(total.cents), euroValue(total.costCents),
                      euroValue(total.marginCents()), percentValue(total.marginCents(), total.cents)});
    return list;
}

ListExport StatisticsTables::payments(const SalesStatistics &statistics)
{
    ListExport list;
    list.title = title(QStringLiteral("Incassi per pagamento"), statistics);
    list.columns = {ExportColumn(QStringLiteral("Pagamento"), QString()), numberColumn(QStringLiteral("Vendite")),
                    amountColumn(QStringLiteral("Sconti")), amountColumn(QStringLiteral("Incasso")),
                    numberColumn(QStringLiteral("Quota %"), 1)};
    for (const PaymentFigure &figure : statistics.payments)
        list.rows.append({figure.description, figure.sales, euroValue(figure.discountCents), euroValue(figure.cents),
                          percentValue(figure.cents, statistics.cents)});
    list.rows.append({QStringLiteral("Totale"), statistics.sales, euroValue(statistics.discountCents),
                      euroValue(statistics.cents), statistics.cents == 0 ? QVariant() : QVariant(100.0)});
    return list;
}

QList<ListExport> StatisticsTables::all(const SalesStatistics &statistics, Ranking ranking)
{
    return {takings(statistics), articles(statistics, ranking), suppliers(statistics), payments(statistics)};
}

bool StatisticsTables::writeCsv(const QList<ListExport> &tables, QIODevice &device)
{
    QString text;
    for (const ListExport &table : tables) {
        text += CsvTable::line({CsvTable::field(table.title)});
        QStringList header;
        for (const ExportColumn &column : table.columns)
            header << CsvTable::field(column.header);
        text += CsvTable::line(header);
        for (const QVariantList &row : table.rows) {
            QStringList fields;
            for (qsizetype c = 0; c < row.size(); ++c) {
                const ExportColumn &column = table.columns.at(c);
                fields << CsvTable::field(column.cell(row.at(c)), column.decimals);
            }
            text += CsvTable::line(fields);
        }
        text += QStringLiteral("\r\n");
    }
    const QByteArray bytes = CsvTable::byteOrderMark() + text.toUtf8();
    return device.write(bytes) == bytes.size();
}
