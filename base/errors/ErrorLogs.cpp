#include "base/errors/ErrorLogs.h"

#include "base/Globals.h"
#include "base/errors/ErrorClock.h"
#include "base/errors/ErrorTrap.h"
#include "base/errors/LogObject.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFileInfo>

namespace errors {

namespace {

QString logFolder()
{
    return QDir(programFolder()).filePath(QStringLiteral("log"));
}

// A status the library hands back is an error of the command.
void check(const lodder::DebStatus &status)
{
    if (!status.ok())
        throw AppError(status.number, status.description);
}

} // namespace

void MostraRegistroErrori()
{
    ErrorTrap trap(QStringLiteral("mdiTarvo.mnuRegistroErroriItem"));
    trap.run([] {
        const QDir folder(logFolder());
        QString path = folder.filePath(logFileName(clockNow()));
        if (!QFileInfo(path).isFile()) {
            const QFileInfoList logs = folder.entryInfoList({QStringLiteral("*.log")}, QDir::Files, QDir::Time);
            if (logs.isEmpty()) {
                ui::MsgBox(QStringLiteral("Nessun errore è stato registrato finora."), ui::vbInformation, g_strAppName);
                return;
            }
            path = logs.first().absoluteFilePath();
        }
        check(g_oDeb().ReadLog(path));
    });
}

void MostraArchivioErrori()
{
    ErrorTrap trap(QStringLiteral("mdiTarvo.mnuArchivioErroriItem"));
    trap.run([] {
        QString folder = logFolder();
        check(g_oDeb().ReadDbLog(folder));
    });
}

} // namespace errors
