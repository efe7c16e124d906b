#pragma once

#include <QString>
#include <QVariant>

namespace db { class DbError; }

// The database helpers every window uses.

// The value of resultField in the first row of table whose keyField equals
// keyValue, as text (Null and no row give the empty text). With numericKey
// non-zero the key is the number the value starts with, truncated to a whole
// number; otherwise the key is compared as text. Engine errors (a missing
// database, an unknown field) go to the caller.
QString CercaValore(const QString &table, const QString &keyField, const QString &resultField,
                    const QVariant &keyValue, int numericKey);

// Adds delta to the stock quantity of a stock item, on the shared
// connection (inside the caller's transaction when there is one). An
// unknown item shows "Articolo non trovato. Impossibile modificare la
// quantità." and changes nothing; a quantity beyond the range of a long is
// an error (number 6, "Overflow") and changes nothing.
void ModificaQuantita(const QString &itemCode, long delta);

// The message of a data error reported by a grid or a bound control: a
// duplicate key says so; any other refused write shows the standard error
// message with its number and description (and logs it), so that a refused
// row is never dropped silently.
void ErroreDati(const db::DbError &error);
// The same, recognising the duplicate key by the lengths of the old engine's
// message texts (297 or 321 characters).
void ErroreDati(const QString &errorText);
