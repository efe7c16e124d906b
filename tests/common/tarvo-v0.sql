-- The schema of the first release (version 0, no user_version), kept as
-- the fixture the upgrade is tested from. Never edit: it is history.
-- The shop's database. Column types name what each field holds:
-- INTEGER PRIMARY KEY AUTOINCREMENT (counter), LONG, DOUBLE (number),
-- TEXT, DATE (ISO text yyyy-mm-dd), YESNO (-1 true, 0 false).
-- Text compares and sorts ignoring case (collation TESTO), as the program
-- has always mixed cases in names and codes.

CREATE TABLE Articoli (
    art_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    art_Descrizione TEXT COLLATE TESTO,
    art_Fornitore TEXT COLLATE TESTO,
    art_Prezzo_Carico DOUBLE,
    art_Prezzo_Listino DOUBLE,
    art_Prezzo_Medio DOUBLE,
    art_Ricarico DOUBLE,
    art_Quantita DOUBLE,
    art_Usato YESNO DEFAULT 0,
    art_Data_Ultima_Vendita DATE,
    art_Note TEXT COLLATE TESTO,
    art_Varie TEXT COLLATE TESTO
);
CREATE INDEX Articoli_Descrizione ON Articoli (art_Descrizione);
CREATE INDEX Articoli_Fornitore ON Articoli (art_Fornitore);

CREATE TABLE [Codice Articolo] (
    ca_Codice TEXT COLLATE TESTO NOT NULL PRIMARY KEY,
    ca_Codice_Articolo LONG,
    ca_Taglia TEXT COLLATE TESTO,
    ca_Colore TEXT COLLATE TESTO,
    ca_Quantita LONG DEFAULT 0
);
CREATE INDEX CodiceArticolo_Articolo ON [Codice Articolo] (ca_Codice_Articolo);

CREATE TABLE carico (
    ca_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    ca_Codice_Articolo TEXT COLLATE TESTO,
    ca_Data DATE,
    ca_Quantita DOUBLE,
    ca_Prezzo DOUBLE,
    ca_Usato YESNO DEFAULT 0
);
CREATE INDEX carico_CodiceArticolo ON carico (ca_Codice_Articolo);
CREATE INDEX carico_Data ON carico (ca_Data);

CREATE TABLE scarico (
    sc_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    sc_Codice_Articolo TEXT COLLATE TESTO,
    sc_Data DATE,
    sc_Quantita DOUBLE,
    sc_Prezzo DOUBLE,
    sc_Sconto DOUBLE,
    sc_Saldo DOUBLE,
    sc_Pagamento TEXT COLLATE TESTO,
    sc_Usato YESNO DEFAULT 0
);
CREATE INDEX scarico_CodiceArticolo ON scarico (sc_Codice_Articolo);
CREATE INDEX scarico_Data ON scarico (sc_Data);

CREATE TABLE Anagrafica (
    anag_Contatore INTEGER PRIMARY KEY AUTOINCREMENT,
    anag_Denominazione TEXT COLLATE TESTO,
    anag_Indirizzo TEXT COLLATE TESTO,
    anag_Cap TEXT COLLATE TESTO,
    anag_Località TEXT COLLATE TESTO,
    anag_Stato TEXT COLLATE TESTO,
    anag_Telefono TEXT COLLATE TESTO,
    anag_Fax TEXT COLLATE TESTO,
    anag_Email TEXT COLLATE TESTO,
    anag_Partita_IVA TEXT COLLATE TESTO,
    anag_Codice_Fiscale TEXT COLLATE TESTO,
    anag_Nota TEXT COLLATE TESTO,
    anag_Fornitore YESNO DEFAULT 0
);
CREATE INDEX Anagrafica_Denominazione ON Anagrafica (anag_Denominazione);

CREATE TABLE Fattura (
    fat_Numero TEXT COLLATE TESTO NOT NULL PRIMARY KEY,
    fat_Data DATE,
    fat_Codice_Cliente LONG,
    fat_Descrizione_Pagamento TEXT COLLATE TESTO,
    fat_Data_Pagamento DATE,
    fat_Pagato YESNO DEFAULT 0,
    fat_Imponibile DOUBLE,
    fat_Nota TEXT COLLATE TESTO
);
CREATE INDEX Fattura_Data ON Fattura (fat_Data);
CREATE INDEX Fattura_Cliente ON Fattura (fat_Codice_Cliente);

CREATE TABLE [Dettaglio Fattura] (
    df_Numero_Fattura TEXT COLLATE TESTO,
    df_Descrizione TEXT COLLATE TESTO,
    df_Quantità DOUBLE,
    df_Prezzo DOUBLE,
    df_IVA LONG,
    df_Importo DOUBLE
);
CREATE INDEX DettaglioFattura_Numero ON [Dettaglio Fattura] (df_Numero_Fattura, df_IVA);

CREATE TABLE IVA (
    IVA_Codice LONG NOT NULL PRIMARY KEY,
    IVA_Descrizione TEXT COLLATE TESTO,
    IVA_Aliquota DOUBLE
);

CREATE TABLE Prestazione (
    pre_Codice INTEGER PRIMARY KEY AUTOINCREMENT,
    pre_Descrizione TEXT COLLATE TESTO
);

CREATE TABLE Pagamenti (
    pag_Codice TEXT COLLATE TESTO NOT NULL PRIMARY KEY,
    pag_Descrizione TEXT COLLATE TESTO
);

CREATE TABLE Fornitore (
    fo_Descrizione TEXT COLLATE TESTO NOT NULL PRIMARY KEY
);

CREATE TABLE [Prima Nota] (
    pn_id INTEGER PRIMARY KEY AUTOINCREMENT,
    pn_Data DATE,
    pn_Descrizione TEXT COLLATE TESTO,
    pn_Fattura TEXT COLLATE TESTO,
    pn_Uscita_Lire DOUBLE,
    pn_Uscita_Euro DOUBLE,
    pn_Note TEXT COLLATE TESTO
);
CREATE INDEX PrimaNota_Data ON [Prima Nota] (pn_Data);

CREATE TABLE [Nota Fornitori] (
    pn_id INTEGER PRIMARY KEY AUTOINCREMENT,
    pn_Data DATE,
    pn_Descrizione TEXT COLLATE TESTO,
    pn_Fattura TEXT COLLATE TESTO,
    pn_Uscita_Lire DOUBLE,
    pn_Uscita_Euro DOUBLE,
    pn_Note TEXT COLLATE TESTO
);
CREATE INDEX NotaFornitori_Data ON [Nota Fornitori] (pn_Data);

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
