#pragma once

#include "rules/stats/StatisticsPeriod.h"

#include <QList>
#include <QString>

namespace db { class Database; }

// The takings of one cut of the period and of the same cut a year before.
struct TakingsPoint {
    StatisticsPeriod::Bucket bucket;
    qint64 sales = 0;
    qint64 cents = 0;
    qint64 salesBefore = 0;
    qint64 centsBefore = 0;
};

// An article's sales over the period. Article 0 gathers the bar codes that
// are no item of the shop (and the items of articles since deleted).
struct ArticleFigure {
    qint64 article = 0;
    QString description;
    QString supplier;
    qint64 sales = 0;
    qint64 thousandths = 0;   // pieces x 1000
    qint64 cents = 0;
};

// A supplier's takings over the period against the load price of what was
// sold: each article's pieces at the article's load price.
struct SupplierFigure {
    QString supplier;
    qint64 thousandths = 0;
    qint64 cents = 0;
    qint64 costCents = 0;
    qint64 marginCents() const { return cents - costCents; }
};

// The takings of one kind of payment.
struct PaymentFigure {
    QString code;
    QString description;
    qint64 sales = 0;
    qint64 cents = 0;
    qint64 discountCents = 0;
};

// How the shop sold over a period ("Statistiche"), read from the sales'
// summary (db/SalesSummary.h): takings by day, week or month against the
// year before, the articles sold most by pieces and by takings, the margin
// by supplier, the takings by payment.
class SalesStatistics {
public:
    static constexpr int kTopArticles = 20;

    // Engine errors go to the caller. When `today` falls inside the period
    // before its last day, the takings up to it are also summed against
    // the same days a year before (a month under way against the same
    // days of last year's, not against the whole month).
    static SalesStatistics read(db::Database &database, const StatisticsPeriod &period, const QDate &today = QDate());

    // The summary's periods ("yyyy", "yyyy-mm", "yyyy-mm-dd") that together
    // hold the days from `from` to `to` exactly, whole years and months
    // wherever they fit.
    static QStringList periodKeys(const QDate &from, const QDate &to);

    StatisticsPeriod period;
    StatisticsPeriod before;
    QList<TakingsPoint> takings;
    qint64 sales = 0;
    qint64 thousandths = 0;
    qint64 cents = 0;
    qint64 discountCents = 0;
    qint64 salesBefore = 0;
    qint64 centsBefore = 0;
    QDate toDate;                   // invalid: the period is not under way
    qint64 centsToDate = 0;         // up to toDate
    qint64 centsBeforeToDate = 0;   // up to the same day a year before
    QList<ArticleFigure> byPieces;    // at most kTopArticles
    QList<ArticleFigure> byTakings;   // at most kTopArticles
    QList<SupplierFigure> suppliers;  // every one, largest takings first
    QList<PaymentFigure> payments;    // largest takings first

    static const QString kNoSupplier;     // "Senza fornitore"
    static const QString kUnknownItems;   // "Codici non in magazzino"
    static const QString kNoPayment;      // "Non specificato"
};
