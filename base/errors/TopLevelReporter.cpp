#include "base/errors/TopLevelReporter.h"

#include "base/Globals.h"
#include "base/errors/ErrorClock.h"
#include "base/errors/ErrorWords.h"
#include "base/errors/LogObject.h"

#include "ui/Messages.h"

#include <cstdio>

namespace errors {

namespace {

lodder::DebErr toDebErr(const ErrObject &error)
{
    return {error.number, error.description};
}

ErrObject fromStatus(const lodder::DebStatus &status)
{
    return {status.number, status.description};
}

// The error as the user reads it: its number, and in place of the engine's
// words what failed and what to do.
ErrObject inPlainWords(const ErrObject &error, const QString &label)
{
    return {error.number, ErrorWords::shown(error, label)};
}

// The log line's note: the place, then the number, the engine's words (the
// statement among them) and a server's own words.
QString logNote(const ErrObject &error, const QString &label)
{
    QString note = label + QStringLiteral(": errore ") + QString::number(error.number) + QStringLiteral(": ")
                 + error.description;
    if (!error.detail.isEmpty())
        note += QStringLiteral(": ") + error.detail;
    return note;
}

// A log the program could not write: the user learns it in plain words.
ErrObject logFailure(const ErrObject &why)
{
    return {why.number, QStringLiteral("Impossibile scrivere il registro degli errori: controllare lo spazio sul "
                                       "disco e i permessi della cartella log del programma.")};
}

QString describe(const QString &label, const ErrObject &error)
{
    QString text = QStringLiteral("quirnel: %1: errore %2: %3").arg(label).arg(error.number).arg(error.description);
    if (!error.detail.isEmpty())
        text += QStringLiteral(": ") + error.detail;
    return text;
}

} // namespace

QString TopLevelReporter::standardText(const ErrObject &error)
{
    return QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\n"
                          "Errore numero: %1\r\nDescrizione: %2")
        .arg(error.number)
        .arg(error.description);
}

void TopLevelReporter::report(std::exception_ptr error, const QString &label) noexcept
{
    if (ErrorTrap::handOverToRunningTrap(error))
        return;
    try {
        report(currentError(error), label);
    } catch (...) {
        toStandardError(QStringLiteral("quirnel: %1: errore non segnalato").arg(label));
    }
}

void TopLevelReporter::report(const ErrObject &error, const QString &label) noexcept
{
    // A record another till changed is no fault of the program: the user
    // reads why nothing was saved, and the log is left alone.
    constexpr long kChangedByAnotherUser = 3197;
    if (error.number == kChangedByAnotherUser) {
        try {
            ui::MsgBox(error.description, ui::vbExclamation, g_strAppName);
        } catch (...) {
            toStandardError(describe(label, error));
        }
        return;
    }
    lodder::IDeb *deb = nullptr;
    try {
        deb = &g_oDeb();
    } catch (...) {
        showWithoutLogObject(error, label, currentError(std::current_exception()));
        return;
    }

    try {
        const lodder::DebStatus shown = deb->WriteStandardMsg(toDebErr(inPlainWords(error, label)));
        if (!shown.ok()) {
            showWithoutLogObject(error, label, fromStatus(shown));
            return;
        }
        const QDateTime moment = clockNow();
        QString logName = logFileName(moment);
        QString note = logNote(error, label);
        QString folder = programFolder() + QStringLiteral("/log");
        const lodder::DebStatus logged = deb->WriteLog(logName, note, &folder);
        if (!logged.ok())
            logNotWritten(error, label, fromStatus(logged));
    } catch (...) {
        logNotWritten(error, label, currentError(std::current_exception()));
    }
}

void TopLevelReporter::showWithoutLogObject(const ErrObject &error, const QString &label,
                                            const ErrObject &why) noexcept
{
    toStandardError(describe(label, error));
    toStandardError(QStringLiteral("quirnel: libreria dei log non disponibile: errore %1: %2")
                        .arg(why.number)
                        .arg(why.description));
    try {
        ui::MsgBox(standardText(inPlainWords(error, label)), ui::vbOKOnly | ui::vbCritical, QStringLiteral("Errore"));
    } catch (...) {
        toStandardError(QStringLiteral("quirnel: impossibile mostrare il messaggio di errore"));
    }
}

void TopLevelReporter::logNotWritten(const ErrObject &error, const QString &label, const ErrObject &why) noexcept
{
    // The user has seen the error already; now they learn that the log did
    // not get it, and standard error keeps both.
    toStandardError(describe(label, error));
    toStandardError(QStringLiteral("quirnel: log non scritto: errore %1: %2").arg(why.number).arg(why.description));
    try {
        const lodder::DebStatus shown = g_oDeb().WriteStandardMsg(toDebErr(logFailure(why)));
        if (shown.ok())
            return;
    } catch (...) {
    }
    try {
        ui::MsgBox(standardText(logFailure(why)), ui::vbOKOnly | ui::vbCritical, QStringLiteral("Errore"));
    } catch (...) {
    }
}

void TopLevelReporter::toStandardError(const QString &text) noexcept
{
    try {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
    } catch (...) {
    }
}

} // namespace errors
