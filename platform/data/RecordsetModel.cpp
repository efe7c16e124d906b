#include "data/RecordsetModel.h"
#include "data/GridFormat.h"

#include <QSignalBlocker>

namespace data {

namespace {

constexpr int kBlockSize = 64;        // rows read per visit of the record set
constexpr int kCacheLimit = 2048;     // rows kept before the cache is emptied

const QString kCurrentMark = QStringLiteral("\u25B6");
const QString kEditMark = QStringLiteral("\u270E");
const QString kNewRowMark = QStringLiteral("*");

// Puts the record set back where a read found it, including EOF and BOF, so
// that reading rows for the screen never moves the window's current record.
void restorePosition(db::Recordset &rs, int position, bool wasEof, bool wasBof)
{
    try {
        if (position >= 0) {
            rs.setAbsolutePosition(position);
        } else if (rs.recordCount() > 0 && wasEof) {
            rs.moveLast();
            rs.moveNext();
        } else if (rs.recordCount() > 0 && wasBof) {
            rs.moveFirst();
            rs.movePrevious();
        }
    } catch (const db::DbError &) {
        // Nothing better can be done; the next move of the window places it.
    }
}

} // namespace

RecordsetModel::RecordsetModel(QObject *parent) : QAbstractTableModel(parent) {}

RecordsetModel::~RecordsetModel() = default;

void RecordsetModel::setRecordset(db::Recordset *recordset)
{
    beginResetModel();
    if (m_recordset)
        disconnect(m_recordset, nullptr, this, nullptr);
    m_recordset = recordset;
    if (recordset) {
        connect(recordset, &db::Recordset::editModeChanged, this, &RecordsetModel::onRecordsetEdited);
        connect(recordset, &db::Recordset::currentChanged, this, &RecordsetModel::onRecordsetMoved);
        connect(recordset, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_recordCount = 0;
            m_allRowsRead = true;
            m_pending.clear();
            m_editRow = -1;
            m_cache.clear();
            endResetModel();
        });
    }
    m_pending.clear();
    m_editRow = -1;
    m_cache.clear();
    resolveFields();
    endResetModel();
}

db::Recordset *RecordsetModel::recordset() const
{
    return m_recordset.data();
}

void RecordsetModel::setColumns(const QList<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_pending.clear();
    m_editRow = -1;
    m_cache.clear();
    resolveFields();
    endResetModel();
}

void RecordsetModel::setColumn(int index, const GridColumn &column)
{
    if (index < 0 || index >= m_columns.size())
        return;
    const bool sameField = m_columns.at(index).dataField.compare(column.dataField, Qt::CaseInsensitive) == 0;
    m_columns[index] = column;
    if (!sameField) {
        m_cache.clear();
        resolveFields();
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, index, index);
    if (rowCount() > 0)
        Q_EMIT dataChanged(this->index(0, index), this->index(rowCount() - 1, index));
}

void RecordsetModel::setAllowAddNew(bool allow)
{
    if (allow == m_allowAddNew)
        return;
    beginResetModel();
    if (!allow && isAddNewRow(m_editRow)) {
        m_pending.clear();
        m_editRow = -1;
    }
    m_allowAddNew = allow;
    resolveFields();
    endResetModel();
}

void RecordsetModel::reload()
{
    beginResetModel();
    m_pending.clear();
    m_editRow = -1;
    m_cache.clear();
    resolveFields();
    endResetModel();
}

void RecordsetModel::resolveFields()
{
    m_fieldIndex.fill(-1, m_columns.size());
    m_recordCount = 0;
    m_allRowsRead = true;
    if (!m_recordset || !m_recordset->isOpen())
        return;
    // A grid that adds rows shows its add-new row after the last one, where
    // Ctrl+End goes: it counts every row (keys only) before it shows.
    if (m_allowAddNew) {
        try {
            while (!m_recordset->recordCountFinal())
                m_recordset->fetchMore();
        } catch (const db::DbError &) {
        }
    }
    m_recordCount = qMax(0, m_recordset->recordCount());
    m_allRowsRead = m_recordset->recordCountFinal();
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_columns.at(c).isBound())
            m_fieldIndex[c] = m_recordset->fieldIndex(m_columns.at(c).dataField);
    }
}

void RecordsetModel::invalidateCache()
{
    m_cache.clear();
}

void RecordsetModel::fetchBlock(int row) const
{
    db::Recordset *rs = m_recordset.data();
    if (!rs || row < 0 || row >= m_recordCount)
        return;
    if (m_cache.size() > kCacheLimit)
        m_cache.clear();

    const QSignalBlocker blocker(rs);
    auto *self = const_cast<RecordsetModel *>(this);
    self->m_busy = true;
    const int saved = rs->absolutePosition();
    const bool wasEof = rs->eof();
    const bool wasBof = rs->bof();
    auto readCurrent = [&](int r) {
        QVector<QVariant> values(m_columns.size());
        for (int c = 0; c < m_columns.size(); ++c) {
            if (m_fieldIndex.at(c) >= 0)
                values[c] = rs->value(m_fieldIndex.at(c));
        }
        m_cache.insert(r, values);
    };
    try {
        if (rs->editMode() != db::EditMode::None) {
            // Someone else is editing the current record: it must not move.
            if (saved == row)
                readCurrent(row);
            else
                m_cache.insert(row, QVector<QVariant>(m_columns.size()));
        } else {
            const int first = row - row % kBlockSize;
            const int last = qMin(first + kBlockSize, m_recordCount);
            rs->setAbsolutePosition(first);
            for (int r = first; r < last; ++r) {
                readCurrent(r);
                if (r + 1 < last)
                    rs->moveNext();
            }
            restorePosition(*rs, saved, wasEof, wasBof);
        }
    } catch (const db::DbError &) {
        if (!m_cache.contains(row))
            m_cache.insert(row, QVector<QVariant>(m_columns.size()));
        restorePosition(*rs, saved, wasEof, wasBof);
    }
    self->m_busy = false;
}

