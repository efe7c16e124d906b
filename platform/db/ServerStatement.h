#pragma once

#include "Statement.h"

#include <QByteArray>
#include <vector>

struct pg_conn;
struct pg_result;

namespace db {

class SchemaCatalog;
class ServerSession;

// A statement prepared on the PostgreSQL server, run with its values as
// text; the whole result comes back at the first step and is read from
// memory, or, after readRowByRow(), one row at a time as the server sends
// it (libpq's single-row mode), so that a long report never holds its
// whole result. Deallocated on the server with the object. Prepared again
// on a new connection when the session had to make one; a read the lost
// connection broke before its first row runs again on the new one, a
// change never does.
class ServerStatement final : public Statement {
public:
    // `sql`: the statement as it runs on SQLite ("?" parameters); it is
    // rewritten for the server here. Throws DbError naming `source`.
    ServerStatement(ServerSession &session, const SchemaCatalog &catalog, const QString &sql, const QString &source);
    ~ServerStatement() override;
    ServerStatement(const ServerStatement &) = delete;
    ServerStatement &operator=(const ServerStatement &) = delete;

    void bindNull(int parameter) override;
    void bindInteger(int parameter, qint64 value) override;
    void bindReal(int parameter, double value) override;
    void bindText(int parameter, const char *utf8, int bytes) override;
    using Statement::bindText;

    bool step(const QString &source) override;
    void reset() override;
    bool busy() const override { return m_running; }
    void readRowByRow() override { m_rowByRow = true; }
    // The session needs the connection while rows are still coming: the
    // rest of them are read now and kept, and stepped through as before.
    void holdRest();

    int columnCount() const override;
    int columnType(int column) const override;
    qint64 columnInteger(int column) const override;
    double columnReal(int column) const override;
    const char *columnText(int column) const override;
    int columnBytes(int column) const override;

    qint64 changes() const override { return m_changes; }
    qint64 lastInsertId() const override { return m_lastInsertId; }

    QString columnName(int column) const override;
    bool columnOrigin(int column, QString *table, QString *origin) const override;
    QString declaredType(int column) const override;

private:
    void execute(const QString &source);
    pg_result *run() const;
    bool send() const;
    void startStream(const QString &source);
    bool nextStreamedRow(const QString &source);
    pg_result *nextStreamedResult();
    // The result of the rows is over (its end or its failure came): what
    // is left of it on the connection is read and dropped.
    void endStream();
    const pg_result *shape() const;
    // Prepared on the session's connection as it is now (connected anew if
    // it was found lost); `prepare` prepares it there in any case.
    void ensurePrepared(const QString &source) const;
    void prepare(const QString &source) const;

    ServerSession &m_session;
    const SchemaCatalog &m_catalog;
    QByteArray m_text;
    bool m_reads = false;
    QByteArray m_name;
    mutable quint64 m_generation = 0;   // of the connection it is prepared on
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    pg_result *m_result = nullptr;   // the whole result, or the row read last
    bool m_running = false;          // stepped and not reset yet
    bool m_rowByRow = false;         // asked for this run
    bool m_streamed = false;         // this run reads row by row
    bool m_streaming = false;        // rows of this run still on the connection
    bool m_ended = false;            // this run's rows are all read
    bool m_rowGiven = false;         // this run gave a row already
    std::vector<pg_result *> m_held; // rows read ahead by holdRest(), in order
    size_t m_nextHeld = 0;
    mutable pg_result *m_description = nullptr;
    int m_row = -1;
    int m_rows = 0;
    qint64 m_changes = 0;
    qint64 m_lastInsertId = 0;
};

} // namespace db
