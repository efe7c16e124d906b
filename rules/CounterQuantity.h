#pragma once

#include <QLocale>
#include <QString>

// The quantity typed at the counter and in the stock load, checked before
// anything is written. Accepted: a whole number of pieces other than 0 that
// fits the stock's long integer ("3", " 12 ", "-2", "2,0"), digits with at
// most one decimal separator, read as quantities are (TypedNumber::quantity).
// Refused: empty, junk, 0, a fraction ("1,5", "1.5"), an exponent ("1e3"), a
// number beyond a long integer. A quantity above 999 pieces is
// accepted but flagged, so that the window asks "Confermare la quantità di N
// pezzi?" before going on.
struct CounterQuantity {
    bool accepted = false;
    long pieces = 0;               // N, when accepted
    bool needsConfirmation = false;

    static constexpr long kConfirmAbove = 999;

    static CounterQuantity check(const QString &text, const QLocale &locale = QLocale());
};
