#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariant>

// A table as the Italian spreadsheet programs open it: UTF-8 with a byte
// order mark, ";" between fields, CR LF after every row, numbers with a
// decimal comma and no grouping, dates as dd/mm/yyyy (with the time only
// when there is one). A field holding ";", a quote, a line break or blanks
// at its ends is quoted, its quotes doubled. Texts are written as they are.
class CsvTable {
public:
    explicit CsvTable(QStringList header = {});

    void setHeader(const QStringList &header) { m_header = header; }
    void addRow(const QVariantList &cells);
    const QStringList &header() const { return m_header; }
    const QList<QVariantList> &rows() const { return m_rows; }

    // The whole file, byte order mark first.
    QByteArray bytes() const;
    // One value as a field (quoted when it must be).
    static QString field(const QVariant &value);

private:
    QStringList m_header;
    QList<QVariantList> m_rows;
};
