#!/usr/bin/env python3
"""Writes an old shop's Jet 4 file for the import benchmark: the thirteen tables
with the old program's field types, SALES sales and a shop around them.
Usage: make_legacy_shop.py OUT.mdb [SALES]"""
import datetime
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
import jet4fixture as j  # noqa: E402

BOOL, LONG, DOUBLE, DATE, TEXT, MEMO = j.BOOL, j.LONG, j.DOUBLE, j.DATETIME, j.TEXT, j.MEMO


def journal(name, rows):
    return j.Table(name, [('pn_id', LONG, 0), ('pn_Data', DATE, 0), ('pn_Descrizione', TEXT, 255),
                          ('pn_Fattura', TEXT, 50), ('pn_Uscita_Lire', DOUBLE, 0), ('pn_Uscita_Euro', DOUBLE, 0),
                          ('pn_Note', TEXT, 255)], rows)


def shop(sales):
    rnd = random.Random(20)
    day0 = datetime.date(1999, 1, 4)
    day = lambda: day0 + datetime.timedelta(days=rnd.randrange(0, 2900))
    suppliers = ["Dell'Orto", 'Filati Àncora', 'Bottonificio Città', 'Mercerie Riunite', 'Nastri & Pizzi']
    articles = 2000
    items = []
    art_rows = []
    for a in range(1, articles + 1):
        price = round(rnd.uniform(1, 60), 2)
        art_rows.append((a, 'Articolo %d perlé' % a, rnd.choice(suppliers + [None]), price, round(price * 2, 2),
                         price, 2.0, float(rnd.randrange(0, 40)), a % 50 == 0, day(), None, None))
        for size in ('S', 'M'):
            items.append(('80%05d%s%s' % (a, size, 'U' if a % 50 == 0 else ''), a, size, 'Blu', rnd.randrange(0, 30)))
    codes = [i[0] for i in items]
    tables = [
        j.Table('Articoli', [('art_Codice', LONG, 0), ('art_Descrizione', TEXT, 255), ('art_Fornitore', TEXT, 50),
                             ('art_Prezzo_Carico', DOUBLE, 0), ('art_Prezzo_Listino', DOUBLE, 0),
                             ('art_Prezzo_Medio', DOUBLE, 0), ('art_Ricarico', DOUBLE, 0), ('art_Quantita', DOUBLE, 0),
                             ('art_Usato', BOOL, 0), ('art_Data_Ultima_Vendita', DATE, 0), ('art_Note', MEMO, 0),
                             ('art_Varie', TEXT, 255)], art_rows),
        j.Table('Codice Articolo', [('ca_Codice', TEXT, 50), ('ca_Codice_Articolo', LONG, 0), ('ca_Taglia', TEXT, 50),
                                    ('ca_Colore', TEXT, 50), ('ca_Quantita', LONG, 0)], items),
        j.Table('carico', [('ca_Codice', LONG, 0), ('ca_Codice_Articolo', TEXT, 50), ('ca_Data', DATE, 0),
                           ('ca_Quantita', DOUBLE, 0), ('ca_Prezzo', DOUBLE, 0), ('ca_Usato', BOOL, 0)],
                [(n, rnd.choice(codes), day(), float(rnd.randrange(1, 20)), 0.0, False) for n in range(1, 10001)]),
        j.Table('scarico', [('sc_Codice', LONG, 0), ('sc_Codice_Articolo', TEXT, 50), ('sc_Data', DATE, 0),
                            ('sc_Quantita', DOUBLE, 0), ('sc_Prezzo', DOUBLE, 0), ('sc_Sconto', DOUBLE, 0),
                            ('sc_Saldo', DOUBLE, 0), ('sc_Pagamento', TEXT, 10), ('sc_Usato', BOOL, 0)],
                [(n, rnd.choice(codes), day(), 1.0, 12.5, 0.0, 12.5, rnd.choice(['CO', 'BA', 'CC', None]), False)
                 for n in range(1, sales + 1)]),
        j.Table('Anagrafica', [('anag_Contatore', LONG, 0), ('anag_Denominazione', TEXT, 255),
                               ('anag_Indirizzo', TEXT, 120), ('anag_Cap', TEXT, 12), ('anag_Località', TEXT, 50),
                               ('anag_Stato', TEXT, 50), ('anag_Telefono', TEXT, 30), ('anag_Fax', TEXT, 30),
                               ('anag_Email', TEXT, 50), ('anag_Partita_IVA', TEXT, 11),
                               ('anag_Codice_Fiscale', TEXT, 16), ('anag_Nota', TEXT, 255), ('anag_Fornitore', BOOL, 0)],
                [(n, 'Cliente %d' % n, 'Via Roma %d' % n, '47100', 'Forlì', 'Italia', None, None, None, None, None,
                  None, False) for n in range(1, 201)]),
        j.Table('Fattura', [('fat_Numero', TEXT, 8), ('fat_Data', DATE, 0), ('fat_Codice_Cliente', LONG, 0),
                            ('fat_Descrizione_Pagamento', TEXT, 50), ('fat_Data_Pagamento', DATE, 0),
                            ('fat_Pagato', BOOL, 0), ('fat_Imponibile', DOUBLE, 0), ('fat_Nota', TEXT, 255)],
                [('%02d-%05d' % ((99 + n % 8) % 100, n), day(), rnd.randrange(1, 201), 'Contanti',
                  None, True, 30.0, None) for n in range(1, 1001)]),
        j.Table('IVA', [('IVA_Codice', LONG, 0), ('IVA_Descrizione', TEXT, 50), ('IVA_Aliquota', DOUBLE, 0)],
                [(1, 'IVA 4%', 4.0), (2, 'IVA 10%', 10.0), (3, 'IVA 20%', 20.0)]),
        j.Table('Prestazione', [('pre_Codice', LONG, 0), ('pre_Descrizione', TEXT, 50)], [(1, 'Orlo')]),
        j.Table('Pagamenti', [('pag_Codice', TEXT, 10), ('pag_Descrizione', TEXT, 50)],
                [('CO', 'Contanti'), ('BA', 'Bancomat'), ('CC', 'Carta di credito')]),
        j.Table('Fornitore', [('fo_Descrizione', TEXT, 50)], [(s,) for s in suppliers]),
        journal('Prima Nota', [(n, day(), 'Spesa %d' % n, None, float(n * 1000), None, None) for n in range(1, 2001)]),
        journal('Nota Fornitori', [(n, day(), 'Fornitore %d' % n, None, None, 10.5, None) for n in range(1, 2001)]),
    ]
    numbers = [r[0] for r in tables[5].rows]
    tables.insert(6, j.Table('Dettaglio Fattura', [('df_Numero_Fattura', TEXT, 8), ('df_Descrizione', TEXT, 255),
                                                   ('df_Quantità', DOUBLE, 0), ('df_Prezzo', DOUBLE, 0),
                                                   ('df_IVA', LONG, 0), ('df_Importo', DOUBLE, 0)],
                             [(numbers[n % 1000], 'Riga %d' % n, 1.0, 10.0, 1 + n % 3, 10.0) for n in range(3000)]))
    return tables


if __name__ == '__main__':
    out = sys.argv[1]
    sales = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    data = j.Writer().build(shop(sales))
    with open(out, 'wb') as f:
        f.write(data)
    print('wrote %s: %d sales, %d bytes' % (out, sales, len(data)))
