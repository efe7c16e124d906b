#pragma once

#include "base/errors/ErrorTrap.h"

#include <QString>

namespace errors {

// The words a shop owner reads for an unexpected error: what failed, named
// from the place of the error ("Impossibile leggere i carichi"), and what to
// do about it. The engine's own words, its number and the statement go to
// the log, never into the message.
class ErrorWords {
public:
    // "Impossibile leggere i carichi: riprovare; se l'errore si ripete, ..."
    static QString shown(const ErrObject &error, const QString &label);
    // What failed, from the place's label ("frmListaCarico.cmdAggiorna_Click").
    static QString whatFailed(const QString &label);
    // What the user can do about the error.
    static QString whatToDo(const ErrObject &error);
};

} // namespace errors
