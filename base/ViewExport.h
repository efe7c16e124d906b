#pragma once

#include "rules/ListExport.h"

#include <QString>
#include <functional>

class QAbstractItemView;
class QWidget;
class ctrl_SkinableButton;
namespace data { class Grid; }

// The "Esporta" button of the list windows: a list written whole (every row
// of its search, not only those shown) as a CSV file or as an Excel
// workbook with typed cells, the file's extension deciding which.

// The list a grid shows: the list's definition (its columns, given in the
// grid's column order) with every row of the grid's record source (none
// before the grid has read) and its columns in the order the user sees
// them, hidden ones left out.
ListExport listOfGrid(const data::Grid &grid, ListExport definition);
// `list` with its columns (given in the view's column order) put in the
// order the user sees them, hidden ones left out.
ListExport inShownOrder(ListExport list, const QAbstractItemView &view);

// Asks for the file (suggesting `suggestedName` in the home folder), writes
// the list there with the busy pointer and, past a second, a progress window
// with "Annulla", and says how it went. False when no file was written.
bool exportListToFile(QWidget *parent, const ListExport &list, const QString &suggestedName);

// The button "Esporta" (cmdEsporta) of `window`, exporting the list `list`
// gives when pressed as `fileName`; the window places it and loads its skin
// with its other buttons.
ctrl_SkinableButton *newExportButton(QWidget *window, std::function<ListExport()> list, const QString &fileName);
// The same for a grid showing the list `definition` gives (listOfGrid): a
// row being typed is written first (a row the database refuses stays for
// correction and nothing is exported).
ctrl_SkinableButton *newExportButton(QWidget *window, data::Grid *grid, std::function<ListExport()> definition,
                                     const QString &fileName);

// Asks where to save a file of another kind (`filter`: "Immagini PNG (*.png)"),
// suggesting `suggestedName` in the home folder; empty when the user gave
// up. Tests answer through the chooser below, as for the lists.
QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &suggestedName, const QString &filter);

// Tests choose the file without a dialog; an empty function restores it.
using CsvFileChooser = std::function<QString(QWidget *parent, const QString &suggestedPath)>;
void setCsvFileChooser(CsvFileChooser chooser);
// Tests watch (and may hold) an export after each row it wrote, on the
// thread that writes it; an empty function removes the observer.
void setExportRowObserver(std::function<void(qint64 rows)> observer);
