#include "data/Grid.h"
#include "data/GridDelegate.h"
#include "data/RecordsetModel.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

// The grid's keyboard, cell editors, mouse and focus: how the user's keys
// and clicks become cell edits, moves and row writes.

namespace data {

namespace {
constexpr int kEnter = 13;
constexpr int kLineFeed = 10;
constexpr int kTab = 9;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;
} // namespace

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
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && selectionMode() == ExtendedSelection) {
        moveVertically(event->key() == Qt::Key_Up, event->modifiers());
        return;
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

// Up and Down; in a grid that takes several rows, Shift with them chooses the
// rows from the one it started on.
void Grid::moveVertically(bool up, Qt::KeyboardModifiers modifiers)
{
    const bool extend = (modifiers & Qt::ShiftModifier) && selectionMode() == ExtendedSelection;
    if (extend && m_extendFrom < 0)
        m_extendFrom = currentRow();
    else if (!extend)
        m_extendFrom = -1;
    up ? moveUp() : moveDown();
    if (extend) {
        const int first = qMin(m_extendFrom, currentRow()), last = qMax(m_extendFrom, currentRow());
        selectionModel()->select(QItemSelection(m_model->index(first, 0), m_model->index(last, columnCount() - 1)),
                                 QItemSelectionModel::ClearAndSelect);
    }
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
        // An empty new row lets Tab go on to the window's next control: a
        // keyboard user is never caught in the grid.
        if (isAddNewRow() && !isRowDirty() && !editorHoldsText()) {
            if (isEditing())
                cancelEditor();
            QWidget::focusNextPrevChild(!(modifiers & Qt::ShiftModifier));
            return true;
        }
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

bool Grid::editorHoldsText() const
{
    if (!isEditing())
        return false;
    if (const auto *line = qobject_cast<const QLineEdit *>(m_editor.data()))
        return !line->text().isEmpty();
    if (const auto *combo = qobject_cast<const QComboBox *>(m_editor.data()))
        return !combo->currentText().isEmpty();
    return true;
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
        // What is typed chooses an item by a key ("22" the VAT at 22%) or by
        // the start of its text; a character that continues nothing starts
        // afresh (the same letter again goes on to the next item).
        const GridColumn &listed = column(col);
        int found = listed.typedItemIndex(m_typedInList + character, combo->currentIndex() - 1);
        if (found < 0) {
            m_typedInList.clear();
            found = listed.typedItemIndex(QString(character), combo->currentIndex());
        }
        m_typedInList += character;
        if (found >= 0)
            combo->setCurrentIndex(found);
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
    m_typedInList.clear();
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
    if (lineEditor && !(event->modifiers() & Qt::AltModifier)
        && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        moveVertically(event->key() == Qt::Key_Up, event->modifiers());
        return true;
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
    // A value list goes on with what was typed before (a rate of two digits).
    if (qobject_cast<QComboBox *>(editor) && keyAscii == original && keyAscii >= 32) {
        typeCharacter(QChar(keyAscii));
        return true;
    }
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
             && GridDelegate::buttonRect(visualRect(target), column(target.column()))
                    .contains(event->position().toPoint()))) {
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

// Closing the window leaves the row as well. Ancestors are watched for
// their close, while the window and its handlers are still whole: a write
// from the destruction that follows would reach handlers already gone.
void Grid::showEvent(QShowEvent *event)
{
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget())
        ancestor->installEventFilter(this);
    QTableView::showEvent(event);
}

bool Grid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched != this && isRowDirty() && !m_writing)
        updateRow();
    return QTableView::eventFilter(watched, event);
}

} // namespace data
