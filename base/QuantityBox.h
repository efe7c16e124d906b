#pragma once

class QLineEdit;

// The quantity box of the stock load and the sale at the counter: the field
// check's view of it, and the question a large quantity asks first (a bar
// code scanned into the box must not become a sale of millions of pieces).
class QuantityBox {
public:
    // Whether the box holds a whole number of pieces other than 0 that the
    // stock can count ("1,5" and "1.5" are refused).
    static bool accepted(const QLineEdit &box);
    // Above 999 pieces asks "Confermare la quantità di N pezzi?", No by
    // default. True to go on; No puts the focus back in the box with its
    // text selected, ready to be typed over.
    static bool confirmed(QLineEdit &box);
    // The focus in the box, its whole text selected.
    static void reselect(QLineEdit &box);
};
