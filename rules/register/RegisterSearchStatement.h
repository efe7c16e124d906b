#pragma once

#include <QString>

// What the user typed into the register search.
struct RegisterSearchFilters {
    QString codice;
    QString denominazione;
    QString partitaIva;
    QString stato;
    QString tipo;   // "Tutte", "Clienti" or "Fornitori"
};

// The select of the register search: the first 100 entries in name order
// that match every filled filter. The register number is compared as the
// number its text starts with. A name typed without * or ? finds the names
// where each typed word starts the name or one of its words ("Rossi" finds
// "Rossi Mario" and "Mario Rossi", "Angelo" "D'Angelo"); the other texts,
// and a name typed with * or ?, are patterns in which the user's * and ?
// are the wildcards. Everything else, quotes included, is literal. With no filter at all the statement keeps the form the search
// has always run: "Select top 100 * from anagrafica w order by
// anag_Denominazione" (w names the table).
QString registerSearchStatement(const RegisterSearchFilters &filters);
// How many entries the search matches, the 100 listed and those beyond:
// "Select count(*) as n from anagrafica where ...".
QString registerCountStatement(const RegisterSearchFilters &filters);
// The same search for an export: every matching entry, in the same order.
QString registerExportStatement(const RegisterSearchFilters &filters);
