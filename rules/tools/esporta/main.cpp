// tarvo-esporta: the shop's data written out for other programs, from the
// command line. Exit code 0 only when everything asked was written.
#include "EsportaCommand.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return EsportaCommand::main(app.arguments());
}
