#include "base/errors/ComponentActivation.h"

#include "base/errors/ErrorTrap.h"

#include "ComponentRegistry.h"
#include "lodder/IDeb.h"

#include <dlfcn.h>

namespace errors {

namespace {

constexpr long kCannotCreateObject = 429;

[[noreturn]] void cannotCreate(const QString &classId, const QString &why)
{
    throw AppError(kCannotCreateObject,
                   QStringLiteral("Impossibile creare l'oggetto %1: %2").arg(classId, why));
}

} // namespace

void *createByClassId(const QString &classId, const QString &interfaceId)
{
    const lodder::ComponentRegistry registry;
    const QString library = registry.libraryFor(classId);
    if (library.isEmpty())
        cannotCreate(classId, QStringLiteral("classe non registrata."));

    // Never unloaded: objects of the library may live until the program ends.
    void *handle = dlopen(library.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        cannotCreate(classId, QStringLiteral("impossibile caricare %1 (%2).").arg(library, QString::fromLocal8Bit(dlerror())));

    auto getClassObject = reinterpret_cast<lodder::DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject)
        cannotCreate(classId, QStringLiteral("%1 non è un componente.").arg(library));

    void *object = nullptr;
    const lodder::HResult result = getClassObject(classId.toLatin1().constData(), interfaceId.toLatin1().constData(), &object);
    if (result != lodder::kOk || !object)
        cannotCreate(classId, QStringLiteral("%1 non fornisce la classe (0x%2).")
                                  .arg(library)
                                  .arg(static_cast<quint32>(result), 8, 16, QLatin1Char('0')));
    return object;
}

} // namespace errors
