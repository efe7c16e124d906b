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
    if (!m_recordset || !m_recordset->isOpen())
        return;
    m_recordCount = qMax(0, m_recordset->recordCount());
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

bool RecordsetModel::setPendingValue(int row, int column, const QVariant &value)
{
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= rowCount())
        return false;
    if (m_fieldIndex.at(column) < 0)
        return false;
    if (m_editRow >= 0 && m_editRow != row)
        return false;
    if (!isAddNewRow(row) && !m_allowUpdate)
        return false;
    const int field = m_fieldIndex.at(column);
    const bool starting = m_editRow < 0;
    if (!starting && m_pending.contains(field) && m_pending.value(field) == value
        && m_pending.value(field).typeId() == value.typeId())
        return true;
    m_editRow = row;
    m_pending.insert(field, value);
    // Every column on the same field shows the new value.
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_fieldIndex.at(c) == field)
            Q_EMIT dataChanged(index(row, c), index(row, c));
    }
    if (starting) {
        refreshVerticalHeader(row);
        Q_EMIT editStarted(row);
    }
    return true;
}

void RecordsetModel::discardPending()
{
    if (m_editRow < 0)
        return;
    const int row = m_editRow;
    m_editRow = -1;
    m_pending.clear();
    if (row < rowCount())
        Q_EMIT dataChanged(index(row, 0), index(row, qMax(0, columnCount() - 1)));
    refreshVerticalHeader(row);
}

QVariant RecordsetModel::sampleValue(int column, int row) const
{
    if (row >= 0 && row < m_recordCount) {
        const QVariant v = storedValue(row, column);
        if (v.isValid() && !v.isNull())
            return v;
    }
    for (auto it = m_cache.constBegin(); it != m_cache.constEnd(); ++it) {
        const QVariant v = it->value(column);
        if (v.isValid() && !v.isNull())
            return v;
    }
    if (m_recordCount > 0)
        return storedValue(0, column);
    return QVariant();
}

GridColumn::Kind RecordsetModel::kindOf(int column, int row) const
{
    const GridColumn &col = m_columns.at(column);
    if (col.kind != GridColumn::Kind::Auto || col.checkBox || !col.numberFormat.isEmpty())
        return col.effectiveKind(QVariant());
    return col.effectiveKind(sampleValue(column, row));
}

// Typed text becomes the value of the column's kind; values set by code
// pass unchanged. Empty text is Null.
QVariant RecordsetModel::convert(int column, const QVariant &pending, QString *message) const
{
    if (pending.typeId() != QMetaType::QString)
        return pending;
    const QString text = pending.toString();
    const GridColumn &col = m_columns.at(column);
    if (col.hasValueList()) {
        // A value list column stores the item's value even when the text of
        // the item was typed.
        for (const GridValueItem &item : col.valueItems) {
            if (item.displayText.compare(text.trimmed(), Qt::CaseInsensitive) == 0)
                return item.value;
        }
    }
    bool ok = true;
    QVariant converted;
    switch (kindOf(column, m_editRow)) {
    case GridColumn::Kind::Number:
        converted = GridFormat::parseNumber(text, &ok);
        if (!ok && message)
            *message = QStringLiteral("Il valore \"%1\" della colonna \"%2\" non è un numero valido.")
                           .arg(text.trimmed(), col.caption);
        break;
    case GridColumn::Kind::Date:
        converted = GridFormat::parseDate(text, &ok);
        if (!ok && message)
            *message = QStringLiteral("Il valore \"%1\" della colonna \"%2\" non è una data valida (gg/mm/aaaa).")
                           .arg(text.trimmed(), col.caption);
        break;
    case GridColumn::Kind::Boolean:
        converted = GridFormat::parseBoolean(text, &ok);
        if (!ok && message)
            *message = QStringLiteral("Il valore \"%1\" della colonna \"%2\" non è valido: scrivere Sì o No.")
                           .arg(text.trimmed(), col.caption);
        break;
    default:
        converted = text.isEmpty() ? QVariant() : QVariant(text);
        break;
    }
    return ok ? converted : QVariant();
}

void RecordsetModel::restorePendingValue(int column, bool hadValue, const QVariant &old)
{
    if (m_editRow < 0 || column < 0 || column >= m_columns.size() || m_fieldIndex.at(column) < 0)
        return;
    const int field = m_fieldIndex.at(column);
    if (hadValue) {
        m_pending.insert(field, old);
    } else {
        m_pending.remove(field);
        if (m_pending.isEmpty()) {
            discardPending();
            return;
        }
    }
    for (int c = 0; c < m_columns.size(); ++c) {
        if (m_fieldIndex.at(c) == field)
            Q_EMIT dataChanged(index(m_editRow, c), index(m_editRow, c));
    }
}

