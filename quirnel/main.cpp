#include "base/Globals.h"
#include "quirnel/Main.h"
#include "quirnel/SelfCheck.h"
#include "quirnel/mdiTarvo.h"
#include "safety/SafetyCommands.h"
#include "safety/ShopSafety.h"
#include "base/errors/TarvoApplication.h"
#include "db/ProgramFolder.h"
#include "ui/Translations.h"
#include "ui/WindowPlaces.h"

#include <QLocale>
#include <QSettings>
#include <cstring>

int main(int argc, char *argv[])
{
    // The self-check shows no window: it runs also where there is no screen
    // (a terminal, an installation script).
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--verifica") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    errors::TarvoApplication application(argc, argv);
    ui::installItalianTranslations(application);
    // Amounts are typed and read the Italian way ("3,50"), as the grids and
    // the prints show them, also on a desktop set to another language.
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCoreApplication::setApplicationName(QStringLiteral("Qorda"));
    if (application.arguments().contains(QStringLiteral("--verifica")))
        return runSelfCheck();
    // A file whose header or schema is damaged is never written, a newer one
    // never touched: the program ends before its first window.
    const QString shop = db::ProgramFolder::databasePath();
    if (!safety::openAtStart(shop, safety::defaultBackupFolder()))
        return 1;
    // Each window opens where this user last left it.
    ui::WindowPlaces::setFile(
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tarvo"), QStringLiteral("finestre")).fileName());
    // The day's check of every page and its backup run behind the window,
    // begun while it is built: the counter is ready at once, and a write
    // waits only for the check.
    safety::StartCheck *check = safety::beginCheck(shop, safety::defaultBackupFolder());
    mdiTarvo &window = Main();
    safety::checkBehind(&window, shop, safety::defaultBackupFolder(), [&window] { return window.closeEveryWindow(); },
                        check);
    return application.exec();
}
