#include "ServerStatement.h"

#include "EngineErrors.h"
#include "SchemaCatalog.h"
#include "ServerSession.h"
#include "ServerSql.h"

#include <libpq-fe.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace db {

namespace {

// The server's type numbers (pg_type.oid) the engine reads.
enum : unsigned {
    boolType = 16, byteaType = 17, int8Type = 20, int2Type = 21, int4Type = 23, oidType = 26,
    float4Type = 700, float8Type = 701, dateType = 1082, timestampType = 1114, timestamptzType = 1184,
    numericType = 1700
};

std::atomic<quint64> nextName{1};

} // namespace

ServerStatement::ServerStatement(ServerSession &session, const SchemaCatalog &catalog, const QString &sql,
                                 const QString &source)
    : m_session(session), m_catalog(catalog)
{
    int parameters = 0;
    m_text = serverSql(sql, &catalog, &parameters).toUtf8();
    m_reads = m_text.trimmed().left(7).toLower().startsWith("select");
    m_name = "tarvo_" + QByteArray::number(nextName++);
    m_values.resize(size_t(parameters));
    m_null.assign(size_t(parameters), true);
    ensurePrepared(source);
}

ServerStatement::~ServerStatement()
{
    reset();
    PQclear(m_description);
    m_session.settle();
    pg_conn *connection = m_session.handle();
    if (m_generation == m_session.generation() && PQstatus(connection) == CONNECTION_OK
        && PQtransactionStatus(connection) != PQTRANS_INERROR)
        PQclear(PQexec(connection, ("DEALLOCATE " + m_name).constData()));
}

void ServerStatement::ensurePrepared(const QString &source) const
{
    if (m_reads)
        m_session.readyToRead();
    else
        m_session.ready();
    if (m_generation != m_session.generation())
        prepare(source);
}

void ServerStatement::prepare(const QString &source) const
{
    PQclear(m_description);
    m_description = nullptr;
    PGresult *prepared = PQprepare(m_session.handle(), m_name.constData(), m_text.constData(), 0, nullptr);
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK && m_session.lost() && !m_session.inTransaction()) {
        PQclear(prepared);
        m_session.reconnect();
        prepared = PQprepare(m_session.handle(), m_name.constData(), m_text.constData(), 0, nullptr);
    }
    if (PQresultStatus(prepared) != PGRES_COMMAND_OK) {
        const DbError error = errors::fromServer(m_session.handle(), prepared, source);
        PQclear(prepared);
        throw error;
    }
    PQclear(prepared);
    m_generation = m_session.generation();
}

pg_result *ServerStatement::run() const
{
    std::vector<const char *> values(m_values.size());
    for (size_t i = 0; i < m_values.size(); ++i)
        values[i] = m_null[i] ? nullptr : m_values[i].constData();
    return PQexecPrepared(m_session.handle(), m_name.constData(), int(values.size()), values.data(), nullptr,
                          nullptr, 0);
}

bool ServerStatement::send() const
{
    std::vector<const char *> values(m_values.size());
    for (size_t i = 0; i < m_values.size(); ++i)
        values[i] = m_null[i] ? nullptr : m_values[i].constData();
    return PQsendQueryPrepared(m_session.handle(), m_name.constData(), int(values.size()), values.data(), nullptr,
                               nullptr, 0)
           && PQsetSingleRowMode(m_session.handle());
}

void ServerStatement::startStream(const QString &source)
{
    ensurePrepared(source);
    bool sent = send();
    if (!sent && m_session.lost() && !m_session.inTransaction()) {
        m_session.reconnect();
        prepare(source);
        sent = send();
    }
    if (!sent) {
        // Nothing is under way: whatever libpq began is read and dropped.
        while (pg_result *rest = PQgetResult(m_session.handle()))
            PQclear(rest);
        throw errors::fromServer(m_session.handle(), nullptr, source);
    }
    m_streamed = true;
    m_streaming = true;
    m_session.streaming(this);
    m_rows = 0;
    m_row = -1;
    m_changes = 0;
}

pg_result *ServerStatement::nextStreamedResult()
{
    if (m_nextHeld < m_held.size()) {
        pg_result *result = m_held[m_nextHeld];
        m_held[m_nextHeld++] = nullptr;
        return result;
    }
    if (!m_streaming)
        return nullptr;
    pg_result *result = PQgetResult(m_session.handle());
    if (!result)
        endStream();
    return result;
}

