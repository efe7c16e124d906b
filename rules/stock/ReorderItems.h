#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace db { class Database; }

// One stock item at or under its minimum stock.
struct ReorderLine {
    QString fornitore;        // the article's supplier, empty without one
    QString codice;           // bar code
    QString descrizione;
    QString taglia;
    QString colore;
    qint64 giacenza = 0;      // in stock now
    qint64 scortaMinima = 0;
    qint64 venduti = 0;       // sold in the 30 days up to today
    qint64 daOrdinare = 0;    // (scortaMinima - giacenza) + venduti, never below 0
};

// What to reorder ("Sottoscorta"): the items that have a minimum stock
// (ca_Scorta_Minima not Null) and are at or under it, with what they sold
// in the last month (the 30 days up to today, from the sales), grouped by
// supplier (names compared ignoring case, the articles without one last)
// and by bar code within. The quantity to order brings the item back to its
// minimum and covers another month like the last one.
class ReorderItems {
public:
    // The lines of every supplier, or of the one named (case ignored);
    // engine errors go to the caller.
    static QList<ReorderLine> read(db::Database &database, const QDate &today, const QString &supplier = QString());
    // The suppliers the lines name, in their order, once each.
    static QStringList suppliers(const QList<ReorderLine> &lines);
    // The first day of the last month's sales: today and the 29 days before.
    static QDate monthStart(const QDate &today) { return today.addDays(-29); }
};
