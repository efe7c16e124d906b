#include "PgConnection.h"

#include "MigraError.h"

#include <libpq-fe.h>

namespace migra {

namespace {

QString errorOf(const PGresult *result)
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

} // namespace

PgConnection::PgConnection(const QString &address)
{
    const QByteArray conninfo = address.toUtf8();
    const char *keywords[] = {"dbname", "fallback_application_name", "client_encoding", nullptr};
    const char *values[] = {conninfo.constData(), "tarvo-migra", "UTF8", nullptr};
    m_connection = PQconnectdbParams(keywords, values, 1);
    if (PQstatus(m_connection) != CONNECTION_OK) {
        const QString error = lastError();
        PQfinish(m_connection);
        throw MigraError(QStringLiteral("Collegamento al server non riuscito: %1").arg(error));
    }
    exec(QStringLiteral("SET DateStyle = ISO, YMD; SET extra_float_digits = 3"));
}

PgConnection::~PgConnection()
{
    PQfinish(m_connection);
}

QString PgConnection::lastError() const
{
    return QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
}

PgResult PgConnection::exec(const QString &sql)
{
    return checked(PQexec(m_connection, sql.toUtf8().constData()));
}

PgResult PgConnection::exec(const QString &sql, const QStringList &parameters)
{
    QList<QByteArray> texts;
    QList<const char *> values;
    texts.reserve(parameters.size());
    for (const QString &parameter : parameters)
        texts.append(parameter.toUtf8());
    for (qsizetype i = 0; i < parameters.size(); ++i)
        values.append(parameters.at(i).isNull() ? nullptr : texts.at(i).constData());
    return checked(PQexecParams(m_connection, sql.toUtf8().constData(), int(values.size()), nullptr,
                                values.constData(), nullptr, nullptr, 0));
}

PgResult PgConnection::checked(PGresult *result)
{
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const QString error = result ? errorOf(result) : lastError();
        PQclear(result);
        throw MigraError(error);
    }
    return PgResult(result);
}

qint64 PgConnection::scalar(const QString &sql)
{
    const PgResult result = exec(sql);
    return result.rows() > 0 && result.columns() > 0 ? result.integer(0, 0) : 0;
}

QString PgConnection::quotedIdentifier(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString PgConnection::quotedLiteral(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

} // namespace migra
