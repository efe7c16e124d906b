#pragma once

#include "TestShopDatabase.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

// A shop of five years of sales for the statistics, generated from a seed
// and written through the program's SQL: suppliers spelled two ways, an
// article without supplier or load price, bar codes that are no item,
// returns, discounts, used goods, payment codes in either case or none, and
// sales on 29 February and on the last and first day of a year; then some
// sales changed and some deleted, as the counter's window does. The test
// keeps its own copy of every sale and works out from it, by its own
// arithmetic, what each chart must show.
class StatsShop {
public:
    struct Article {
        qint64 code = 0;
        QString description;
        QString supplier;                  // empty: none
        std::optional<double> loadPrice;   // none: Null
    };
    struct Sale {
        QString code;
        QDate date;
        double quantity = 0;
        double saldo = 0;
        double sconto = 0;
        QVariant payment;   // Null, or the code as written
        bool used = false;
    };

    // Figures the way the window's tables show them.
    struct ArticleRow {
        qint64 article = 0;
        qint64 thousandths = 0;
        qint64 cents = 0;
        bool operator==(const ArticleRow &) const = default;
    };
    struct SupplierRow {
        QString supplier;
        qint64 thousandths = 0;
        qint64 cents = 0;
        qint64 costCents = 0;
        bool operator==(const SupplierRow &) const = default;
    };
    struct PaymentRow {
        QString description;
        qint64 sales = 0;
        qint64 cents = 0;
        qint64 discountCents = 0;
        bool operator==(const PaymentRow &) const = default;
    };
    struct Expected {
        QList<qint64> cents;          // per cut of the period
        QList<qint64> centsBefore;    // per cut, the year before
        QList<qint64> sales;
        QList<qint64> salesBefore;
        qint64 totalCents = 0;
        qint64 totalCentsBefore = 0;
        QList<ArticleRow> byPieces;
        QList<ArticleRow> byTakings;
        QList<SupplierRow> suppliers;
        QList<PaymentRow> payments;
    };

    explicit StatsShop(quint32 seed = 20261209);
    void write(TestShopDatabase &shop);

    // What the statistics of `from`..`to` must show, against `beforeFrom`..
    // `beforeTo`, cut by `step` ("giorno", "settimana", "mese").
    Expected expected(const QDate &from, const QDate &to, const QDate &beforeFrom, const QDate &beforeTo,
                      const QString &step) const;

    const QList<Sale> &sales() const { return m_sales; }
    const QList<Article> &articles() const { return m_articles; }

private:
    QList<Article> m_articles;
    QHash<QString, int> m_itemArticle;   // bar code (lower case) -> index of its article
    QList<QString> m_codes;              // the items' bar codes
    QList<Sale> m_sales;                 // as they stand after the changes and deletions
    QList<Sale> m_written;               // as first written
    QList<std::pair<int, Sale>> m_changes;
    QList<int> m_deletions;
};
