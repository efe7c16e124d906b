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
    // Data, Descrizione, Fattura, Uscita Lire, Fattura, Importo, Note.
    static QList<ExportColumn> columns();
    // The rows dated from `from` to `to`, typed day first; an empty or
    // wrong date is 01/01/1900 at the start, 01/01/2100 at the end.
    QString periodStatement(const QString &from, const QString &to) const;
    // No rows, ready for new ones: what the window opens on.
    QString emptyStatement() const;
    ListExport list(const QString &statement) const;

private:
    Kind m_kind;
};
