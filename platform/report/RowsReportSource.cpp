#include "RowsReportSource.h"

#include "DbReportSource.h"
#include "ReportQuery.h"
#include "db/DbError.h"

namespace report {

RowsReportSource::RowsReportSource(QString table, QStringList fields, Producer producer, QString databasePath)
    : m_table(std::move(table))
    , m_fields(std::move(fields))
    , m_producer(std::move(producer))
    , m_databasePath(std::move(databasePath))
{
}

RowsReportSource::Producer RowsReportSource::fromLists(ListRows rows)
{
    return [rows = std::move(rows)](const std::function<bool(ReportRow &&)> &row) {
        rows([&row](const QVariantList &cells) { return row(ReportRow(cells.begin(), cells.end())); });
    };
}

QStringList RowsReportSource::fieldNames(const QString &table)
{
    if (table.compare(m_table, Qt::CaseInsensitive) != 0)
        throw db::DbError(db::ErrorKind::UnknownName, 3078,
                          QStringLiteral("Impossibile trovare la tabella o la query di input '%1'. Verificare che "
                                         "esista e che il nome sia stato digitato correttamente.").arg(table));
    return m_fields;
}

void RowsReportSource::stream(const ReportQuery &query, const Formula &, const RowTest &test, const RowSink &sink)
{
    m_stop = false;
    // Each column the template reads, by its place among the fields.
    std::vector<int> places;
    for (const ReportQuery::Column &column : query.columns()) {
        int place = column.position;
        if (place < 0 || place >= m_fields.size() || m_fields.at(place).compare(column.field, Qt::CaseInsensitive) != 0)
            place = int(m_fields.indexOf(column.field));
        places.push_back(place);
    }
    m_producer([&](ReportRow &&made) {
        if (m_stop)
            return false;
        ReportRow row;
        row.reserve(places.size());
        for (const int place : places)
            row.push_back(place >= 0 && size_t(place) < made.size() ? made[size_t(place)] : QVariant());
        if (!test(row))
            return true;
        return sink(std::move(row));
    });
}

QStringList RowsReportSource::letterhead()
{
    if (m_databasePath.isEmpty())
        return {};
    try {
        DbReportSource shop(m_databasePath);
        return shop.letterhead();
    } catch (const db::DbError &) {
        return {};
    }
}

} // namespace report
