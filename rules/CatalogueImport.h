#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;
namespace db { class Database; }

// A supplier's price list brought into the catalogue: one article per row
// (description, supplier, prices, quantity), with its bar code, size and
// colour when the list has them. All rows go in one transaction, read and
// checked one at a time as they are written; one wrong row and the
// transaction is given up, nothing written, every wrong row listed.
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
    QList<RowError> errors;   // not empty: nothing was written (the first kListedErrors)
    int wrongRows = 0;        // rows with an error, also those not listed
    bool cancelled = false;   // stopped on request: nothing was written
};

constexpr int kListedErrors = 100;

// Told now and then how many bytes of the file have been read; answers
// false to stop the import, which then writes nothing.
using Progress = std::function<bool(qint64 bytesRead)>;

// The rows of a CSV file (CsvReader) up to its end or its first error.
// Empty lines are left out.
QList<QStringList> readCsv(const QByteArray &bytes);

// Guesses the column of each field from the headings ("Descrizione",
// "Fornitore", "Prezzo acquisto", "Listino", "EAN", "Taglia", ...).
ColumnMap guessColumns(const QStringList &headings);

// "12,50", "12.50", "1.234,50", "€ 3" (TypedNumber::number, decimal
// comma): false when it is not a number.
bool parseNumber(const QString &text, double &value);
// True for 13 digits whose last is the EAN-13 check digit of the others.
bool isValidEan13(const QString &code);

// Imports the rows of a CSV file (read by CsvReader, the first row being
// the headings): prices within TypedNumber::kAmount (cents), quantities
// whole within TypedNumber::kQuantity, texts without control characters.
// With `updateExisting` an article with the same bar code, or else the same
// supplier and description, is updated instead of added again; a price or
// quantity left empty (or without its column) keeps the stored one. A file
// whose quotes do not close is refused, naming the row.
ImportResult importCsv(db::Database &database, QIODevice &file, const ColumnMap &columns, bool updateExisting,
                       const Progress &progress = {});
// The same for rows already read (the first being the headings).
ImportResult importRows(db::Database &database, const QList<QStringList> &rows, const ColumnMap &columns,
                        bool updateExisting);

} // namespace catalogue
