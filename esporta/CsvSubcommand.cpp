// tarvo-esporta csv|xlsx LIST [--dal D] [--al D] [--database FILE] [--file F]:
// the list as its window shows it after a search over the period, every
// row of that search, as its "Esporta" button writes it: CSV to standard
// output or to F, an Excel workbook to F. The window is opened off screen,
// so the search, the columns and their order are the window's own.
#include "esporta/EsportaCommand.h"
#include "db/Database.h"

#include "app/Globals.h"
#include "app/ViewExport.h"
#include "rules/CsvTableWriter.h"
#include "rules/ListExporter.h"
#include "rules/XlsxTableWriter.h"
#include "invoicing/frmCercaFattura.h"
#include "register/frmCercaAnagrafica.h"
#include "register/frmPrimaNota.h"
#include "rules/ShopDatabase.h"
#include "skin/SkinPath.h"
#include "stock/frmArticoli.h"
#include "stock/frmListaCarico.h"
#include "stock/frmListaScarico.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

#include "data/Grid.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <map>
#include <unistd.h>

namespace {

// The windows' messages go to standard error; a question gets "No".
class MessagesToStderr : public ui::MessageService {
public:
    int message(const ui::Message &m) override
    {
        std::fprintf(stderr, "tarvo-esporta: %s\n", m.text.toLocal8Bit().constData());
        if ((m.style & 0x70) == ui::vbCritical || (m.style & 0x70) == ui::vbExclamation)
            ++failures;
        return (m.style & 7) == ui::vbYesNo || (m.style & 7) == ui::vbYesNoCancel ? ui::vbNo : ui::vbOK;
    }
    bool input(const ui::InputRequest &, QString &) override { return false; }
    int execModal(QDialog &) override { return QDialog::Rejected; }
    int failures = 0;
};

struct Period {
    QString from;
    QString to;
};

template <class W>
W &shown()
{
    W &window = ui::WindowRegistry::defaultInstance<W>();
    window.show();
    QApplication::processEvents();
    return window;
}

void setPeriod(QLineEdit *from, QLineEdit *to, const Period &period)
{
    if (!period.from.isEmpty())
        from->setText(period.from);
    if (!period.to.isEmpty())
        to->setText(period.to);
}

template <class W>
ListExport gridList(W &window)
{
    return listOfGrid(*window.TDBGrid1, window.windowTitle());
}

template <class W>
ListExport stockList(const Period &period)
{
    W &window = shown<W>();
    setPeriod(window.txtDataInizio, window.txtDataFine, period);
    window.Trova(QString());
    return gridList(window);
}

using ListOpener = std::function<ListExport(const Period &)>;

const std::map<QString, ListOpener> &lists()
{
    static const std::map<QString, ListOpener> all = {
        {QStringLiteral("articoli"), [](const Period &) { return gridList(shown<frmArticoli>()); }},
        {QStringLiteral("carichi"), &stockList<frmListaCarico>},
        {QStringLiteral("scarichi"), &stockList<frmListaScarico>},
        {QStringLiteral("fatture"), [](const Period &period) {
             auto &window = shown<frmCercaFattura>();
             setPeriod(window.txtDataInizio, window.txtDataFine, period);
             window.TrovaFatture();
             return window.listToExport();
         }},
        {QStringLiteral("anagrafica"), [](const Period &) {
             auto &window = shown<frmCercaAnagrafica>();
             window.TrovaAnagrafica();
             return window.listToExport();
         }},
        {QStringLiteral("primanota"), [](const Period &period) {
             auto &window = shown<frmPrimaNota>();
             setPeriod(window.txtDataInizio, window.txtDataFine, period);
             window.cmdAggiorna_Click();
             return gridList(window);
         }},
    };
    return all;
}

const QString kListNames = QStringLiteral("articoli|carichi|scarichi|fatture|anagrafica|primanota");
const QString kOptions = QStringLiteral("[--dal GG/MM/AAAA] [--al GG/MM/AAAA] [--database FILE]");

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
    QString list;
    QString database;
    QString file;
    Period period;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--dal") && hasValue)
            period.from = arguments.at(++i);
        else if (argument == QLatin1String("--al") && hasValue)
            period.to = arguments.at(++i);
        else if (argument == QLatin1String("--database") && hasValue)
            database = arguments.at(++i);
        else if (argument == QLatin1String("--file") && hasValue)
            file = arguments.at(++i);
        else if (list.isEmpty() && !argument.startsWith(QLatin1String("--")))
            list = argument;
        else
            list = QStringLiteral("?");
    }
    const auto found = lists().find(list);
    if (found == lists().end() || (spreadsheet && file.isEmpty())) {
        const QString usage = spreadsheet
            ? QStringLiteral("Uso: tarvo-esporta xlsx %1 %2 --file FILE.xlsx\n").arg(kListNames, kOptions)
            : QStringLiteral("Uso: tarvo-esporta csv %1 %2 [--file FILE.csv]\n").arg(kListNames, kOptions);
        std::fputs(usage.toLocal8Bit().constData(), stderr);
        return EsportaCommand::kUsage;
    }
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = database.isEmpty() ? programFolder() + QStringLiteral("/tarvo.mdb")
                                     : QFileInfo(database).absoluteFilePath();
    if (!db::Database::exists(g_strDbPath)) {
        std::fprintf(stderr, "tarvo-esporta: database %s non trovato\n", g_strDbPath.toLocal8Bit().constData());
        return EsportaCommand::kFailed;
    }
    skin::setDefaultSkinPath(installedFile(QStringLiteral("shpix")));
    MessagesToStderr messages;
    ui::setMessageService(&messages);
    const ListExport shownList = found->second(period);
    ui::setMessageService(nullptr);
    // A window that warned (a wrong date, an error) has not shown what was
    // asked; "nothing found" only informs.
    if (messages.failures > 0)
        return EsportaCommand::kFailed;

    ListExporter exporter(shownList, g_strDbPath);
    if (spreadsheet) {
        XlsxTableWriter writer(file, shownList.title);
        return outcomeCode(exporter, exporter.run(writer), file);
    }
    if (!file.isEmpty()) {
        CsvTableWriter writer(file);
        return outcomeCode(exporter, exporter.run(writer), file);
    }
    QFile out;
    out.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    CsvTableWriter writer(&out);
    return outcomeCode(exporter, exporter.run(writer), file);
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
