-- The shop's database on a PostgreSQL 15 server: the schema of tarvo.sql,
-- at the same version, for the same statements.
--
-- Names are quoted exactly as SQLite's schema spells them (spaces and
-- accents included). Every table has a "rowid" of its own, as every SQLite
-- table has: the engine addresses rows by it, and tarvo-migra copies
-- SQLite's rowids into it and then moves its identity past them. Counters
-- are identity columns; yes/no stay integers (-1 true, 0 false); dates are
-- timestamps; numbers double precision, as SQLite stores them.
--
-- Text columns use the "C" collation: plain comparisons and orders are
-- bytewise, as on SQLite, whatever the server's locale. The program's own
-- comparison (case and Italian accents ignored) goes through the text keys
-- below, the same keys as platform/db/TextKeys.cpp computes on SQLite, or
-- through the collation testo. Its "like" is this schema's operator ~~,
-- which the engine's search_path (public, pg_catalog) puts before the
-- server's; an index serves only the server's own, on a key:
-- tarvo_key(x) OPERATOR(pg_catalog.~~) '%text%' (the trigram index) or
-- 'text%' (a plain btree index, text_pattern_ops would add nothing).
--
-- Version: the one table tarvo_schema holds the number SQLite keeps in
-- pragma user_version. A change of tarvo.sql changes this file alike.

CREATE TABLE tarvo_schema (version integer NOT NULL);
INSERT INTO tarvo_schema (version) VALUES (9);

