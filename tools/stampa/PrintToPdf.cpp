// tarvo-stampa: prints a report template to a PDF file from the command line,
// through the same report control and the same property sequence as the
// windows. Exit code 0 only when the PDF was written.
//
//   tarvo-stampa TEMPLATE [--formula F] [--titolo T] [--copie N] --pdf FILE [--database FILE]
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "db/DbError.h"
#include "db/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace report;

namespace {

constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char *const kUsageText =
    "Uso: tarvo-stampa MODELLO [--formula F] [--titolo T] [--copie N] --pdf FILE [--database FILE]\n";

void say(const QString &text)
{
    std::fprintf(stderr, "tarvo-stampa: %s\n", text.toLocal8Bit().constData());
}

struct Options {
    QString templateName;
    QString formula;
    QString title;
    int copies = 1;
    QString pdf;
    QString database;
};

// Reads the arguments; on a mistake says what is wrong and returns false.
bool readOptions(const QStringList &args, Options &o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool takesValue = a == QLatin1String("--formula") || a == QLatin1String("--titolo")
                                || a == QLatin1String("--copie") || a == QLatin1String("--pdf")
                                || a == QLatin1String("--database");
        if (takesValue) {
            if (i + 1 >= args.size()) {
                say(QStringLiteral("manca il valore dopo %1.").arg(a));
                return false;
            }
            const QString v = args.at(++i);
            if (a == QLatin1String("--formula")) o.formula = v;
            else if (a == QLatin1String("--titolo")) o.title = v;
            else if (a == QLatin1String("--pdf")) o.pdf = v;
            else if (a == QLatin1String("--database")) o.database = v;
            else {
                bool ok = false;
                o.copies = v.toInt(&ok);
                if (!ok || o.copies < 1) {
                    say(QStringLiteral("il numero di copie deve essere un intero da 1 in su, non \"%1\".").arg(v));
                    return false;
                }
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            say(QStringLiteral("opzione sconosciuta %1.").arg(a));
            return false;
        } else if (o.templateName.isEmpty()) {
            o.templateName = a;
        } else {
            say(QStringLiteral("un solo modello per volta (già indicato \"%1\").").arg(o.templateName));
            return false;
        }
    }
    if (o.templateName.isEmpty()) {
        say(QStringLiteral("manca il modello di stampa."));
        return false;
    }
    if (o.pdf.isEmpty()) {
        say(QStringLiteral("manca il file PDF da scrivere (--pdf FILE)."));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options o;
    if (!readOptions(app.arguments(), o)) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const QDir programFolder(db::ProgramFolder::installPath());
    // A bare name is a template of the program folder, as the windows name them.
    QString templatePath = o.templateName;
    if (!QFileInfo::exists(templatePath) && QFileInfo(templatePath).fileName() == templatePath)
        templatePath = programFolder.filePath(templatePath);
    const QString database = o.database.isEmpty() ? db::ProgramFolder::databasePath() : o.database;
    const QString pdf = QFileInfo(o.pdf).absoluteFilePath();

    ReportControl report;
    report.setFeedback(false);
    report.setDatabasePath(database);
    report.setPdfFile(pdf);
    try {
        for (int i = 0; i < kFormulaSlots; ++i)
            report.set(prop::Formulas, i, QString());
        report.set(prop::SelectionFormula, QString());
        report.set(prop::ReportFileName, QFileInfo(templatePath).absoluteFilePath());
        report.set(prop::ReportSource, 2);
        report.set(prop::WindowLeft, 0);
        report.set(prop::WindowTop, 0);
        report.set(prop::CopiesToPrinter, o.copies);
        report.set(prop::Destination, int(Destination::File));
        report.set(prop::WindowTitle, o.title);
        report.set(prop::SelectionFormula, o.formula);
        report.set(prop::Action, 1);
    } catch (const db::DbError &e) {
        say(e.description());
        return kFailed;
    }
    if (report.runCount() != 1 || !QFileInfo(pdf).isFile()) {
        say(QStringLiteral("il file \"%1\" non è stato scritto.").arg(pdf));
        return kFailed;
    }
    return kWritten;
}
