#include "db/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace db {

namespace {

// Function-local, so that it is there whenever the first caller asks.
QString &chosenFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QString ProgramFolder::path()
{
    if (!chosenFolder().isEmpty())
        return chosenFolder();
    const QString home = qEnvironmentVariable("TARVO_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    return installPath();
}

void ProgramFolder::set(const QString &folder)
{
    chosenFolder() = folder;
}

QString ProgramFolder::installPath()
{
    return QCoreApplication::applicationDirPath();
}

QString ProgramFolder::databasePath()
{
    return QDir(path()).filePath(QStringLiteral("tarvo.mdb"));
}

} // namespace db
