// tarvo-esporta SUBCOMMAND ...: the shop's data written out for other
// programs, from the command line. Each subcommand lives in a file of its
// own and registers itself (EsportaCommand). Exit code 0 only when
// everything asked was written.
#include "esporta/EsportaCommand.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The tool says its own problems on standard error; Qt's notes about the
// screen it does not use would only get in the way of scripts.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietQt);
    // The lists are defined by the windows themselves, which need no
    // screen; the other subcommands need no windows at all.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && (std::strcmp(argv[1], "csv") == 0 || std::strcmp(argv[1], "xlsx") == 0)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    return EsportaCommand::main(app->arguments());
}
