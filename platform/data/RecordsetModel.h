#pragma once

#include "data/GridColumn.h"
#include "db/Recordset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QVector>

namespace data {

// The rows of a record set as a table of grid columns. Rows are read from
// the record set in small blocks as the view asks for them, so a set of any
// size opens at once. Edits of the user are held in a pending row and reach
// the record set only through writePending(), as one Edit/AddNew + Update.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The raw value of a cell (pending or stored), for editors and callers.
    static constexpr int ValueRole = Qt::UserRole + 1;

    explicit RecordsetModel(QObject *parent = nullptr);
    ~RecordsetModel() override;

    // Not owned; a record set that is destroyed leaves the model empty.
    void setRecordset(db::Recordset *recordset);
    db::Recordset *recordset() const;

    void setColumns(const QList<GridColumn> &columns);
    const QList<GridColumn> &columns() const { return m_columns; }
    const GridColumn &column(int index) const { return m_columns.at(index); }
    void setColumn(int index, const GridColumn &column);

    void setAllowAddNew(bool allow);
    bool allowAddNew() const { return m_allowAddNew; }
    void setAllowUpdate(bool allow) { m_allowUpdate = allow; }
    bool allowUpdate() const { return m_allowUpdate; }

    // Re-reads count and rows (after the record set was requeried).
    void reload();

    // Rows read so far; more come through fetchMore() as the view scrolls
    // down, and the add-new row shows once the last row has been read.
    int recordCount() const { return m_recordCount; }
    bool isAddNewRow(int row) const { return showsAddNewRow() && row == m_recordCount; }

    // The pending row: -1 when nothing is pending.
    int editRow() const { return m_editRow; }
    bool isDirty() const { return m_editRow >= 0; }
    bool isPending(int row, int column) const;
    // The value a cell shows: the pending one, else the stored one.
    QVariant value(int row, int column) const;
    QVariant storedValue(int row, int column) const;
    // Changes a cell of `row`, which becomes the pending row. Refused (false)
    // while another row is pending, on unbound columns and on rows the user
    // may not change.
    bool setPendingValue(int row, int column, const QVariant &value);
    void discardPending();
    // Puts a cell of the pending row back as it was before an edit of it.
    void restorePendingValue(int column, bool hadValue, const QVariant &old);
    // Why the pending value of a column does not fit; empty when it does.
    QString invalidMessage(int column) const;

    // The first pending cell whose typed text does not fit its column, with
    // the message that says so; -1 when every pending cell is fine.
    int invalidPendingColumn(QString *message) const;
    // Writes the pending row (AddNew or Edit, the values, Update). Throws
    // db::DbError, after cancelling the record set's edit; the pending values
    // are then kept. Returns true when a new row was added.
    bool writePending();
    // Deletes a stored row from the record set; throws db::DbError.
    void deleteRow(int row);

    // Row shown with the current-row mark in the row header.
    void setIndicatorRow(int row);
    // Rows currently held in memory (diagnostics and tests).
    int cachedRowCount() const { return int(m_cache.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The pending row began (first change of a row).
    void editStarted(int row);

private:
    void resolveFields();
    bool showsAddNewRow() const { return m_allowAddNew && m_allRowsRead && m_recordset && m_recordset->isOpen(); }
    void fetchBlock(int row) const;
    void invalidateCache();
    QVariant sampleValue(int column, int row) const;
    GridColumn::Kind kindOf(int column, int row) const;
    QVariant convert(int column, const QVariant &pending, QString *message) const;
    void onRecordsetEdited(db::EditMode mode);
    void onRecordsetMoved();
    void refreshVerticalHeader(int row);

    QPointer<db::Recordset> m_recordset;
    QList<GridColumn> m_columns;
    QVector<int> m_fieldIndex;               // per column; -1 unbound or unknown
    int m_recordCount = 0;
    bool m_allRowsRead = true;               // the record set's count is final
    bool m_allowAddNew = false;
    bool m_allowUpdate = true;
    bool m_busy = false;                     // inside our own moves and writes
    int m_editRow = -1;
    int m_indicatorRow = -1;
    QMap<int, QVariant> m_pending;           // field index -> value
    mutable QHash<int, QVector<QVariant>> m_cache; // row -> values per column
};

} // namespace data
