#include "legacy/ShopTables.h"

namespace legacy {

namespace {

ShopTable table(const char *name, std::vector<ShopField> fields, int key, bool required, bool reference = false)
{
    return ShopTable{QString::fromUtf8(name), std::move(fields), key, required, reference};
}

ShopField field(const char *name, FieldKind kind)
{
    return ShopField{QString::fromUtf8(name), kind};
}

std::vector<ShopField> journalFields()
{
    return {field("pn_id", FieldKind::Counter), field("pn_Data", FieldKind::Date),
            field("pn_Descrizione", FieldKind::Text), field("pn_Fattura", FieldKind::Text),
            field("pn_Uscita_Lire", FieldKind::Number), field("pn_Uscita_Euro", FieldKind::Number),
            field("pn_Note", FieldKind::Text)};
}

} // namespace

const std::vector<ShopTable> &shopTables()
{
    using K = FieldKind;
    static const std::vector<ShopTable> tables = {
        table("Fornitore", {field("fo_Descrizione", K::Text)}, 0, false),
        table("Articoli",
              {field("art_Codice", K::Counter), field("art_Descrizione", K::Text), field("art_Fornitore", K::Text),
               field("art_Prezzo_Carico", K::Number), field("art_Prezzo_Listino", K::Number),
               field("art_Prezzo_Medio", K::Number), field("art_Ricarico", K::Number),
               field("art_Quantita", K::Number), field("art_Usato", K::YesNo),
               field("art_Data_Ultima_Vendita", K::Date), field("art_Note", K::Text), field("art_Varie", K::Text)},
              0, true),
        table("Codice Articolo",
              {field("ca_Codice", K::Text), field("ca_Codice_Articolo", K::Long), field("ca_Taglia", K::Text),
               field("ca_Colore", K::Text), field("ca_Quantita", K::Long)},
              0, true),
        table("carico",
              {field("ca_Codice", K::Counter), field("ca_Codice_Articolo", K::Text), field("ca_Data", K::Date),
               field("ca_Quantita", K::Number), field("ca_Prezzo", K::Number), field("ca_Usato", K::YesNo)},
              0, true),
        table("scarico",
              {field("sc_Codice", K::Counter), field("sc_Codice_Articolo", K::Text), field("sc_Data", K::Date),
               field("sc_Quantita", K::Number), field("sc_Prezzo", K::Number), field("sc_Sconto", K::Number),
               field("sc_Saldo", K::Number), field("sc_Pagamento", K::Text), field("sc_Usato", K::YesNo)},
              0, true),
        table("Anagrafica",
              {field("anag_Contatore", K::Counter), field("anag_Denominazione", K::Text),
               field("anag_Indirizzo", K::Text), field("anag_Cap", K::Text), field("anag_Località", K::Text),
               field("anag_Stato", K::Text), field("anag_Telefono", K::Text), field("anag_Fax", K::Text),
               field("anag_Email", K::Text), field("anag_Partita_IVA", K::Text),
               field("anag_Codice_Fiscale", K::Text), field("anag_Nota", K::Text),
               field("anag_Fornitore", K::YesNo)},
              0, true),
        table("IVA", {field("IVA_Codice", K::Long), field("IVA_Descrizione", K::Text), field("IVA_Aliquota", K::Number)},
              0, false, true),
        table("Fattura",
              {field("fat_Numero", K::Text), field("fat_Data", K::Date), field("fat_Codice_Cliente", K::Long),
               field("fat_Descrizione_Pagamento", K::Text), field("fat_Data_Pagamento", K::Date),
               field("fat_Pagato", K::YesNo), field("fat_Imponibile", K::Number), field("fat_Nota", K::Text)},
              0, true),
        table("Dettaglio Fattura",
              {field("df_Numero_Fattura", K::Text), field("df_Descrizione", K::Text), field("df_Quantità", K::Number),
               field("df_Prezzo", K::Number), field("df_IVA", K::Long), field("df_Importo", K::Number)},
              -1, true),
        table("Prestazione", {field("pre_Codice", K::Counter), field("pre_Descrizione", K::Text)}, 0, false, true),
        table("Pagamenti", {field("pag_Codice", K::Text), field("pag_Descrizione", K::Text)}, 0, false, true),
        table("Prima Nota", journalFields(), 0, false),
        table("Nota Fornitori", journalFields(), 0, false),
    };
    return tables;
}

const ShopTable *shopTable(const QString &name)
{
    for (const ShopTable &t : shopTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

} // namespace legacy
