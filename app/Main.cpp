#include "app/Main.h"

#include "app/Globals.h"
#include "app/mdiTarvo.h"
#include "skin/SkinPath.h"
#include "ui/WindowRegistry.h"

#include <QGuiApplication>

mdiTarvo &Main()
{
    QCoreApplication::setApplicationName(QStringLiteral("Qorda"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Qorda"));
    g_strAppName = QStringLiteral("Qorda");
    g_strDbPath = programFolder() + QStringLiteral("/tarvo.mdb");
    g_strConnString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False; Data Source=")
        + g_strDbPath + QStringLiteral(";");
    skin::setDefaultSkinPath(programFolder() + QStringLiteral("/shpix"));

    mdiTarvo &main = ui::WindowRegistry::defaultInstance<mdiTarvo>();
    main.setAttribute(Qt::WA_DeleteOnClose);
    main.showMaximized(); // the shop works in the program all day: give it the screen
    return main;
}
