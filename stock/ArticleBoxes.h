#pragma once

class QLineEdit;

// The boxes of the article card, by the names the card has always given
// them. The card offers them as its own; ArticleFields makes and binds them.
struct ArticleBoxes {
    QLineEdit *txtCodice = nullptr;
    QLineEdit *txtDescrizione = nullptr;
    QLineEdit *txtFornitore = nullptr;
    QLineEdit *txtNote = nullptr;
    QLineEdit *txtVarie = nullptr;
    QLineEdit *txtCarico = nullptr;
    QLineEdit *txtPrezzo = nullptr;
    QLineEdit *txtQuantita = nullptr;
};
