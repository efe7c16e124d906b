#include "app/errors/TopLevelReporter.h"

#include "ui/Messages.h"

#include <cstdio>

namespace errors {

QString TopLevelReporter::standardText(const ErrObject &error)
{
    return QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n"
                          "Errore numero: %1\r\nDescrizione: %2")
        .arg(error.number)
        .arg(error.description);
}

void TopLevelReporter::report(std::exception_ptr error, const QString &label)
{
    report(currentError(error), label);
}

void TopLevelReporter::report(const ErrObject &error, const QString &label)
{
    try {
        std::fprintf(stderr, "quirnel: %s: errore %ld: %s\n", qPrintable(label), error.number,
                     qPrintable(error.description));
        ui::MsgBox(standardText(error), ui::vbOKOnly | ui::vbCritical, QStringLiteral("Errore"));
    } catch (...) {
    }
}

} // namespace errors
