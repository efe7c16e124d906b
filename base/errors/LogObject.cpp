#include "base/errors/LogObject.h"

#include "base/errors/ComponentActivation.h"
#include "base/errors/ErrorClock.h"

#include "ui/Messages.h"

#include <memory>

namespace errors {

namespace {
std::unique_ptr<lodder::IDeb> &logObject()
{
    static std::unique_ptr<lodder::IDeb> object;
    return object;
}
} // namespace

lodder::IDeb &g_oDeb()
{
    auto &object = logObject();
    if (!object) {
        std::unique_ptr<lodder::IDeb> created(static_cast<lodder::IDeb *>(createByClassId(
            QString::fromLatin1(lodder::kDebClassId), QString::fromLatin1(lodder::kDebInterfaceId))));
        created->setMessagePresenter([](const QString &title, const QString &text, int style) {
            return ui::MsgBox(text, style, title);
        });
        created->setModalRunner([](QDialog &window) { return ui::messageService().execModal(window); });
        created->setClock([] { return clockNow(); });
        object = std::move(created);
    }
    return *object;
}

void releaseLogObject()
{
    logObject().reset();
}

} // namespace errors
