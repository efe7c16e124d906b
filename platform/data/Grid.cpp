#include "data/Grid.h"
#include "data/DataControl.h"
#include "data/GridDelegate.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QHeaderView>
#include <QScopedValueRollback>

namespace data {

Grid::Grid(QWidget *parent)
    : QTableView(parent), m_model(new RecordsetModel(this)), m_delegate(new GridDelegate(this))
{
    setModel(m_model);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setAlternatingRowColors(true);
    setWordWrap(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setMinimumWidth(22);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        // The window usually reloads the rows: what was typed is written first.
        if (!commitEditor(true) || !updateRow())
            return;
        Q_EMIT headClick(section);
    });
    connect(verticalHeader(), &QHeaderView::sectionClicked, this, &Grid::selectWholeRow);
    connect(qApp, &QApplication::focusChanged, this, &Grid::onFocusChanged);
}

Grid::~Grid()
{
    disconnect(qApp, &QApplication::focusChanged, this, &Grid::onFocusChanged);
}

// ---------------------------------------------------------------- binding

void Grid::setDataSource(DataControl *dataControl)
{
    if (m_dataControl)
        disconnect(m_dataControl, nullptr, this, nullptr);
    m_dataControl = dataControl;
    if (dataControl)
        connect(dataControl, &DataControl::refreshed, this, &Grid::rebind);
    rebind();
}

DataControl *Grid::dataSource() const
{
    return m_dataControl.data();
}

void Grid::setRecordset(db::Recordset *recordset)
{
    if (m_dataControl)
        disconnect(m_dataControl, nullptr, this, nullptr);
    m_dataControl = nullptr;
    m_direct = recordset;
    rebind();
}

db::Recordset *Grid::recordset() const
{
    return m_model->recordset();
}

void Grid::rebind()
{
    if (m_editor) {
        QWidget *editor = m_editor;
        m_editor = nullptr;
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
    db::Recordset *rs = m_dataControl ? m_dataControl->recordset() : m_direct.data();
    if (m_followed)
        disconnect(m_followed, nullptr, this, nullptr);
    m_followed = rs;
    m_model->setRecordset(rs);
    if (rs)
        connect(rs, &db::Recordset::currentChanged, this, &Grid::followRecordset);
    applyColumnLayout();
    if (m_model->rowCount() > 0) {
        int row = 0;
        if (rs && rs->absolutePosition() >= 0 && rs->absolutePosition() < m_model->recordCount())
            row = rs->absolutePosition();
        const QScopedValueRollback<bool> guard(m_navigating, true);
        setCurrentIndex(m_model->index(row, qMax(0, firstVisibleColumn())));
    }
}

// ---------------------------------------------------------------- columns

int Grid::addColumn(const GridColumn &column)
{
    QList<GridColumn> columns = m_model->columns();
    columns.append(column);
    setColumns(columns);
    return int(columns.size()) - 1;
}

void Grid::setColumns(const QList<GridColumn> &columns)
{
    m_model->setColumns(columns);
    applyColumnLayout();
}

const GridColumn &Grid::column(int index) const
{
    static const GridColumn none;
    if (index < 0 || index >= columnCount())
        return none;
    return m_model->column(index);
}

void Grid::setColumn(int index, const GridColumn &column)
{
    m_model->setColumn(index, column);
    applyColumnLayout();
}

int Grid::columnCount() const
{
    return int(m_model->columns().size());
}

// One setting of one column; an index out of range changes nothing.
void Grid::changeColumn(int index, const std::function<void(GridColumn &)> &change)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    change(c);
    setColumn(index, c);
}

void Grid::setColumnVisible(int index, bool visible)
{
    changeColumn(index, [&](GridColumn &c) { c.visible = visible; });
}

void Grid::setColumnLocked(int index, bool locked)
{
    changeColumn(index, [&](GridColumn &c) { c.locked = locked; });
}

void Grid::setColumnFormat(int index, const QString &numberFormat)
{
    changeColumn(index, [&](GridColumn &c) { c.numberFormat = numberFormat; });
}

void Grid::setColumnButton(int index, bool button)
{
    changeColumn(index, [&](GridColumn &c) { c.button = button; });
}

void Grid::setColumnScannerInput(int index, bool scanner)
{
    changeColumn(index, [&](GridColumn &c) { c.scannerInput = scanner; });
}

void Grid::clearValueItems(int index)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.valueItems.clear();
    setColumn(index, c);
}

void Grid::addValueItem(int index, const QVariant &value, const QString &displayText, const QStringList &keys)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.addValueItem(value, displayText, keys);
    setColumn(index, c);
}

