#pragma once

#include <QString>

namespace errors {

// Creates an object of a component class by its class id: the component
// registry names the library, which is loaded (and stays loaded for the rest
// of the run) and asked for the object through its DllGetClassObject entry
// point. Returns the object as the requested interface; the caller owns it.
// Throws AppError 429 when the class is not registered, the library cannot
// be loaded or does not provide the class.
void *createByClassId(const QString &classId, const QString &interfaceId);

} // namespace errors
