#pragma once

#include <QStringList>

// tarvo-esporta csv statistiche --dal GG/MM/AAAA [--al GG/MM/AAAA]
// [--classifica pezzi|incasso] [--database FILE] [--file FILE.csv]: the
// four tables of the "Statistiche" window over the days from --dal to --al
// (--al missing: the one day), one after the other in one CSV file.
namespace StatisticheCsv {

// The arguments after "csv", without the word "statistiche".
int run(const QStringList &arguments);
QString usage();

} // namespace StatisticheCsv
