#include "base/ProgramWindow.h"

#include "base/errors/TopLevelReporter.h"
#include "skin/ctrl_SkinableForm.h"

#include <QPointer>

ui::WindowLife &giveWindowLife(QWidget &window, ctrl_SkinableForm *frame, ui::WindowLife::Code code)
{
    code.runner = [](const QString &label, const ui::WindowLife::Handler &handler) {
        errors::runReported(label, handler);
    };
    QPointer<ctrl_SkinableForm> skin(frame);
    ui::WindowLife::Handler unload = std::move(code.unload);
    code.unload = [skin, unload] {
        if (skin)
            skin->setCaptionColor(0);
        if (unload)
            unload();
    };
    return *new ui::WindowLife(window, std::move(code));
}
