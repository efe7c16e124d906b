#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// An .xlsx written by an export read back as a spreadsheet reads it: the
// zip's parts (stored or deflated, through zlib), the sheets in order and
// their cells with the type and the number format each carries.
class XlsxReader {
public:
    struct Cell {
        QString type;      // "n" number (dates too), "s"/"inlineStr"/"str" text
        QString text;      // the value as written: the text, or the number
        QString format;    // number format code, "General" when none
        bool bold = false;
    };
    struct Sheet {
        QString name;
        QHash<QString, Cell> cells;   // by reference, "B2"
        QList<double> widths;         // per column, 0 when not set
        bool headingFrozen = false;
        int rows = 0;                 // the highest row number holding a cell
    };

    explicit XlsxReader(const QString &path);
    bool isValid() const { return m_valid; }
    QByteArray part(const QString &name) const { return m_parts.value(name); }
    const QList<Sheet> &sheets() const { return m_sheets; }

private:
    bool readZip(const QByteArray &zip);
    void readStyles();
    void readSheets();

    bool m_valid = false;
    QHash<QString, QByteArray> m_parts;
    QList<QString> m_formatOfStyle;
    QList<bool> m_boldOfStyle;
    QList<Sheet> m_sheets;
};
