#pragma once

#include "rules/ListExport.h"

// The catalogue of articles ("Articoli") without its window: every article,
// the columns the window's grid shows and "Esporta" writes.
class ArticleList {
public:
    enum Column { Codice, Descrizione, PrezzoCarico, Listino, Quantita, PrezzoMedio, Ricarico, Usato, DataUV };

    static QString title();
    static QString statement();   // "Select * from Articoli"
    static QList<ExportColumn> columns();
    static ListExport list(const QString &statement);
};
