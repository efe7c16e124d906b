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
    // sum(column, keyColumn, k): the sum of column over the rows in scope
    // whose keyColumn holds the k-th of its distinct values (Null first, then
    // ascending); 0 when there are fewer.
    virtual QVariant keyedSum(int column, int keyColumn, int k) const
    {
        Q_UNUSED(column); Q_UNUSED(keyColumn); Q_UNUSED(k); return {};
    }
    // page(), pages(), and the like.
    virtual QVariant special(const QString &name) const { Q_UNUSED(name); return {}; }
};

} // namespace report
