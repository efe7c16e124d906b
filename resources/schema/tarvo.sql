-- The shop's database. Column types name what each field holds:
-- INTEGER PRIMARY KEY AUTOINCREMENT (counter), LONG, DOUBLE (number),
-- TEXT, DATE (ISO text yyyy-mm-dd), YESNO (-1 true, 0 false).
-- The program compares and sorts text ignoring case, accented letters next
-- to their base letter (its collation TESTO, applied in the statements it
-- runs); the file names no collation of its own, so any SQLite tool reads
-- it. The indexes on text columns are built on the program's text keys,
-- expressions of SQLite's own functions (platform/db/TextKeys.cpp); the
-- program adds them when it creates the file, as the upgrade to version 2
-- does.
--
-- Schema version (pragma user_version): each change of this file is also a
-- step of the upgrade (platform/db/SchemaVersions.cpp). Columns added by a
-- step are written here as SQLite writes them after "alter table ... add
-- column", so that an upgraded file and a new one have the same schema.
PRAGMA user_version = 9;

CREATE TABLE Articoli (
    art_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    art_Descrizione TEXT,
    art_Fornitore TEXT,
    art_Prezzo_Carico DOUBLE,
    art_Prezzo_Listino DOUBLE,
    art_Prezzo_Medio DOUBLE,
    art_Ricarico DOUBLE,
    art_Quantita DOUBLE,
    art_Usato YESNO DEFAULT 0,
    art_Data_Ultima_Vendita DATE,
    art_Note TEXT,
    art_Varie TEXT
);
-- The article grid sorted by the date of the last sale.
CREATE INDEX Articoli_DataUltimaVendita ON Articoli (art_Data_Ultima_Vendita);
-- Any part of a description ("Ricerca Generica"): a trigram index of the
-- descriptions, kept in step with Articoli by the triggers below, inside the
-- statement (and so the transaction) that changes the article.
CREATE VIRTUAL TABLE ArticoliTrigrammi USING fts5(art_Descrizione, content='Articoli', content_rowid='art_Codice',
    tokenize='trigram');
CREATE TRIGGER ArticoliTrigrammi_Inserimento AFTER INSERT ON Articoli BEGIN
    INSERT INTO ArticoliTrigrammi (rowid, art_Descrizione) VALUES (new.art_Codice, new.art_Descrizione);
END;
CREATE TRIGGER ArticoliTrigrammi_Eliminazione AFTER DELETE ON Articoli BEGIN
    INSERT INTO ArticoliTrigrammi (ArticoliTrigrammi, rowid, art_Descrizione)
        VALUES ('delete', old.art_Codice, old.art_Descrizione);
END;
CREATE TRIGGER ArticoliTrigrammi_Modifica AFTER UPDATE OF art_Codice, art_Descrizione ON Articoli BEGIN
    INSERT INTO ArticoliTrigrammi (ArticoliTrigrammi, rowid, art_Descrizione)
        VALUES ('delete', old.art_Codice, old.art_Descrizione);
    INSERT INTO ArticoliTrigrammi (rowid, art_Descrizione) VALUES (new.art_Codice, new.art_Descrizione);
END;

CREATE TABLE [Codice Articolo] (
    ca_Codice TEXT NOT NULL PRIMARY KEY,
    ca_Codice_Articolo LONG,
    ca_Taglia TEXT,
    ca_Colore TEXT,
    ca_Quantita LONG DEFAULT 0
, ca_Scorta_Minima LONG);
CREATE INDEX CodiceArticolo_Articolo ON [Codice Articolo] (ca_Codice_Articolo);
-- The items with a minimum stock (empty: none), for the reorder list.
CREATE INDEX CodiceArticolo_ScortaMinima ON [Codice Articolo] (ca_Scorta_Minima) WHERE ca_Scorta_Minima IS NOT NULL;
-- The counter of the bar codes the shop makes itself ("2", the number on 11
-- digits, the EAN-13 check digit): one row per number given, never reused.
CREATE TABLE CodiciNegozio (cn_Numero INTEGER PRIMARY KEY AUTOINCREMENT);

CREATE TABLE carico (
    ca_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    ca_Codice_Articolo TEXT,
    ca_Data DATE,
    ca_Quantita DOUBLE,
    ca_Prezzo DOUBLE,
    ca_Usato YESNO DEFAULT 0
);
CREATE INDEX carico_Data ON carico (ca_Data);
-- The lists sorted by price read the period in price order from here.
CREATE INDEX carico_PrezzoData ON carico (ca_Prezzo, ca_Data);

