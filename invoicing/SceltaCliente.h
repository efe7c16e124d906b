#pragma once

#include <QString>

class QWidget;

// The customer pick of the invoice windows: the list of Anagrafica by name.
class SceltaCliente {
public:
    // The anag_Contatore chosen, as text; "0" when the pick is given up.
    static QString scegli(QWidget *parent);
};
