#pragma once

#include "Statement.h"

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// A statement prepared by SQLite; finalized with the object.
class SqliteStatement final : public Statement {
public:
    SqliteStatement(sqlite3 *handle, sqlite3_stmt *statement) : m_handle(handle), m_statement(statement) {}
    ~SqliteStatement() override;
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Throws DbError naming `source` when SQLite refuses the text.
    static SqliteStatement *prepare(sqlite3 *handle, const QString &sql, const QString &source, bool persistent);

    void bindNull(int parameter) override;
    void bindInteger(int parameter, qint64 value) override;
    void bindReal(int parameter, double value) override;
    void bindText(int parameter, const char *utf8, int bytes) override;
    using Statement::bindText;

    bool step(const QString &source) override;
    void reset() override;
    bool busy() const override;

    int columnCount() const override;
    int columnType(int column) const override;
    qint64 columnInteger(int column) const override;
    double columnReal(int column) const override;
    const char *columnText(int column) const override;
    int columnBytes(int column) const override;

    qint64 changes() const override;
    qint64 lastInsertId() const override;

    QString columnName(int column) const override;
    bool columnOrigin(int column, QString *table, QString *origin) const override;
    QString declaredType(int column) const override;

    sqlite3_stmt *sqlite() const override { return m_statement; }

private:
    sqlite3 *m_handle;
    sqlite3_stmt *m_statement;
};

} // namespace db
