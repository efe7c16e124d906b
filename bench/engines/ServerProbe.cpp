#include "ServerProbe.h"

#include "db/DatabaseSettings.h"

#include <QDir>
#include <libpq-fe.h>
#include <vector>

namespace bench {

ServerProbe::ServerProbe(const QString &iniFolder, const QString &dbname)
{
    const db::DatabaseSettings settings =
        db::DatabaseSettings::beside(QDir(iniFolder).filePath(QStringLiteral("tarvo.mdb")));
    std::vector<const char *> keywords, values;
    const QByteArray name = dbname.toUtf8();
    for (size_t i = 0; i < settings.keywords().size(); ++i) {
        keywords.push_back(settings.keywords()[i].constData());
        values.push_back(settings.keywords()[i] == "dbname" ? name.constData() : settings.values()[i].constData());
    }
    keywords.push_back("application_name");
    values.push_back("bench-probe");
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_connection = PQconnectdbParams(keywords.data(), values.data(), 0);
    m_ok = PQstatus(m_connection) == CONNECTION_OK;
}

ServerProbe::~ServerProbe()
{
    PQfinish(m_connection);
}

QString ServerProbe::error() const
{
    return QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
}

bool ServerProbe::exec(const QString &sql)
{
    PGresult *result = PQexec(m_connection, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

ServerWork ServerProbe::total()
{
    PGresult *result = PQexec(m_connection,
                              "SELECT coalesce(sum(calls), 0), coalesce(sum(total_exec_time + total_plan_time), 0) "
                              "FROM pg_stat_statements WHERE dbid = (SELECT oid FROM pg_database "
                              "WHERE datname = current_database()) AND query NOT LIKE '%pg_stat_statements%'");
    ServerWork work;
    if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1) {
        work.statements = QByteArray(PQgetvalue(result, 0, 0)).toLongLong();
        work.ms = QByteArray(PQgetvalue(result, 0, 1)).toDouble();
    }
    PQclear(result);
    return work;
}

} // namespace bench