CREATE TABLE scarico (
    sc_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    sc_Codice_Articolo TEXT,
    sc_Data DATE,
    sc_Quantita DOUBLE,
    sc_Prezzo DOUBLE,
    sc_Sconto DOUBLE,
    sc_Saldo DOUBLE,
    sc_Pagamento TEXT,
    sc_Usato YESNO DEFAULT 0
);
CREATE INDEX scarico_Data ON scarico (sc_Data);
CREATE INDEX scarico_PrezzoData ON scarico (sc_Prezzo, sc_Data);
CREATE INDEX scarico_DataArticolo ON scarico (sc_Data, sc_Codice_Articolo, sc_Quantita);

-- The sales summed for the statistics: by day and payment code (as the sale
-- has it, '' without one), and by period ('yyyy', 'yyyy-mm', 'yyyy-mm-dd')
-- and article (art_Codice of the sale's bar code, 0 for a code that is no
-- item). Pieces in thousandths, amounts in cents, each sale rounded before
-- it is added. The program keeps them in step with scarico by triggers,
-- inside the statement that writes the sale (platform/db/SalesSummary.cpp).
CREATE TABLE VenditeGiorno (
    vg_Data TEXT NOT NULL,
    vg_Pagamento TEXT NOT NULL,
    vg_Vendite LONG NOT NULL,
    vg_Pezzi_Millesimi LONG NOT NULL,
    vg_Incasso_Centesimi LONG NOT NULL,
    vg_Sconti_Centesimi LONG NOT NULL,
    PRIMARY KEY (vg_Data, vg_Pagamento)
) WITHOUT ROWID;
CREATE TABLE VenditeArticoli (
    va_Periodo TEXT NOT NULL,
    va_Articolo LONG NOT NULL,
    va_Vendite LONG NOT NULL,
    va_Pezzi_Millesimi LONG NOT NULL,
    va_Incasso_Centesimi LONG NOT NULL,
    PRIMARY KEY (va_Periodo, va_Articolo)
) WITHOUT ROWID;

-- A stock take: the count of a day, limited to a supplier's articles or to
-- the articles whose description holds a text (empty: all), open until it
-- is posted. What was counted of each item is kept as it is scanned; the
-- stock of the item when the count was posted is written beside it.
CREATE TABLE Inventari (
    inv_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    inv_Data DATE,
    inv_Fornitore TEXT,
    inv_Descrizione TEXT,
    inv_Azzera_Non_Contati YESNO DEFAULT 0,
    inv_Registrato YESNO DEFAULT 0,
    inv_Data_Registrazione DATE,
    inv_Note TEXT
);
CREATE TABLE InventarioConteggi (
    ic_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    ic_Inventario LONG NOT NULL,
    ic_Codice_Articolo TEXT NOT NULL,
    ic_Contato LONG NOT NULL DEFAULT 0,
    ic_Giacenza LONG
);
CREATE UNIQUE INDEX InventarioConteggi_Articolo ON InventarioConteggi (ic_Inventario, ic_Codice_Articolo);
-- The differences a posted count wrote: movements of their own (counted
-- minus in stock), neither loads nor sales, each with its count.
CREATE TABLE Rettifiche (
    re_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    re_Codice_Articolo TEXT,
    re_Data DATE,
    re_Quantita DOUBLE,
    re_Inventario LONG
);
CREATE INDEX Rettifiche_Data ON Rettifiche (re_Data);
CREATE INDEX Rettifiche_Inventario ON Rettifiche (re_Inventario);

-- Suppliers' electronic invoices read into the shop: each one once (the
-- supplier's partita IVA, the number and the date), with the name and the
-- SHA-256 fingerprint of its file and who signed it.
CREATE TABLE FattureFornitori (
    ff_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    ff_Fornitore LONG,
    ff_Partita_IVA TEXT,
    ff_Numero TEXT,
    ff_Data DATE,
    ff_Totale DOUBLE,
    ff_File TEXT,
    ff_Impronta TEXT,
    ff_Firmatario TEXT,
    ff_Data_Importazione DATE
);
CREATE UNIQUE INDEX FattureFornitori_Numero ON FattureFornitori (ff_Partita_IVA, ff_Numero, ff_Data);
-- A supplier's own article code (its type and value) as the user matched it
-- to one of the shop's items, for the next invoice.
CREATE TABLE CodiciFornitori (
    cf_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    cf_Partita_IVA TEXT,
    cf_Tipo TEXT,
    cf_Valore TEXT,
    cf_Codice_Articolo TEXT
);
CREATE UNIQUE INDEX CodiciFornitori_Codice ON CodiciFornitori (cf_Partita_IVA, cf_Tipo, cf_Valore);

