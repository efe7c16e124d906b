#pragma once

#include <QString>

// The numbers of new invoices this program is typing, shown to the other
// tills working on the same shop file: their editors must not take the
// lines typed so far for lines left by a program that stopped. The mark is a
// lock on a file beside the database, which the system lets go of when the
// program ends, however it ends; with the shop on a server, a lock of the
// program's connection there, which the server lets go of alike.
class InvoiceDrafts {
public:
    static void hold(const QString &databasePath, const QString &numero);
    static void release(const QString &databasePath, const QString &numero);
    // Whether another program holds the number.
    static bool heldElsewhere(const QString &databasePath, const QString &numero);
};
