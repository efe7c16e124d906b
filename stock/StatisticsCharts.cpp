#include "stock/StatisticsCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QLocale>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>
#include <algorithm>

namespace {

QChart *emptyChart(const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->setLocale(StatisticsPeriod::locale());
    chart->setLocalizeNumbers(true);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

double euroOf(qint64 cents)
{
    return double(cents) / 100.0;
}

// A long description cut to fit the axis.
QString shortened(const QString &text, int length = 32)
{
    return text.size() <= length ? text : text.left(length - 1) + QChar(0x2026);
}

// A value axis from 0 (or the lowest value, when below) to a round number
// above the highest value, its labels in `format` ("%.0f €").
QValueAxis *valueAxis(double low, double high, const QString &format)
{
    auto *axis = new QValueAxis;
    axis->setRange(std::min(0.0, low), high > 0 ? high : 1);
    axis->applyNiceNumbers();
    axis->setLabelFormat(format);
    return axis;
}

} // namespace

QChart *StatisticsCharts::takings(const SalesStatistics &statistics)
{
    QChart *chart = emptyChart(QStringLiteral("Incassi - %1 e anno precedente").arg(statistics.period.text()));
    auto *now = new QBarSet(statistics.period.text());
    auto *before = new QBarSet(statistics.before.text());
    QStringList labels;
    double high = 0;
    for (const TakingsPoint &point : statistics.takings) {
        *now << euroOf(point.cents);
        *before << euroOf(point.centsBefore);
        labels << point.bucket.label;
        high = std::max({high, euroOf(point.cents), euroOf(point.centsBefore)});
    }
    auto *series = new QBarSeries;
    series->append(before);
    series->append(now);
    chart->addSeries(series);
    auto *categories = new QBarCategoryAxis;
    categories->append(labels);
    categories->setTruncateLabels(false);
    if (labels.size() > 16)
        categories->setLabelsAngle(-90);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    QValueAxis *values = valueAxis(0, high, QStringLiteral("%.0f €"));
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    return chart;
}

QChart *StatisticsCharts::articles(const SalesStatistics &statistics, StatisticsTables::Ranking ranking)
{
    const bool byPieces = ranking == StatisticsTables::Ranking::Pieces;
    QChart *chart = emptyChart(QStringLiteral("I %1 articoli più venduti per %2 - %3")
                                 .arg(SalesStatistics::kTopArticles)
                                 .arg(byPieces ? QStringLiteral("pezzi") : QStringLiteral("incasso"),
                                      statistics.period.text()));
    const QList<ArticleFigure> &figures = byPieces ? statistics.byPieces : statistics.byTakings;
    auto *set = new QBarSet(byPieces ? QStringLiteral("Pezzi") : QStringLiteral("Incasso"));
    QStringList labels;
    double low = 0, high = 0;
    // The first at the top: a horizontal chart draws its first category at the bottom.
    for (auto figure = figures.crbegin(); figure != figures.crend(); ++figure) {
        const double value = byPieces ? double(figure->thousandths) / 1000.0 : euroOf(figure->cents);
        *set << value;
        low = std::min(low, value);
        high = std::max(high, value);
        labels << shortened(figure->description.isEmpty() ? QString::number(figure->article) : figure->description);
    }
    auto *series = new QHorizontalBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto *categories = new QBarCategoryAxis;
    categories->append(labels);
    categories->setTruncateLabels(false);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    QValueAxis *values = valueAxis(low, high, byPieces ? QStringLiteral("%.0f") : QStringLiteral("%.0f €"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->hide();
    return chart;
}

QChart *StatisticsCharts::suppliers(const SalesStatistics &statistics)
{
    QChart *chart = emptyChart(QStringLiteral("Margine per fornitore - %1").arg(statistics.period.text()));
    auto *takings = new QBarSet(QStringLiteral("Incasso"));
    auto *margin = new QBarSet(QStringLiteral("Margine"));
    QStringList labels;
    // The rest together would dwarf them: the table lists every supplier.
    const QList<SupplierFigure> shown = statistics.suppliers.mid(0, kSuppliersShown);
    double low = 0, high = 0;
    for (auto figure = shown.crbegin(); figure != shown.crend(); ++figure) {
        *takings << euroOf(figure->cents);
        *margin << euroOf(figure->marginCents());
        labels << shortened(figure->supplier, 24);
        low = std::min({low, euroOf(figure->cents), euroOf(figure->marginCents())});
        high = std::max({high, euroOf(figure->cents), euroOf(figure->marginCents())});
    }
    auto *series = new QHorizontalBarSeries;
    series->append(margin);
    series->append(takings);
    chart->addSeries(series);
    auto *categories = new QBarCategoryAxis;
    categories->append(labels);
    categories->setTruncateLabels(false);
    chart->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    QValueAxis *values = valueAxis(low, high, QStringLiteral("%.0f €"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    return chart;
}

QChart *StatisticsCharts::payments(const SalesStatistics &statistics)
{
    QChart *chart = emptyChart(QStringLiteral("Incassi per pagamento - %1").arg(statistics.period.text()));
    auto *series = new QPieSeries;
    for (const PaymentFigure &figure : statistics.payments) {
        // A slice has no negative size: returns larger than the sales of a
        // payment stay in the table only.
        if (figure.cents <= 0)
            continue;
        QPieSlice *slice = series->append(figure.description, euroOf(figure.cents));
        const double share = statistics.cents > 0 ? double(figure.cents) * 100.0 / double(statistics.cents) : 0;
        slice->setLabel(QStringLiteral("%1 %2%").arg(figure.description, StatisticsPeriod::locale().toString(share, 'f', 1)));
    }
    chart->addSeries(series);
    chart->legend()->setAlignment(Qt::AlignRight);
    return chart;
}

QImage StatisticsCharts::image(QChart &chart, const QSize &size)
{
    const QRectF before = chart.geometry();
    QGraphicsScene *own = chart.scene() ? nullptr : new QGraphicsScene;
    if (own)
        own->addItem(&chart);
    chart.resize(size);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (chart.layout())
        chart.layout()->activate();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        chart.scene()->render(&painter, QRectF(QPointF(0, 0), size), chart.sceneBoundingRect());
    }
    if (own) {
        own->removeItem(&chart);
        delete own;
    } else {
        chart.resize(before.size());
    }
    return image;
}
