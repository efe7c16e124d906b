#include "app/ViewExport.h"

#include "app/Globals.h"
#include "data/RecordsetModel.h"
#include "skin/ctrl_SkinableButton.h"
#include "ui/Messages.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QSaveFile>
#include <QTableView>
#include <QTreeView>

namespace {

CsvFileChooser &fileChooser()
{
    static CsvFileChooser chooser;
    return chooser;
}

QHeaderView *columnHeader(const QAbstractItemView &view)
{
    if (const auto *table = qobject_cast<const QTableView *>(&view))
        return table->horizontalHeader();
    if (const auto *tree = qobject_cast<const QTreeView *>(&view))
        return tree->header();
    return nullptr;
}

bool isValueOfItsOwn(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return true;
    default:
        return false;
    }
}

} // namespace

CsvTable tableOfView(const QAbstractItemView &view)
{
    CsvTable table;
    const QAbstractItemModel *model = view.model();
    QHeaderView *header = columnHeader(view);
    if (!model || !header)
        return table;
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column))
            columns.append(column);
    }
    QStringList names;
    for (int column : columns)
        names.append(model->headerData(column, Qt::Horizontal).toString());
    table.setHeader(names);
    const auto *grid = qobject_cast<const data::RecordsetModel *>(model);
    // A grid's blank row for a new record is no record.
    const int rows = grid ? grid->recordCount() : model->rowCount();
    for (int row = 0; row < rows; ++row) {
        QVariantList cells;
        for (int column : columns) {
            const QModelIndex index = model->index(row, column);
            const QVariant value = grid ? model->data(index, data::RecordsetModel::ValueRole) : QVariant();
            // A value list shows a text of its own for the stored value; a
            // check box no text at all.
            const QVariant check = model->data(index, Qt::CheckStateRole);
            const QString shown = check.isValid()
                ? (check.toInt() == Qt::Checked ? QStringLiteral("Sì") : QStringLiteral("No"))
                : model->data(index, Qt::DisplayRole).toString();
            cells.append(isValueOfItsOwn(value) ? value : QVariant(shown));
        }
        table.addRow(cells);
    }
    return table;
}

void setCsvFileChooser(CsvFileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

bool exportViewAsCsv(QWidget *parent, const QAbstractItemView &view, const QString &suggestedName)
{
    const QString suggested = QDir::home().filePath(suggestedName);
    const QString path = fileChooser()
        ? fileChooser()(parent, suggested)
        : QFileDialog::getSaveFileName(parent, QStringLiteral("Esporta"), suggested,
                                       QStringLiteral("Foglio di calcolo CSV (*.csv)"));
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    const QByteArray bytes = tableOfView(view).bytes();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ui::MsgBox(QStringLiteral("Impossibile scrivere il file %1.\n%2")
                       .arg(QDir::toNativeSeparators(path), file.errorString()),
                   ui::vbCritical, g_strAppName);
        return false;
    }
    return true;
}

ctrl_SkinableButton *newExportButton(QWidget *window, std::function<const QAbstractItemView *()> view,
                                     const QString &fileName)
{
    auto *button = new ctrl_SkinableButton(QStringLiteral("Esporta"), window);
    button->setObjectName(QStringLiteral("cmdEsporta"));
    QObject::connect(button, &ctrl_SkinableButton::Click, window,
                     [window, view, fileName] { exportViewAsCsv(window, *view(), fileName); });
    return button;
}
