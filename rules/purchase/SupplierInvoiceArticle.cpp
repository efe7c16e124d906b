#include "rules/purchase/SupplierInvoiceArticle.h"

#include "db/Database.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/EanCheckDigit.h"
#include "rules/StoreBarcodes.h"

namespace {

bool isItem(db::Database &database, const QString &code)
{
    return !database.openRecordset(QStringLiteral("select ca_Codice from [Codice Articolo] where ca_Codice = ")
                                   + db::quoted(code))->eof();
}

} // namespace

QString SupplierInvoiceArticle::create(db::Database &database, const SupplierInvoiceLine &line,
                                       const QString &supplierName)
{
    // The shop's own code is taken before the write: its counter moves in a
    // transaction of its own.
    QString code = line.ean();
    if (code.isEmpty() || !hasValidEanCheckDigit(code) || isItem(database, code))
        code = StoreBarcodes(database).next();
    db::Transaction transaction(database);
    auto article = database.openRecordset(QStringLiteral("select * from Articoli where art_Codice = 0"));
    article->addNew();
    article->setValue(QStringLiteral("art_Descrizione"), line.description.simplified().left(250));
    article->setValue(QStringLiteral("art_Fornitore"), supplierName);
    article->setValue(QStringLiteral("art_Prezzo_Carico"), line.netUnitPrice());
    article->setValue(QStringLiteral("art_Usato"), 0);
    article->update();
    const qlonglong number = article->lastInsertedId();
    auto item = database.openRecordset(QStringLiteral("select * from [Codice Articolo] where ca_Codice = ''"));
    item->addNew();
    item->setValue(QStringLiteral("ca_Codice"), code);
    item->setValue(QStringLiteral("ca_Codice_Articolo"), number);
    item->setValue(QStringLiteral("ca_Quantita"), 0);
    item->update();
    transaction.commit();
    return code;
}
