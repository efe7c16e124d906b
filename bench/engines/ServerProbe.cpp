#include "ServerProbe.h"

#include "db/DatabaseSettings.h"

#include "../common/BenchClock.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <cstdio>
#include <libpq-fe.h>
#include <vector>

namespace bench {

pg_conn *connectToServer(const QString &iniFolder, const QString &dbname, const char *applicationName)
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
    values.push_back(applicationName);
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    return PQconnectdbParams(keywords.data(), values.data(), 0);
}

ServerProbe::ServerProbe(const QString &iniFolder, const QString &dbname)
    : m_connection(connectToServer(iniFolder, dbname, "bench-probe"))
    , m_ok(PQstatus(m_connection) == CONNECTION_OK)
{
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

QString makeServerCopy(const QString &iniFolder, const QString &folder, QString *copyName)
{
    QSettings ini(QDir(iniFolder).filePath(QStringLiteral("tarvo.ini")), QSettings::IniFormat);
    const QString original = ini.value(QStringLiteral("database/dbname")).toString();
    *copyName = original + QStringLiteral("_bench");
    ServerProbe admin(iniFolder, QStringLiteral("postgres"));
    if (!admin.ok())
        return QStringLiteral("cannot connect: ") + admin.error();
    admin.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\"").arg(*copyName));
    const auto start = Clock::now();
    if (!admin.exec(QStringLiteral("CREATE DATABASE \"%1\" TEMPLATE \"%2\" STRATEGY FILE_COPY").arg(*copyName, original)))
        return QStringLiteral("cannot copy %1: %2").arg(original, admin.error());
    std::printf("server copy %s of %s made in %.1f s\n", qPrintable(*copyName), qPrintable(original),
                millis(Clock::now() - start) / 1000);
    QSettings copy(QDir(folder).filePath(QStringLiteral("tarvo.ini")), QSettings::IniFormat);
    for (const QString &key : ini.allKeys())
        copy.setValue(key, ini.value(key));
    copy.setValue(QStringLiteral("database/dbname"), *copyName);
    copy.sync();
    // The report's data source asks for the file even on a server shop.
    QFile placeholder(QDir(folder).filePath(QStringLiteral("tarvo.mdb")));
    placeholder.open(QIODevice::WriteOnly);
    return QString();
}

void dropServerCopy(const QString &iniFolder, const QString &copyName)
{
    ServerProbe admin(iniFolder, QStringLiteral("postgres"));
    admin.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(copyName));
}

} // namespace bench
