#pragma once

#include "rules/ExportColumn.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

// A list as "Esporta" writes it, needing no window: the select of its
// search (in the program's dialect, every row of it, not only the rows a
// window has read or shows) and its columns in the order shown. A list that
// is computed whole (the takings) gives its rows instead of a statement,
// one stored value per column.
struct ListExport {
    QString title;                 // names the spreadsheet's sheet
    QString statement;
    QList<ExportColumn> columns;
    QList<QVariantList> rows;      // used when there is no statement
    // A list computed whole that is too long to hold as cells (the stock
    // value of every item) makes its rows as they are written instead:
    // handing each to `row`, in order, until it answers false. Used when
    // there is no statement; it may run on another thread than the one that
    // made the list. Its cells follow `columns` as the list defines them: a
    // view that reorders columns (inShownOrder) cannot reorder these rows.
    std::function<void(const std::function<bool(const QVariantList &row)> &row)> rowSource = {};
    // The same rows as rowSource, each already the bytes of its CSV line
    // (CsvTable's format, exactly as a CSV writer makes it of the cells):
    // a CSV file of a million items is written in a fraction of the time.
    std::function<void(const std::function<bool(QByteArrayView line)> &line)> csvLines = {};
};
