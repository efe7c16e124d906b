#pragma once

#include "rules/ListExport.h"
#include "rules/register/RegisterSearchStatement.h"

// The register search's list ("Anagrafica") without its window: the
// columns it shows and "Esporta" writes, every entry a search finds.
class RegisterList {
public:
    static QString title();
    // Codice, Denominazione, Stato, Partita IVA.
    static QList<ExportColumn> columns();
    static QString noMatch();
    static ListExport list(const RegisterSearchFilters &filters);
    // The filters with nothing typed: every customer and supplier.
    static RegisterSearchFilters everyEntry();
};
