#pragma once

#include <QStringList>

class QWidget;

// Writes the invoices as FatturaPA files into a folder the user picks, then
// says how many were written and, for each one left out, why.
void EsportaFattureElettroniche(QWidget *parent, const QStringList &numeri);