QList<GridValueItem> Grid::valueItems(int index) const
{
    if (index < 0 || index >= columnCount())
        return {};
    return column(index).valueItems;
}

void Grid::applyColumnLayout()
{
    for (int c = 0; c < columnCount(); ++c) {
        setColumnHidden(c, !column(c).visible);
        if (column(c).width > 0)
            setColumnWidth(c, column(c).width);
    }
}

void Grid::setAllowAddNew(bool allow)
{
    const int row = currentRow();
    const int col = currentColumn();
    m_model->setAllowAddNew(allow);
    if (m_model->rowCount() > 0) {
        const QScopedValueRollback<bool> guard(m_navigating, true);
        setCurrentIndex(m_model->index(qBound(0, row, m_model->rowCount() - 1),
                                       col >= 0 ? col : qMax(0, firstVisibleColumn())));
    }
}

bool Grid::allowAddNew() const
{
    return m_model->allowAddNew();
}

void Grid::setAllowUpdate(bool allow)
{
    m_model->setAllowUpdate(allow);
}

bool Grid::allowUpdate() const
{
    return m_model->allowUpdate();
}

// ---------------------------------------------------------------- cells

int Grid::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

int Grid::currentColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

bool Grid::isAddNewRow() const
{
    return m_model->isAddNewRow(currentRow());
}

bool Grid::setCurrentCell(int row, int column)
{
    return moveTo(row, column);
}

QVariant Grid::columnValue(int column) const
{
    const int row = isRowDirty() ? m_model->editRow() : currentRow();
    return m_model->value(row, column);
}

QString Grid::columnText(int column) const
{
    if (column < 0 || column >= columnCount())
        return QString();
    const int row = isRowDirty() ? m_model->editRow() : currentRow();
    return this->column(column).displayText(m_model->value(row, column));
}

bool Grid::setColumnValue(int column, const QVariant &value)
{
    const int row = isRowDirty() ? m_model->editRow() : currentRow();
    return m_model->setPendingValue(row, column, value);
}

bool Grid::isRowDirty() const
{
    return m_model->isDirty();
}

// ---------------------------------------------------------------- writing

bool Grid::updateRow()
{
    if (m_writing)
        return false;
    if (!commitEditor(false))
        return false;
    if (!isRowDirty())
        return true;

    QString message;
    int bad = -1;
    {
        const QScopedValueRollback<bool> guard(m_writing, true);
        bad = m_model->invalidPendingColumn(&message);
        if (bad < 0) {
            bool cancel = false;
            Q_EMIT beforeUpdate(cancel);
            if (cancel)
                return false;
            if (!isRowDirty())
                return true;   // the handler dropped the changes itself
            bad = m_model->invalidPendingColumn(&message);
        }
        if (bad < 0) {
            bool added = false;
            try {
                writeThrough([&] { added = m_model->writePending(); });
            } catch (const db::DbError &error) {
                bool showMessage = true;
                Q_EMIT dataError(error, showMessage);
                if (showMessage)
                    ui::MsgBox(error.description(), ui::vbCritical);
                return false;
            }
            Q_EMIT afterUpdate();
            if (added)
                Q_EMIT afterInsert();
        }
    }
    if (bad >= 0) {
        showCellMessage(bad, message);
        return false;
    }
    syncRecordset(currentRow());
    viewport()->update();
    return true;
}

void Grid::writeThrough(const std::function<void()> &write)
{
    if (m_rowWrite)
        m_rowWrite(write);
    else
        write();
}

void Grid::cancelRow()
{
    if (isEditing())
        cancelEditor();
    m_model->discardPending();
}

bool Grid::deleteRow()
{
    if (!m_allowDelete || m_writing)
        return false;
    const int row = currentRow();
    if (row < 0)
        return false;
    if (m_model->isAddNewRow(row)) {
        cancelRow();
        return false;
    }
    if (isEditing())
        cancelEditor();
    bool cancel = false;
    Q_EMIT beforeDelete(cancel);
    if (cancel)
        return false;
    m_model->discardPending();
    {
        const QScopedValueRollback<bool> guard(m_writing, true);
        try {
            writeThrough([&] { m_model->deleteRow(row); });
        } catch (const db::DbError &error) {
            bool showMessage = true;
            Q_EMIT dataError(error, showMessage);
            if (showMessage)
                ui::MsgBox(error.description(), ui::vbCritical);
            return false;
        }
    }
    Q_EMIT afterDelete();
    if (m_model->rowCount() > 0) {
        const int target = qMin(row, m_model->rowCount() - 1);
        const int col = currentColumn() >= 0 ? currentColumn() : qMax(0, firstVisibleColumn());
        {
            const QScopedValueRollback<bool> guard(m_navigating, true);
            setCurrentIndex(m_model->index(target, col));
        }
        syncRecordset(target);
        m_model->setIndicatorRow(target);
    }
    return true;
}

