#pragma once

#include "rules/CsvTable.h"

#include <QString>
#include <functional>

class QAbstractItemView;
class QWidget;
class ctrl_SkinableButton;

// The "Esporta" button of the list windows: what a list shows, as a CSV
// file for a spreadsheet.

// The visible columns in the order the user sees them (headers included),
// the rows in the order shown. A grid cell holding a number or a date gives
// the value itself (decimal comma, dd/mm/yyyy), a check box "Sì" or "No";
// any other cell, and every cell of a list, gives its text as shown.
CsvTable tableOfView(const QAbstractItemView &view);

// Asks for the file (suggesting `suggestedName` in the home folder) and
// writes the table; says so when the file cannot be written. False when
// nothing was written.
bool exportViewAsCsv(QWidget *parent, const QAbstractItemView &view, const QString &suggestedName);

// The button "Esporta" (cmdEsporta) of `window`, exporting the list `view`
// gives when pressed as `fileName`; the window places it and loads its skin
// with its other buttons.
ctrl_SkinableButton *newExportButton(QWidget *window, std::function<const QAbstractItemView *()> view,
                                     const QString &fileName);

// Tests choose the file without a dialog; an empty function restores it.
using CsvFileChooser = std::function<QString(QWidget *parent, const QString &suggestedPath)>;
void setCsvFileChooser(CsvFileChooser chooser);
