// tarvo-esporta SUBCOMMAND ...: the shop's data written out for other
// programs, from the command line. Each subcommand lives in a file of its
// own and registers itself (EsportaCommand). Exit code 0 only when
// everything asked was written.
#include "tools/esporta/EsportaCommand.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

namespace {

// The tool says its own problems on standard error; Qt's notes would only
// get in the way of scripts.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietQt);
    // Every subcommand works on the core alone: no window, no screen.
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    return EsportaCommand::main(app.arguments());
}
