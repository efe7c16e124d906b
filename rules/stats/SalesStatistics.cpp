#include "rules/stats/SalesStatistics.h"

#include "db/Database.h"
#include "db/Statement.h"
#include "db/TextKeys.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <unordered_map>

const QString SalesStatistics::kNoSupplier = QStringLiteral("Senza fornitore");
const QString SalesStatistics::kUnknownItems = QStringLiteral("Codici non in magazzino");
const QString SalesStatistics::kNoPayment = QStringLiteral("Non specificato");

namespace {

QString isoDay(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

struct ArticleSums {
    qint64 sales = 0;
    qint64 thousandths = 0;
    qint64 cents = 0;
};

// Above this many articles sold the whole catalogue is read in one pass;
// below, each article by its key.
constexpr std::size_t kLookUpOneByOne = 4000;

struct ArticleCard {
    QString supplier;
    double loadPrice = 0;
};

class StatisticsReader {
public:
    StatisticsReader(db::Database &database, SalesStatistics &out) : m_database(database), m_out(out) {}

    void readDays();
    void readArticles();
    void readPayments();

private:
    // The day rows from `from` to `to`, handed over one by one.
    template <typename Use>
    void days(const QDate &from, const QDate &to, Use use);
    std::unordered_map<qint64, ArticleCard> cards(const std::unordered_map<qint64, ArticleSums> &sold);
    QString description(qint64 article);

    db::Database &m_database;
    SalesStatistics &m_out;
    QHash<QString, PaymentFigure> m_payments;   // by code as written
};

template <typename Use>
void StatisticsReader::days(const QDate &from, const QDate &to, Use use)
{
    const QString sql = QStringLiteral("select vg_Data, vg_Pagamento, vg_Vendite, vg_Pezzi_Millesimi, "
                                       "vg_Incasso_Centesimi, vg_Sconti_Centesimi from VenditeGiorno "
                                       "where vg_Data between ? and ?");
    db::Statement *row = m_database.statement(sql);
    const db::StatementUse inUse(row);
    row->bindText(1, isoDay(from));
    row->bindText(2, isoDay(to));
    while (row->step(sql))
        use(QDate::fromString(row->columnString(0), QStringLiteral("yyyy-MM-dd")), row->columnString(1),
            row->columnInteger(2), row->columnInteger(3), row->columnInteger(4), row->columnInteger(5));
}

void StatisticsReader::readDays()
{
    const StatisticsPeriod &period = m_out.period;
    const StatisticsPeriod &before = m_out.before;
    for (const StatisticsPeriod::Bucket &bucket : period.buckets()) {
        TakingsPoint point;
        point.bucket = bucket;
        m_out.takings << point;
    }
    // Each day of the period (and of the year before, by the same offset
    // from its first day) to its cut.
    std::vector<int> bucketOfDay(std::size_t(std::max(period.days(), before.days())), -1);
    for (int b = 0; b < m_out.takings.size(); ++b) {
        const StatisticsPeriod::Bucket &bucket = m_out.takings.at(b).bucket;
        for (qint64 d = period.from().daysTo(bucket.from); d <= period.from().daysTo(bucket.to); ++d)
            bucketOfDay[std::size_t(d)] = b;
    }
    // A year before can be a day longer (a leap February): its last day
    // goes with the last cut.
    for (int &b : bucketOfDay)
        if (b < 0)
            b = int(m_out.takings.size()) - 1;
    days(period.from(), period.to(), [&](const QDate &day, const QString &payment, qint64 sales, qint64 thousandths,
                                         qint64 cents, qint64 discounts) {
        if (!day.isValid())
            return;
        TakingsPoint &point = m_out.takings[bucketOfDay[std::size_t(period.from().daysTo(day))]];
        point.sales += sales;
        point.cents += cents;
        m_out.sales += sales;
        m_out.thousandths += thousandths;
        m_out.cents += cents;
        if (m_out.toDate.isValid() && day <= m_out.toDate)
            m_out.centsToDate += cents;
        m_out.discountCents += discounts;
        PaymentFigure &figure = m_payments[payment];
        figure.sales += sales;
        figure.cents += cents;
        figure.discountCents += discounts;
    });
    // By months, a day of the year before goes to the month it falls in a
    // year later (a leap year shifts the days after February by one); by
    // days and weeks, to the cut as far from the start.
    const bool byMonth = period.step() == StatisticsPeriod::Step::Month;
    days(before.from(), before.to(), [&](const QDate &day, const QString &, qint64 sales, qint64, qint64 cents, qint64) {
        if (!day.isValid())
            return;
        const qint64 offset = byMonth ? std::clamp(period.from().daysTo(day.addYears(1)), qint64(0), period.days() - 1)
                                      : before.from().daysTo(day);
        TakingsPoint &point = m_out.takings[bucketOfDay[std::size_t(offset)]];
        point.salesBefore += sales;
        point.centsBefore += cents;
        m_out.salesBefore += sales;
        m_out.centsBefore += cents;
        if (m_out.toDate.isValid() && day <= m_out.toDate.addYears(-1))
            m_out.centsBeforeToDate += cents;
    });
}

void StatisticsReader::readPayments()
{
    QHash<QString, QString> names;
    {
        const QString sql = QStringLiteral("select pag_Codice, pag_Descrizione from Pagamenti");
        db::Statement *row = m_database.statement(sql);
        const db::StatementUse inUse(row);
        while (row->step(sql))
            names.insert(db::foldedText(row->columnString(0).trimmed()), row->columnString(1));
    }
    // Codes written differently but meaning the same payment make one line.
    QHash<QString, qsizetype> byDescription;
    for (auto it = m_payments.cbegin(); it != m_payments.cend(); ++it) {
        const QString code = it.key().trimmed();
        QString description = code.isEmpty() ? SalesStatistics::kNoPayment
                                             : names.value(db::foldedText(code), code);
        if (description.trimmed().isEmpty())
            description = code;
        const auto same = byDescription.constFind(description);
        if (same != byDescription.constEnd()) {
            PaymentFigure &figure = m_out.payments[*same];
            figure.sales += it->sales;
            figure.cents += it->cents;
            figure.discountCents += it->discountCents;
            continue;
        }
        PaymentFigure figure = *it;
        figure.code = code;
        figure.description = description;
        byDescription.insert(description, m_out.payments.size());
        m_out.payments << figure;
    }
    std::sort(m_out.payments.begin(), m_out.payments.end(), [](const PaymentFigure &a, const PaymentFigure &b) {
        if (a.cents != b.cents)
            return a.cents > b.cents;
        return a.description < b.description;
    });
}

void StatisticsReader::readArticles()
{
    std::unordered_map<qint64, ArticleSums> sold;
    const QString sql = QStringLiteral("select va_Articolo, va_Vendite, va_Pezzi_Millesimi, va_Incasso_Centesimi "
                                       "from VenditeArticoli where va_Periodo = ?");
    db::Statement *row = m_database.statement(sql);
    for (const QString &key : SalesStatistics::periodKeys(m_out.period.from(), m_out.period.to())) {
        const db::StatementUse inUse(row);
        row->readRowByRow();
        row->bindText(1, key);
        while (row->step(sql)) {
            ArticleSums &sums = sold[row->columnInteger(0)];
            sums.sales += row->columnInteger(1);
            sums.thousandths += row->columnInteger(2);
            sums.cents += row->columnInteger(3);
        }
    }
    const std::unordered_map<qint64, ArticleCard> known = cards(sold);
    // Codes of no item, and articles deleted since: one line.
    std::vector<ArticleFigure> figures;
    figures.reserve(sold.size());
    ArticleFigure unknown;
    QHash<QString, qsizetype> supplierAt;
    // In the order of the articles: a supplier spelled two ways is named
    // as the first of its articles spells it.
    std::vector<std::pair<qint64, ArticleSums>> inOrder(sold.begin(), sold.end());
    std::sort(inOrder.begin(), inOrder.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[article, sums] : inOrder) {
        const auto card = known.find(article);
        ArticleFigure *figure = &unknown;
        if (card != known.end()) {
            figures.emplace_back();
            figure = &figures.back();
            figure->article = article;
            figure->supplier = card->second.supplier.isEmpty() ? SalesStatistics::kNoSupplier : card->second.supplier;
        }
        figure->sales += sums.sales;
        figure->thousandths += sums.thousandths;
        figure->cents += sums.cents;
        const QString supplier = card == known.end() ? SalesStatistics::kUnknownItems : figure->supplier;
        const QString key = card == known.end() ? QString() : db::foldedText(supplier);
        auto at = supplierAt.constFind(key);
        if (at == supplierAt.constEnd()) {
            at = supplierAt.insert(key, m_out.suppliers.size());
            SupplierFigure total;
            total.supplier = supplier;
            m_out.suppliers << total;
        }
        SupplierFigure &total = m_out.suppliers[*at];
        total.thousandths += sums.thousandths;
        total.cents += sums.cents;
        if (card != known.end())
            total.costCents += std::llround(double(sums.thousandths) / 1000.0 * card->second.loadPrice * 100.0);
    }
    if (unknown.sales != 0) {
        unknown.description = unknown.supplier = SalesStatistics::kUnknownItems;
        figures.push_back(unknown);
    }
    const auto ranked = [&](auto better) {
        const std::size_t top = std::min<std::size_t>(SalesStatistics::kTopArticles, figures.size());
        std::partial_sort(figures.begin(), figures.begin() + std::ptrdiff_t(top), figures.end(), better);
        QList<ArticleFigure> list(figures.begin(), figures.begin() + std::ptrdiff_t(top));
        for (ArticleFigure &figure : list)
            if (figure.description.isEmpty())
                figure.description = description(figure.article);
        return list;
    };
    m_out.byPieces = ranked([](const ArticleFigure &a, const ArticleFigure &b) {
        if (a.thousandths != b.thousandths)
            return a.thousandths > b.thousandths;
        if (a.cents != b.cents)
            return a.cents > b.cents;
        return a.article < b.article;
    });
    m_out.byTakings = ranked([](const ArticleFigure &a, const ArticleFigure &b) {
        if (a.cents != b.cents)
            return a.cents > b.cents;
        if (a.thousandths != b.thousandths)
            return a.thousandths > b.thousandths;
        return a.article < b.article;
    });
    std::sort(m_out.suppliers.begin(), m_out.suppliers.end(), [](const SupplierFigure &a, const SupplierFigure &b) {
        if (a.cents != b.cents)
            return a.cents > b.cents;
        return a.supplier < b.supplier;
    });
}

std::unordered_map<qint64, ArticleCard> StatisticsReader::cards(const std::unordered_map<qint64, ArticleSums> &sold)
{
    std::unordered_map<qint64, ArticleCard> out;
    const auto keep = [&](const db::Statement &row) {
        if (row.columnType(0) == db::NullValue || !sold.count(row.columnInteger(0)))
            return;
        ArticleCard &card = out[row.columnInteger(0)];
        card.supplier = row.columnString(1).trimmed();
        card.loadPrice = row.columnType(2) == db::NullValue ? 0 : row.columnReal(2);
    };
    if (sold.size() > kLookUpOneByOne) {
        const QString sql = QStringLiteral("select art_Codice, art_Fornitore, art_Prezzo_Carico from Articoli");
        db::Statement *row = m_database.statement(sql);
        const db::StatementUse inUse(row);
        row->readRowByRow();
        while (row->step(sql))
            keep(*row);
        return out;
    }
    const QString sql = QStringLiteral("select art_Codice, art_Fornitore, art_Prezzo_Carico from Articoli "
                                       "where art_Codice = ?");
    db::Statement *row = m_database.statement(sql);
    for (const auto &entry : sold) {
        if (entry.first == 0)
            continue;
        const db::StatementUse inUse(row);
        row->bindInteger(1, entry.first);
        if (row->step(sql))
            keep(*row);
    }
    return out;
}

QString StatisticsReader::description(qint64 article)
{
    const QString sql = QStringLiteral("select art_Descrizione from Articoli where art_Codice = ?");
    db::Statement *row = m_database.statement(sql);
    const db::StatementUse inUse(row);
    row->bindInteger(1, article);
    return row->step(sql) ? row->columnString(0) : QString();
}

} // namespace

QStringList SalesStatistics::periodKeys(const QDate &from, const QDate &to)
{
    QStringList keys;
    for (QDate day = from; day.isValid() && day <= to;) {
        const QDate yearEnd(day.year(), 12, 31);
        const QDate monthEnd = QDate(day.year(), day.month(), 1).addMonths(1).addDays(-1);
        if (day.dayOfYear() == 1 && yearEnd <= to) {
            keys << QString::number(day.year()).rightJustified(4, QLatin1Char('0'));
            day = yearEnd.addDays(1);
        } else if (day.day() == 1 && monthEnd <= to) {
            keys << day.toString(QStringLiteral("yyyy-MM"));
            day = monthEnd.addDays(1);
        } else {
            keys << isoDay(day);
            day = day.addDays(1);
        }
    }
    return keys;
}

SalesStatistics SalesStatistics::read(db::Database &database, const StatisticsPeriod &period, const QDate &today)
{
    SalesStatistics out;
    if (!period.isValid())
        return out;
    out.period = period;
    out.before = period.yearBefore();
    if (today.isValid() && today >= period.from() && today < period.to())
        out.toDate = today;
    StatisticsReader reader(database, out);
    reader.readDays();
    reader.readPayments();
    reader.readArticles();
    return out;
}
