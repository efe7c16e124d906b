#include "stock/StockItemLookup.h"

#include "app/GeneralFunc6.h"
#include "app/Globals.h"
#include "data/FieldText.h"
#include "db/Database.h"
#include "db/SqlText.h"

namespace {

QString fieldText(const db::Recordset &rs, const char *field)
{
    return data::FieldText::display(NullToEmpty(rs.value(QLatin1String(field))));
}

std::shared_ptr<db::Database> openDatabase()
{
    return db::Database::open(g_strDbPath, QStringLiteral(";PWD=") + g_strDbPassword);
}

} // namespace

StockItemInfo StockItemLookup::item(const QString &barcode)
{
    StockItemInfo info;
    auto rs = openDatabase()->openRecordset(QStringLiteral("select * from [Codice Articolo] where ca_Codice = ")
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
    auto rs = openDatabase()->openRecordset(QStringLiteral("select * from [Articoli] where art_Codice = ")
                                            + QString::number(ValLong(info.articolo)));
    if (rs->recordCount() != 0) {
        info.descrizione = fieldText(*rs, "art_Descrizione");
        info.listino = fieldText(*rs, "art_Prezzo_Listino");
    } else {
        info.descrizione.clear();
        info.listino.clear();
    }
    rs->close();
}
