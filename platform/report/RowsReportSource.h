#pragma once

#include "ReportDataSource.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace report {

// Records a caller computes rather than selects (the stock value of every
// item at a date): one table of the caller's naming with its fields, and a
// function that makes the records one at a time, in the order printed,
// holding none. The selection formula is tested on each record. The
// letterhead is the shop's, read from the database at `databasePath` when
// one is given.
class RowsReportSource : public ReportDataSource {
public:
    // Hands each record (one value per field, in the fields' order) to
    // `row` until it answers false.
    using Producer = std::function<void(const std::function<bool(ReportRow &&)> &row)>;

    RowsReportSource(QString table, QStringList fields, Producer producer, QString databasePath = QString());
    // Rows as lists of values (a list as "Esporta" makes them: its rows,
    // or the function that makes them one at a time).
    using ListRows = std::function<void(const std::function<bool(const QVariantList &row)> &row)>;
    static Producer fromLists(ListRows rows);

    // The fields of the table; any other table is unknown (DbError 3078).
    QStringList fieldNames(const QString &table) override;
    void stream(const ReportQuery &query, const Formula &selection, const RowTest &test, const RowSink &sink) override;
    void interrupt() override { m_stop = true; }
    QStringList letterhead() override;

private:
    QString m_table;
    QStringList m_fields;
    Producer m_producer;
    QString m_databasePath;
    std::atomic<bool> m_stop{false};
};

} // namespace report