void ServerStatement::endStream()
{
    if (m_streaming) {
        while (pg_result *rest = PQgetResult(m_session.handle()))
            PQclear(rest);
        m_streaming = false;
        m_session.streamEnded(this);
    }
    for (size_t i = m_nextHeld; i < m_held.size(); ++i)
        PQclear(m_held[i]);
    m_held.clear();
    m_nextHeld = 0;
}

void ServerStatement::holdRest()
{
    // Only the rows still on the connection: those held already stay.
    while (m_streaming) {
        pg_result *result = PQgetResult(m_session.handle());
        if (!result) {
            m_streaming = false;
            break;
        }
        m_held.push_back(result);
    }
    m_session.streamEnded(this);
}

bool ServerStatement::nextStreamedRow(const QString &source)
{
    if (m_ended)
        return false;
    PQclear(m_result);
    m_result = nullptr;
    pg_result *result = nextStreamedResult();
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_SINGLE_TUPLE) {
        m_result = result;
        m_row = 0;
        m_rows = 1;
        m_rowGiven = true;
        return true;
    }
    endStream();
    m_ended = true;
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
        m_result = result;   // no rows, the columns' shape
        m_row = 0;
        m_rows = 0;
        return false;
    }
    if (!m_rowGiven && m_session.lost() && !m_session.inTransaction()) {
        // The connection went before the first row: nothing was read yet,
        // the read runs again on a new one.
        PQclear(result);
        m_ended = false;
        m_session.reconnect();
        prepare(source);
        if (send()) {
            m_streaming = true;
            m_session.streaming(this);
            m_rowGiven = true;   // it runs again once only
            return nextStreamedRow(source);
        }
        result = nullptr;
        m_ended = true;
    }
    // Rows already given are not the whole result: the failure is told,
    // never an end.
    const DbError error = result ? errors::fromServer(m_session.handle(), result, source)
                                 : errors::serverUnreachable(m_session.handle());
    PQclear(result);
    throw error;
}

void ServerStatement::bindNull(int parameter)
{
    if (parameter >= 1 && size_t(parameter) <= m_values.size())
        m_null[size_t(parameter - 1)] = true;
}

void ServerStatement::bindInteger(int parameter, qint64 value)
{
    if (parameter < 1 || size_t(parameter) > m_values.size())
        return;
    m_values[size_t(parameter - 1)] = QByteArray::number(value);
    m_null[size_t(parameter - 1)] = false;
}

void ServerStatement::bindReal(int parameter, double value)
{
    if (parameter < 1 || size_t(parameter) > m_values.size())
        return;
    m_values[size_t(parameter - 1)] = QByteArray::number(value, 'g', 17);
    m_null[size_t(parameter - 1)] = false;
}

void ServerStatement::bindText(int parameter, const char *utf8, int bytes)
{
    if (parameter < 1 || size_t(parameter) > m_values.size())
        return;
    m_values[size_t(parameter - 1)] = QByteArray(utf8, bytes);
    m_null[size_t(parameter - 1)] = false;
}

void ServerStatement::execute(const QString &source)
{
    ensurePrepared(source);
    m_result = run();
    const auto failed = [this] {
        const ExecStatusType status = PQresultStatus(m_result);
        return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
    };
    if (failed() && m_reads && m_session.lost() && !m_session.inTransaction()) {
        // The connection went under a read, which changed nothing: it runs
        // again on a new one.
        PQclear(m_result);
        m_result = nullptr;
        m_session.reconnect();
        prepare(source);
        m_result = run();
    }
    if (failed()) {
        // A change sent on its own may have been done before the connection
        // went: it is never sent again unasked.
        const bool unknown = !m_reads && m_session.lost() && !m_session.inTransaction();
        const DbError error = unknown ? errors::serverOutcomeUnknown(m_session.handle())
                                      : errors::fromServer(m_session.handle(), m_result, source);
        PQclear(m_result);
        m_result = nullptr;
        throw error;
    }
    const ExecStatusType status = PQresultStatus(m_result);
    m_rows = PQntuples(m_result);
    m_row = -1;
    m_changes = std::strtoll(PQcmdTuples(m_result), nullptr, 10);
    // An insert tells its new row's key through "RETURNING key".
    if (status == PGRES_TUPLES_OK && m_rows == 1 && std::strncmp(PQcmdStatus(m_result), "INSERT", 6) == 0)
        m_lastInsertId = std::strtoll(PQgetvalue(m_result, 0, 0), nullptr, 10);
}

