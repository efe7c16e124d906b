#pragma once

#include "data/DataControl.h"
#include "db/NumberText.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariant>

class QCheckBox;
class QLineEdit;
class QTextEdit;
class QWidget;

namespace data {

// What a text box holds, so that its text is stored with the field's type.
// Auto takes the type of the value the field showed (text when it was Null):
// give Number or Date for such fields of a card, which may start empty.
enum class FieldKind { Auto, Text, Number, Date };

// Binds a card's text boxes and check boxes to the fields of a data control.
//
// The current record is shown whenever the control moves, refreshes or
// changes edit mode (Null shows as empty). A change of a box (typed, or set
// by the window's code) puts the record set in editing and stores the value;
// nothing is written to the database until the window calls update() on the
// record set, and moving to another record discards what was not updated.
//
// A text that does not fit its field (letters in a number box, a number
// beyond the box's limits, an impossible date) is not stored: the field keeps its value and is listed by
// invalidFields() until the box holds a valid text again.
class FieldBinder : public QObject {
    Q_OBJECT
public:
    explicit FieldBinder(DataControl &control, QObject *parent = nullptr);
    ~FieldBinder() override;

    void bind(QLineEdit *box, const QString &field, FieldKind kind = FieldKind::Auto,
              const db::NumberLimits &limits = {});
    void bind(QTextEdit *box, const QString &field);
    void bind(QCheckBox *box, const QString &field);

    // Shows the current record in every bound widget.
    void showCurrent();
    QStringList invalidFields() const;
    DataControl &control() const { return m_control; }

Q_SIGNALS:
    // The engine refused a value or a field name (the window decides what
    // to tell the user).
    void dataError(const QString &field, const QString &description);

private:
    struct Binding {
        QPointer<QWidget> widget;
        QString field;
        FieldKind kind = FieldKind::Auto;
        int shownType = 0; // type of the value last shown, for Auto
        db::NumberLimits limits;
    };

    void watchRecordset();
    void showBinding(Binding &binding, db::Recordset *rs);
    static void showText(QLineEdit *box, const QString &text);
    static void showText(QTextEdit *box, const QString &text);
    void store(Binding &binding);
    bool typedValue(const Binding &binding, QVariant &value) const;
    Binding *bindingOf(QWidget *widget);
    void add(QWidget *widget, const QString &field, FieldKind kind, const db::NumberLimits &limits = {});

    DataControl &m_control;
    QList<Binding> m_bindings;
    QSet<QString> m_invalid;
    bool m_showing = false;
    bool m_writing = false;
};

} // namespace data
