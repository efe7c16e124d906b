#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class ImageToolbar;
class QWidget;

// The one key map of the cards' picture rows: the same key runs the same
// command in every card, and each picture's tool tip names its key.
//
//   F2 Nuovo, F3 Cerca, F4 Salva, F5 Cancella, F6 Stampa,
//   Ctrl+Home first, Ctrl+PgUp previous, Ctrl+PgDown next, Ctrl+End last.
class CardKeys {
public:
    struct Key {
        int command;          // the picture's position, 1 New ... 9 Last
        QKeySequence keys;
        QString name;         // "Nuovo"
        QString keyText;      // "F2", as a user reads it on the keyboard
    };

    static const QList<Key> &map();

    // Gives `card` the keys of its picture row: each runs `run(command)`
    // while the focus is anywhere in the card, even in a box that would
    // otherwise take the key for itself.
    static void give(QWidget &card, ImageToolbar &pictures, const std::function<void(int)> &run);
};
