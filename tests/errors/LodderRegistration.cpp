#include "LodderRegistration.h"

#include <QProcess>

int runRegsvr(const QString &library, bool unregister)
{
    QStringList arguments;
    if (unregister)
        arguments << QStringLiteral("-u");
    arguments << library;
    QProcess process;
    process.start(QStringLiteral(REGSVR_PATH), arguments);
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString builtLodder()
{
    return qEnvironmentVariable("TARVO_PROGRAM_DIR") + QStringLiteral("/libLodder.so");
}
