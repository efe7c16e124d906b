#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace db { class Database; }

// The writes of the invoice editor that must reach the disk together: an
// invoice is its header and its lines, and the header's fat_Imponibile is
// the sum of the lines' df_Importo. Each operation runs in ONE transaction,
// so that whatever stops the program in between (a crash, a power cut, a
// refused write) no invoice is left with part of itself.
//
// The header itself is written by the caller (the editor's bound record
// set), inside the transaction, through `writeHeader`.
class InvoiceArchive {
public:
    explicit InvoiceArchive(db::Database &database) : m_db(database) {}

    enum class Result { Done, NumberTaken };

    // The greatest fat_Numero as text, empty on an empty archive.
    QString highestNumber() const;
    bool exists(const QString &numero) const;
    // Whether lines are stored under the number (with or without a header).
    bool hasLines(const QString &numero) const;
    // The number New proposes: the highest number's sequence + 1 with this
    // year in front, or the first free one after it. Past sequence 99999 the
    // greatest number as text stays "yy-99999" while "yy-100000" is taken;
    // a new invoice must never start on a stored invoice's number, nor on
    // one whose lines another till is typing (or has claimed, InvoiceDrafts).
    QString nextFreeNumber(const QDate &today) const;
    // Before the first line of a new invoice proposed as `numero`: the
    // number its lines are written under, claimed for this program until the
    // invoice is saved or given up. That is `numero` when this program holds
    // it already, or when no other till holds it and no lines are stored
    // under it; otherwise the next free number. None (nothing claimed) when
    // `numero` is a stored invoice's.
    std::optional<QString> claimForLines(const QString &numero, const QDate &today);

    // A new invoice: the number is checked again and the header written,
    // with its total taken from the stored lines. NumberTaken writes nothing,
    // also when another till holds the number.
    Result saveNew(const QString &numero, const std::function<void()> &writeHeader);
    // A new invoice as the editor saves it: under `numero` or, when another
    // till has saved that number meanwhile, holds it for an invoice it is
    // typing, or left lines under it this program does not hold, under the
    // next free number. `writeHeader` writes the header with the number it
    // is given; a duplicate key it meets moves on to the next number as well.
    // Returns the number the invoice was saved under.
    QString saveNewOnFreeNumber(const QString &numero, const QDate &today,
                                const std::function<void(const QString &)> &writeHeader);
    // A stored invoice: the header rewritten with the total of its lines.
    void saveChanged(const QString &numero, const std::function<void()> &writeHeader);
    // Moves the lines typed for an unsaved invoice to another number, which
    // this program then holds instead. A number already stored or held by
    // another till, or lines that belong to a stored invoice, refuse the move
    // and nothing changes.
    Result renumberLines(const QString &from, const QString &to);
    // Deletes the lines, then the header (through `deleteHeader`).
    void deleteInvoice(const QString &numero, const std::function<void()> &deleteHeader);
    // The lines typed for a new invoice that is abandoned (never saved):
    // removed, unless a header with that number exists or another till holds
    // the number; this program's claim on it goes.
    void discardUnsaved(const QString &numero);
    // Lines no header owns (an invoice being typed when the program stopped),
    // except those a till is typing (InvoiceDrafts); returns how many went.
    int removeStrayLines();
    // One line of the invoice written, changed or deleted by `writeLine`, and
    // the header's total with it (when there is a header), in one transaction
    // opened and ended here: an error of either rolls both back and goes on
    // to the caller.
    void writeLine(const QString &numero, const std::function<void()> &writeLine);
    // fat_Imponibile := the sum of the invoice's lines (no header: nothing).
    void storeTotal(const QString &numero);
    double linesTotal(const QString &numero) const;

    // Only for the crash test's control run, which proves that the test
    // notices an invoice written statement by statement. The program never
    // calls it.
    static void setOneTransactionPerWrite(bool on);

private:
    db::Database &m_db;
};
