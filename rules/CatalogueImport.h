#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace db { class Database; }

// A supplier's price list brought into the catalogue: one article per row
// (description, supplier, prices, quantity), with its bar code, size and
// colour when the list has them. Every row is checked first; any error and
// nothing is written. Otherwise all rows go in one transaction.
namespace catalogue {

// The file's column for each field, -1 when the list has none.
struct ColumnMap {
    int descrizione = -1;
    int fornitore = -1;
    int prezzoCarico = -1;
    int prezzoListino = -1;
    int codiceBarre = -1;
    int taglia = -1;
    int colore = -1;
    int quantita = -1;
};

struct RowError {
    int line = 0;       // line of the file, the heading being line 1
    QString message;
};

struct ImportResult {
    int inserted = 0;
    int updated = 0;
    QList<RowError> errors;   // not empty: nothing was written
};

// The rows of a CSV file as a spreadsheet writes it: UTF-8 (with or without
// byte order mark, otherwise Latin-1), ";" or "," or tab between fields
// (whichever the first line uses most), quoted fields with doubled quotes
// and line breaks. Empty lines are left out.
QList<QStringList> readCsv(const QByteArray &bytes);

// Guesses the column of each field from the headings ("Descrizione",
// "Fornitore", "Prezzo acquisto", "Listino", "EAN", "Taglia", ...).
ColumnMap guessColumns(const QStringList &headings);

// "12,50", "12.50", "1.234,50", "€ 3": false when it is not a number.
bool parseNumber(const QString &text, double &value);
// True for 13 digits whose last is the EAN-13 check digit of the others.
bool isValidEan13(const QString &code);

// Imports `rows` (the first being the headings). With `updateExisting` an
// article with the same bar code, or else the same supplier and
// description, is updated instead of added again.
ImportResult importRows(db::Database &database, const QList<QStringList> &rows, const ColumnMap &columns,
                        bool updateExisting);

} // namespace catalogue
