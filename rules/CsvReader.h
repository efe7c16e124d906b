#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringList>

class QIODevice;

// The rows of a CSV file as a spreadsheet writes it, read one at a time so
// that a file of any size needs little memory: UTF-8 (with or without byte
// order mark; Latin-1 when the file holds bytes UTF-8 does not allow), ";"
// or "," or tab between fields (whichever the first line uses most), quoted
// fields with doubled quotes and line breaks.
//
// A quote that opens a field must close it: an opening quote never closed,
// or closed with more text before the next separator, stops the reading
// with an error naming the row where it opened (a stray quote would
// otherwise swallow the rows after it into one field).
class CsvReader {
public:
    // Reads `device` (open, seekable) from its start; it must outlive the reader.
    explicit CsvReader(QIODevice &device);

    // The next row that is not empty; false at the end of the file or at an
    // error (error() then says which).
    bool next(QStringList &row);
    // The number of the row last read, as a spreadsheet numbers it: the
    // first row of the file is 1, empty rows count.
    int row() const { return m_row; }
    // The first control character (below a blank: NUL and the like; a tab
    // counts too unless it separates the fields) in the row last read, -1
    // when there is none.
    int controlCharacter() const { return m_control; }

    bool failed() const { return !m_error.isEmpty(); }
    // What is wrong with the file, in Italian; its row is errorRow().
    const QString &error() const { return m_error; }
    int errorRow() const { return m_errorRow; }

    // Bytes of the file read so far.
    qint64 bytesRead() const;
    QChar separator() const { return m_separator; }

private:
    // At least `count` characters ahead of the position, unless the file ends first.
    bool ensure(qsizetype count);
    void note(QChar c);

    QIODevice &m_device;
    QStringDecoder m_decoder;
    QString m_buffer;
    qsizetype m_at = 0;
    bool m_atEnd = false;
    QChar m_separator = QLatin1Char(';');
    int m_row = 0;
    int m_control = -1;
    QString m_error;
    int m_errorRow = 0;
};
