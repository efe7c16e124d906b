#include "ComponentRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace lodder {

namespace {

QString normalizedId(const QString &classId)
{
    return classId.trimmed().toUpper();
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString ComponentRegistry::defaultLocation()
{
    const QString fromEnvironment = qEnvironmentVariable("TARVO_REGISTRY");
    if (!fromEnvironment.trimmed().isEmpty())
        return fromEnvironment;
    return QDir::homePath() + QStringLiteral("/.config/tarvo/components.reg");
}

ComponentRegistry::ComponentRegistry(QString file)
    : m_file(std::move(file))
{
}

QString ComponentRegistry::libraryFor(const QString &classId) const
{
    QMap<QString, QString> entries;
    if (!read(entries, nullptr))
        return {};
    return entries.value(normalizedId(classId));
}

bool ComponentRegistry::registerClass(const QString &classId, const QString &libraryPath, QString *error)
{
    if (normalizedId(classId).isEmpty() || libraryPath.trimmed().isEmpty()) {
        setError(error, QStringLiteral("Identificatore di classe o percorso della libreria mancante."));
        return false;
    }
    QMap<QString, QString> entries;
    if (!read(entries, error))
        return false;
    entries.insert(normalizedId(classId), libraryPath);
    return write(entries, error);
}

bool ComponentRegistry::unregisterClass(const QString &classId, QString *error)
{
    QMap<QString, QString> entries;
    if (!read(entries, error))
        return false;
    if (entries.remove(normalizedId(classId)) == 0)
        return true;
    return write(entries, error);
}

bool ComponentRegistry::read(QMap<QString, QString> &entries, QString *error) const
{
    QFile file(m_file);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        setError(error, QStringLiteral("Impossibile leggere il registro dei componenti %1: %2")
                            .arg(m_file, file.errorString()));
        return false;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        entries.insert(normalizedId(line.left(equals)), line.mid(equals + 1).trimmed());
    }
    return true;
}

bool ComponentRegistry::write(const QMap<QString, QString> &entries, QString *error) const
{
    const QString folder = QFileInfo(m_file).absolutePath();
    if (!QDir().mkpath(folder)) {
        setError(error, QStringLiteral("Impossibile creare la cartella del registro dei componenti %1").arg(folder));
        return false;
    }
    // Written whole and renamed into place, so a crash never leaves half a
    // registry behind.
    QSaveFile file(m_file);
    // Unbuffered: commit() does not look at how a last flush of the device's
    // buffer went, and a full disk would leave a cut registry in place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Unbuffered)) {
        setError(error, QStringLiteral("Impossibile scrivere il registro dei componenti %1: %2")
                            .arg(m_file, file.errorString()));
        return false;
    }
    QTextStream out(&file);
    out << "# Tarvo component registry: {class id}=library\n";
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        out << it.key() << '=' << it.value() << '\n';
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        setError(error, QStringLiteral("Impossibile scrivere il registro dei componenti %1: %2")
                            .arg(m_file, file.errorString()));
        return false;
    }
    return true;
}

} // namespace lodder
