#pragma once

#include <QStringList>

// tarvo-importa fatture FILE|CARTELLA... [--prova] [--data-carico fattura|oggi]
// [--database FILE]: suppliers' electronic invoices into the shop, each in
// one transaction. A line of goods no item is found for is reported and its
// invoice left out, never guessed. --prova writes nothing.
int importSupplierInvoices(const QStringList &arguments);
