#include "app/main/Main.h"

#include "app/Globals.h"
#include "app/main/WindowWiring.h"
#include "app/main/mdiTarvo.h"
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
