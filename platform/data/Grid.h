#pragma once

#include "data/GridColumn.h"
#include "db/DbError.h"

#include <QPointer>
#include <QTableView>
#include <QVariant>
#include <functional>
#include <utility>

namespace db { class Recordset; }

namespace data {

class DataControl;
class GridDelegate;
class RecordsetModel;

// The data-entry grid of the windows: a table of bound columns over the
// record set of a data control. The user's changes stay in the current row;
// leaving the row (or Enter past its last column, or updateRow()) writes it:
// beforeUpdate first, which may cancel, then AddNew/Edit + Update. A refused
// write raises dataError and the row stays in editing.
//
// Key codes follow the familiar ASCII values: 13 Enter, 10 line feed (a
// scanner's end of code, or Ctrl+Enter), 9 Tab, 8 Backspace, 27 Escape.
class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget *parent = nullptr);
    ~Grid() override;

    // Binding. The grid follows the data control's refreshes; rebind()
    // re-reads the rows (after the window changed the record source).
    void setDataSource(DataControl *dataControl);
    DataControl *dataSource() const;
    void setRecordset(db::Recordset *recordset);
    db::Recordset *recordset() const;
    void rebind();
    RecordsetModel *recordsetModel() const { return m_model; }

    // Columns, numbered from 0 in the order added, hidden ones included.
    int addColumn(const GridColumn &column);
    void setColumns(const QList<GridColumn> &columns);
    const GridColumn &column(int index) const;
    void setColumn(int index, const GridColumn &column);
    int columnCount() const;
    void setColumnVisible(int index, bool visible);
    void setColumnLocked(int index, bool locked);
    void setColumnFormat(int index, const QString &numberFormat);
    void setColumnButton(int index, bool button);
    void setColumnScannerInput(int index, bool scanner);
    void clearValueItems(int index);
    void addValueItem(int index, const QVariant &value, const QString &displayText, const QStringList &keys = {});
    // The value list of a column as the window filled it.
    QList<GridValueItem> valueItems(int index) const;

    // Runs every write of a row, its update or its delete, inside `around`,
    // which calls the write it is given exactly once (or throws). A window
    // puts a row's write in one transaction with the writes that go with it.
    // An error thrown by `around` is a refused write, as if the write threw.
    using RowWrite = std::function<void(const std::function<void()> &write)>;
    void setRowWrite(RowWrite around) { m_rowWrite = std::move(around); }

    void setAllowAddNew(bool allow);
    bool allowAddNew() const;
    void setAllowUpdate(bool allow);
    bool allowUpdate() const;
    void setAllowDelete(bool allow) { m_allowDelete = allow; }
    bool allowDelete() const { return m_allowDelete; }

    // The current cell. setCurrentCell leaves the row as the user would
    // (writing it); false when the write was refused and the cell stayed.
    int currentRow() const;
    int currentColumn() const;
    bool setCurrentCell(int row, int column);
    bool isAddNewRow() const;

    // Cells of the current row, as the handlers read and fill them. Setting
    // a value puts the row in editing, as typing does.
    QVariant columnValue(int column) const;
    QString columnText(int column) const;
    bool setColumnValue(int column, const QVariant &value);

    // The row being edited has changes not yet written.
    bool isRowDirty() const;
    // Writes the row now (beforeUpdate, then the record set). True when it
    // was written or there was nothing to write.
    bool updateRow();
    // Drops the changes of the row being edited.
    void cancelRow();
    // Deletes the current row (beforeDelete may cancel); false when nothing
    // was deleted.
    bool deleteRow();
    // Makes `row` current and selected as a whole, as a click on its row
    // header does: the Delete key then deletes it.
    bool selectWholeRow(int row);
    bool isWholeRowSelected() const { return m_selectedRow >= 0 && m_selectedRow == currentRow(); }
    // Moves to the next row in the same column, writing the row left.
    bool moveDown();
    bool moveUp();
    // Up or Down as the keys do it (with Shift, in a grid that takes several
    // rows, the rows from the first one pressed on are chosen).
    void moveVertically(bool up, Qt::KeyboardModifiers modifiers);

Q_SIGNALS:
    // A character typed in `column`; set keyAscii to 0 to discard it or to
    // another code to replace it.
    void keyPress(int column, int &keyAscii);
    void beforeUpdate(bool &cancel);
    void afterUpdate();
    void afterInsert();
    void beforeDelete(bool &cancel);
    void afterDelete();
    // The record set refused a write. Set showMessage to false to keep the
    // grid from showing the error itself.
    void dataError(const db::DbError &error, bool &showMessage);
    void headClick(int column);
    void buttonClick(int column);
    void rowColChange(int lastRow, int lastColumn);
    // The text of the cell being edited changed (every keystroke).
    void change();
    // A cell edit was accepted into the row (the row is not written yet).
    void afterColUpdate(int column);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void changeColumn(int index, const std::function<void(GridColumn &)> &change);
    friend class GridDelegate;
    // Hooks of the delegate.
    void editorOpened(QWidget *editor, const QModelIndex &index);
    void editorChanged(QWidget *editor);
    bool editorKeyPress(QWidget *editor, QKeyEvent *event);
    void clickButton(int column);
    void toggleCheck(const QModelIndex &index);

    static int keyAsciiOf(const QKeyEvent *event);
    bool handleKeyCode(int keyAscii, Qt::KeyboardModifiers modifiers);
    void typeCharacter(QChar character);
    bool startEdit(bool keepText);
    bool commitEditor(bool validate);
    void cancelEditor();
    bool isEditing() const;
    // Whether the open cell editor holds anything typed.
    bool editorHoldsText() const;
    bool moveTo(int row, int column);
    bool moveNextCell(bool backwards);
    int firstVisibleColumn() const;
    int nextVisibleColumn(int from, int step) const;
    void syncRecordset(int row);
    void followRecordset();
    void applyColumnLayout();
    void onFocusChanged(QWidget *old, QWidget *now);
    void showCellMessage(int column, const QString &message);
    void writeThrough(const std::function<void()> &write);

    RecordsetModel *m_model;
    GridDelegate *m_delegate;
    QPointer<DataControl> m_dataControl;
    QPointer<db::Recordset> m_followed;
    QPointer<db::Recordset> m_direct;
    QPointer<QWidget> m_editor;
    RowWrite m_rowWrite;
    int m_editorColumn = -1;
    QString m_typedInList;   // what was typed so far in the open value list
    bool m_editStartPending = false;   // the edited cell held a pending value
    QVariant m_editStartValue;
    bool m_allowDelete = false;
    int m_selectedRow = -1;
    int m_extendFrom = -1;   // the row Shift+Up/Down extends the chosen rows from
    bool m_writing = false;
    bool m_navigating = false;
    bool m_syncing = false;
};

} // namespace data
