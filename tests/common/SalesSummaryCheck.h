#pragma once

#include <QMap>
#include <QString>

namespace db { class Database; }

// The sales' summary checked against the sales themselves: every row of
// VenditeGiorno and VenditeArticoli summed here again, on its own, from
// scarico and the items, as the summary is meant to hold them.
namespace SalesSummaryCheck {

struct Sums {
    qint64 sales = 0;
    qint64 thousandths = 0;
    qint64 cents = 0;
    qint64 discountCents = 0;   // the day rows only
    bool operator==(const Sums &other) const = default;
};

struct Summary {
    QMap<QString, Sums> days;       // "yyyy-mm-dd|payment"
    QMap<QString, Sums> articles;   // "period|article"
};

// What the summary must be, from the sales and items as they are now.
Summary expected(db::Database &database);
// What the summary tables hold.
Summary stored(db::Database &database);
// Empty when they agree; otherwise the first difference.
QString problem(db::Database &database);

// A day's amount as the summary counts it: through 15 significant digits,
// then to the nearest whole, halves away from zero.
qint64 whole(double value);

} // namespace SalesSummaryCheck
