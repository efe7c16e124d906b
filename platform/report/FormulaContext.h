#pragma once

#include <QString>
#include <QVariant>

namespace report {

// Turns {table.field} into the column it reads; -1 when the report has no
// such field.
class FieldResolver {
public:
    virtual ~FieldResolver() = default;
    virtual int resolve(const QString &table, const QString &field) const = 0;
};

// What a bound formula reads while it is evaluated.
class FormulaContext {
public:
    virtual ~FormulaContext() = default;
    virtual QVariant column(int index) const = 0;
    // Invalid QVariant when the report has no formula of that name.
    virtual QVariant named(const QString &name) const { Q_UNUSED(name); return {}; }
    // sum(column) / count() over the rows in scope (group or whole report).
    virtual QVariant aggregate(const QString &function, int column) const
    {
        Q_UNUSED(function); Q_UNUSED(column); return {};
    }
    // page(), pages(), and the like.
    virtual QVariant special(const QString &name) const { Q_UNUSED(name); return {}; }
};

} // namespace report
