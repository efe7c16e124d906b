#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The sales of a payment type over a period, as the till should show them.
struct TakingsLine {
    QString pagamento;     // payment code, empty when the sale has none
    QString descrizione;   // its description, "Non specificato" without a code
    int vendite = 0;       // number of sales (rows of scarico)
    double sconti = 0;     // discounts given
    double incasso = 0;    // amounts due
};

// The day's (or period's) takings: one line per payment type, in the order
// of their descriptions, and the whole.
struct DailyTakings {
    QList<TakingsLine> lines;
    TakingsLine totale;

    // Reads the sales from `from` to `to` (both included) of the shop's
    // database. Engine errors go to the caller.
    static DailyTakings read(const QDate &from, const QDate &to);
    // The statement that read() runs.
    static QString statement(const QDate &from, const QDate &to);

    static const QString kNoPayment;   // "Non specificato"
};
