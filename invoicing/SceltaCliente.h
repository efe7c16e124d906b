#pragma once

class QLineEdit;

// The customer pick of the invoice windows: the list of Anagrafica by name,
// opened beside the box of the customer's number.
class SceltaCliente {
public:
    // The box takes the anag_Contatore chosen; a pick given up leaves it as
    // it was and returns false.
    static bool scegli(QLineEdit &campo);
};
