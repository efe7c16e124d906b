#pragma once

#include "rules/ListExport.h"

#include <QString>
#include <QStringList>

// The lists the shop exports, by the names tarvo-esporta knows them by
// ("articoli", "carichi", ...), each as its window shows it after a search
// over a period with nothing else typed: the same statement, columns and
// texts, so that the tool writes what the window's "Esporta" writes.
class ExportableLists {
public:
    // Dates typed day first; an empty one is what the window starts with.
    struct Period {
        QString from;
        QString to;
        // The count of the stock-take lists ("inventario", "inventario-differenze").
        QString numero;
        // The supplier a list is limited to (sottoscorta); empty = all.
        QString fornitore;
    };
    struct Prepared {
        ListExport list;
        // The window's warning: the period is not one, nothing is written.
        QString refusal;
        // What the window says when the search finds nothing.
        QString noMatch;
    };

    static QStringList names();
    static bool has(const QString &name);
    // The list `name` over `period`. Only a list computed whole (the
    // takings) reads the shop's database (ShopDatabase) here; its engine
    // errors go to the caller.
    static Prepared prepare(const QString &name, const Period &period);
};
