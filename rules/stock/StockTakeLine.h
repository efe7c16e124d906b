#pragma once

#include <QString>

// One item of a count as the window and the lists show it: what was counted
// and the stock on the count's day it is compared with (the stock stored
// when the count was posted). An item of the count's scope that was not
// counted shows with `contato` false and nothing counted.
struct StockTakeLine {
    qlonglong riga = 0;       // ic_Codice; 0 for an item not counted
    QString codice;           // the item's bar code as stored
    QString descrizione;
    QString taglia;
    QString colore;
    bool contato = true;
    long quantitaContata = 0;
    long giacenza = 0;

    long differenza() const { return quantitaContata - giacenza; }
};
