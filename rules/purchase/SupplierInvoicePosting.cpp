#include "rules/purchase/SupplierInvoicePosting.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "rules/ShopDatabase.h"
#include "rules/StockMovement.h"
#include "rules/purchase/SupplierInvoiceMatcher.h"

namespace {

class PostingRefused {
public:
    explicit PostingRefused(QString reason) : m_reason(std::move(reason)) {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

QString slashDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QString sqlNumber(double value)
{
    return QString::number(value, 'g', 15);
}

class InvoicePoster {
public:
    InvoicePoster(const PreparedInvoice &invoice, db::Database &database) : m_invoice(invoice), m_database(database) {}

    int post(const QDate &loadDate, const QDate &today)
    {
        db::Transaction transaction(m_database);
        const qlonglong supplier = m_invoice.supplierId ? m_invoice.supplierId : addSupplier();
        addSupplierName();
        recordInvoice(supplier, today);
        int loads = 0;
        for (const PreparedLine &line : m_invoice.lines) {
            if (line.match == LineMatch::NotGoods)
                continue;
            load(line, loadDate);
            ++loads;
            if (line.match == LineMatch::ByUser)
                remember(line);
        }
        addJournalEntry();
        transaction.commit();
        return loads;
    }

private:
    QString vatNumber() const { return m_invoice.invoice.supplier.registerVatNumber(); }

    qlonglong addSupplier()
    {
        const SupplierParty &s = m_invoice.invoice.supplier;
        auto rs = m_database.openRecordset(QStringLiteral("select * from Anagrafica where anag_Contatore = 0"));
        rs->addNew();
        rs->setValue(QStringLiteral("anag_Denominazione"), m_invoice.supplierName);
        rs->setValue(QStringLiteral("anag_Indirizzo"), s.address);
        rs->setValue(QStringLiteral("anag_Cap"), s.postcode);
        rs->setValue(QStringLiteral("anag_Località"), s.town);
        rs->setValue(QStringLiteral("anag_Provincia"), s.province);
        rs->setValue(QStringLiteral("anag_Stato"), s.nation);
        rs->setValue(QStringLiteral("anag_Partita_IVA"), vatNumber());
        rs->setValue(QStringLiteral("anag_Codice_Fiscale"), s.taxCode);
        rs->setValue(QStringLiteral("anag_Fornitore"), -1);
        rs->update();
        return rs->lastInsertedId();
    }

    // The articles name their supplier from the suppliers' names.
    void addSupplierName()
    {
        if (m_invoice.supplierName.isEmpty())
            return;
        auto found = m_database.openRecordset(QStringLiteral("select fo_Descrizione from Fornitore where fo_Descrizione = ")
                                              + db::quoted(m_invoice.supplierName));
        if (!found->eof())
            return;
        auto rs = m_database.openRecordset(QStringLiteral("select * from Fornitore where 1 = 0"));
        rs->addNew();
        rs->setValue(QStringLiteral("fo_Descrizione"), m_invoice.supplierName);
        rs->update();
    }

    // Written first: the unique key of supplier, number and date stops a
    // second import, here or by another till at the same moment.
    void recordInvoice(qlonglong supplier, const QDate &today)
    {
        auto rs = m_database.openRecordset(QStringLiteral("select * from FattureFornitori where ff_Codice = 0"));
        rs->addNew();
        rs->setValue(QStringLiteral("ff_Fornitore"), supplier);
        rs->setValue(QStringLiteral("ff_Partita_IVA"), vatNumber());
        rs->setValue(QStringLiteral("ff_Numero"), m_invoice.invoice.number);
        rs->setValue(QStringLiteral("ff_Data"), slashDate(m_invoice.invoice.date));
        rs->setValue(QStringLiteral("ff_Totale"), m_invoice.invoice.documentTotal());
        rs->setValue(QStringLiteral("ff_File"), m_invoice.fileName);
        rs->setValue(QStringLiteral("ff_Impronta"), m_invoice.fingerprint);
        rs->setValue(QStringLiteral("ff_Firmatario"), m_invoice.signer);
        rs->setValue(QStringLiteral("ff_Data_Importazione"), slashDate(today));
        try {
            rs->update();
        } catch (const db::DbError &error) {
            if (error.kind() == db::ErrorKind::DuplicateKey)
                throw PostingRefused(QStringLiteral("la fattura è già stata importata"));
            throw;
        }
    }

    void load(const PreparedLine &line, const QDate &loadDate)
    {
        LoadRow row;
        row.data = slashDate(loadDate);
        row.codice = line.barcode;
        row.quantita = line.line.quantity;
        row.prezzo = line.line.netUnitPrice();
        if (StockMovement::recordLoad(row) != StockMovement::Result::Done)
            throw PostingRefused(QStringLiteral("l'articolo %1 della riga %2 non esiste più").arg(line.barcode).arg(line.line.number));
        // The article costs now what this invoice says.
        m_database.execute(QStringLiteral("update Articoli set art_Prezzo_Carico = ") + sqlNumber(row.prezzo)
                           + QStringLiteral(" where art_Codice = (select ca_Codice_Articolo from [Codice Articolo] "
                                            "where ca_Codice = ") + db::quoted(line.barcode) + QLatin1Char(')'));
    }

    void remember(const PreparedLine &line)
    {
        for (const SupplierArticleCode &code : SupplierInvoiceMatcher::rememberedCodes(line.line)) {
            const QString where = QStringLiteral(" where cf_Partita_IVA = ") + db::quoted(vatNumber())
                                  + QStringLiteral(" and cf_Tipo = ") + db::quoted(code.type)
                                  + QStringLiteral(" and cf_Valore = ") + db::quoted(code.value);
            m_database.execute(QStringLiteral("delete from CodiciFornitori") + where);
            auto rs = m_database.openRecordset(QStringLiteral("select * from CodiciFornitori where cf_Codice = 0"));
            rs->addNew();
            rs->setValue(QStringLiteral("cf_Partita_IVA"), vatNumber());
            rs->setValue(QStringLiteral("cf_Tipo"), code.type);
            rs->setValue(QStringLiteral("cf_Valore"), code.value);
            rs->setValue(QStringLiteral("cf_Codice_Articolo"), line.barcode);
            rs->update();
        }
    }

    // A credit note is money the supplier gives back.
    void addJournalEntry()
    {
        const double total = m_invoice.invoice.documentTotal();
        auto rs = m_database.openRecordset(QStringLiteral("select * from [Nota Fornitori] where pn_id = 0"));
        rs->addNew();
        rs->setValue(QStringLiteral("pn_Data"), slashDate(m_invoice.invoice.date));
        rs->setValue(QStringLiteral("pn_Descrizione"), m_invoice.supplierName);
        rs->setValue(QStringLiteral("pn_Fattura"), m_invoice.invoice.number);
        rs->setValue(QStringLiteral("pn_Uscita_Euro"), m_invoice.isCreditNote() ? -total : total);
        rs->setValue(QStringLiteral("pn_Note"), QStringLiteral("Fattura elettronica %1").arg(m_invoice.fileName));
        rs->update();
    }

    const PreparedInvoice &m_invoice;
    db::Database &m_database;
};

} // namespace

QString SupplierInvoicePosting::name(const PreparedInvoice &invoice)
{
    return QStringLiteral("%1 del %2 di %3")
        .arg(invoice.invoice.number, slashDate(invoice.invoice.date), invoice.supplierName);
}

SupplierInvoicePosting::Outcome SupplierInvoicePosting::post(const PreparedInvoice &invoice, const QDate &loadDate,
                                                             const QDate &today)
{
    Outcome outcome;
    const QString notPosted = QStringLiteral("La fattura %1 non è stata importata: %2. Non è stato scritto nulla.");
    if (invoice.alreadyImported) {
        outcome.error = notPosted.arg(name(invoice), QStringLiteral("la fattura è già stata importata"));
        return outcome;
    }
    // Prices in another currency are not the shop's euro.
    if (!invoice.invoice.currency.isEmpty() && invoice.invoice.currency != QLatin1String("EUR")) {
        outcome.error = notPosted.arg(name(invoice), QStringLiteral("gli importi sono in %1, non in euro")
                                                         .arg(invoice.invoice.currency));
        return outcome;
    }
    if (const int unmatched = invoice.unmatchedGoods(); unmatched > 0) {
        outcome.error = notPosted.arg(name(invoice), unmatched == 1
                                                         ? QStringLiteral("una riga non ha l'articolo del negozio")
                                                         : QStringLiteral("%1 righe non hanno l'articolo del negozio")
                                                               .arg(unmatched));
        return outcome;
    }
    try {
        auto database = ShopDatabase::open();
        outcome.loads = InvoicePoster(invoice, *database).post(loadDate, today);
        outcome.posted = true;
    } catch (const PostingRefused &refused) {
        outcome.error = notPosted.arg(name(invoice), refused.reason());
    } catch (const db::DbError &error) {
        outcome.error = notPosted.arg(name(invoice), error.description());
    }
    return outcome;
}
