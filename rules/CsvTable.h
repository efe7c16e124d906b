#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariant>

// A table as the Italian spreadsheet programs open it: UTF-8 with a byte
// order mark, ";" between fields, CR LF after every row, numbers with a
// decimal comma and no grouping, dates as dd/mm/yyyy (with the time only
// when there is one). A field holding ";", a quote, a line break or blanks
// at its ends is quoted, its quotes doubled.
//
// A text a spreadsheet would not keep as it is gets a leading apostrophe,
// the usual mark of "this is text": one it would run as a formula (it
// starts with =, +, -, @, a tab or a carriage return) and one it would turn
// into a number, a date, a time or a truth (a bar code's leading zeros, a
// partita IVA, "1E5"). Numbers and dates given as such are written plain.
class CsvTable {
public:
    explicit CsvTable(QStringList header = {});

    void setHeader(const QStringList &header) { m_header = header; }
    void addRow(const QVariantList &cells);
    const QStringList &header() const { return m_header; }
    const QList<QVariantList> &rows() const { return m_rows; }

    // The whole file, byte order mark first.
    QByteArray bytes() const;
    // One value as a field (quoted when it must be); a number with
    // `decimals` digits after the comma when not negative.
    static QString field(const QVariant &value, int decimals = -1);
    // One row of fields, CR LF included.
    static QString line(const QStringList &fields);
    static const QByteArray &byteOrderMark();
    // Whether a spreadsheet would read the text as something else than text.
    static bool needsTextMark(const QString &text);

private:
    QList<QVariantList> m_rows;
    QStringList m_header;
};