CREATE TABLE Anagrafica (
    anag_Contatore INTEGER PRIMARY KEY AUTOINCREMENT,
    anag_Denominazione TEXT,
    anag_Indirizzo TEXT,
    anag_Cap TEXT,
    anag_Località TEXT,
    anag_Stato TEXT,
    anag_Telefono TEXT,
    anag_Fax TEXT,
    anag_Email TEXT,
    anag_Partita_IVA TEXT,
    anag_Codice_Fiscale TEXT,
    anag_Nota TEXT,
    anag_Fornitore YESNO DEFAULT 0
, anag_Codice_Destinatario TEXT, anag_PEC TEXT, anag_Provincia TEXT);

CREATE TABLE Fattura (
    fat_Numero TEXT NOT NULL PRIMARY KEY,
    fat_Data DATE,
    fat_Codice_Cliente LONG,
    fat_Descrizione_Pagamento TEXT,
    fat_Data_Pagamento DATE,
    fat_Pagato YESNO DEFAULT 0,
    fat_Imponibile DOUBLE,
    fat_Nota TEXT
);
CREATE INDEX Fattura_Data ON Fattura (fat_Data);
CREATE INDEX Fattura_Cliente ON Fattura (fat_Codice_Cliente);

CREATE TABLE [Dettaglio Fattura] (
    df_Numero_Fattura TEXT,
    df_Descrizione TEXT,
    df_Quantità DOUBLE,
    df_Prezzo DOUBLE,
    df_IVA LONG,
    df_Importo DOUBLE
);

CREATE TABLE IVA (
    IVA_Codice LONG NOT NULL PRIMARY KEY,
    IVA_Descrizione TEXT,
    IVA_Aliquota DOUBLE
, IVA_Natura TEXT);

CREATE TABLE Prestazione (
    pre_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    pre_Descrizione TEXT
);

CREATE TABLE Pagamenti (
    pag_Codice TEXT NOT NULL PRIMARY KEY,
    pag_Descrizione TEXT
);

CREATE TABLE Fornitore (
    fo_Descrizione TEXT NOT NULL PRIMARY KEY
);

CREATE TABLE [Prima Nota] (
    pn_id INTEGER PRIMARY KEY AUTOINCREMENT,
    pn_Data DATE,
    pn_Descrizione TEXT,
    pn_Fattura TEXT,
    pn_Uscita_Lire DOUBLE,
    pn_Uscita_Euro DOUBLE,
    pn_Note TEXT
);
CREATE INDEX PrimaNota_Data ON [Prima Nota] (pn_Data);

CREATE TABLE [Nota Fornitori] (
    pn_id INTEGER PRIMARY KEY AUTOINCREMENT,
    pn_Data DATE,
    pn_Descrizione TEXT,
    pn_Fattura TEXT,
    pn_Uscita_Lire DOUBLE,
    pn_Uscita_Euro DOUBLE,
    pn_Note TEXT
);
CREATE INDEX NotaFornitori_Data ON [Nota Fornitori] (pn_Data);

-- The shop's own fiscal identity (one row, written by "Dati azienda"): the
-- seller of the electronic invoices and the letterhead of the prints.
-- az_Progressivo_Invio counts the electronic invoice files ever written.
CREATE TABLE Azienda (
    az_Codice INTEGER PRIMARY KEY CHECK (az_Codice = 1),
    az_Denominazione TEXT,
    az_Partita_IVA TEXT,
    az_Codice_Fiscale TEXT,
    az_Regime_Fiscale TEXT DEFAULT 'RF01',
    az_Indirizzo TEXT,
    az_CAP TEXT,
    az_Comune TEXT,
    az_Provincia TEXT,
    az_Nazione TEXT DEFAULT 'IT',
    az_REA TEXT,
    az_Telefono TEXT,
    az_Email TEXT,
    az_Progressivo_Invio LONG NOT NULL DEFAULT 0
);

-- Tables maintained outside the program, delivered filled.
INSERT INTO IVA (IVA_Codice, IVA_Descrizione, IVA_Aliquota) VALUES
    (1, 'IVA 4%', 4),
    (2, 'IVA 10%', 10),
    (3, 'IVA 22%', 22);

INSERT INTO Pagamenti (pag_Codice, pag_Descrizione) VALUES
    ('CO', 'Contanti'),
    ('BA', 'Bancomat'),
    ('CC', 'Carta di credito'),
    ('AS', 'Assegno'),
    ('BO', 'Bonifico');

INSERT INTO Prestazione (pre_Codice, pre_Descrizione) VALUES
    (1, 'Riparazione'),
    (2, 'Modifica sartoriale'),
    (3, 'Confezione regalo'),
    (4, 'Consegna a domicilio');
