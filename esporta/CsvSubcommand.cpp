// tarvo-esporta csv LIST [--dal D] [--al D] [--database FILE]: the list as
// its window shows it after a search over the period, in the CSV of its
// "Esporta" button, to standard output. The window is opened off screen, so
// the rows, columns and their order are the window's own.
#include "esporta/EsportaCommand.h"
#include "db/DatabaseSettings.h"

#include "app/Globals.h"
#include "app/ViewExport.h"
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
#include <QFileInfo>
#include <QLineEdit>
#include <QTreeWidget>
#include <cstdio>
#include <functional>
#include <map>

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
const QAbstractItemView *stockList(const Period &period)
{
    W &window = shown<W>();
    setPeriod(window.txtDataInizio, window.txtDataFine, period);
    window.Trova(QString());
    return window.TDBGrid1;
}

using ListOpener = std::function<const QAbstractItemView *(const Period &)>;

const std::map<QString, ListOpener> &lists()
{
    static const std::map<QString, ListOpener> all = {
        {QStringLiteral("articoli"), [](const Period &) -> const QAbstractItemView * {
             return shown<frmArticoli>().TDBGrid1;
         }},
        {QStringLiteral("carichi"), &stockList<frmListaCarico>},
        {QStringLiteral("scarichi"), &stockList<frmListaScarico>},
        {QStringLiteral("fatture"), [](const Period &period) -> const QAbstractItemView * {
             auto &window = shown<frmCercaFattura>();
             setPeriod(window.txtDataInizio, window.txtDataFine, period);
             window.TrovaFatture();
             return window.lvwFatture;
         }},
        {QStringLiteral("anagrafica"), [](const Period &) -> const QAbstractItemView * {
             auto &window = shown<frmCercaAnagrafica>();
             window.TrovaAnagrafica();
             return window.lvwAnagrafica;
         }},
        {QStringLiteral("primanota"), [](const Period &period) -> const QAbstractItemView * {
             auto &window = shown<frmPrimaNota>();
             setPeriod(window.txtDataInizio, window.txtDataFine, period);
             window.cmdAggiorna_Click();
             return window.TDBGrid1;
         }},
    };
    return all;
}

} // namespace

static int runCsv(const QStringList &arguments)
{
    QString list;
    QString database;
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
        else if (list.isEmpty() && !argument.startsWith(QLatin1String("--")))
            list = argument;
        else
            list = QStringLiteral("?");
    }
    const auto found = lists().find(list);
    if (found == lists().end()) {
        std::fputs("Uso: tarvo-esporta csv articoli|carichi|scarichi|fatture|anagrafica|primanota "
                   "[--dal GG/MM/AAAA] [--al GG/MM/AAAA] [--database FILE]\n", stderr);
        return 2;
    }
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = database.isEmpty() ? programFolder() + QStringLiteral("/tarvo.mdb")
                                     : QFileInfo(database).absoluteFilePath();
    if (!QFileInfo(g_strDbPath).isFile() && !db::DatabaseSettings::beside(g_strDbPath).onServer()) {
        std::fprintf(stderr, "tarvo-esporta: database %s non trovato\n", g_strDbPath.toLocal8Bit().constData());
        return 1;
    }
    skin::setDefaultSkinPath(installedFile(QStringLiteral("shpix")));
    MessagesToStderr messages;
    ui::setMessageService(&messages);
    const QAbstractItemView *view = found->second(period);
    const QByteArray csv = tableOfView(*view).bytes();
    ui::setMessageService(nullptr);
    // A window that warned (a wrong date, an error) has not shown what was
    // asked; "nothing found" only informs.
    if (messages.failures > 0)
        return 1;
    std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

namespace {

const EsportaCommand::Registration registration{{
    QStringLiteral("csv"),
    QStringLiteral("articoli|carichi|scarichi|fatture|anagrafica|primanota [--dal GG/MM/AAAA] [--al GG/MM/AAAA] "
                   "[--database FILE]"),
    runCsv,
}};

} // namespace
