#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace db { class Database; }

// A stock take ("Inventario") as the table Inventari keeps it: the day of
// the count, the part of the shop it covers (one supplier's articles, the
// articles whose description contains a text; empty is all), whether the
// items not counted go to zero, and whether it has been posted. The count
// lives in the database: a window only shows it.
struct StockTake {
    qlonglong numero = 0;
    QDate data;
    QString fornitore;
    QString descrizione;
    bool azzeraNonContati = false;
    bool registrato = false;
    QDate dataRegistrazione;
    QString note;

    // "Inventario n. 3 del 09/12/2026 - Fornitore Rossi - Descrizione "camicia" (registrato)".
    QString caption() const;

    // A new open count; returns it with its number.
    static StockTake create(db::Database &database, const QDate &data, const QString &fornitore,
                            const QString &descrizione);
    static std::optional<StockTake> read(db::Database &database, qlonglong numero);
    // The open count started last, if any.
    static std::optional<StockTake> lastOpen(db::Database &database);
    // Every count, the newest first (the window's list to pick from).
    static QList<StockTake> all(db::Database &database);
    // Keeps the choice of setting the items not counted to zero; false when
    // the count is posted (nothing written).
    static bool setAzzeraNonContati(db::Database &database, qlonglong numero, bool azzera);
};
