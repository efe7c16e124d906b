#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <vector>

// What an electronic invoice says, read from the database (EInvoiceSource),
// checked (EInvoiceChecks) and written (EInvoiceXml).
struct EInvoiceShop {
    QString denominazione, partitaIva, codiceFiscale, regimeFiscale;
    QString indirizzo, cap, comune, provincia, nazione;
    QString rea, telefono, email;
};

struct EInvoiceCustomer {
    QString denominazione, partitaIva, codiceFiscale;
    QString indirizzo, cap, comune, provincia, stato;
    QString codiceDestinatario, pec;
};

struct EInvoiceLine {
    QString descrizione;
    double quantita = 0;
    double prezzo = 0;
    QVariant importo;          // df_Importo as a number (Null: a line of text only)
    QVariant codiceIva;        // df_IVA as stored
    bool codiceIvaTrovato = false;
    double aliquota = 0;
    QString natura;
};

struct EInvoiceDocument {
    QString numero;
    QDate data;
    QString pagamento;         // fat_Descrizione_Pagamento
    QDate dataPagamento;
    bool clienteTrovato = false;
    EInvoiceCustomer cliente;
    std::vector<EInvoiceLine> righe;
};
