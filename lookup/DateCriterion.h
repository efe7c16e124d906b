#pragma once

class QLineEdit;

// The date boxes of the searches, the lists and the journals, checked when
// a search is asked for. An empty box is no criterion; a date is rewritten
// "dd/mm/yyyy"; a text the date check refuses ("31/02/2026") is said with
// the date message ("ERRORE:[31/02/2026] Formato data non corretto!"), the
// box is highlighted with the focus in it, and the search is not to run.
bool dateCriterionAccepted(QLineEdit *box);
// Leaving a date box: a date is completed and rewritten ("0503" ->
// "05/03/2026"); any other text stays as typed, for the search to refuse.
void dateCriterionLeft(QLineEdit *box);
