// tarvo-stampa: prints a report template to a PDF file from the command line,
// through the same report control and the same property sequence as the
// windows. Exit code 0 only when the PDF was written.
//
//   tarvo-stampa TEMPLATE [--formula F] [--titolo T] [--copie N] --pdf FILE [--database FILE]
//   tarvo-stampa valore.rpt --al GG/MM/AAAA ... / sottoscorta.rpt [--fornitore NOME] ...
//
// The two lists the program computes rather than selects (the stock value
// at a date, what to reorder) print their rows as the windows do: made by
// the core (ExportableLists), handed to the report one at a time.
#include "report/ReportControl.h"
#include "report/ReportProperties.h"
#include "report/RowsReportSource.h"
#include "rules/ExportableLists.h"
#include "rules/ShopDatabase.h"
#include "rules/stock/ReorderList.h"
#include "rules/stock/StockValueList.h"
#include "db/DbError.h"
#include "db/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

using namespace report;

namespace {

constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char *const kUsageText =
    "Uso: tarvo-stampa MODELLO [--formula F] [--titolo T] [--copie N] --pdf FILE [--database FILE]\n"
    "     tarvo-stampa valore.rpt --al GG/MM/AAAA ... | sottoscorta.rpt [--fornitore NOME] ...\n";

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
    QString day;        // --al: the stock value's day
    QString supplier;   // --fornitore: the reorder list's supplier
};

// Reads the arguments; on a mistake says what is wrong and returns false.
bool readOptions(const QStringList &args, Options &o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool takesValue = a == QLatin1String("--formula") || a == QLatin1String("--titolo")
                                || a == QLatin1String("--copie") || a == QLatin1String("--pdf")
                                || a == QLatin1String("--database") || a == QLatin1String("--al")
                                || a == QLatin1String("--fornitore");
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
            else if (a == QLatin1String("--al")) o.day = v;
            else if (a == QLatin1String("--fornitore")) o.supplier = v;
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

    // A list the program computes: its rows from the core.
    const QString computed = QFileInfo(templatePath).completeBaseName().toLower();
    std::unique_ptr<RowsReportSource> rows;
    ExportableLists::Prepared prepared;
    if (computed == QLatin1String("valore") || computed == QLatin1String("sottoscorta")) {
        ShopDatabase::setLocation(database);
        try {
            prepared = ExportableLists::prepare(computed, {QString(), o.day, o.supplier});
        } catch (const db::DbError &e) {
            say(e.description());
            return kFailed;
        }
        if (!prepared.refusal.isEmpty()) {
            say(prepared.refusal);
            return kFailed;
        }
        const ListExport &list = prepared.list;
        RowsReportSource::ListRows made = list.rowSource;
        if (!made)
            made = [&list](const std::function<bool(const QVariantList &)> &row) {
                for (const QVariantList &cells : list.rows)
                    if (!row(cells))
                        return;
            };
        rows = std::make_unique<RowsReportSource>(
            computed, computed == QLatin1String("valore") ? StockValueList::reportFields() : ReorderList::reportFields(),
            RowsReportSource::fromLists(made), database);
        if (o.title.isEmpty() && computed == QLatin1String("valore")) {
            QDate day;
            StockValueList::day(o.day, day);
            o.title = StockValueList::heading(day);
        }
    }

    ReportControl report;
    report.setFeedback(false);
    if (rows)
        report.setDataSource(rows.get());
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
