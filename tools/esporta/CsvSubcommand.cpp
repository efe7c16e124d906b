// tarvo-esporta csv|xlsx LIST [--dal D] [--al D] [--numero N] [--fornitore NOME] [--database FILE]
// [--file F]: the list as its window shows it after a search over the
// period, every row of that search, as its "Esporta" button writes it: CSV
// to standard output or to F, an Excel workbook to F. The lists of a stock
// take are those of count N; the stock value ("valore") is that of the day
// --al; what to reorder ("sottoscorta") that of every supplier or of the one
// --fornitore names. The lists are the core's own
// (ExportableLists), the same the windows show: no window is opened.
#include "tools/esporta/EsportaCommand.h"
#include "tools/esporta/StatisticheCsv.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "rules/CsvTableWriter.h"
#include "rules/ExportableLists.h"
#include "rules/ListExporter.h"
#include "rules/ShopDatabase.h"
#include "rules/XlsxTableWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kListNames = (ExportableLists::names() << QStringLiteral("statistiche")).join(QLatin1Char('|'));
const QString kOptions =
    QStringLiteral("[--dal GG/MM/AAAA] [--al GG/MM/AAAA] [--numero N (inventario)] [--fornitore NOME] "
                   "[--database FILE]");

// What the run wrote, and why it stopped when it did not end.
int outcomeCode(const ListExporter &exporter, ListExporter::Outcome outcome, const QString &file)
{
    const QString rows = QString::number(exporter.rowsWritten());
    const QString nothing = file.isEmpty() ? QString() : QStringLiteral(" Nessun file è stato scritto.");
    switch (outcome) {
    case ListExporter::Outcome::Done:
        return EsportaCommand::kDone;
    case ListExporter::Outcome::WriteFailed:
        EsportaCommand::say(file.isEmpty()
                                ? QStringLiteral("impossibile scrivere su standard output dopo %1 righe: %2.")
                                      .arg(rows, exporter.errorText())
                                : QStringLiteral("impossibile scrivere il file %1: %2.%3")
                                      .arg(QDir::toNativeSeparators(file), exporter.errorText(), nothing));
        break;
    case ListExporter::Outcome::ReadFailed:
    case ListExporter::Outcome::Cancelled:
        EsportaCommand::say(QStringLiteral("esportazione interrotta da un errore del database dopo %1 righe: %2.%3")
                                .arg(rows, exporter.errorText(), nothing));
        break;
    }
    return EsportaCommand::kFailed;
}

} // namespace

static int runList(const QStringList &arguments, bool spreadsheet)
{
    // The statistics are four tables in one file: CSV only.
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) != QLatin1String("statistiche") || (i > 0 && arguments.at(i - 1).startsWith(QLatin1String("--"))))
            continue;
        if (spreadsheet) {
            std::fputs(StatisticheCsv::usage().toLocal8Bit().constData(), stderr);
            return EsportaCommand::kUsage;
        }
        QStringList rest = arguments;
        rest.removeAt(i);
        return StatisticheCsv::run(rest);
    }
    QString list;
    QString database;
    QString file;
    ExportableLists::Period period;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--dal") && hasValue)
            period.from = arguments.at(++i);
        else if (argument == QLatin1String("--al") && hasValue)
            period.to = arguments.at(++i);
        else if (argument == QLatin1String("--numero") && hasValue)
            period.numero = arguments.at(++i);
        else if (argument == QLatin1String("--fornitore") && hasValue)
            period.fornitore = arguments.at(++i);
        else if (argument == QLatin1String("--database") && hasValue)
            database = arguments.at(++i);
        else if (argument == QLatin1String("--file") && hasValue)
            file = arguments.at(++i);
        else if (list.isEmpty() && !argument.startsWith(QLatin1String("--")))
            list = argument;
        else
            list = QStringLiteral("?");
    }
    if (!ExportableLists::has(list) || (spreadsheet && file.isEmpty())) {
        const QString usage = spreadsheet
            ? QStringLiteral("Uso: tarvo-esporta xlsx %1 %2 --file FILE.xlsx\n").arg(kListNames, kOptions)
            : QStringLiteral("Uso: tarvo-esporta csv %1 %2 [--file FILE.csv]\n").arg(kListNames, kOptions);
        std::fputs(usage.toLocal8Bit().constData(), stderr);
        return EsportaCommand::kUsage;
    }
    const QString path = QFileInfo(EsportaCommand::databasePath(database)).absoluteFilePath();
    if (!db::Database::exists(path)) {
        std::fprintf(stderr, "tarvo-esporta: database %s non trovato\n", path.toLocal8Bit().constData());
        return EsportaCommand::kFailed;
    }
    ShopDatabase::setLocation(path);
    ExportableLists::Prepared prepared;
    try {
        prepared = ExportableLists::prepare(list, period);
    } catch (const db::DbError &error) {
        EsportaCommand::say(error.description());
        return EsportaCommand::kFailed;
    }
    // A period the window would refuse: nothing is written.
    if (!prepared.refusal.isEmpty()) {
        EsportaCommand::say(prepared.refusal);
        return EsportaCommand::kFailed;
    }

    ListExporter exporter(prepared.list, path);
    int code = EsportaCommand::kDone;
    if (spreadsheet) {
        XlsxTableWriter writer(file, prepared.list.title);
        code = outcomeCode(exporter, exporter.run(writer), file);
    } else if (!file.isEmpty()) {
        CsvTableWriter writer(file);
        code = outcomeCode(exporter, exporter.run(writer), file);
    } else {
        QFile out;
        out.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
        CsvTableWriter writer(&out);
        code = outcomeCode(exporter, exporter.run(writer), file);
    }
    // "Nothing found" only informs, as the window does.
    if (code == EsportaCommand::kDone && exporter.rowsWritten() == 0 && !prepared.noMatch.isEmpty())
        EsportaCommand::say(prepared.noMatch);
    return code;
}

namespace {

const EsportaCommand::Registration csvRegistration{{
    QStringLiteral("csv"),
    kListNames + QLatin1Char(' ') + kOptions + QStringLiteral(" [--file FILE.csv]"),
    [](const QStringList &arguments) { return runList(arguments, false); },
}};

const EsportaCommand::Registration xlsxRegistration{{
    QStringLiteral("xlsx"),
    kListNames + QLatin1Char(' ') + kOptions + QStringLiteral(" --file FILE.xlsx"),
    [](const QStringList &arguments) { return runList(arguments, true); },
}};

} // namespace
