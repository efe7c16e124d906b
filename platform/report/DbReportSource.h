#pragma once

#include "ReportDataSource.h"
#include "db/LegacyLexer.h"

#include <memory>

namespace db { class Connection; }

namespace report {

// Reads a report's records from a database file on a connection of its own,
// so that a report can run on another thread than the windows' connection.
// The selection formula becomes the WHERE of the statement (SelectionSql)
// and rows are read one at a time: memory does not grow with the tables.
class DbReportSource : public ReportDataSource {
public:
    // Opens the file; throws db::DbError.
    explicit DbReportSource(const QString &path);
    ~DbReportSource() override;
    QStringList fieldNames(const QString &table) override;
    void stream(const ReportQuery &query, const Formula &selection, const RowTest &test,
                const RowSink &sink) override;
    void interrupt() override;
    // From the shop's fiscal identity (table Azienda), when it has a name:
    // name, address, CAP and town (province), partita IVA and codice
    // fiscale, telephone and e-mail.
    QStringList letterhead() override;
    QString shapeKey() const override;

    // The statement of the last stream as it ran, with its parameters.
    QString lastStatement() const { return m_lastStatement; }
    const std::vector<db::Literal> &lastParameters() const { return m_lastParameters; }
    // Whether the last stream's WHERE held the whole selection formula.
    bool lastSelectionComplete() const { return m_lastComplete; }

private:
    std::shared_ptr<db::Connection> m_connection;
    QString m_lastStatement;
    std::vector<db::Literal> m_lastParameters;
    bool m_lastComplete = true;
};

} // namespace report
