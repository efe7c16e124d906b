#include "data/Grid.h"
#include "data/DataControl.h"
#include "data/GridDelegate.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace data {

namespace {
constexpr int kEnter = 13;
constexpr int kLineFeed = 10;
constexpr int kTab = 9;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;
} // namespace

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

void Grid::setColumnVisible(int index, bool visible)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.visible = visible;
    setColumn(index, c);
}

void Grid::setColumnLocked(int index, bool locked)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.locked = locked;
    setColumn(index, c);
}

void Grid::setColumnFormat(int index, const QString &numberFormat)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.numberFormat = numberFormat;
    setColumn(index, c);
}

void Grid::setColumnButton(int index, bool button)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.button = button;
    setColumn(index, c);
}

void Grid::setColumnScannerInput(int index, bool scanner)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.scannerInput = scanner;
    setColumn(index, c);
}

void Grid::clearValueItems(int index)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.valueItems.clear();
    setColumn(index, c);
}

void Grid::addValueItem(int index, const QVariant &value, const QString &displayText)
{
    if (index < 0 || index >= columnCount())
        return;
    GridColumn c = column(index);
    c.addValueItem(value, displayText);
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
                added = m_model->writePending();
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
            m_model->deleteRow(row);
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

// ---------------------------------------------------------------- keyboard

int Grid::keyAsciiOf(const QKeyEvent *event)
{
    const QString text = event->text();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if ((event->modifiers() & Qt::ControlModifier) || text == QLatin1String("\n"))
            return kLineFeed;
        return kEnter;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return kTab;
    case Qt::Key_Backspace:
        return kBackspace;
    case Qt::Key_Escape:
        return kEscape;
    case Qt::Key_J:
        if (event->modifiers() & Qt::ControlModifier)
            return kLineFeed;
        break;
    default:
        break;
    }
    if (text.size() != 1)
        return -1;
    const QChar c = text.at(0);
    if (c == QLatin1Char('\n'))
        return kLineFeed;
    if (c == QLatin1Char('\r'))
        return kEnter;
    if (c.unicode() < 32 || c.unicode() == 127 || !c.isPrint())
        return -1;
    return c.unicode();
}

void Grid::keyPressEvent(QKeyEvent *event)
{
    if (!currentIndex().isValid()) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::ShiftModifier)) {
        selectWholeRow(currentRow());
        return;
    }
    int keyAscii = keyAsciiOf(event);
    if (keyAscii >= 0) {
        Q_EMIT keyPress(currentColumn(), keyAscii);
        if (keyAscii != 0)
            handleKeyCode(keyAscii, event->modifiers());
        return;
    }
    const int col = currentColumn();
    switch (event->key()) {
    case Qt::Key_Delete:
        if (m_allowDelete && isWholeRowSelected())
            deleteRow();
        else
            startEdit(false);
        return;
    case Qt::Key_F2:
        startEdit(true);
        return;
    case Qt::Key_F4:
        if (column(col).button) {
            clickButton(col);
        } else if (column(col).hasValueList() && startEdit(true)) {
            if (auto *combo = qobject_cast<QComboBox *>(m_editor.data()))
                combo->showPopup();
        }
        return;
    default:
        break;
    }
    CursorAction action;
    switch (event->key()) {
    case Qt::Key_Up: action = MoveUp; break;
    case Qt::Key_Down: action = MoveDown; break;
    case Qt::Key_Left: action = MoveLeft; break;
    case Qt::Key_Right: action = MoveRight; break;
    case Qt::Key_Home: action = MoveHome; break;
    case Qt::Key_End: action = MoveEnd; break;
    case Qt::Key_PageUp: action = MovePageUp; break;
    case Qt::Key_PageDown: action = MovePageDown; break;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    const QModelIndex target = moveCursor(action, event->modifiers());
    if (target.isValid() && target != currentIndex())
        moveTo(target.row(), target.column());
}

