#include "ServerSession.h"

#include "EngineErrors.h"
#include "ServerStatement.h"

#include <QThread>
#include <libpq-fe.h>
#include <poll.h>

namespace db {

namespace {

// What the server says between statements reaches the program as a notice:
// its last words before it ends the connection (a restart, an
// administrator) mark the connection as ending, before libpq sees it close.
void noticeFromServer(void *session, const PGresult *notice)
{
    const char *severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (severity && (qstrcmp(severity, "FATAL") == 0 || qstrcmp(severity, "PANIC") == 0))
        static_cast<ServerSession *>(session)->serverIsEnding(
            QString::fromUtf8(PQresultErrorField(notice, PG_DIAG_MESSAGE_PRIMARY)).simplified());
}

} // namespace

// Dates as ISO text, numbers to the last digit; the program's own "like"
// (in public) before the system's. No parallel workers: a till's
// statements are short, and starting workers costs more than they save (the
// day's sales listed in 60 ms instead of 105 ms with them, measured on the
// large shop); on a shop's small server they would take the other tills'
// processors.
ServerSession::ServerSession(pg_conn *connected)
    : ServerSession(connected, "SET DateStyle = ISO, YMD; SET extra_float_digits = 1; "
                               "SET search_path = public, pg_catalog; SET lock_timeout = '5s'; "
                               "SET max_parallel_workers_per_gather = 0")
{
}

ServerSession::ServerSession(pg_conn *connected, QByteArray setUpSql)
    : m_connection(connected), m_setUpSql(std::move(setUpSql))
{
    PQsetNoticeReceiver(m_connection, noticeFromServer, this);
    try {
        setUp();
    } catch (...) {
        PQfinish(m_connection);
        throw;
    }
}

ServerSession::~ServerSession()
{
    settle();
    PQfinish(m_connection);
}

void ServerSession::setUp()
{
    PGresult *result = PQexec(m_connection, m_setUpSql.constData());
    if (PQresultStatus(result) != PGRES_COMMAND_OK) {
        const DbError error = errors::fromServer(m_connection, result, QStringLiteral("SET"));
        PQclear(result);
        throw error;
    }
    PQclear(result);
}

// Between two statements the server has nothing to say but that it is
// ending the connection: whatever it sent is read, and libpq learns from it,
// or from the socket closed after it, that the connection is lost.
void ServerSession::readPendingInput()
{
    pollfd socket{PQsocket(m_connection), POLLIN, 0};
    while (!lost() && ::poll(&socket, 1, 0) > 0) {
        if (!PQconsumeInput(m_connection))
            break;
        PQisBusy(m_connection);   // reads the messages that came: their notices arrive
    }
}

bool ServerSession::lost() const
{
    return m_ending || PQstatus(m_connection) != CONNECTION_OK;
}

void ServerSession::settle()
{
    if (ServerStatement *statement = m_streaming) {
        m_streaming = nullptr;
        statement->holdRest();
    }
}

void ServerSession::ready()
{
    settle();
    readPendingInput();
    if (!lost())
        return;
    if (m_transactionOpen)
        throw unreachable();
    reconnect();
}

void ServerSession::readyToRead()
{
    settle();
    if (!lost())
        return;
    if (m_transactionOpen)
        throw unreachable();
    reconnect();
}

DbError ServerSession::unreachable() const
{
    const DbError error = errors::serverUnreachable(m_connection);
    if (!error.detail().isEmpty() || m_lastWords.isEmpty())
        return error;
    return DbError(error.kind(), error.number(), error.description(), m_lastWords);
}

void ServerSession::reconnect()
{
    settle();
    m_transactionOpen = false;
    m_ending = false;
    m_lastWords.clear();
    PQreset(m_connection);
    if (lost())
        throw errors::serverUnreachable(m_connection);
    ++m_generation;
    setUp();
}

void ServerSession::begin()
{
    ready();
    // The transaction's number, to ask after a commit whose answer is lost.
    const char *sql = "begin; select txid_current()";
    PGresult *result = PQexec(m_connection, sql);
    if (PQresultStatus(result) != PGRES_TUPLES_OK && lost()) {
        // Nothing was written yet: beginning again on a new connection is safe.
        PQclear(result);
        reconnect();
        result = PQexec(m_connection, sql);
    }
    if (PQresultStatus(result) != PGRES_TUPLES_OK) {
        const DbError error = errors::fromServer(m_connection, result, QStringLiteral("begin"));
        PQclear(result);
        if (!lost() && PQtransactionStatus(m_connection) != PQTRANS_IDLE)
            PQclear(PQexec(m_connection, "rollback"));
        throw error;
    }
    m_transactionId = PQgetvalue(result, 0, 0);
    m_transactionOpen = true;
    PQclear(result);
}

void ServerSession::commit()
{
    ready();
    PGresult *result = PQexec(m_connection, "commit");
    const bool committed = PQresultStatus(result) == PGRES_COMMAND_OK;
    m_transactionOpen = false;
    if (committed) {
        PQclear(result);
        return;
    }
    if (!lost()) {
        const DbError error = errors::fromServer(m_connection, result, QStringLiteral("commit"));
        PQclear(result);
        throw error;
    }
    PQclear(result);
    // libpq's words on the lost connection, before a new one replaces them.
    const DbError rolledBack = errors::serverUnreachable(m_connection);
    const DbError unknown = errors::serverOutcomeUnknown(m_connection);
    switch (outcomeOfLostCommit()) {
    case Outcome::Committed:
        return;
    case Outcome::RolledBack:
        throw rolledBack;
    case Outcome::Unknown:
        throw unknown;
    }
}

ServerSession::Outcome ServerSession::outcomeOfLostCommit()
{
    if (m_transactionId.isEmpty())
        return Outcome::Unknown;
    try {
        reconnect();
    } catch (const DbError &) {
        return Outcome::Unknown;
    }
    const char *values[] = {m_transactionId.constData()};
    // The server ends a transaction whose connection it saw go (rolled
    // back, or committed when the commit had reached it): "in progress"
    // means it has not seen it yet.
    for (int attempt = 0; attempt < 40; ++attempt) {
        PGresult *result = PQexecParams(m_connection, "SELECT txid_status($1::bigint)", 1, nullptr, values,
                                        nullptr, nullptr, 0);
        const QByteArray status = PQresultStatus(result) == PGRES_TUPLES_OK && !PQgetisnull(result, 0, 0)
                                      ? QByteArray(PQgetvalue(result, 0, 0)) : QByteArray();
        PQclear(result);
        if (status == "committed")
            return Outcome::Committed;
        if (status == "aborted")
            return Outcome::RolledBack;
        if (status != "in progress")
            return Outcome::Unknown;
        QThread::msleep(50);
    }
    return Outcome::Unknown;
}

} // namespace db
