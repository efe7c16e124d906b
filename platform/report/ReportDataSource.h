#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

namespace report {

class Formula;
class ReportQuery;

using ReportRow = std::vector<QVariant>;
// Takes one record; false stops the reading.
using RowSink = std::function<bool(ReportRow &&)>;
// The selection formula tested on one record.
using RowTest = std::function<bool(const ReportRow &)>;

// Where a report's records come from. Statements are in the legacy dialect
// of the database engine; they are built from the template only, never from
// a formula's values.
class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    // The fields of a table in their stored spelling; throws db::DbError.
    virtual QStringList fieldNames(const QString &table) = 0;
    // Hands the records of `query` that the bound `selection` picks to `sink`,
    // one at a time, in the query's order. A source selects what it can itself
    // and calls `test` on the records for the rest (on every record when it can
    // select nothing). Throws db::DbError.
    virtual void stream(const ReportQuery &query, const Formula &selection, const RowTest &test,
                        const RowSink &sink) = 0;
    // Called from another thread: stop the stream as soon as possible.
    virtual void interrupt() {}
    // The shop's letterhead as the data keeps it; empty when it keeps none,
    // and the letterhead file next to the templates is printed instead.
    virtual QStringList letterhead() { return {}; }
    // Names the data and the shape of its tables while they stay the same
    // (what a query built on fieldNames() may be reused for); empty when it
    // cannot say.
    virtual QString shapeKey() const { return {}; }
};

} // namespace report
