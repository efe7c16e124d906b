#pragma once

#include <QStringList>

namespace db { class Database; }

// Writes invoices as electronic invoice files into a folder: one file per
// invoice, named IT + the shop's partita IVA + "_" + a five-character
// progressive counted in the database (Azienda.az_Progressivo_Invio), so
// that no two files ever share a name, also across runs. Each file is
// written whole or not at all (a temporary file renamed at the end). An
// invoice that fails its checks, or whose file would not be what the
// schema and the exchange system allow (EInvoiceFileCheck), is skipped with
// its messages; the others are written.
class EInvoiceExport {
public:
    struct Result {
        QStringList files;      // full paths, in the order of the invoices
        QStringList problems;   // one Italian sentence each
        int skipped = 0;        // invoices not written
        bool allExported() const { return skipped == 0; }
    };

    explicit EInvoiceExport(db::Database &database) : m_db(database) {}

    Result run(const QStringList &numeri, const QString &folder);

    // The progressive of a count: five digits or capital letters, base 36
    // ("00001", "0000A", "00010" after "0000Z").
    static QString progressivo(qlonglong count);

    // Only for the test that a file failing half-way leaves nothing behind:
    // every write then stops after that many bytes (negative: never).
    static void setWriteLimitForTest(qint64 bytes);

private:
    // The next count, already stored: a file that then fails to be written
    // leaves a gap, never a repeat.
    qlonglong reserveCount();

    db::Database &m_db;
};
