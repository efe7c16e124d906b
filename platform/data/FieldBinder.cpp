#include "data/FieldBinder.h"

#include "db/FieldText.h"
#include "db/Recordset.h"

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>
#include <QLocale>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace data {

FieldBinder::FieldBinder(DataControl &control, QObject *parent)
    : QObject(parent)
    , m_control(control)
{
    connect(&control, &DataControl::refreshed, this, [this] {
        watchRecordset();
        showCurrent();
    });
    connect(&control, &DataControl::currentChanged, this, &FieldBinder::showCurrent);
    connect(&control, &DataControl::editModeChanged, this, [this] {
        if (!m_writing)
            showCurrent();
    });
    watchRecordset();
}

FieldBinder::~FieldBinder() = default;

void FieldBinder::watchRecordset()
{
    db::Recordset *rs = m_control.recordset();
    if (!rs)
        return;
    // A field set by the window's code shows in its box at once.
    connect(rs, &db::Recordset::fieldChanged, this, [this, rs](const QString &field) {
        if (m_writing)
            return;
        for (Binding &binding : m_bindings)
            if (binding.field.compare(field, Qt::CaseInsensitive) == 0)
                showBinding(binding, rs);
    });
}

void FieldBinder::add(QWidget *widget, const QString &field, FieldKind kind, const db::NumberLimits &limits)
{
    m_bindings.append(Binding{widget, field, kind, 0, limits});
    if (db::Recordset *rs = m_control.recordset())
        showBinding(m_bindings.last(), rs);
}

void FieldBinder::bind(QLineEdit *box, const QString &field, FieldKind kind, const db::NumberLimits &limits)
{
    if (!box)
        return;
    connect(box, &QLineEdit::textChanged, this, [this, box] {
        if (Binding *binding = bindingOf(box))
            store(*binding);
    });
    add(box, field, kind, limits);
}

void FieldBinder::bind(QTextEdit *box, const QString &field)
{
    if (!box)
        return;
    connect(box, &QTextEdit::textChanged, this, [this, box] {
        if (Binding *binding = bindingOf(box))
            store(*binding);
    });
    add(box, field, FieldKind::Text);
}

void FieldBinder::bind(QCheckBox *box, const QString &field)
{
    if (!box)
        return;
    connect(box, &QCheckBox::toggled, this, [this, box] {
        if (Binding *binding = bindingOf(box))
            store(*binding);
    });
    add(box, field, FieldKind::Auto);
}

FieldBinder::Binding *FieldBinder::bindingOf(QWidget *widget)
{
    for (Binding &binding : m_bindings)
        if (binding.widget == widget)
            return &binding;
    return nullptr;
}

QStringList FieldBinder::invalidFields() const
{
    QStringList fields(m_invalid.begin(), m_invalid.end());
    fields.sort();
    return fields;
}

void FieldBinder::showCurrent()
{
    db::Recordset *rs = m_control.recordset();
    for (Binding &binding : m_bindings)
        showBinding(binding, rs);
}

// Setting a text lays the box out anew: a box that shows the same text
// already, with no edit to undo, is only put back as setting it would leave
// it (cursor at the end of a line, at the start of a text).
void FieldBinder::showText(QLineEdit *box, const QString &text)
{
    if (box->isModified() || box->isUndoAvailable() || box->isRedoAvailable() || box->text() != text) {
        box->setText(text);
        return;
    }
    if (box->hasSelectedText())
        box->deselect();
    box->setCursorPosition(int(text.size()));
}

void FieldBinder::showText(QTextEdit *box, const QString &text)
{
    const QTextDocument *document = box->document();
    if (document->isModified() || document->isUndoAvailable() || document->isRedoAvailable()
        || box->toPlainText() != text) {
        box->setPlainText(text);
        return;
    }
    QTextCursor cursor = box->textCursor();
    if (cursor.position() != 0 || cursor.hasSelection()) {
        cursor.setPosition(0);
        box->setTextCursor(cursor);
    }
}

void FieldBinder::showBinding(Binding &binding, db::Recordset *rs)
{
    if (!binding.widget)
        return;
    QVariant value;
    try {
        if (rs && rs->isOpen() && !rs->eof() && !rs->bof())
            value = rs->value(binding.field);
    } catch (const db::DbError &) {
        value = QVariant(); // no current record: the boxes show empty
    }
    if (!db::FieldText::isNull(value))
        binding.shownType = value.typeId();
    m_invalid.remove(binding.field);

    m_showing = true;
    if (auto *line = qobject_cast<QLineEdit *>(binding.widget))
        showText(line, db::FieldText::display(value));
    else if (auto *text = qobject_cast<QTextEdit *>(binding.widget))
        showText(text, db::FieldText::display(value));
    else if (auto *check = qobject_cast<QCheckBox *>(binding.widget))
        check->setChecked(!db::FieldText::isNull(value) && value.toDouble() != 0);
    m_showing = false;
}

bool FieldBinder::typedValue(const Binding &binding, QVariant &value) const
{
    if (auto *check = qobject_cast<QCheckBox *>(binding.widget)) {
        value = check->isChecked();
        return true;
    }
    QString text;
    if (auto *line = qobject_cast<QLineEdit *>(binding.widget))
        text = line->text();
    else if (auto *edit = qobject_cast<QTextEdit *>(binding.widget))
        text = edit->toPlainText();

    FieldKind kind = binding.kind;
    if (kind == FieldKind::Auto) {
        switch (binding.shownType) {
        case QMetaType::Double: case QMetaType::Float: case QMetaType::Int:
        case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
            kind = FieldKind::Number; break;
        case QMetaType::QDate: case QMetaType::QDateTime:
            kind = FieldKind::Date; break;
        default:
            kind = FieldKind::Text;
        }
    }
    if (kind == FieldKind::Text) {
        value = text.isEmpty() ? QVariant() : QVariant(text);
        return true;
    }
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        value = QVariant();
        return true;
    }
    if (kind == FieldKind::Number) {
        const std::optional<double> number = db::NumberText::read(trimmed, QLocale().decimalPoint(), binding.limits);
        if (!number)
            return false;
        value = *number;
        return true;
    }
    const QDate date = QDate::fromString(trimmed, QStringLiteral("d/M/yyyy"));
    if (!date.isValid())
        return false;
    value = date;
    return true;
}

void FieldBinder::store(Binding &binding)
{
    if (m_showing)
        return;
    QVariant value;
    if (!typedValue(binding, value)) {
        m_invalid.insert(binding.field);
        return;
    }
    db::Recordset *rs = m_control.recordset();
    if (!rs)
        return;
    m_writing = true;
    try {
        if (rs->editMode() == db::EditMode::None)
            rs->edit();
        rs->setValue(binding.field, value);
        m_invalid.remove(binding.field);
    } catch (const db::DbError &error) {
        m_invalid.insert(binding.field);
        m_writing = false;
        Q_EMIT dataError(binding.field, error.description());
        return;
    }
    m_writing = false;
}

} // namespace data
