#include "base/OpenWindow.h"

#include "base/GeneralFunc6.h"
#include "ui/MdiChild.h"
#include "ui/WindowLife.h"

#include <QMdiArea>
#include <QPointer>

namespace {

QPointer<QMdiArea> &area()
{
    static QPointer<QMdiArea> mainArea;
    return mainArea;
}

} // namespace

QMdiArea *mainMdiArea()
{
    return area();
}

void setMainMdiArea(QMdiArea *mdiArea)
{
    area() = mdiArea;
}

void showProgramWindow(QWidget &window)
{
    PointerReset pointer;
    SetHourglass();
    if (QMdiArea *mdi = mainMdiArea()) {
        ui::showMdiChild(*mdi, window);
        return;
    }
    ui::WindowLife *life = ui::WindowLife::of(window);
    const bool wasLoaded = life && life->isLoaded();
    window.show();
    window.raise();
    window.activateWindow();
    if (wasLoaded)
        life->shownAgain();
}
