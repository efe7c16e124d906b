#include "ui/MdiChild.h"

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
    if (!frame || frame->mdiArea() != &area) {
        window.setAttribute(Qt::WA_DeleteOnClose);
        frame = area.addSubWindow(&window);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->setWindowIcon(window.windowIcon());
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
    area.setActiveSubWindow(frame);
    frame->raise();
    return frame;
}

} // namespace ui
