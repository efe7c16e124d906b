#include "data/GridFormat.h"
#include "data/RecordsetModel.h"

// The pending row of the model: the user's changes, their conversion to
// field values, and the one write that takes them to the record set.

namespace data {

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
        for (const GridValueItem &item : col.valueItems) {
            if (item.keys.contains(text.trimmed(), Qt::CaseInsensitive))
                return item.value;
        }
    }
    bool ok = true;
    QVariant converted;
    switch (kindOf(column, m_editRow)) {
    case GridColumn::Kind::Number:
        converted = GridFormat::parseNumber(text, &ok, col.limits);
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
            m_allRowsRead = rs->recordCountFinal();
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
    if (newCount == m_recordCount - 1 && rs->recordCountFinal() == m_allRowsRead) {
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
        m_allRowsRead = rs->recordCountFinal();
        m_pending.clear();
        m_editRow = -1;
        endResetModel();
    }
}

} // namespace data
