#pragma once

#include "rules/ListExport.h"

// A journal ("Prima Nota", "Nota Fornitori") without its window: the rows
// of a period, the columns the window's grid shows and "Esporta" writes.
class JournalList {
public:
    enum class Kind { PrimaNota, NotaFornitori };

    explicit JournalList(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    QString title() const;   // "Prima Nota"
    QString table() const;   // "[Prima Nota]"
    // Data, Descrizione, Fattura, Uscita Lire, Importo, Note.
    static QList<ExportColumn> columns();
    // The rows dated from `from` to `to`, typed day first, in date order
    // (then in the order entered); an empty or wrong date is 01/01/1900 at
    // the start, 01/01/2100 at the end.
    QString periodStatement(const QString &from, const QString &to) const;
    // The amounts (Importo) of a period: an exit is an amount above zero, an
    // entry one below zero.
    enum class Amounts { Entries, Exits };
    // "Select sum(pn_Uscita_Euro) as n from ... where <period> and
    // pn_Uscita_Euro > 0" (exits) or "< 0" (entries).
    QString amountsStatement(const QString &from, const QString &to, Amounts amounts) const;
    // No rows, ready for new ones.
    QString emptyStatement() const;
    ListExport list(const QString &statement) const;

private:
    QString periodCondition(const QString &from, const QString &to) const;

    Kind m_kind;
};
