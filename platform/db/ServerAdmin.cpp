#include "ServerAdmin.h"

#include "db/DbError.h"
#include "ServerSession.h"

#include <libpq-fe.h>

namespace db {

namespace {

DbError failure(const QString &words)
{
    return DbError(ErrorKind::General, 3000, words);
}

QString libpqWords(pg_conn *connection)
{
    return QString::fromUtf8(PQerrorMessage(connection)).trimmed();
}

// The server's words on a statement it refused: what went wrong, its
// detail, and where (the row of a COPY).
QString wordsOf(const PGresult *result)
{
    const char *primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (!primary)
        return QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    QString text = QString::fromUtf8(primary);
    if (const char *detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        text += QStringLiteral(" (") + QString::fromUtf8(detail) + QLatin1Char(')');
    if (const char *context = PQresultErrorField(result, PG_DIAG_CONTEXT))
        text += QStringLiteral("; ") + QString::fromUtf8(context).trimmed();
    return text;
}

// The result of a statement that succeeded, or DbError with the server's
// words.
std::unique_ptr<PGresult, void (*)(PGresult *)> checked(pg_conn *connection, PGresult *result)
{
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const QString words = result ? wordsOf(result) : libpqWords(connection);
        PQclear(result);
        throw failure(words);
    }
    return {result, PQclear};
}

} // namespace

ServerAdmin::ServerAdmin(const QString &address, const char *applicationName)
    : m_applicationName(applicationName)
{
    const QByteArray conninfo = address.toUtf8();
    const char *keywords[] = {"dbname", "fallback_application_name", "client_encoding", nullptr};
    const char *values[] = {conninfo.constData(), applicationName, "UTF8", nullptr};
    pg_conn *connection = PQconnectdbParams(keywords, values, 1);
    if (PQstatus(connection) != CONNECTION_OK) {
        const QString words = libpqWords(connection);
        PQfinish(connection);
        throw DbError(ErrorKind::Io, 3051, words);
    }
    // No reconnection behind the tool's back: a transaction of its own
    // (BEGIN ... COMMIT) lost with the connection must fail, not go on
    // outside it on a new one.
    m_session = std::make_unique<ServerSession>(connection, "SET DateStyle = ISO, YMD; SET extra_float_digits = 3");
}

ServerAdmin::~ServerAdmin() = default;

QList<std::pair<QByteArray, QString>> ServerAdmin::addressOptions(const QString &address)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(address.toUtf8().constData(), &error);
    if (!options) {
        const QString words = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        throw failure(words);
    }
    QList<std::pair<QByteArray, QString>> out;
    for (PQconninfoOption *option = options; option->keyword; ++option)
        if (option->val)
            out.append({QByteArray(option->keyword), QString::fromUtf8(option->val)});
    PQconninfoFree(options);
    return out;
}

void ServerAdmin::run(const QString &sql)
{
    checked(m_session->handle(), PQexec(m_session->handle(), sql.toUtf8().constData()));
}

QList<QStringList> ServerAdmin::rows(const QString &sql)
{
    const auto result = checked(m_session->handle(), PQexec(m_session->handle(), sql.toUtf8().constData()));
    QList<QStringList> out;
    const int columns = PQnfields(result.get());
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        QStringList values;
        for (int column = 0; column < columns; ++column)
            values << (PQgetisnull(result.get(), row, column)
                           ? QString()
                           : QString::fromUtf8(PQgetvalue(result.get(), row, column),
                                               PQgetlength(result.get(), row, column)));
        out << values;
    }
    return out;
}

qint64 ServerAdmin::scalar(const QString &sql)
{
    const QList<QStringList> found = rows(sql);
    return found.isEmpty() || found.first().isEmpty() ? 0 : found.first().first().toLongLong();
}

void ServerAdmin::beginCopy(const QString &copySql)
{
    PGresult *result = PQexec(m_session->handle(), copySql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    const QString words = wordsOf(result);
    PQclear(result);
    if (status != PGRES_COPY_IN)
        throw failure(words);
}

void ServerAdmin::sendCopy(const QByteArray &data)
{
    if (PQputCopyData(m_session->handle(), data.constData(), int(data.size())) != 1)
        throw failure(libpqWords(m_session->handle()));
}

qint64 ServerAdmin::endCopy()
{
    pg_conn *connection = m_session->handle();
    if (PQputCopyEnd(connection, nullptr) != 1)
        throw failure(libpqWords(connection));
    QString words;
    qint64 rows = -1;
    while (PGresult *result = PQgetResult(connection)) {
        if (PQresultStatus(result) == PGRES_COMMAND_OK)
            rows = QByteArray(PQcmdTuples(result)).toLongLong();
        else if (words.isEmpty())
            words = wordsOf(result);
        PQclear(result);
    }
    if (!words.isEmpty())
        throw failure(words);
    return rows;
}

void ServerAdmin::abandonCopy()
{
    pg_conn *connection = m_session->handle();
    if (PQputCopyEnd(connection, (m_applicationName + ": copia interrotta").constData()) != 1)
        return;
    while (PGresult *result = PQgetResult(connection))
        PQclear(result);
}

} // namespace db
