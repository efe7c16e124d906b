#include "DatabaseSettings.h"

#include "db/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace db {

int DatabaseSettings::backupsToKeep(const QString &databasePath)
{
    const QSettings ini(QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("tarvo.ini")),
                        QSettings::IniFormat);
    const int keep = ini.value(QStringLiteral("backup/giorni"), 30).toInt();
    return keep > 0 ? keep : 30;
}

DatabaseSettings DatabaseSettings::beside(const QString &databasePath)
{
    DatabaseSettings out;
    const QString file = QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("tarvo.ini"));
    if (!QFileInfo::exists(file))
        return out;
    QSettings ini(file, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("database"));
    const QString driver = ini.value(QStringLiteral("driver"), QStringLiteral("sqlite")).toString().trimmed().toLower();
    if (driver == QLatin1String("sqlite"))
        return out;
    if (driver != QLatin1String("postgresql"))
        throw DbError(ErrorKind::General, 3170,
                      QStringLiteral("Il file %1 indica un tipo di database sconosciuto: '%2' "
                                     "(ammessi: sqlite, postgresql).")
                          .arg(QDir::toNativeSeparators(file), driver));
    if (ini.contains(QStringLiteral("password")))
        throw DbError(ErrorKind::General, 3170,
                      QStringLiteral("Il file %1 contiene una password: toglierla e scriverla nel file "
                                     "~/.pgpass, leggibile solo dall'utente.")
                          .arg(QDir::toNativeSeparators(file)));
    out.m_server = true;
    for (const char *key : {"host", "port", "dbname", "user"}) {
        const QString value = ini.value(QString::fromLatin1(key)).toString().trimmed();
        if (value.isEmpty())
            continue;
        out.m_keywords.push_back(key);
        out.m_values.push_back(value.toUtf8());
    }
    out.m_keywords.push_back("application_name");
    out.m_values.push_back("quirnel");
    out.m_keywords.push_back("client_encoding");
    out.m_values.push_back("UTF8");
    return out;
}

QString DatabaseSettings::identity() const
{
    QString text = QStringLiteral("postgresql:");
    for (size_t i = 0; i < m_keywords.size(); ++i)
        text += QString::fromUtf8(m_keywords[i]) + QLatin1Char('=') + QString::fromUtf8(m_values[i]) + QLatin1Char(' ');
    return text;
}

} // namespace db
