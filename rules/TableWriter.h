#pragma once

#include "rules/ExportColumn.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

// Where an export writes a list, row by row as the rows arrive. A file
// takes its name only through finish(), once every row is in it: a writer
// destroyed before (the export was cancelled or failed) leaves no file, and
// a file of that name written before stays as it was.
class TableWriter {
public:
    virtual ~TableWriter() = default;

    // Each false when the output refused the data; errorString() says why.
    virtual bool begin(const QList<ExportColumn> &columns) = 0;
    // One cell per column, as ExportColumn::cell() gives them.
    virtual bool addRow(const QVariantList &cells) = 0;
    // A row already made into the bytes of a CSV line (CR LF included), as
    // a CSV writer would make it of the row's cells: only a CSV writer
    // takes these, the others answer false to acceptsCsvLines().
    virtual bool acceptsCsvLines() const { return false; }
    virtual bool addCsvLine(QByteArrayView /*line*/) { return false; }
    virtual bool finish() = 0;
    virtual QString errorString() const = 0;

    // The writer of a file by its extension: ".xlsx" a typed spreadsheet,
    // anything else CSV. `title` names the spreadsheet's sheet.
    static std::unique_ptr<TableWriter> forFile(const QString &path, const QString &title);
    static bool isSpreadsheetFile(const QString &path);
};
