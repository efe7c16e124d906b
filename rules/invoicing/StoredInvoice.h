#pragma once

#include "rules/InvoiceVatSummary.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <vector>

// One invoice as the database holds it (InvoiceReader): its header, its
// lines with their values as stored, the VAT codes of those lines and the
// VAT groups they make. What each value means on paper or in a file is the
// reader's caller's to decide: the print and the electronic invoice read
// the same invoice.
struct StoredInvoice {
    struct Line {
        QVariant description;   // df_Descrizione
        QVariant quantity;      // df_Quantità
        QVariant price;         // df_Prezzo
        QVariant amount;        // df_Importo (Null: a line of text only)
        QVariant vatCode;       // df_IVA
    };

    struct VatCode {
        bool found = false;     // a row of IVA has the code
        QString description;    // IVA_Descrizione as stored, empty when Null
        double rate = 0;        // IVA_Aliquota read as a number
        QString nature;         // IVA_Natura as stored, empty when Null
    };

    QString number;
    bool headerFound = false;   // a row of Fattura has the number
    QDate date;                 // fat_Data
    QString payment;            // fat_Descrizione_Pagamento, trimmed
    QDate paymentDate;          // fat_Data_Pagamento
    QVariant customer;          // fat_Codice_Cliente as stored
    // The lines under the number, with or without a header.
    std::vector<Line> lines;
    // Each code of the lines, looked up once.
    QHash<qlonglong, VatCode> vatCodes;
    // The VAT groups of the lines, each line at its code's rate.
    InvoiceVatSummary vatSummary;

    // The code of a line (df_IVA) or of a VAT group; a Null code, or one
    // that IVA lacks, has no description and rate 0.
    VatCode vatCode(const QVariant &code) const;
    VatCode vatCode(qlonglong code) const { return vatCodes.value(code); }
};
