#pragma once

#include <QString>

// The numbers of new invoices this program is typing, claimed against the
// other tills working on the same shop: from the first line written until
// the invoice is saved or given up, no other editor writes lines or saves
// an invoice under the number. The claim is the engine's (db::ProgramClaims):
// let go of when the program ends, however it ends, and never waiting: of
// two programs claiming a number at once, one gets it.
class InvoiceDrafts {
public:
    // True when the number is this program's now (or was already); false,
    // taking nothing, when another program holds it.
    static bool claim(const QString &databasePath, const QString &numero);
    static void release(const QString &databasePath, const QString &numero);
    static bool heldHere(const QString &databasePath, const QString &numero);
    // Whether another program holds the number.
    static bool heldElsewhere(const QString &databasePath, const QString &numero);
};
