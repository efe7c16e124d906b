// tarvo-esporta SUBCOMMAND ...: see Subcommands.h.
#include "esporta/Subcommands.h"

#include <QApplication>
#include <QLocale>
#include <cstdio>
#include <map>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const std::map<QString, int (*)(const QStringList &)> subcommands = {
        {QStringLiteral("csv"), &runCsv},
    };
    QStringList arguments = app.arguments().mid(1);
    const auto found = arguments.isEmpty() ? subcommands.end() : subcommands.find(arguments.first());
    if (found == subcommands.end()) {
        std::fputs("Uso: tarvo-esporta csv articoli|carichi|scarichi|fatture|anagrafica|primanota "
                   "[--dal GG/MM/AAAA] [--al GG/MM/AAAA] [--database FILE]\n", stderr);
        return 2;
    }
    arguments.removeFirst();
    return found->second(arguments);
}
