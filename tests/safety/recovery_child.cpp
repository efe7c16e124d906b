// The start of a program on a damaged shop, answering Yes to the recovery:
//   recovery-child <shop> <backup folder> <now, ISO 8601>
// Prints "READY" before the check starts; exits 0 when the program would go
// on. The safety test kills it at moments spread over the check.
#include "safety/SafetyCommands.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 4)
        return 2;
    ui::ScriptedMessages messages;
    messages.queueAnswer(ui::vbYes);
    std::puts("READY");
    std::fflush(stdout);
    const QDateTime now = QDateTime::fromString(QString::fromLatin1(argv[3]), Qt::ISODate);
    return safety::checkAtStart(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), now) ? 0 : 1;
}
