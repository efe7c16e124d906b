#pragma once

#include "Statement.h"

#include <QByteArray>
#include <vector>

struct pg_conn;
struct pg_result;

namespace db {

class SchemaCatalog;

// A statement prepared on the PostgreSQL server, run with its values as
// text; the whole result comes back at the first step and is read from
// memory. Deallocated on the server with the object.
class ServerStatement final : public Statement {
public:
    // `sql`: the statement as it runs on SQLite ("?" parameters); it is
    // rewritten for the server here. Throws DbError naming `source`.
    ServerStatement(pg_conn *connection, const SchemaCatalog &catalog, const QString &sql, const QString &source);
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
    bool busy() const override { return m_result != nullptr; }

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
    const pg_result *shape() const;

    pg_conn *m_connection;
    const SchemaCatalog &m_catalog;
    QByteArray m_name;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    pg_result *m_result = nullptr;
    mutable pg_result *m_description = nullptr;
    int m_row = -1;
    int m_rows = 0;
    qint64 m_changes = 0;
    qint64 m_lastInsertId = 0;
};

} // namespace db