// After the window's key handler: what a key code does in the grid. True
// when the key was used up.
bool Grid::handleKeyCode(int keyAscii, Qt::KeyboardModifiers modifiers)
{
    const int col = currentColumn();
    const bool scanner = col >= 0 && column(col).scannerInput;
    switch (keyAscii) {
    case kEnter:
        if (!scanner && commitEditor(true))
            moveNextCell(false);
        return true;
    case kLineFeed:
        // A scanned code ends with a line feed: the row is written and the
        // cursor waits for the next scan in the row below.
        if (scanner && commitEditor(true) && updateRow())
            moveDown();
        return true;
    case kTab:
        if (commitEditor(true))
            moveNextCell(modifiers & Qt::ShiftModifier);
        return true;
    case kEscape:
        if (isEditing())
            cancelEditor();
        else
            cancelRow();
        return true;
    case kBackspace:
        if (isEditing())
            return false;
        if (startEdit(true)) {
            if (auto *line = qobject_cast<QLineEdit *>(m_editor.data()))
                line->backspace();
        }
        return true;
    default:
        if (keyAscii >= 32)
            typeCharacter(QChar(keyAscii));
        return true;
    }
}

void Grid::typeCharacter(QChar character)
{
    const int col = currentColumn();
    if (col < 0)
        return;
    if (column(col).checkBox) {
        if (character == QLatin1Char(' '))
            toggleCheck(currentIndex());
        return;
    }
    const bool starting = !isEditing();
    if (starting && !startEdit(true))
        return;
    if (auto *line = qobject_cast<QLineEdit *>(m_editor.data())) {
        // The first character typed on a cell replaces its content.
        if (starting)
            line->setText(QString(character));
        else
            line->insert(QString(character));
    } else if (auto *combo = qobject_cast<QComboBox *>(m_editor.data())) {
        // Typing picks the next item starting with the letter.
        const int count = combo->count();
        for (int i = 1; i <= count; ++i) {
            const int candidate = (qMax(combo->currentIndex(), -1) + i) % count;
            if (combo->itemText(candidate).startsWith(character, Qt::CaseInsensitive)) {
                combo->setCurrentIndex(candidate);
                break;
            }
        }
    }
}

// ---------------------------------------------------------------- editing

bool Grid::isEditing() const
{
    return m_editor && state() == QAbstractItemView::EditingState;
}

bool Grid::startEdit(bool keepText)
{
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !(m_model->flags(index) & Qt::ItemIsEditable) || column(index.column()).checkBox)
        return false;
    if (!isEditing()) {
        edit(index);
        if (!m_editor)
            return false;
    }
    if (!keepText) {
        if (auto *line = qobject_cast<QLineEdit *>(m_editor.data()))
            line->clear();
    }
    m_editor->setFocus();
    return true;
}

bool Grid::commitEditor(bool validate)
{
    if (!isEditing())
        return true;
    QWidget *editor = m_editor;
    const int col = m_editorColumn;
    commitData(editor);
    if (validate) {
        const QString message = m_model->invalidMessage(col);
        if (!message.isEmpty()) {
            showCellMessage(col, message);
            return false;
        }
    }
    m_editor = nullptr;
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    if (m_model->isPending(m_model->editRow(), col))
        Q_EMIT afterColUpdate(col);
    setFocus();
    return true;
}

void Grid::cancelEditor()
{
    if (!m_editor)
        return;
    QWidget *editor = m_editor;
    m_editor = nullptr;
    m_model->restorePendingValue(m_editorColumn, m_editStartPending, m_editStartValue);
    closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    setFocus();
}

void Grid::editorOpened(QWidget *editor, const QModelIndex &index)
{
    m_editor = editor;
    m_editorColumn = index.column();
    m_editStartPending = m_model->isPending(index.row(), index.column());
    m_editStartValue = m_model->value(index.row(), index.column());
}

