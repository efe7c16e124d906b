#include "quirnel/Main.h"

#include "base/Globals.h"
#include "quirnel/WindowWiring.h"
#include "quirnel/mdiTarvo.h"
#include "db/ProgramFolder.h"
#include "skin/SkinPath.h"
#include "ui/WindowRegistry.h"

#include <QGuiApplication>

mdiTarvo &Main()
{
    // The application's name only: a display name would be appended to
    // every window title ("Qorda - Brellan — Qorda").
    QCoreApplication::setApplicationName(QStringLiteral("Qorda"));
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = db::ProgramFolder::databasePath();
    skin::setDefaultSkinPath(installedFile(QStringLiteral("shpix")));

    app::wireWindows();
    mdiTarvo &main = ui::WindowRegistry::defaultInstance<mdiTarvo>();
    main.setAttribute(Qt::WA_DeleteOnClose);
    main.showMaximized(); // the shop works in the program all day: give it the screen
    return main;
}
