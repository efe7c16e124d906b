// The four entry points of an in-process component, with C linkage so that
// registration tools and hosts find them by name.

#include "ComponentFolder.h"
#include "Deb.h"

#include "ComponentRegistry.h"

#include <cstdio>
#include <cstring>

#define LODDER_EXPORT extern "C" __attribute__((visibility("default")))

using namespace lodder;

namespace {

bool sameId(const char *id, const char *expected)
{
    return id && QString::fromLatin1(id).trimmed().compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

} // namespace

// Writes "Deb's class id -> this library file" into the component registry.
LODDER_EXPORT HResult DllRegisterServer()
{
    const QString library = componentPath();
    if (library.isEmpty())
        return kSelfRegClass;
    ComponentRegistry registry;
    QString error;
    if (!registry.registerClass(QString::fromLatin1(kDebClassId), library, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return kSelfRegClass;
    }
    return kOk;
}

LODDER_EXPORT HResult DllUnregisterServer()
{
    ComponentRegistry registry;
    QString error;
    if (!registry.unregisterClass(QString::fromLatin1(kDebClassId), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return kSelfRegClass;
    }
    return kOk;
}

// Creates a Deb for its class id and interface id; the caller owns it.
LODDER_EXPORT HResult DllGetClassObject(const char *classId, const char *interfaceId, void **object)
{
    if (!object)
        return kPointer;
    *object = nullptr;
    if (!sameId(classId, kDebClassId))
        return kClassNotAvailable;
    if (!sameId(interfaceId, kDebInterfaceId))
        return kNoInterface;
    try {
        *object = static_cast<IDeb *>(new Deb);
    } catch (...) {
        return kFail;
    }
    return kOk;
}

LODDER_EXPORT HResult DllCanUnloadNow()
{
    return Deb::liveObjects() == 0 ? kOk : kFalse;
}
