#pragma once

class QLabel;
class QWidget;

// The line above a search's results that says what the search found when
// the list cannot ("Nessun articolo trovato", "Mostrate 200 di 1.234
// fatture"): bold, hidden until there is something to say.
QLabel *newOutcomeLabel(QWidget *parent);
