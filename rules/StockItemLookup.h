#pragma once

#include <QString>

// What the load and unload windows look up when the bar-code box is left:
// the stock item and its article, each read once, every value as the
// one-field lookup (CercaValore) gives it (Null and no row as empty text).
struct StockItemInfo {
    QString articolo;      // [Codice Articolo].ca_Codice_Articolo
    QString taglia;        // ca_Taglia
    QString colore;        // ca_Colore
    QString quantita;      // ca_Quantita
    QString descrizione;   // Articoli.art_Descrizione
    QString listino;       // Articoli.art_Prezzo_Listino
};

class StockItemLookup {
public:
    // The stock item with this bar code; all fields empty when there is none.
    static StockItemInfo item(const QString &barcode);
    // Adds the article's description and list price; the article is looked
    // up by the whole number its text starts with.
    static void article(StockItemInfo &info);
};