bool ServerStatement::step(const QString &source)
{
    if (!m_running) {
        if (m_rowByRow && m_reads) {
            startStream(source);
            m_running = true;
        } else {
            execute(source);
            m_running = true;
        }
    }
    if (m_streamed)
        return nextStreamedRow(source);
    if (m_row < m_rows)
        ++m_row;
    return m_row < m_rows;
}

void ServerStatement::reset()
{
    // Rows not read are read and dropped: the connection is free again.
    endStream();
    PQclear(m_result);
    m_result = nullptr;
    m_row = -1;
    m_rows = 0;
    m_running = m_rowByRow = m_streamed = m_ended = m_rowGiven = false;
}

const pg_result *ServerStatement::shape() const
{
    if (m_result)
        return m_result;
    if (!m_description) {
        const QString source = QString::fromUtf8(m_text);
        ensurePrepared(source);
        m_description = PQdescribePrepared(m_session.handle(), m_name.constData());
        if (PQresultStatus(m_description) != PGRES_COMMAND_OK) {
            const DbError error = errors::fromServer(m_session.handle(), m_description, source);
            PQclear(m_description);
            m_description = nullptr;
            throw error;
        }
    }
    return m_description;
}

int ServerStatement::columnCount() const
{
    return PQnfields(shape());
}

int ServerStatement::columnType(int column) const
{
    if (!m_result || m_row < 0 || m_row >= m_rows || PQgetisnull(m_result, m_row, column))
        return NullValue;
    switch (PQftype(m_result, column)) {
    case boolType:
    case int2Type:
    case int4Type:
    case int8Type:
    case oidType:
        return IntegerValue;
    case float4Type:
    case float8Type:
        return FloatValue;
    case numericType:
        // A sum or an average of whole numbers: whole results read as SQLite
        // gives them, integers.
        return std::strpbrk(PQgetvalue(m_result, m_row, column), ".eEN") ? FloatValue : IntegerValue;
    case byteaType:
        return BlobValue;
    default:
        return TextValue;
    }
}

qint64 ServerStatement::columnInteger(int column) const
{
    if (columnType(column) == NullValue)
        return 0;
    const char *text = PQgetvalue(m_result, m_row, column);
    if (PQftype(m_result, column) == boolType)
        return text[0] == 't' ? 1 : 0;
    if (columnType(column) == FloatValue)
        return qint64(std::strtod(text, nullptr));
    return std::strtoll(text, nullptr, 10);
}

double ServerStatement::columnReal(int column) const
{
    if (columnType(column) == NullValue)
        return 0.0;
    if (PQftype(m_result, column) == boolType)
        return double(columnInteger(column));
    return std::strtod(PQgetvalue(m_result, m_row, column), nullptr);
}

const char *ServerStatement::columnText(int column) const
{
    if (columnType(column) == NullValue)
        return nullptr;
    if (PQftype(m_result, column) == boolType)
        return columnInteger(column) ? "1" : "0";
    return PQgetvalue(m_result, m_row, column);
}

int ServerStatement::columnBytes(int column) const
{
    if (columnType(column) == NullValue)
        return 0;
    const unsigned type = PQftype(m_result, column);
    if (type == boolType)
        return 1;
    const int length = PQgetlength(m_result, m_row, column);
    // Dates read as SQLite keeps them: "yyyy-mm-dd" for a day, seconds at
    // most for a moment.
    if (type == timestampType || type == timestamptzType) {
        const char *text = PQgetvalue(m_result, m_row, column);
        if (length >= 19 && std::strncmp(text + 10, " 00:00:00", 9) == 0 && (length == 19 || text[19] != '.'))
            return 10;
        return std::min(length, 19);
    }
    return length;
}

QString ServerStatement::columnName(int column) const
{
    return QString::fromUtf8(PQfname(shape(), column));
}

bool ServerStatement::columnOrigin(int column, QString *table, QString *origin) const
{
    const pg_result *result = shape();
    const unsigned tableOid = PQftable(result, column);
    const int number = PQftablecol(result, column);
    return tableOid != 0 && number > 0 && m_catalog.serverOrigin(tableOid, number, table, origin);
}

QString ServerStatement::declaredType(int) const
{
    // As on SQLite, a computed column declares no type: its values read by
    // what each one holds.
    return QString();
}

} // namespace db
