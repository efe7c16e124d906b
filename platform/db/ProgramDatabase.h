#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>

namespace db {

// The database a command-line tool works on when none is named: tarvo.mdb
// of the user's program folder (TARVO_HOME, as the installed launcher sets
// it), or the one beside the tool in a program folder of its own.
inline QString programDatabasePath()
{
    const QString home = qEnvironmentVariable("TARVO_HOME");
    const QDir folder(home.isEmpty() ? QCoreApplication::applicationDirPath() : home);
    return folder.filePath(QStringLiteral("tarvo.mdb"));
}

} // namespace db