QString RecordsetModel::invalidMessage(int column) const
{
    if (!isPending(m_editRow, column))
        return QString();
    QString message;
    convert(column, m_pending.value(m_fieldIndex.at(column)), &message);
    return message;
}

int RecordsetModel::invalidPendingColumn(QString *message) const
{
    for (int c = 0; c < m_columns.size(); ++c) {
        if (!isPending(m_editRow, c))
            continue;
        QString text;
        convert(c, m_pending.value(m_fieldIndex.at(c)), &text);
        if (!text.isEmpty()) {
            if (message)
                *message = text;
            return c;
        }
    }
    return -1;
}

bool RecordsetModel::writePending()
{
    if (m_editRow < 0)
        return false;
    db::Recordset *rs = m_recordset.data();
    if (!rs || !rs->isOpen())
        throw db::DbError(db::ErrorKind::NoCurrentRecord, 3021,
                          QStringLiteral("Nessun record corrente."));

    // Convert everything first: a value that does not fit changes nothing.
    QList<QPair<QString, QVariant>> values;
    for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it) {
        const int column = int(m_fieldIndex.indexOf(it.key()));
        QString message;
        const QVariant converted = convert(column, it.value(), &message);
        if (!message.isEmpty())
            throw db::DbError(db::ErrorKind::TypeMismatch, 3421, message);
        values.append({m_columns.at(column).dataField, converted});
    }

    const bool adding = isAddNewRow(m_editRow);
    const int row = m_editRow;
    m_busy = true;
    try {
        if (adding) {
            rs->addNew();
        } else {
            rs->setAbsolutePosition(row);
            rs->edit();
        }
        for (const auto &field : values)
            rs->setValue(field.first, field.second);
        rs->update();
    } catch (const db::DbError &) {
        try {
            if (rs->editMode() != db::EditMode::None)
                rs->cancelUpdate();
        } catch (const db::DbError &) {
        }
        m_busy = false;
        throw;
    } catch (const std::exception &e) {
        try {
            if (rs->editMode() != db::EditMode::None)
                rs->cancelUpdate();
        } catch (const db::DbError &) {
        }
        m_busy = false;
        throw db::DbError(db::ErrorKind::General, 3000, QString::fromLocal8Bit(e.what()));
    }
    m_busy = false;

    m_pending.clear();
    m_editRow = -1;
    m_cache.remove(row);
    const int newCount = qMax(0, rs->recordCount());
    if (adding) {
        if (newCount == m_recordCount + 1) {
            // The new record takes the place of the add-new row, which moves down.
            beginInsertRows(QModelIndex(), m_recordCount + 1, m_recordCount + 1);
            m_recordCount = newCount;
            endInsertRows();
            Q_EMIT dataChanged(index(row, 0), index(row, qMax(0, columnCount() - 1)));
        } else {
            beginResetModel();
            m_cache.clear();
            m_recordCount = newCount;
            endResetModel();
        }
    } else {
        Q_EMIT dataChanged(index(row, 0), index(row, qMax(0, columnCount() - 1)));
    }
    refreshVerticalHeader(row);
    return adding;
}

void RecordsetModel::deleteRow(int row)
{
    db::Recordset *rs = m_recordset.data();
    if (!rs || row < 0 || row >= m_recordCount)
        throw db::DbError(db::ErrorKind::NoCurrentRecord, 3021, QStringLiteral("Nessun record corrente."));
    if (m_editRow == row)
        discardPending();
    m_busy = true;
    try {
        rs->setAbsolutePosition(row);
        rs->deleteRecord();
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    const int newCount = qMax(0, rs->recordCount());
    if (newCount == m_recordCount - 1) {
        beginRemoveRows(QModelIndex(), row, row);
        m_cache.clear();
        m_recordCount = newCount;
        if (m_editRow > row)
            --m_editRow;
        endRemoveRows();
    } else {
        beginResetModel();
        m_cache.clear();
        m_recordCount = newCount;
        m_pending.clear();
        m_editRow = -1;
        endResetModel();
    }
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
    if (m_recordset->isOpen() && qMax(0, m_recordset->recordCount()) != m_recordCount)
        reload();
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_recordCount + (m_allowAddNew && m_recordset && m_recordset->isOpen() ? 1 : 0);
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