QVariant RecordsetModel::storedValue(int row, int column) const
{
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= m_recordCount)
        return QVariant();
    if (m_fieldIndex.at(column) < 0)
        return QVariant();
    auto it = m_cache.constFind(row);
    if (it == m_cache.constEnd()) {
        fetchBlock(row);
        it = m_cache.constFind(row);
        if (it == m_cache.constEnd())
            return QVariant();
    }
    return it->value(column);
}

bool RecordsetModel::isPending(int row, int column) const
{
    return row == m_editRow && column >= 0 && column < m_columns.size()
        && m_fieldIndex.at(column) >= 0 && m_pending.contains(m_fieldIndex.at(column));
}

QVariant RecordsetModel::value(int row, int column) const
{
    if (isPending(row, column))
        return m_pending.value(m_fieldIndex.at(column));
    return storedValue(row, column);
}

void RecordsetModel::setIndicatorRow(int row)
{
    if (row == m_indicatorRow)
        return;
    const int old = m_indicatorRow;
    m_indicatorRow = row;
    refreshVerticalHeader(old);
    refreshVerticalHeader(row);
}

void RecordsetModel::refreshVerticalHeader(int row)
{
    if (row >= 0 && row < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
}

// Someone wrote through the record set directly (a window's own code): the
// rows on screen may be stale.
void RecordsetModel::onRecordsetEdited(db::EditMode mode)
{
    if (m_busy || mode != db::EditMode::None || !m_recordset)
        return;
    onRecordsetMoved();
    m_cache.clear();
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void RecordsetModel::onRecordsetMoved()
{
    if (m_busy || !m_recordset)
        return;
    // A requery or a delete from outside changes the number of rows.
    if (m_recordset->isOpen()
        && (qMax(0, m_recordset->recordCount()) != m_recordCount || m_recordset->recordCountFinal() != m_allRowsRead))
        reload();
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_recordCount + (showsAddNewRow() ? 1 : 0);
}

bool RecordsetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_allRowsRead && m_recordset && m_recordset->isOpen();
}

void RecordsetModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    int newCount = m_recordCount;
    bool allRead = m_allRowsRead;
    try {
        newCount = m_recordset->fetchMore();
        allRead = m_recordset->recordCountFinal();
    } catch (const db::DbError &) {
        allRead = true; // no further reads are attempted; what was read stays
    }
    const int oldRows = rowCount();
    const int newRows = newCount + (m_allowAddNew && allRead ? 1 : 0);
    if (newRows > oldRows)
        beginInsertRows(QModelIndex(), oldRows, newRows - 1);
    m_recordCount = newCount;
    m_allRowsRead = allRead;
    if (newRows > oldRows)
        endInsertRows();
}

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const GridColumn &col = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (col.checkBox)
            return QVariant();
        return col.displayText(value(index.row(), index.column()));
    case Qt::EditRole: {
        const QVariant v = value(index.row(), index.column());
        if (v.typeId() == QMetaType::QString)
            return v;
        return GridFormat::editText(v);
    }
    case ValueRole:
        return value(index.row(), index.column());
    case Qt::CheckStateRole:
        if (!col.checkBox)
            return QVariant();
        return value(index.row(), index.column()).toBool() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(col.effectiveAlignment(storedValue(index.row(), index.column())));
    default:
        return QVariant();
    }
}

bool RecordsetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (role == Qt::CheckStateRole) {
        const bool checked = value.toInt() == Qt::Checked;
        return setPendingValue(index.row(), index.column(), QVariant(checked));
    }
    if (role == Qt::EditRole || role == ValueRole)
        return setPendingValue(index.row(), index.column(), value);
    return false;
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridColumn &col = m_columns.at(index.column());
    const bool rowEditable = isAddNewRow(index.row()) || m_allowUpdate;
    const bool otherRowPending = m_editRow >= 0 && m_editRow != index.row();
    if (rowEditable && col.isBound() && !col.locked && m_fieldIndex.at(index.column()) >= 0
        && !otherRowPending) {
        f |= Qt::ItemIsEditable;
        if (col.checkBox)
            f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns.size())
            return QVariant();
        if (role == Qt::DisplayRole)
            return m_columns.at(section).caption;
        return QVariant();
    }
    if (role != Qt::DisplayRole || section < 0 || section >= rowCount())
        return QVariant();
    if (section == m_editRow)
        return kEditMark;
    if (isAddNewRow(section))
        return kNewRowMark;
    if (section == m_indicatorRow)
        return kCurrentMark;
    return QString();
}

} // namespace data
