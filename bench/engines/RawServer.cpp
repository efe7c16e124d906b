#include "RawServer.h"
#include "ServerProbe.h"


#include <libpq-fe.h>

namespace bench {

namespace {

std::vector<const char *> pointers(const std::vector<QByteArray> &values)
{
    std::vector<const char *> out;
    for (const QByteArray &v : values)
        out.push_back(v.isNull() ? nullptr : v.constData());
    return out;
}

// Every cell read, as a program showing them would.
size_t readCells(const PGresult *result, int row)
{
    size_t bytes = 0;
    for (int c = 0; c < PQnfields(result); ++c)
        if (!PQgetisnull(result, row, c))
            bytes += size_t(PQgetlength(result, row, c)) + (PQgetvalue(result, row, c)[0] != 0 ? 1 : 0);
    return bytes;
}

} // namespace

RawServer::RawServer(const QString &iniFolder, const QString &dbname)
{
    m_connection = bench::connectToServer(iniFolder, dbname, "bench-raw");
    m_ok = PQstatus(m_connection) == CONNECTION_OK
           && exec("SET DateStyle = ISO, YMD; SET extra_float_digits = 1; SET search_path = public, pg_catalog; "
                   "SET max_parallel_workers_per_gather = 0");
}

RawServer::~RawServer()
{
    PQfinish(m_connection);
}

QString RawServer::error() const
{
    return QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
}

bool RawServer::prepare(const char *name, const char *sql)
{
    PGresult *result = PQprepare(m_connection, name, sql, 0, nullptr);
    const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    return done;
}

int RawServer::run(const char *name, const std::vector<QByteArray> &values, std::vector<QByteArray> *first,
                   std::vector<QByteArray> *column)
{
    const std::vector<const char *> v = pointers(values);
    PGresult *result = PQexecPrepared(m_connection, name, int(v.size()), v.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    int rows = -1;
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
        rows = PQntuples(result);
        for (int r = 0; r < rows; ++r) {
            readCells(result, r);
            if (column)
                column->push_back(QByteArray(PQgetvalue(result, r, 0)));
        }
        if (first && rows > 0)
            for (int c = 0; c < PQnfields(result); ++c)
                first->push_back(PQgetisnull(result, 0, c) ? QByteArray() : QByteArray(PQgetvalue(result, 0, c)));
    }
    PQclear(result);
    return rows;
}

bool RawServer::exec(const char *sql)
{
    PGresult *result = PQexec(m_connection, sql);
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

qint64 RawServer::stream(const char *name, const std::vector<QByteArray> &values)
{
    const std::vector<const char *> v = pointers(values);
    if (!PQsendQueryPrepared(m_connection, name, int(v.size()), v.data(), nullptr, nullptr, 0)
        || !PQsetSingleRowMode(m_connection))
        return -1;
    qint64 rows = 0;
    bool failed = false;
    while (PGresult *result = PQgetResult(m_connection)) {
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_SINGLE_TUPLE) {
            readCells(result, 0);
            ++rows;
        } else if (status != PGRES_TUPLES_OK) {
            failed = true;
        }
        PQclear(result);
    }
    return failed ? -1 : rows;
}

} // namespace bench
