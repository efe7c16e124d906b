#include "db/Recordset.h"

#include "EngineErrors.h"
#include "RecordsetImpl.h"

namespace db {

Recordset::Recordset(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

// The changes of an Edit or AddNew, made room for when the first one begins
// (most sets are only read).
static void startPending(Recordset::Impl &d)
{
    d.pending.resize(size_t(d.visibleColumns()));
    d.pendingSet.assign(size_t(d.visibleColumns()), false);
}

Recordset::~Recordset() = default;

int Recordset::recordCount() const
{
    d->ensureOpen();
    return d->count;
}

bool Recordset::recordCountFinal() const
{
    d->ensureOpen();
    return d->complete;
}

int Recordset::fetchMore()
{
    d->ensureOpen();
    d->reach(d->count);
    return d->count;
}

int Recordset::absolutePosition() const
{
    d->ensureOpen();
    if (d->count == 0 || d->onDeleted || d->position < 0 || d->position >= d->count)
        return -1;
    return d->position;
}

bool Recordset::eof() const
{
    d->ensureOpen();
    // Moves read the page that follows before they pass the last key read,
    // so a position past it is past the last row.
    return d->count == 0 || d->position >= d->count;
}

bool Recordset::bof() const
{
    d->ensureOpen();
    return d->count == 0 || d->position < 0;
}

// Leaving a row drops changes not yet written, as the legacy engine did.
static void dropPending(Recordset::Impl &d, Recordset *set)
{
    if (d.mode == EditMode::None)
        return;
    d.mode = EditMode::None;
    d.pendingSet.assign(d.pendingSet.size(), false);
    Q_EMIT set->editModeChanged(EditMode::None);
}

void Recordset::setAbsolutePosition(int position)
{
    d->ensureOpen();
    if (!d->reach(position))
        throw errors::invalidArgument();
    dropPending(*d, this);
    d->position = position;
    d->onDeleted = false;
    Q_EMIT currentChanged();
}

void Recordset::moveFirst()
{
    d->ensureOpen();
    if (d->count == 0)
        throw errors::noCurrentRecord();
    dropPending(*d, this);
    d->position = 0;
    d->onDeleted = false;
    Q_EMIT currentChanged();
}

void Recordset::moveLast()
{
    d->ensureOpen();
    if (d->count == 0)
        throw errors::noCurrentRecord();
    dropPending(*d, this);
    d->readToEnd();
    d->position = d->count - 1;
    d->onDeleted = false;
    Q_EMIT currentChanged();
}

void Recordset::moveNext()
{
    d->ensureOpen();
    if (d->onDeleted) {
        // The row after the deleted one (or EOF) is already here.
        d->onDeleted = false;
        Q_EMIT currentChanged();
        return;
    }
    if (d->count == 0 || d->position >= d->count)
        throw errors::noCurrentRecord();
    dropPending(*d, this);
    d->reach(d->position + 1);
    ++d->position;
    Q_EMIT currentChanged();
}

void Recordset::movePrevious()
{
    d->ensureOpen();
    if ((d->count == 0 || d->position < 0) && !d->onDeleted)
        throw errors::noCurrentRecord();
    dropPending(*d, this);
    d->onDeleted = false;
    --d->position;
    Q_EMIT currentChanged();
}

void Recordset::findFirst(const QString &criterion)
{
    d->ensureOpen();
    const int found = d->findFrom(criterion, 0);
    d->noMatch = found < 0;
    if (found < 0)
        return;
    dropPending(*d, this);
    d->position = found;
    d->onDeleted = false;
    Q_EMIT currentChanged();
}

void Recordset::findNext(const QString &criterion)
{
    d->ensureOpen();
    const int start = d->onDeleted ? d->position : d->position + 1;
    const int found = d->findFrom(criterion, start);
    d->noMatch = found < 0;
    if (found < 0)
        return;
    dropPending(*d, this);
    d->position = found;
    d->onDeleted = false;
    Q_EMIT currentChanged();
}

bool Recordset::noMatch() const
{
    return d->noMatch;
}

void Recordset::addNew()
{
    d->ensureOpen();
    d->requireKeyed();
    startPending(*d);
    d->mode = EditMode::Adding;
    Q_EMIT editModeChanged(EditMode::Adding);
}

void Recordset::edit()
{
    d->ensureOpen();
    d->requireKeyed();
    d->readAtEdit = d->currentRow(); // throws when there is no current record
    startPending(*d);
    d->mode = EditMode::Editing;
    Q_EMIT editModeChanged(EditMode::Editing);
}

void Recordset::update()
{
    d->ensureOpen();
    if (d->mode == EditMode::None)
        throw errors::notInEditMode();
    const bool adding = d->mode == EditMode::Adding;
    if (adding)
        d->insertRow();
    else
        d->writeChanges();
    d->mode = EditMode::None;
    d->pendingSet.assign(d->pendingSet.size(), false);
    Q_EMIT editModeChanged(EditMode::None);
    if (adding)
        Q_EMIT currentChanged();
}

void Recordset::cancelUpdate()
{
    d->ensureOpen();
    dropPending(*d, this);
}

void Recordset::deleteRecord()
{
    d->ensureOpen();
    d->requireKeyed();
    dropPending(*d, this);
    d->deleteCurrent();
    Q_EMIT currentChanged();
}

EditMode Recordset::editMode() const
{
    return d->mode;
}

QStringList Recordset::fieldNames() const
{
    d->ensureOpen();
    QStringList names;
    for (const ColumnInfo &column : d->shape->columns)
        names << column.fieldName;
    return names;
}

int Recordset::fieldIndex(const QString &name) const
{
    d->ensureOpen();
    return d->shape->find(QStringView(name).trimmed());
}

QVariant Recordset::value(const QString &field) const
{
    d->ensureOpen();
    const int index = fieldIndex(field);
    if (index < 0)
        throw errors::unknownField(field);
    return d->currentValue(index);
}

QVariant Recordset::value(int index) const
{
    return d->currentValue(index);
}

void Recordset::setValue(const QString &field, const QVariant &value)
{
    d->ensureOpen();
    const int index = fieldIndex(field);
    if (index < 0)
        throw errors::unknownField(field);
    if (d->mode == EditMode::None)
        throw errors::notInEditMode();
    const ColumnInfo &column = d->shape->columns[size_t(index)];
    if (!column.updatable)
        throw errors::fieldNotUpdatable(field);
    BoundValue bound = FieldCodec::encode(value, column.kind, column.column);
    if (column.kind == FieldKind::Counter) {
        // The engine assigns counters; writing back the value a form shows
        // (or nothing, on a new row) is harmless, changing it is not.
        if (bound.type == BoundValue::Type::Null)
            return;
        const QVariant stored = d->mode == EditMode::Adding ? QVariant() : d->currentValue(index);
        if (stored.isValid() && stored.toLongLong() == bound.integer)
            return;
        throw errors::fieldNotUpdatable(field);
    }
    d->pending[size_t(index)] = std::move(bound);
    d->pendingSet[size_t(index)] = true;
    Q_EMIT fieldChanged(field);
}

qlonglong Recordset::lastInsertedId() const
{
    return d->lastId;
}

void Recordset::setFilter(const QString &legacyCondition)
{
    d->ensureOpen();
    if (legacyCondition.trimmed().isEmpty()) {
        d->filter.clear();
        d->filterTranslation.reset();
        d->filterLiterals.clear();
        return;
    }
    Connection::Translated translated = d->connection->translate(legacyCondition, true, d->translation->criterionContext);
    d->filter = legacyCondition;
    d->filterTranslation = std::move(translated.translation);
    d->filterLiterals = std::move(translated.literals);
}

QString Recordset::filter() const
{
    return d->filter;
}

void Recordset::requery()
{
    d->ensureOpen();
    dropPending(*d, this);
    d->run();
    Q_EMIT currentChanged();
}

void Recordset::close()
{
    if (!d->open)
        return;
    dropPending(*d, this);
    d->open = false;
    d->headEnd = -1;
    d->found = -1;
    d->keys.clear();
    d->rows.clear();
    d->forgetRows();
    d->count = 0;
}

bool Recordset::isOpen() const
{
    return d->open;
}

QString Recordset::source() const
{
    return d->source;
}

} // namespace db
