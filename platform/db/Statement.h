#pragma once

#include <QString>
#include <QtGlobal>

struct sqlite3_stmt;

namespace db {

// What a column of a row holds; the numbers are SQLite's own type codes.
enum ValueType { IntegerValue = 1, FloatValue = 2, TextValue = 3, BlobValue = 4, NullValue = 5 };

// One prepared statement of a connection, whichever engine runs it: bind
// the parameters (numbered from 1), step through the rows, reset. A
// statement comes from its connection's cache and is reused; nothing binds
// or steps it while another use of it is still reading.
class Statement {
public:
    virtual ~Statement() = default;

    virtual void bindNull(int parameter) = 0;
    virtual void bindInteger(int parameter, qint64 value) = 0;
    virtual void bindReal(int parameter, double value) = 0;
    virtual void bindText(int parameter, const char *utf8, int bytes) = 0;
    void bindText(int parameter, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        bindText(parameter, utf8.constData(), int(utf8.size()));
    }

    // Runs to the next row: true on a row, false at the end. A failure
    // throws DbError, its text naming `source` (the statement as written).
    virtual bool step(const QString &source) = 0;
    // Ready to run again with other values (the last ones stay bound);
    // the next run reads its result whole again.
    virtual void reset() = 0;
    // The next run reads its rows as they come, without holding the whole
    // result (a long report): SQLite always does; the server is asked for
    // one row at a time instead of the whole result at the first step.
    virtual void readRowByRow() {}
    // Stepped and not reset yet.
    virtual bool busy() const = 0;

    virtual int columnCount() const = 0;
    virtual int columnType(int column) const = 0;
    virtual qint64 columnInteger(int column) const = 0;
    virtual double columnReal(int column) const = 0;
    // UTF-8 text, null for Null; valid until the next step or reset.
    virtual const char *columnText(int column) const = 0;
    virtual int columnBytes(int column) const = 0;
    QString columnString(int column) const
    {
        const char *text = columnText(column);
        return text ? QString::fromUtf8(text, columnBytes(column)) : QString();
    }

    // Rows the last write touched; the row key the last insert gave.
    virtual qint64 changes() const = 0;
    virtual qint64 lastInsertId() const = 0;

    // The shape of the result: column names, and where a column comes
    // straight from a table, the table and column it reads (schema
    // spelling as the engine reports it); otherwise the declared type of
    // the expression when it has one.
    virtual QString columnName(int column) const = 0;
    virtual bool columnOrigin(int column, QString *table, QString *origin) const = 0;
    virtual QString declaredType(int column) const = 0;

    // The SQLite statement underneath, for the few hot paths that read it
    // directly; null on the server.
    virtual sqlite3_stmt *sqlite() const { return nullptr; }
};

// Resets a statement when the scope ends, whatever happened in it.
class StatementUse {
public:
    explicit StatementUse(Statement *statement) : m_statement(statement) {}
    ~StatementUse() { m_statement->reset(); }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;
private:
    Statement *m_statement;
};

} // namespace db
