#include "rules/StockItemLookup.h"

#include "db/Database.h"
#include "db/SqlText.h"
#include "rules/MoneyText.h"
#include "rules/ShopDatabase.h"
#include "rules/TypedNumber.h"

namespace {

QString fieldText(const db::Recordset &rs, const char *field)
{
    return MoneyText::display(rs.value(QLatin1String(field)));
}

} // namespace

StockItemInfo StockItemLookup::item(const QString &barcode)
{
    StockItemInfo info;
    auto rs = ShopDatabase::open()->openRecordset(QStringLiteral("select * from [Codice Articolo] where ca_Codice = ")
                                                  + db::quoted(barcode, QLatin1Char('"')));
    if (rs->recordCount() != 0) {
        info.articolo = fieldText(*rs, "ca_Codice_Articolo");
        info.taglia = fieldText(*rs, "ca_Taglia");
        info.colore = fieldText(*rs, "ca_Colore");
        info.quantita = fieldText(*rs, "ca_Quantita");
    }
    rs->close();
    return info;
}

void StockItemLookup::article(StockItemInfo &info)
{
    auto rs = ShopDatabase::open()->openRecordset(QStringLiteral("select * from [Articoli] where art_Codice = ")
                                                  + QString::number(TypedNumber::leadingWhole(info.articolo)));
    if (rs->recordCount() != 0) {
        info.descrizione = fieldText(*rs, "art_Descrizione");
        info.listino = fieldText(*rs, "art_Prezzo_Listino");
    } else {
        info.descrizione.clear();
        info.listino.clear();
    }
    rs->close();
}
