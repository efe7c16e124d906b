#pragma once

#include "FatturaPaSchema.h"

#include "TestShopDatabase.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QtTest>
#include <functional>

// A shop with its fiscal identity, five customers (private party by code,
// by PEC, abroad, public administration, one with a wrong partita IVA) and
// an invoice of December 2026 for each, written through `execute` into the
// test's shop database; and the official schema to check the files against.
struct EInvoiceShopData {
    std::function<void(const QString &)> execute;

    explicit EInvoiceShopData(std::function<void(const QString &)> run, bool withIdentity = true)
        : execute(std::move(run))
    {
        if (withIdentity)
            execute(QStringLiteral(
            "insert into Azienda (az_Codice, az_Denominazione, az_Partita_IVA, az_Codice_Fiscale, az_Indirizzo, az_CAP, "
            "az_Comune, az_Provincia, az_REA, az_Telefono, az_Email) values (1, 'Tarvo Abbigliamento di Rossi Mario', "
            "'00743110157', 'RSSMRA85T10A562S', 'Corso della Repubblica 5', '47121', 'Forlì', 'FC', 'FO-123456', "
            "'0543 123456', 'negozio@tarvo.it')"));
        execute(QStringLiteral("update IVA set IVA_Natura = null"));
        execute(QStringLiteral("insert into IVA (IVA_Codice, IVA_Descrizione, IVA_Aliquota, IVA_Natura) values "
                                    "(5, 'Esente art. 10', 0, 'N4'), (7, 'Agricola 7,3%', '7,3', null)"));
        addCustomer(1, "Sartoria Bianchi srl", "01234567897", "", "Via Roma 1", "20121", "Milano", "", "MI", "KRRH6B9", "");
        addCustomer(2, "Verdi Anna", "", "RSSMRA85T10A56NH", "Via Dante 3", "00184", "Roma", "Italia", "RM", "",
                    "anna.verdi@pec.it");
        addCustomer(3, "Modehaus Müller GmbH", "DE123456789", "", "Hauptstraße 7", "80331", "München", "Germania", "",
                    "", "");
        addCustomer(4, "Comune di Forlì", "00606620409", "", "Piazza Saffi 8", "47121", "Forlì", "", "FC", "UFY9MH", "");
        addCustomer(5, "Neri Luca", "01234567890", "", "Via Emilia 9", "40121", "Bologna", "", "BO", "0000000",
                    "luca.neri@pec.it");
        // Three lines of 0,35 at 22 %: 0,077 each, 0,23 for the group (0,24 line by line).
        addInvoice("26-00001", "2026-12-01", 1, "Contanti",
                   {{"Giacca in lana", 1, 89.9, "3"}, {"Bottoni", 1, 0.35, "3"}, {"Filo", 1, 0.35, "3"},
                    {"Ago", 1, 0.35, "3"}, {"Uova", 3, 2.15, "1"}, {"Nota: consegna in negozio", 0, 0, "3", true}});
        addInvoice("26-00002", "2026-12-03", 2, "Bonifico",
                   {{"Riparazione orlo", 2, 12.5, "2"}, {"Visita esente", 1, 40, "5"}, {"Miele € 5", 1, 10.33, "7"}});
        addInvoice("26-00003", "2026-12-10", 3, "Carta di credito", {{"Cappotto", 1, 250, "3"}, {"Reso sciarpa", -1, 30, "3"}});
        addInvoice("26-00004", "2026-12-15", 4, "Assegno", {{"Divise", 10, 45.5, "3"}});
        addInvoice("26-00005", "2026-12-20", 5, "Contanti", {{"Camicia", 1, 39, "3"}});
        addInvoice("26-00006", "2027-01-02", 1, "Contanti", {{"Gennaio", 1, 1, "3"}});
    }

    struct Line {
        const char *descrizione;
        double quantita;
        double prezzo;
        const char *iva;
        bool textOnly = false;
    };

    void addCustomer(int id, const char *name, const char *vat, const char *cf, const char *address, const char *cap,
                     const char *town, const char *country, const char *province, const char *code, const char *pec)
    {
        execute(QStringLiteral("insert into Anagrafica (anag_Contatore, anag_Denominazione, anag_Partita_IVA, "
                                    "anag_Codice_Fiscale, anag_Indirizzo, anag_Cap, anag_Località, anag_Stato, "
                                    "anag_Provincia, anag_Codice_Destinatario, anag_PEC) values (%1, '%2', '%3', '%4', "
                                    "'%5', '%6', '%7', '%8', '%9', '%10', '%11')")
                         .arg(id)
                         .arg(QString::fromUtf8(name), QString::fromUtf8(vat), QString::fromUtf8(cf),
                              QString::fromUtf8(address), QString::fromUtf8(cap), QString::fromUtf8(town),
                              QString::fromUtf8(country), QString::fromUtf8(province), QString::fromUtf8(code))
                         .arg(QString::fromUtf8(pec)));
    }

    void addInvoice(const char *numero, const char *data, int cliente, const char *pagamento, const QList<Line> &lines)
    {
        execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, "
                                    "fat_Descrizione_Pagamento) values ('%1', #%2#, %3, '%4')")
                         .arg(QLatin1String(numero), QLatin1String(data)).arg(cliente).arg(QLatin1String(pagamento)));
        for (const Line &l : lines)
            execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, "
                                        "df_Prezzo, df_IVA, df_Importo) values ('%1', '%2', %3, %4, %5, %6)")
                             .arg(QLatin1String(numero), QString::fromUtf8(l.descrizione))
                             .arg(l.textOnly ? QStringLiteral("null") : QString::number(l.quantita))
                             .arg(l.textOnly ? QStringLiteral("null") : QString::number(l.prezzo))
                             .arg(QLatin1String(l.iva))
                             .arg(l.textOnly ? QStringLiteral("null") : QString::number(l.quantita * l.prezzo, 'g', 17)));
    }

    // xmllint's verdict on a file against the official schema: empty when valid.
    static QString schemaErrors(const QString &file) { return fatturaPaSchemaErrors(file); }
};

struct EInvoiceShopFixture {
    TestShopDatabase shop;
    EInvoiceShopData data{[this](const QString &sql) { shop.execute(sql); }};
};