bool Grid::selectWholeRow(int row)
{
    if (row != currentRow() && !moveTo(row, currentColumn() >= 0 ? currentColumn() : qMax(0, firstVisibleColumn())))
        return false;
    if (row != currentRow())
        return false;
    m_selectedRow = row;
    const QItemSelection whole(m_model->index(row, 0), m_model->index(row, columnCount() - 1));
    selectionModel()->select(whole, QItemSelectionModel::ClearAndSelect);
    return true;
}

bool Grid::moveDown()
{
    return moveTo(currentRow() + 1, currentColumn());
}

bool Grid::moveUp()
{
    return moveTo(currentRow() - 1, currentColumn());
}

// ---------------------------------------------------------------- navigation

bool Grid::moveTo(int row, int column)
{
    if (!commitEditor(true))
        return false;
    if (row != currentRow() && isRowDirty() && !updateRow())
        return false;
    if (row < 0 || row >= m_model->rowCount() || column < 0 || column >= columnCount())
        return false;
    const QScopedValueRollback<bool> guard(m_navigating, true);
    setCurrentIndex(m_model->index(row, column));
    return true;
}

bool Grid::moveNextCell(bool backwards)
{
    const int row = currentRow();
    const int next = nextVisibleColumn(currentColumn(), backwards ? -1 : 1);
    if (next >= 0)
        return moveTo(row, next);
    if (backwards)
        return row > 0 && moveTo(row - 1, nextVisibleColumn(columnCount(), -1));
    if (row + 1 >= m_model->rowCount() && !isRowDirty())
        return false;
    return moveTo(row + 1, firstVisibleColumn());
}

int Grid::firstVisibleColumn() const
{
    return nextVisibleColumn(-1, 1);
}

int Grid::nextVisibleColumn(int from, int step) const
{
    for (int c = from + step; c >= 0 && c < columnCount(); c += step) {
        if (!isColumnHidden(c))
            return c;
    }
    return -1;
}

void Grid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    const bool rowChanged = current.row() != previous.row();
    if (rowChanged)
        m_selectedRow = -1;
    if (rowChanged && !m_navigating && !m_writing && isRowDirty() && m_model->editRow() != current.row()) {
        // Reached by a path that did not write the row left: write it now,
        // or go back to it.
        const int editRow = m_model->editRow();
        const int editColumn = previous.isValid() ? previous.column() : qMax(0, firstVisibleColumn());
        if (!updateRow()) {
            QMetaObject::invokeMethod(this, [this, editRow, editColumn] {
                if (editRow < m_model->rowCount()) {
                    const QScopedValueRollback<bool> guard(m_navigating, true);
                    setCurrentIndex(m_model->index(editRow, editColumn));
                }
            }, Qt::QueuedConnection);
        }
    }
    m_model->setIndicatorRow(current.isValid() ? current.row() : -1);
    if (rowChanged && current.isValid())
        syncRecordset(current.row());
    viewport()->update();
    Q_EMIT rowColChange(previous.isValid() ? previous.row() : -1, previous.isValid() ? previous.column() : -1);
}

void Grid::syncRecordset(int row)
{
    db::Recordset *rs = m_model->recordset();
    if (!rs || m_syncing || row < 0 || row >= m_model->recordCount())
        return;
    try {
        if (rs->editMode() != db::EditMode::None || rs->absolutePosition() == row)
            return;
        const QScopedValueRollback<bool> guard(m_syncing, true);
        rs->setAbsolutePosition(row);
    } catch (const db::DbError &) {
        // The grid still shows the row; the window's next move places the set.
    }
}

// The window moved the record set itself (a find, a move of its own): the
// grid shows that row, unless the user has changes in another one.
void Grid::followRecordset()
{
    db::Recordset *rs = m_model->recordset();
    if (!rs || m_syncing || m_writing || m_navigating || isRowDirty() || isEditing())
        return;
    const int position = rs->absolutePosition();
    if (position < 0 || position >= m_model->recordCount() || position == currentRow())
        return;
    const QScopedValueRollback<bool> navigating(m_navigating, true);
    const QScopedValueRollback<bool> syncing(m_syncing, true);
    setCurrentIndex(m_model->index(position, currentColumn() >= 0 ? currentColumn() : qMax(0, firstVisibleColumn())));
}

} // namespace data
