#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace report {

// The named formulas a print hands to its template through the formula
// slots: "Name=value", "Name='text'", "Name = 12.50". Names ignore case.
class NamedFormulas {
public:
    // Reads every non-empty slot; throws db::DbError (err::FormulaInvalid)
    // naming the slot that is not "Name=value".
    static NamedFormulas fromSlots(const QStringList &slots);

    void set(const QString &name, const QVariant &value);
    bool contains(const QString &name) const;
    QVariant value(const QString &name) const;   // invalid when absent
    int size() const { return int(m_values.size()); }

private:
    QHash<QString, QVariant> m_values;   // lower-case name -> value
};

} // namespace report
