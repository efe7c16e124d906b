#include "ui/MdiChild.h"

#include "ui/WindowLife.h"
#include "ui/WindowPlaces.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace ui {

QMdiSubWindow *mdiFrameOf(const QWidget &window)
{
    return qobject_cast<QMdiSubWindow *>(window.parentWidget());
}

QMdiSubWindow *showMdiChild(QMdiArea &area, QWidget &window)
{
    QMdiSubWindow *frame = mdiFrameOf(window);
    WindowLife *life = WindowLife::of(window);
    const bool wasLoaded = life && life->isLoaded();
    QSize wanted;
    if (!frame || frame->mdiArea() != &area) {
        // The size the window asked for in its constructor; the frame would
        // otherwise shrink it to the bare minimum of its layout.
        if (window.testAttribute(Qt::WA_Resized))
            wanted = window.size();
        window.setAttribute(Qt::WA_DeleteOnClose);
        frame = area.addSubWindow(&window);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(window.windowIcon());
        // New windows cascade from the top left corner, always in sight; a
        // window that places itself when activated still has the last word.
        const int step = 28 * ((area.subWindowList().size() - 1) % 8);
        frame->move(step, step);
        // A window that closes itself is destroyed; its empty frame goes too.
        QPointer<QMdiSubWindow> guarded(frame);
        QObject::connect(&window, &QObject::destroyed, frame, [guarded] {
            if (guarded)
                guarded->deleteLater();
        });
    }
    if (frame->isMinimized())
        frame->showNormal();
    frame->show();
    window.show();
    if (wanted.isValid() && window.size() != wanted)
        frame->resize(frame->size() + (wanted - window.size()));
    if (!frame->property("placeFollowed").toBool()) {
        frame->setProperty("placeFollowed", true);
        WindowPlaces::follow(*frame, window.objectName());
    }
    // Shown again by an opener that may have set other members.
    if (wasLoaded)
        life->shownAgain();
    area.setActiveSubWindow(frame);
    frame->raise();
    return frame;
}

} // namespace ui
