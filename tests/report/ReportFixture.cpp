#include "ReportFixture.h"

#include "db/Database.h"

#include <QDir>
#include <QFile>

namespace {

const char *const kRecords[] = {
    "insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) values ('Maglione lana', 'Dell''Orto', 20, 49.9)",
    "insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) values ('Jeans', 'Rossi', 30, 79)",
    "insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) values ('Cintura', 'Rossi', 5, 15)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values ('800001', 1, 'M', 'Blu', 5)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values ('800001U', 1, 'M', 'Blu', 1)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values ('800002', 2, '42', 'Nero', 3)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) values ('800001', #3/2/2026#, 5, 0, 0)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) values ('800002', #3/20/2026#, 3, 0, 0)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) values ('800001U', #4/1/2026#, 1, 0, -1)",
    "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, sc_Pagamento, sc_Usato) values ('800001', #3/10/2026#, 1, 49.9, 4.9, 45, 'CO', 0)",
    "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, sc_Pagamento, sc_Usato) values ('800002', #3/10/2026#, 2, 79, 0, 158, 'BA', 0)",
    "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, sc_Pagamento, sc_Usato) values ('800001U', #3/11/2026#, 1, 20, 0, 20, 'CO', -1)",
    "insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Cap, anag_Località, anag_Stato, anag_Partita_IVA, anag_Codice_Fiscale, anag_Fornitore) values ('Bianchi Mario', 'Via Verdi 3', '20100', 'Milano', 'Italia', '01234567890', 'BNCMRA70A01F205X', 0)",
    "insert into Anagrafica (anag_Denominazione, anag_Indirizzo, anag_Cap, anag_Località, anag_Stato, anag_Fornitore) values ('Tessuti Dell''Orto srl', 'Corso Como 9', '22100', 'Como', 'Italia', -1)",
    "insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Descrizione_Pagamento, fat_Pagato, fat_Imponibile) values ('26-00007', #4/15/2026#, 1, 'Bonifico', 0, 175)",
    "insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Descrizione_Pagamento, fat_Pagato, fat_Imponibile) values ('26-00008', #4/16/2026#, 2, 'Contanti', -1, 80)",
    "insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, df_Prezzo, df_IVA, df_Importo) values ('26-00007', 'Maglione lana', 2, 50, 3, 100)",
    "insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, df_Prezzo, df_IVA, df_Importo) values ('26-00007', 'Libro di sartoria', 1, 25, 1, 25)",
    "insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, df_Prezzo, df_IVA, df_Importo) values ('26-00007', 'Sciarpa', 1, 50, 3, 50)",
    "insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, df_Prezzo, df_IVA, df_Importo) values ('26-00008', 'Riparazione', 1, 80, 3, 80)",
    "insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Fattura, pn_Uscita_Lire, pn_Uscita_Euro) values (#1/5/2026#, 'Affitto negozio', 'F12', 1936270, 1000)",
    "insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro) values (#2/5/2026#, 'Luce', 290441, 150)",
    "insert into [Nota Fornitori] (pn_Data, pn_Descrizione, pn_Fattura, pn_Uscita_Lire, pn_Uscita_Euro) values (#1/20/2026#, 'Tessuti Dell''Orto', 'A-77', 968135, 500)",
};

} // namespace

ReportFixture::ReportFixture()
{
    for (const char *record : kRecords)
        m_shop.execute(QString::fromUtf8(record));
    const QDir reports(QDir(qEnvironmentVariable("TARVO_SOURCE_DIR")).filePath("resources/reports"));
    for (const QString &name : reports.entryList({"*.rpt"}, QDir::Files))
        QFile::copy(reports.filePath(name), templatePath(name));
    QFile letterhead(templatePath(QStringLiteral("intestazione.txt")));
    if (!letterhead.open(QIODevice::WriteOnly))
        return;
    letterhead.write("# prova\nMerceria Prova\nVia Test 1 - 00100 Roma\n");
    m_valid = true;
}
