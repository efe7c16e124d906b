#pragma once

#include <QKeySequence>
#include <QString>

class QAbstractButton;
class QWidget;

// "Genera codice", a bar code the shop makes itself for goods without one:
// the same key in the article card's item grid and in the load window, F7,
// next to the cards' F2-F6.
class GenerateCodeKey {
public:
    static QKeySequence keys() { return QKeySequence(Qt::Key_F7); }
    static QString keyText() { return QStringLiteral("F7"); }
    static QString caption() { return QStringLiteral("Genera codice"); }
    // What the key list (F1) says it does.
    static QString command()
    {
        return QStringLiteral("Scheda articolo (griglia dei codici) e Carico: genera un codice a barre del negozio");
    }

    // The button of `window` with its caption and tip; the key clicks it
    // while the focus is anywhere in the window, the grid's cells included.
    static void give(QWidget &window, QAbstractButton &button);
};
