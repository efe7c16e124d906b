#pragma once

#include <QDate>
#include <QList>
#include <QString>

// A supplier's electronic invoice as its file says it: who sent it, the
// document's own data and its lines, each with the codes the supplier gave
// its goods. Amounts are the file's, unrounded.
struct SupplierArticleCode {
    QString type;    // CodiceTipo: "EAN", "SKU", the supplier's own word...
    QString value;   // CodiceValore

    bool operator==(const SupplierArticleCode &other) const = default;
};

struct SupplierInvoiceLine {
    int number = 0;                 // NumeroLinea
    QString kind;                   // TipoCessionePrestazione: SC, PR, AB, AC or empty
    QList<SupplierArticleCode> codes;
    QString description;
    bool hasQuantity = false;
    double quantity = 0;
    QString unit;
    double unitPrice = 0;           // PrezzoUnitario, before the line's discounts
    double totalPrice = 0;          // PrezzoTotale, after them
    double vatRate = 0;

    // Goods the shop puts on its shelves: a quantity, a price, no discount,
    // premium, rebate or ancillary charge of its own.
    bool isGoods() const;
    // What one piece cost once the line's discounts are taken off.
    double netUnitPrice() const;
    // The bar code the supplier gave (an EAN), empty when none.
    QString ean() const;
    // The line's codes as the preview shows them: "EAN 8001234567895, SKU A/7".
    QString codesText() const;
    // The quantity as the file gives it, without trailing zeros: "2", "2.5".
    QString quantityText() const;
};

struct SupplierParty {
    QString country;                // IdPaese
    QString vatNumber;              // IdCodice
    QString taxCode;                // CodiceFiscale
    QString name;                   // Denominazione, or Nome and Cognome
    QString address, postcode, town, province, nation;

    // The partita IVA as the register keeps it: the number alone for an
    // Italian supplier, the country before it otherwise.
    QString registerVatNumber() const;
};

struct SupplierInvoice {
    SupplierParty supplier;
    QString documentType;           // TD01 invoice, TD04 credit note...
    QString currency;
    QDate date;
    QString number;
    bool hasTotal = false;
    double total = 0;               // ImportoTotaleDocumento
    QList<SupplierInvoiceLine> lines;

    // The document's total: its own figure, else its lines and VAT summed.
    double documentTotal() const;
    double vatTotal = 0;            // the summary's Imposta, summed
    double taxableTotal = 0;        // the summary's ImponibileImporto, summed
};