-- lower() of ASCII and of the accented capitals of Italian; any other
-- letter (Ü, Ç) keeps its case and accent, as in SQLite's lower(). The
-- explicit "C" makes lower() leave non-ASCII letters alone in any locale.
CREATE FUNCTION tarvo_key(value text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    RETURN lower(translate(value, 'ÀÁÈÉÌÍÒÓÙÚ', 'àáèéìíòóùú') COLLATE "C");
-- The key without the accents: the first level of the program's order.
CREATE FUNCTION tarvo_sort(value text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    RETURN translate(tarvo_key(value), 'àáèéìíòóùú', 'aaeeiioouu') COLLATE "C";

-- The program's collation TESTO (the unquoted name folds to testo): two
-- texts are equal when they differ by case only, and accented letters sort
-- next to their base letter (ICU at the second strength: letters, then
-- accents; case ignored). The engine names it where the program compares or
-- sorts text as the program does. Two orders are ICU's, not the program's:
-- punctuation among itself and against digits, and two accents on one
-- letter (é before è); the engine's order by puts tarvo_sort first, so the
-- second decides only between such twins.
CREATE COLLATION testo (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

-- The program's "like": * any text, ? one character, # one digit, [abc],
-- [!abc], [a-z]; % and _ are ordinary; case ignored, accented letters too.
-- The pattern becomes an anchored regular expression over the lowered text:
-- every character written as \Uxxxxxxxx, so nothing in the pattern is read
-- as regular expression syntax; a "[" with no closing "]" is an ordinary
-- character, a range written backwards matches nothing, as in the program.
-- Lowering goes through ICU ("und-x-icu"), any letter in any locale;
-- matching through "C", since regular expressions refuse testo. The high
-- cost of the translation keeps the server on plans made with the pattern
-- known, where it is translated once; a plan for any pattern would
-- translate it again on every row.
CREATE FUNCTION tarvo_like_char(c text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    RETURN '\U' || lpad(to_hex(ascii(c)), 8, '0');
CREATE FUNCTION tarvo_like_class(class text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    RETURN (SELECT CASE WHEN negated THEN coalesce('[^' || nullif(items, '') || ']', '.')
                        ELSE coalesce('[' || nullif(items, '') || ']', '(?!)') END
            FROM (SELECT left(class COLLATE "C", 2) = '[!' AS negated) n,
                 LATERAL (SELECT string_agg(CASE WHEN m[3] IS NOT NULL THEN tarvo_like_char(m[3])
                                                 WHEN ascii(m[1]) <= ascii(m[2])
                                                 THEN tarvo_like_char(m[1]) || '-' || tarvo_like_char(m[2])
                                                 ELSE '' END, '' ORDER BY i) AS items
                          FROM regexp_matches(substr(class COLLATE "C", CASE WHEN negated THEN 3 ELSE 2 END,
                                                     length(class) - CASE WHEN negated THEN 3 ELSE 2 END),
                                              '(.)-(.)|(.)', 'g') WITH ORDINALITY AS t(m, i)) c);
CREATE FUNCTION tarvo_like_regex(pattern text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE COST 10000
    RETURN (SELECT '^(?:' || coalesce(string_agg(CASE m[1] WHEN '*' THEN '.*' WHEN '?' THEN '.'
                                                            WHEN '#' THEN '[0-9]'
                                                            ELSE CASE WHEN length(m[1]) = 1
                                                                      THEN tarvo_like_char(m[1])
                                                                      ELSE tarvo_like_class(m[1]) END END,
                                                 '' ORDER BY i), '') || ')$'
            FROM regexp_matches(lower(pattern COLLATE "und-x-icu") COLLATE "C",
                                '\[!.[^]]*\]|\[[^!][^]]*\]|.', 'g') WITH ORDINALITY AS t(m, i));
CREATE FUNCTION tarvo_like(value text, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN lower(value COLLATE "und-x-icu") COLLATE "C" ~ tarvo_like_regex(pattern);
CREATE FUNCTION tarvo_not_like(value text, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN NOT tarvo_like(value, pattern);
-- The engine sets search_path = public, pg_catalog, so that LIKE and
-- NOT LIKE on text are these, whatever the collation of the operands.
CREATE OPERATOR ~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = tarvo_like, NEGATOR = OPERATOR(public.!~~));
CREATE OPERATOR !~~ (LEFTARG = text, RIGHTARG = text, FUNCTION = tarvo_not_like, NEGATOR = OPERATOR(public.~~));
-- "like" on a number reads the number as SQLite writes it: integers plain,
-- reals with 15 significant digits and at least one decimal ("12.0"), with
-- an exponent below 0.0001 and from 1e15 on ("1.0e+15", "2.5e-07").
-- An integer has operators of its own: the server would otherwise read it
-- as double precision, its preferred number type. Dates have none.
CREATE FUNCTION tarvo_real_exponent(rounded numeric) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    RETURN (SELECT CASE WHEN rounded < 0 THEN '-' ELSE '' END
                   || left(digits, 1) || '.' || coalesce(nullif(rtrim(substr(digits, 2), '0'), ''), '0')
                   || CASE WHEN exponent < 0 THEN 'e-' ELSE 'e+' END
                   || CASE WHEN abs(exponent) < 10 THEN '0' ELSE '' END || abs(exponent)
            FROM (SELECT CASE WHEN whole <> '0' THEN whole || fraction ELSE ltrim(fraction, '0') END AS digits,
                         CASE WHEN whole <> '0' THEN length(whole) - 1
                              ELSE length(ltrim(fraction, '0')) - length(fraction) - 1 END AS exponent
                  FROM (SELECT split_part(abs(rounded)::text, '.', 1) AS whole,
                               split_part(abs(rounded)::text, '.', 2) AS fraction) p) d);
CREATE FUNCTION tarvo_real_text(value double precision) RETURNS text
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN CASE WHEN value = trunc(value) AND abs(value) < 1e15 THEN trunc(value)::bigint::text || '.0'
                WHEN value IN ('Infinity', '-Infinity') THEN replace(value::text, 'inity', '')
                WHEN abs(value::numeric) >= 0.0001 AND abs(value::numeric) < 1e15
                THEN regexp_replace(value::numeric::text || '.0' COLLATE "C", '(\..*)\.0$', '\1')
                ELSE tarvo_real_exponent(value::numeric) END;
CREATE FUNCTION tarvo_like(value bigint, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN tarvo_like(value::text, pattern);
CREATE FUNCTION tarvo_not_like(value bigint, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN NOT tarvo_like(value::text, pattern);
CREATE FUNCTION tarvo_like(value integer, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN tarvo_like(value::text, pattern);
CREATE FUNCTION tarvo_not_like(value integer, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN NOT tarvo_like(value::text, pattern);
CREATE FUNCTION tarvo_like(value double precision, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN tarvo_like(tarvo_real_text(value), pattern);
CREATE FUNCTION tarvo_not_like(value double precision, pattern text) RETURNS boolean
    LANGUAGE sql IMMUTABLE PARALLEL SAFE
    RETURN NOT tarvo_like(tarvo_real_text(value), pattern);
CREATE OPERATOR ~~ (LEFTARG = bigint, RIGHTARG = text, FUNCTION = tarvo_like, NEGATOR = OPERATOR(public.!~~));
CREATE OPERATOR !~~ (LEFTARG = bigint, RIGHTARG = text, FUNCTION = tarvo_not_like, NEGATOR = OPERATOR(public.~~));
CREATE OPERATOR ~~ (LEFTARG = integer, RIGHTARG = text, FUNCTION = tarvo_like, NEGATOR = OPERATOR(public.!~~));
CREATE OPERATOR !~~ (LEFTARG = integer, RIGHTARG = text, FUNCTION = tarvo_not_like, NEGATOR = OPERATOR(public.~~));
CREATE OPERATOR ~~ (LEFTARG = double precision, RIGHTARG = text, FUNCTION = tarvo_like, NEGATOR = OPERATOR(public.!~~));
CREATE OPERATOR !~~ (LEFTARG = double precision, RIGHTARG = text, FUNCTION = tarvo_not_like, NEGATOR = OPERATOR(public.~~));

CREATE TABLE "Articoli" (
    "art_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "art_Descrizione" text COLLATE "C",
    "art_Fornitore" text COLLATE "C",
    "art_Prezzo_Carico" double precision,
    "art_Prezzo_Listino" double precision,
    "art_Prezzo_Medio" double precision,
    "art_Ricarico" double precision,
    "art_Quantita" double precision,
    "art_Usato" integer DEFAULT 0,
    "art_Data_Ultima_Vendita" timestamp,
    "art_Note" text COLLATE "C",
    "art_Varie" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Articoli_rowid" ON "Articoli" (rowid);
CREATE INDEX "Articoli_Descrizione" ON "Articoli" (tarvo_sort("art_Descrizione"));
CREATE INDEX "Articoli_Fornitore" ON "Articoli" (tarvo_key("art_Fornitore"));
CREATE INDEX "Articoli_DataUltimaVendita" ON "Articoli" ("art_Data_Ultima_Vendita");
-- Any part of a description ("Ricerca Generica"): SQLite's trigram table
-- ArticoliTrigrammi becomes a trigram index of the folded descriptions,
-- kept by the server itself (no triggers).
CREATE EXTENSION IF NOT EXISTS pg_trgm;
CREATE INDEX "ArticoliTrigrammi" ON "Articoli" USING gin (tarvo_key("art_Descrizione") gin_trgm_ops);

CREATE TABLE "Codice Articolo" (
    "ca_Codice" text COLLATE "C" NOT NULL PRIMARY KEY,
    "ca_Codice_Articolo" bigint,
    "ca_Taglia" text COLLATE "C",
    "ca_Colore" text COLLATE "C",
    "ca_Quantita" bigint DEFAULT 0,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY,
    "ca_Scorta_Minima" bigint
);
CREATE UNIQUE INDEX "Codice Articolo_rowid" ON "Codice Articolo" (rowid);
CREATE INDEX "CodiceArticolo_ScortaMinima" ON "Codice Articolo" ("ca_Scorta_Minima")
    WHERE "ca_Scorta_Minima" IS NOT NULL;
CREATE INDEX "CodiceArticolo_Articolo" ON "Codice Articolo" ("ca_Codice_Articolo");
CREATE UNIQUE INDEX "CodiceArticolo_Codice" ON "Codice Articolo" (tarvo_key("ca_Codice"));
-- The counter of the bar codes the shop makes itself: its identity is a
-- sequence, which never gives a number back.
CREATE TABLE "CodiciNegozio" (
    "cn_Numero" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "CodiciNegozio_rowid" ON "CodiciNegozio" (rowid);

CREATE TABLE carico (
    "ca_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "ca_Codice_Articolo" text COLLATE "C",
    "ca_Data" timestamp,
    "ca_Quantita" double precision,
    "ca_Prezzo" double precision,
    "ca_Usato" integer DEFAULT 0,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "carico_rowid" ON carico (rowid);
CREATE INDEX "carico_Data" ON carico ("ca_Data");
CREATE INDEX "carico_PrezzoData" ON carico ("ca_Prezzo", "ca_Data");
CREATE INDEX "carico_CodiceArticolo" ON carico (tarvo_key("ca_Codice_Articolo"));

CREATE TABLE scarico (
    "sc_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "sc_Codice_Articolo" text COLLATE "C",
    "sc_Data" timestamp,
    "sc_Quantita" double precision,
    "sc_Prezzo" double precision,
    "sc_Sconto" double precision,
    "sc_Saldo" double precision,
    "sc_Pagamento" text COLLATE "C",
    "sc_Usato" integer DEFAULT 0,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "scarico_rowid" ON scarico (rowid);
CREATE INDEX "scarico_Data" ON scarico ("sc_Data");
CREATE INDEX "scarico_PrezzoData" ON scarico ("sc_Prezzo", "sc_Data");
CREATE INDEX "scarico_DataArticolo" ON scarico ("sc_Data", "sc_Codice_Articolo", "sc_Quantita");
CREATE INDEX "scarico_CodiceArticolo" ON scarico (tarvo_key("sc_Codice_Articolo"));

-- The sales summed for the statistics (tarvo.sql), kept by the trigger
-- below inside the statement that writes the sale. They have no rowid: the
-- program only reads them, and tarvo-migra sums them again from the sales
-- it copied instead of copying them.
CREATE TABLE "VenditeGiorno" (
    "vg_Data" text COLLATE "C" NOT NULL,
    "vg_Pagamento" text COLLATE "C" NOT NULL,
    "vg_Vendite" bigint NOT NULL,
    "vg_Pezzi_Millesimi" bigint NOT NULL,
    "vg_Incasso_Centesimi" bigint NOT NULL,
    "vg_Sconti_Centesimi" bigint NOT NULL,
    PRIMARY KEY ("vg_Data", "vg_Pagamento")
);
CREATE TABLE "VenditeArticoli" (
    "va_Periodo" text COLLATE "C" NOT NULL,
    "va_Articolo" bigint NOT NULL,
    "va_Vendite" bigint NOT NULL,
    "va_Pezzi_Millesimi" bigint NOT NULL,
    "va_Incasso_Centesimi" bigint NOT NULL,
    PRIMARY KEY ("va_Periodo", "va_Articolo")
);
CREATE FUNCTION tarvo_vendite_somma(s scarico, segno integer) RETURNS void LANGUAGE plpgsql AS $f$
DECLARE giorno text; pagamento text; articolo bigint; pezzi bigint; incasso bigint; sconti bigint;
BEGIN
  IF s."sc_Data" IS NULL THEN RETURN; END IF;
  giorno := to_char(s."sc_Data", 'YYYY-MM-DD');
  pagamento := coalesce(s."sc_Pagamento", '');
  pezzi := segno * round((coalesce(s."sc_Quantita", 0) * 1000)::numeric);
  incasso := segno * round((coalesce(s."sc_Saldo", 0) * 100)::numeric);
  sconti := segno * round((coalesce(s."sc_Sconto", 0) * 100)::numeric);
  SELECT "ca_Codice_Articolo" INTO articolo FROM "Codice Articolo"
    WHERE tarvo_key("ca_Codice") = tarvo_key(s."sc_Codice_Articolo");
  articolo := coalesce(articolo, 0);
  INSERT INTO "VenditeGiorno" VALUES (giorno, pagamento, segno, pezzi, incasso, sconti)
    ON CONFLICT ("vg_Data", "vg_Pagamento") DO UPDATE SET
    "vg_Vendite" = "VenditeGiorno"."vg_Vendite" + EXCLUDED."vg_Vendite",
    "vg_Pezzi_Millesimi" = "VenditeGiorno"."vg_Pezzi_Millesimi" + EXCLUDED."vg_Pezzi_Millesimi",
    "vg_Incasso_Centesimi" = "VenditeGiorno"."vg_Incasso_Centesimi" + EXCLUDED."vg_Incasso_Centesimi",
    "vg_Sconti_Centesimi" = "VenditeGiorno"."vg_Sconti_Centesimi" + EXCLUDED."vg_Sconti_Centesimi";
  INSERT INTO "VenditeArticoli"
    SELECT p, articolo, segno, pezzi, incasso FROM unnest(ARRAY[giorno, left(giorno, 7), left(giorno, 4)]) p
    ON CONFLICT ("va_Periodo", "va_Articolo") DO UPDATE SET
    "va_Vendite" = "VenditeArticoli"."va_Vendite" + EXCLUDED."va_Vendite",
    "va_Pezzi_Millesimi" = "VenditeArticoli"."va_Pezzi_Millesimi" + EXCLUDED."va_Pezzi_Millesimi",
    "va_Incasso_Centesimi" = "VenditeArticoli"."va_Incasso_Centesimi" + EXCLUDED."va_Incasso_Centesimi";
  IF segno < 0 THEN
    DELETE FROM "VenditeGiorno" WHERE "vg_Data" = giorno AND "vg_Pagamento" = pagamento
      AND "vg_Vendite" = 0;
    DELETE FROM "VenditeArticoli" WHERE "va_Periodo" IN (giorno, left(giorno, 7), left(giorno, 4))
      AND "va_Articolo" = articolo AND "va_Vendite" = 0;
  END IF;
END $f$;
CREATE FUNCTION tarvo_vendite_statistiche() RETURNS trigger LANGUAGE plpgsql AS $f$
BEGIN
  IF TG_OP IN ('UPDATE', 'DELETE') THEN PERFORM tarvo_vendite_somma(OLD, -1); END IF;
  IF TG_OP IN ('UPDATE', 'INSERT') THEN PERFORM tarvo_vendite_somma(NEW, 1); END IF;
  RETURN NULL;
END $f$;
CREATE TRIGGER "scarico_Statistiche" AFTER INSERT OR DELETE OR UPDATE OF "sc_Data", "sc_Codice_Articolo",
    "sc_Quantita", "sc_Saldo", "sc_Sconto", "sc_Pagamento" ON scarico
    FOR EACH ROW EXECUTE FUNCTION tarvo_vendite_statistiche();

-- The stock take, its counts and the differences it posted (tarvo.sql).
CREATE TABLE "Inventari" (
    "inv_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "inv_Data" timestamp,
    "inv_Fornitore" text COLLATE "C",
    "inv_Descrizione" text COLLATE "C",
    "inv_Azzera_Non_Contati" integer DEFAULT 0,
    "inv_Registrato" integer DEFAULT 0,
    "inv_Data_Registrazione" timestamp,
    "inv_Note" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Inventari_rowid" ON "Inventari" (rowid);
CREATE TABLE "InventarioConteggi" (
    "ic_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "ic_Inventario" bigint NOT NULL,
    "ic_Codice_Articolo" text COLLATE "C" NOT NULL,
    "ic_Contato" bigint NOT NULL DEFAULT 0,
    "ic_Giacenza" bigint,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "InventarioConteggi_rowid" ON "InventarioConteggi" (rowid);
CREATE UNIQUE INDEX "InventarioConteggi_Articolo" ON "InventarioConteggi" ("ic_Inventario", "ic_Codice_Articolo");
CREATE TABLE "Rettifiche" (
    "re_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "re_Codice_Articolo" text COLLATE "C",
    "re_Data" timestamp,
    "re_Quantita" double precision,
    "re_Inventario" bigint,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Rettifiche_rowid" ON "Rettifiche" (rowid);
CREATE INDEX "Rettifiche_Data" ON "Rettifiche" ("re_Data");
CREATE INDEX "Rettifiche_Inventario" ON "Rettifiche" ("re_Inventario");
CREATE INDEX "Rettifiche_CodiceArticolo" ON "Rettifiche" (tarvo_key("re_Codice_Articolo"));

-- Suppliers' electronic invoices read into the shop, and their codes (tarvo.sql).
CREATE TABLE "FattureFornitori" (
    "ff_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "ff_Fornitore" bigint,
    "ff_Partita_IVA" text COLLATE "C",
    "ff_Numero" text COLLATE "C",
    "ff_Data" timestamp,
    "ff_Totale" double precision,
    "ff_File" text COLLATE "C",
    "ff_Impronta" text COLLATE "C",
    "ff_Firmatario" text COLLATE "C",
    "ff_Data_Importazione" timestamp,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "FattureFornitori_rowid" ON "FattureFornitori" (rowid);
CREATE UNIQUE INDEX "FattureFornitori_Numero" ON "FattureFornitori" ("ff_Partita_IVA", "ff_Numero", "ff_Data");
CREATE TABLE "CodiciFornitori" (
    "cf_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "cf_Partita_IVA" text COLLATE "C",
    "cf_Tipo" text COLLATE "C",
    "cf_Valore" text COLLATE "C",
    "cf_Codice_Articolo" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "CodiciFornitori_rowid" ON "CodiciFornitori" (rowid);
CREATE UNIQUE INDEX "CodiciFornitori_Codice" ON "CodiciFornitori" ("cf_Partita_IVA", "cf_Tipo", "cf_Valore");

CREATE TABLE "Anagrafica" (
    "anag_Contatore" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "anag_Denominazione" text COLLATE "C",
    "anag_Indirizzo" text COLLATE "C",
    "anag_Cap" text COLLATE "C",
    "anag_Località" text COLLATE "C",
    "anag_Stato" text COLLATE "C",
    "anag_Telefono" text COLLATE "C",
    "anag_Fax" text COLLATE "C",
    "anag_Email" text COLLATE "C",
    "anag_Partita_IVA" text COLLATE "C",
    "anag_Codice_Fiscale" text COLLATE "C",
    "anag_Nota" text COLLATE "C",
    "anag_Fornitore" integer DEFAULT 0,
    "anag_Codice_Destinatario" text COLLATE "C",
    "anag_PEC" text COLLATE "C",
    "anag_Provincia" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Anagrafica_rowid" ON "Anagrafica" (rowid);
CREATE INDEX "Anagrafica_Denominazione" ON "Anagrafica" (tarvo_key("anag_Denominazione"));
CREATE INDEX "Anagrafica_OrdineDenominazione" ON "Anagrafica" (tarvo_sort("anag_Denominazione"));

CREATE TABLE "Fattura" (
    "fat_Numero" text COLLATE "C" NOT NULL PRIMARY KEY,
    "fat_Data" timestamp,
    "fat_Codice_Cliente" bigint,
    "fat_Descrizione_Pagamento" text COLLATE "C",
    "fat_Data_Pagamento" timestamp,
    "fat_Pagato" integer DEFAULT 0,
    "fat_Imponibile" double precision,
    "fat_Nota" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Fattura_rowid" ON "Fattura" (rowid);
CREATE INDEX "Fattura_Data" ON "Fattura" ("fat_Data");
CREATE INDEX "Fattura_Cliente" ON "Fattura" ("fat_Codice_Cliente");
CREATE UNIQUE INDEX "Fattura_Numero" ON "Fattura" (tarvo_key("fat_Numero"));
CREATE INDEX "Fattura_OrdineNumero" ON "Fattura" (tarvo_sort("fat_Numero"));

CREATE TABLE "Dettaglio Fattura" (
    "df_Numero_Fattura" text COLLATE "C",
    "df_Descrizione" text COLLATE "C",
    "df_Quantità" double precision,
    "df_Prezzo" double precision,
    "df_IVA" bigint,
    "df_Importo" double precision,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Dettaglio Fattura_rowid" ON "Dettaglio Fattura" (rowid);
CREATE INDEX "DettaglioFattura_Numero" ON "Dettaglio Fattura" (tarvo_key("df_Numero_Fattura"), "df_IVA");
CREATE INDEX "DettaglioFattura_NumeroEsatto" ON "Dettaglio Fattura" ("df_Numero_Fattura");

CREATE TABLE "IVA" (
    "IVA_Codice" bigint NOT NULL PRIMARY KEY,
    "IVA_Descrizione" text COLLATE "C",
    "IVA_Aliquota" double precision,
    "IVA_Natura" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "IVA_rowid" ON "IVA" (rowid);

CREATE TABLE "Prestazione" (
    "pre_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "pre_Descrizione" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Prestazione_rowid" ON "Prestazione" (rowid);

CREATE TABLE "Pagamenti" (
    "pag_Codice" text COLLATE "C" NOT NULL PRIMARY KEY,
    "pag_Descrizione" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Pagamenti_rowid" ON "Pagamenti" (rowid);
CREATE UNIQUE INDEX "Pagamenti_Codice" ON "Pagamenti" (tarvo_key("pag_Codice"));

CREATE TABLE "Fornitore" (
    "fo_Descrizione" text COLLATE "C" NOT NULL PRIMARY KEY,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Fornitore_rowid" ON "Fornitore" (rowid);
CREATE UNIQUE INDEX "Fornitore_Descrizione" ON "Fornitore" (tarvo_key("fo_Descrizione"));

CREATE TABLE "Prima Nota" (
    "pn_id" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "pn_Data" timestamp,
    "pn_Descrizione" text COLLATE "C",
    "pn_Fattura" text COLLATE "C",
    "pn_Uscita_Lire" double precision,
    "pn_Uscita_Euro" double precision,
    "pn_Note" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Prima Nota_rowid" ON "Prima Nota" (rowid);
CREATE INDEX "PrimaNota_Data" ON "Prima Nota" ("pn_Data");

CREATE TABLE "Nota Fornitori" (
    "pn_id" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    "pn_Data" timestamp,
    "pn_Descrizione" text COLLATE "C",
    "pn_Fattura" text COLLATE "C",
    "pn_Uscita_Lire" double precision,
    "pn_Uscita_Euro" double precision,
    "pn_Note" text COLLATE "C",
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Nota Fornitori_rowid" ON "Nota Fornitori" (rowid);
CREATE INDEX "NotaFornitori_Data" ON "Nota Fornitori" ("pn_Data");

-- The shop's own fiscal identity (one row, written by "Dati azienda").
CREATE TABLE "Azienda" (
    "az_Codice" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY CHECK ("az_Codice" = 1),
    "az_Denominazione" text COLLATE "C",
    "az_Partita_IVA" text COLLATE "C",
    "az_Codice_Fiscale" text COLLATE "C",
    "az_Regime_Fiscale" text COLLATE "C" DEFAULT 'RF01',
    "az_Indirizzo" text COLLATE "C",
    "az_CAP" text COLLATE "C",
    "az_Comune" text COLLATE "C",
    "az_Provincia" text COLLATE "C",
    "az_Nazione" text COLLATE "C" DEFAULT 'IT',
    "az_REA" text COLLATE "C",
    "az_Telefono" text COLLATE "C",
    "az_Email" text COLLATE "C",
    "az_Progressivo_Invio" bigint NOT NULL DEFAULT 0,
    rowid bigint GENERATED BY DEFAULT AS IDENTITY
);
CREATE UNIQUE INDEX "Azienda_rowid" ON "Azienda" (rowid);

-- Tables maintained outside the program, delivered filled (a shop moved
-- from SQLite brings its own rows instead: tarvo-migra empties these first).
INSERT INTO "IVA" ("IVA_Codice", "IVA_Descrizione", "IVA_Aliquota") VALUES
    (1, 'IVA 4%', 4),
    (2, 'IVA 10%', 10),
    (3, 'IVA 22%', 22);

INSERT INTO "Pagamenti" ("pag_Codice", "pag_Descrizione") VALUES
    ('CO', 'Contanti'),
    ('BA', 'Bancomat'),
    ('CC', 'Carta di credito'),
    ('AS', 'Assegno'),
    ('BO', 'Bonifico');

INSERT INTO "Prestazione" ("pre_Codice", "pre_Descrizione") VALUES
    (1, 'Riparazione'),
    (2, 'Modifica sartoriale'),
    (3, 'Confezione regalo'),
    (4, 'Consegna a domicilio');
-- The fixed counters were written explicitly: the next service gets 5.
SELECT setval(pg_get_serial_sequence('"Prestazione"', 'pre_Codice'), 4);
SELECT setval(pg_get_serial_sequence('"Prestazione"', 'rowid'), 4);
