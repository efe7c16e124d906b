#pragma once

#include <QString>

// What the user typed into the article search.
struct ArticleSearchCriteria {
    QString articolo;      // the article code its bar code led to, empty for none
    QString descrizione;
    bool generica = false; // the description anywhere, not only at its start
    QString fornitore;
};

// The filter of the article search on "Select * from articoli": one
// condition per filled criterion, joined by " and "; empty selects every
// article. Typed texts are patterns in which only * and ? are wildcards:
// quotes, [, #, % and _ find themselves.
QString articleSearchFilter(const ArticleSearchCriteria &criteria);

// The print formula of the listed article codes, joined by " or "; empty
// for no code.
QString articleListFormula(const QStringList &codes);
