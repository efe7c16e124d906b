#pragma once

#include "lodder/IDeb.h"

namespace lodder {

// The errors the library's methods return, with the numbers and texts the
// platform has always used for them.
namespace DebErrors {

inline DebStatus pathNotFound() { return {76, QStringLiteral("Impossibile trovare il percorso.")}; }
inline DebStatus fileAccess() { return {75, QStringLiteral("Errore di accesso al percorso o al file.")}; }
inline DebStatus notSupported() { return {445, QStringLiteral("Oggetto che non supporta questa azione.")}; }
inline DebStatus wrongPassword() { return {3031, QStringLiteral("Password non valida.")}; }
inline DebStatus notALogDatabase() { return {3343, QStringLiteral("Formato di database non riconosciuto.")}; }
inline DebStatus database(const QString &detail)
{
    return {3000, QStringLiteral("Errore del database: %1").arg(detail)};
}
inline DebStatus recordDeleted() { return {3167, QStringLiteral("Il record è stato eliminato.")}; }
inline DebStatus typeMismatch() { return {13, QStringLiteral("Tipo non corrispondente.")}; }
inline DebStatus unexpected() { return {51, QStringLiteral("Errore interno.")}; }

} // namespace DebErrors
} // namespace lodder
