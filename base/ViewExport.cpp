#include "base/ViewExport.h"

#include "base/Globals.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/Recordset.h"
#include "rules/ListExporter.h"
#include "rules/TableWriter.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/Messages.h"
#include "ui/ProgressFeedback.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QTableView>
#include <QTreeView>

namespace {

const QString kCsvFilter = QStringLiteral("Foglio di calcolo CSV (*.csv)");
const QString kExcelFilter = QStringLiteral("Cartella di lavoro Excel (*.xlsx)");
const QString kNothingWritten = QStringLiteral("Nessun file è stato scritto.");

CsvFileChooser &fileChooser()
{
    static CsvFileChooser chooser;
    return chooser;
}

std::function<void(qint64)> &rowObserver()
{
    static std::function<void(qint64)> observer;
    return observer;
}

QHeaderView *columnHeader(const QAbstractItemView &view)
{
    if (const auto *table = qobject_cast<const QTableView *>(&view))
        return table->horizontalHeader();
    if (const auto *tree = qobject_cast<const QTreeView *>(&view))
        return tree->header();
    return nullptr;
}

// The columns the user sees, in the order seen.
QList<int> shownColumns(const QAbstractItemView &view)
{
    QList<int> columns;
    const QHeaderView *header = columnHeader(view);
    if (!header)
        return columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column))
            columns.append(column);
    }
    return columns;
}

QString extensionOf(const QString &filter)
{
    return filter == kExcelFilter ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
}

// The name with the extension of the kind of file chosen, in place of the
// other kind's.
QString withExtension(QString name, const QString &filter)
{
    if (name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) || TableWriter::isSpreadsheetFile(name))
        name.truncate(name.lastIndexOf(QLatin1Char('.')));
    return name + extensionOf(filter);
}

QString chooseFile(QWidget *parent, const QString &suggestedName)
{
    const QString suggested = QDir::home().filePath(suggestedName);
    if (fileChooser())
        return fileChooser()(parent, suggested);
    QFileDialog dialog(parent, QStringLiteral("Esporta"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({kCsvFilter, kExcelFilter});
    dialog.selectFile(suggested);
    // The name follows the kind of file chosen, so that the dialog asks
    // before replacing the very file that will be written.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const QString typed = dialog.selectedFiles().value(0);
        if (!typed.isEmpty())
            dialog.selectFile(withExtension(QFileInfo(typed).fileName(), filter));
    });
    if (ui::messageService().execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return withExtension(dialog.selectedFiles().first(), dialog.selectedNameFilter());
}

QString rowsText(qint64 rows)
{
    const QString number = QLocale(QLocale::Italian, QLocale::Italy).toString(rows);
    return rows == 1 ? QStringLiteral("1 riga") : number + QStringLiteral(" righe");
}

bool tellOutcome(ListExporter::Outcome outcome, const ListExporter &exporter, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    switch (outcome) {
    case ListExporter::Outcome::Done:
        ui::MsgBox((exporter.rowsWritten() == 1 ? QStringLiteral("Esportata %1 nel file %2.")
                                                : QStringLiteral("Esportate %1 nel file %2."))
                       .arg(rowsText(exporter.rowsWritten()), file),
                   ui::vbInformation, g_strAppName);
        return true;
    case ListExporter::Outcome::Cancelled:
        ui::MsgBox(QStringLiteral("Esportazione annullata: nessun file è stato scritto."), ui::vbInformation,
                   g_strAppName);
        return false;
    case ListExporter::Outcome::WriteFailed:
        ui::MsgBox(QStringLiteral("Impossibile scrivere il file %1.\n%2\n%3").arg(file, exporter.errorText(), kNothingWritten),
                   ui::vbCritical, g_strAppName);
        return false;
    case ListExporter::Outcome::ReadFailed:
        ui::MsgBox(QStringLiteral("Esportazione interrotta da un errore del database:\n%1\n%2")
                       .arg(exporter.errorText(), kNothingWritten),
                   ui::vbCritical, g_strAppName);
        return false;
    }
    return false;
}

} // namespace

ListExport listOfGrid(const data::Grid &grid, ListExport definition)
{
    const db::Recordset *rows = grid.recordset();
    definition.statement = grid.dataSource() && rows && rows->isOpen() ? grid.dataSource()->recordSource() : QString();
    definition.rows.clear();
    return inShownOrder(std::move(definition), grid);
}

ListExport inShownOrder(ListExport list, const QAbstractItemView &view)
{
    QList<int> columns = shownColumns(view);
    columns.removeIf([&list](int column) { return column >= list.columns.size(); });
    QList<ExportColumn> shown;
    for (int column : columns)
        shown << list.columns.at(column);
    list.columns = shown;
    for (QVariantList &row : list.rows) {
        QVariantList values;
        for (int column : columns)
            values << row.value(column);
        row = values;
    }
    return list;
}

QString chooseSaveFile(QWidget *parent, const QString &caption, const QString &suggestedName, const QString &filter)
{
    const QString suggested = QDir::home().filePath(suggestedName);
    if (fileChooser())
        return fileChooser()(parent, suggested);
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QFileInfo(suggestedName).suffix());
    dialog.selectFile(suggested);
    if (ui::messageService().execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void setCsvFileChooser(CsvFileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void setExportRowObserver(std::function<void(qint64)> observer)
{
    rowObserver() = std::move(observer);
}

bool exportListToFile(QWidget *parent, const ListExport &list, const QString &suggestedName)
{
    const QString path = chooseFile(parent, suggestedName);
    if (path.isEmpty())
        return false;
    ListExporter exporter(list, g_strDbPath);
    exporter.setRowObserver(rowObserver());
    ListExporter::Outcome outcome = ListExporter::Outcome::Cancelled;
    ui::ProgressFeedback feedback(QStringLiteral("Esportazione in corso..."), parent);
    feedback.setStatus([&exporter] { return QStringLiteral("Scritte finora: ") + rowsText(exporter.rowsWritten()); });
    feedback.setCancelHandler([&exporter] { exporter.cancel(); });
    feedback.run([&] {
        const std::unique_ptr<TableWriter> writer = TableWriter::forFile(path, list.title);
        outcome = exporter.run(*writer);
    });
    return tellOutcome(outcome, exporter, path);
}

ctrl_SkinableButton *newExportButton(QWidget *window, std::function<ListExport()> list, const QString &fileName)
{
    auto *button = new ctrl_SkinableButton(QStringLiteral("Esporta"), window);
    button->setObjectName(QStringLiteral("cmdEsporta"));
    QObject::connect(button, &ctrl_SkinableButton::Click, window,
                     [window, list, fileName] { exportListToFile(window, list(), fileName); });
    return button;
}

ctrl_SkinableButton *newExportButton(QWidget *window, data::Grid *grid, std::function<ListExport()> definition,
                                     const QString &fileName)
{
    auto *button = new ctrl_SkinableButton(QStringLiteral("Esporta"), window);
    button->setObjectName(QStringLiteral("cmdEsporta"));
    QObject::connect(button, &ctrl_SkinableButton::Click, window, [window, grid, definition, fileName] {
        if (grid->updateRow())
            exportListToFile(window, listOfGrid(*grid, definition()), fileName);
    });
    return button;
}