// Every keystroke reaches the row at once, so the window's handlers read
// what is on screen (an invoice line recomputes its amount while typing).
void Grid::editorChanged(QWidget *editor)
{
    if (!editor || editor != m_editor)
        return;
    QVariant value;
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() < 0)
            return;
        value = combo->currentData();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        value = line->text();
    }
    const int row = isRowDirty() ? m_model->editRow() : currentRow();
    if (m_model->setPendingValue(row, m_editorColumn, value))
        Q_EMIT change();
}

bool Grid::editorKeyPress(QWidget *editor, QKeyEvent *event)
{
    if (editor != m_editor)
        return false;
    const bool lineEditor = qobject_cast<QLineEdit *>(editor) != nullptr;
    if (lineEditor && !(event->modifiers() & Qt::AltModifier)) {
        if (event->key() == Qt::Key_Up) {
            moveUp();
            return true;
        }
        if (event->key() == Qt::Key_Down) {
            moveDown();
            return true;
        }
    }
    int keyAscii = keyAsciiOf(event);
    if (keyAscii < 0)
        return false;
    const int original = keyAscii;
    const QPointer<QWidget> guard(editor);
    Q_EMIT keyPress(m_editorColumn, keyAscii);
    if (!guard || guard != m_editor)
        return true;   // the handler moved on or closed the editor
    if (keyAscii == 0)
        return true;
    if (keyAscii == original && (keyAscii == kBackspace || keyAscii >= 32))
        return false;  // the editor types it
    if (keyAscii == kBackspace)
        return false;
    handleKeyCode(keyAscii, event->modifiers());
    return true;
}

void Grid::clickButton(int column)
{
    if (!commitEditor(true))
        return;
    Q_EMIT buttonClick(column);
}

void Grid::toggleCheck(const QModelIndex &index)
{
    if (!index.isValid() || !(m_model->flags(index) & Qt::ItemIsEditable))
        return;
    const bool checked = m_model->value(index.row(), index.column()).toBool();
    if (m_model->setPendingValue(index.row(), index.column(), QVariant(!checked))) {
        Q_EMIT change();
        Q_EMIT afterColUpdate(index.column());
    }
}

void Grid::showCellMessage(int column, const QString &message)
{
    ui::MsgBox(message, ui::vbExclamation);
    // Back to the cell, with the text to correct.
    const int row = m_model->editRow();
    if (row < 0 || column < 0)
        return;
    if (currentIndex() != m_model->index(row, column)) {
        if (m_editor) {
            QWidget *editor = m_editor;
            m_editor = nullptr;
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
        const QScopedValueRollback<bool> guard(m_navigating, true);
        setCurrentIndex(m_model->index(row, column));
    }
    if (!isEditing())
        startEdit(true);
    else
        m_editor->setFocus();
}

// ---------------------------------------------------------------- mouse, focus

void Grid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && target != currentIndex()) {
        if (!commitEditor(true))
            return;
        if (target.row() != currentRow() && isRowDirty() && !updateRow())
            return;
    }
    const QScopedValueRollback<bool> guard(m_navigating, true);
    QTableView::mousePressEvent(event);
}

void Grid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex target = indexAt(event->position().toPoint());
    if (target.isValid() && target == currentIndex() && !column(target.column()).checkBox
        && !(column(target.column()).button
             && GridDelegate::buttonRect(visualRect(target)).contains(event->position().toPoint()))) {
        startEdit(true);
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

// Leaving the grid for another control of the window leaves the row too:
// what was typed is written before the window's command runs.
void Grid::onFocusChanged(QWidget *old, QWidget *now)
{
    if (!old || !now || m_writing || !isRowDirty())
        return;
    const bool wasInside = old == this || isAncestorOf(old);
    const bool isInside = now == this || isAncestorOf(now);
    if (wasInside && !isInside && now->window() == window())
        updateRow();
}

void Grid::hideEvent(QHideEvent *event)
{
    if (isRowDirty() && !m_writing)
        updateRow();
    QTableView::hideEvent(event);
}

} // namespace data
