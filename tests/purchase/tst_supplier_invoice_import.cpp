// A supplier's invoice imported into a shop of the test's own: what the
// loads, the stock, the articles' prices, the supplier journal and the
// register hold afterwards, checked against the file's own figures; the
// same file twice; a failure halfway.
#include "SupplierInvoiceFiles.h"
#include "TestShopDatabase.h"

#include "rules/purchase/SupplierInvoiceFiles.h"
#include "rules/purchase/SupplierInvoiceMatcher.h"
#include "rules/purchase/SupplierInvoicePosting.h"
#include "rules/ShopDatabase.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace supplierfiles;

namespace {

const QDate kToday(2026, 12, 9);

class Shop : public TestShopDatabase {
public:
    Shop()
    {
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico) "
                               "values (1, 'Giacca in lana', 'Lanificio Città srl', 25)"));
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) values (2, 'Sciarpa', 8)"));
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) values (3, 'Giacca blu', 30)"));
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) values (4, 'Bottoni', 0.4)"));
        for (const auto &[code, article, stock] : {std::tuple{"8001234567895", 1, 1}, std::tuple{"4006381333931", 2, 0},
                                                   std::tuple{"GL48BLU", 3, 5}, std::tuple{"BOT1", 4, 100}})
            execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                   "values ('%1', %2, %3)").arg(QLatin1String(code)).arg(article).arg(stock));
        execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Lanificio Città srl')"));
    }
    long stock(const QString &code) const
    {
        return long(scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '%1'").arg(code))
                        .toLongLong());
    }
    // Everything an import writes, as counts and sums.
    QStringList written() const
    {
        return {QString::number(count(QStringLiteral("carico"))), QString::number(count(QStringLiteral("[Nota Fornitori]"))),
                QString::number(count(QStringLiteral("FattureFornitori"))),
                QString::number(count(QStringLiteral("CodiciFornitori"))),
                QString::number(count(QStringLiteral("Anagrafica"))),
                scalar(QStringLiteral("select sum(ca_Quantita) from [Codice Articolo]")).toString()};
    }
};

QList<LineMatch> matches(const PreparedInvoice &invoice)
{
    QList<LineMatch> out;
    for (const PreparedLine &line : invoice.lines)
        out << line.match;
    return out;
}

} // namespace

class TestSupplierInvoiceImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void importMatchesTheFilesFigures();
    void theSameInvoiceLoadsOnce();
    void aFailureHalfwayWritesNothing_data();
    void aFailureHalfwayWritesNothing();

private:
    // The file's invoice matched, the two lines without an item chosen.
    PreparedInvoice prepared(Shop &shop, const QString &file, bool choose = true);

    QTemporaryDir m_dir;
};

void TestSupplierInvoiceImport::init()
{
    QVERIFY(m_dir.isValid());
}

PreparedInvoice TestSupplierInvoiceImport::prepared(Shop &shop, const QString &file, bool choose)
{
    const QList<SupplierInvoiceFile> files = SupplierInvoiceFiles::read({file});
    [&] { QCOMPARE(files.size(), 1); QCOMPARE(files.first().error, QString()); }();
    SupplierInvoiceMatcher matcher(ShopDatabase::open());
    QList<PreparedInvoice> invoices = matcher.prepare(files.first());
    [&] { QCOMPARE(invoices.size(), 1); }();
    PreparedInvoice invoice = invoices.first();
    if (choose) {
        if (invoice.lines[1].match == LineMatch::Unmatched)
            matcher.chooseItem(invoice.lines[1], QStringLiteral("gl48blu"));
        if (invoice.lines[3].match == LineMatch::Unmatched)
            matcher.chooseItem(invoice.lines[3], QStringLiteral("BOT1"));
    }
    Q_UNUSED(shop);
    return invoice;
}

void TestSupplierInvoiceImport::importMatchesTheFilesFigures()
{
    Shop shop;
    const QString file = m_dir.filePath(QStringLiteral("IT01234567897_A1.xml"));
    QVERIFY(write(file, invoiceXml(Supplier(), {everyKindOfLine(QStringLiteral("A/1"), QStringLiteral("2026-11-27"))})));
    QCOMPARE(schemaErrors(file), QString());

    PreparedInvoice invoice = prepared(shop, file, false);
    QCOMPARE(invoice.supplierId, 0); // not in the register yet
    QCOMPARE(invoice.supplierName, QStringLiteral("Lanificio Città srl"));
    QCOMPARE(matches(invoice), (QList<LineMatch>{LineMatch::ByBarcode, LineMatch::Unmatched, LineMatch::ByBarcode,
                                                 LineMatch::Unmatched, LineMatch::NotGoods, LineMatch::NotGoods}));
    QCOMPARE(invoice.lines[2].barcode, QStringLiteral("4006381333931"));
    QCOMPARE(invoice.lines[0].itemText, QStringLiteral("Giacca in lana"));

    // Lines left without an item: the invoice waits, nothing is written.
    const QStringList before = shop.written();
    SupplierInvoicePosting::Outcome outcome = SupplierInvoicePosting::post(invoice, invoice.invoice.date, kToday);
    QCOMPARE(outcome.error, QStringLiteral("La fattura A/1 del 27/11/2026 di Lanificio Città srl non è stata importata: "
                                           "2 righe non hanno l'articolo del negozio. Non è stato scritto nulla."));
    QCOMPARE(shop.written(), before);

    invoice = prepared(shop, file);
    QCOMPARE(invoice.lines[1].barcode, QStringLiteral("GL48BLU")); // as the shop spells it
    outcome = SupplierInvoicePosting::post(invoice, invoice.invoice.date, kToday);
    QVERIFY2(outcome.posted, qPrintable(outcome.error));
    QCOMPARE(outcome.loads, 4);

    // The loads at the lines' net unit prices, on the invoice's date.
    auto rs = shop.database().openRecordset(
        QStringLiteral("select ca_Codice_Articolo, ca_Quantita, ca_Prezzo, ca_Data from carico order by ca_Codice"));
    QStringList loads;
    for (; !rs->eof(); rs->moveNext())
        loads << QStringLiteral("%1 %2 %3 %4").arg(rs->value(0).toString()).arg(rs->value(1).toDouble())
                     .arg(rs->value(2).toDouble()).arg(rs->value(3).toDate().toString(Qt::ISODate));
    QCOMPARE(loads, (QStringList{"8001234567895 2 30 2026-11-27", "GL48BLU 1 31.5 2026-11-27",
                                 "4006381333931 3 9 2026-11-27", "BOT1 4 0.5 2026-11-27"}));
    QCOMPARE(shop.stock(QStringLiteral("8001234567895")), 3);
    QCOMPARE(shop.stock(QStringLiteral("GL48BLU")), 6);
    QCOMPARE(shop.stock(QStringLiteral("4006381333931")), 3);
    QCOMPARE(shop.stock(QStringLiteral("BOT1")), 104);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Prezzo_Carico from Articoli where art_Codice = 2")).toDouble(), 9.0);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Prezzo_Carico from Articoli where art_Codice = 3")).toDouble(), 31.5);

    // The journal's entry carries the invoice's total; the supplier joins the register.
    rs = shop.database().openRecordset(QStringLiteral("select * from [Nota Fornitori]"));
    QCOMPARE(rs->value(QStringLiteral("pn_Descrizione")).toString(), QStringLiteral("Lanificio Città srl"));
    QCOMPARE(rs->value(QStringLiteral("pn_Fattura")).toString(), QStringLiteral("A/1"));
    QCOMPARE(rs->value(QStringLiteral("pn_Uscita_Euro")).toDouble(), 150.28);
    QCOMPARE(rs->value(QStringLiteral("pn_Data")).toDate(), QDate(2026, 11, 27));
    QCOMPARE(shop.count(QStringLiteral("Anagrafica where anag_Partita_IVA = '01234567897' and anag_Fornitore <> 0")), 1);
    QCOMPARE(shop.count(QStringLiteral("Fornitore")), 1);
    rs = shop.database().openRecordset(QStringLiteral("select * from FattureFornitori"));
    QCOMPARE(rs->value(QStringLiteral("ff_File")).toString(), QStringLiteral("IT01234567897_A1.xml"));
    QCOMPARE(rs->value(QStringLiteral("ff_Impronta")).toString(),
             QString::fromLatin1(QCryptographicHash::hash(read(file), QCryptographicHash::Sha256).toHex()));
    QCOMPARE(rs->value(QStringLiteral("ff_Totale")).toDouble(), 150.28);

    // The next invoice of the supplier finds the two lines chosen by hand.
    const QString next = m_dir.filePath(QStringLiteral("IT01234567897_A2.xml"));
    QVERIFY(write(next, invoiceXml(Supplier(), {everyKindOfLine(QStringLiteral("A/2"), QStringLiteral("2026-12-04"))})));
    invoice = prepared(shop, next, false);
    QCOMPARE(invoice.supplierId, shop.scalar(QStringLiteral("select anag_Contatore from Anagrafica")).toLongLong());
    QCOMPARE(matches(invoice), (QList<LineMatch>{LineMatch::ByBarcode, LineMatch::BySupplierCode, LineMatch::ByBarcode,
                                                 LineMatch::BySupplierCode, LineMatch::NotGoods, LineMatch::NotGoods}));
    QCOMPARE(invoice.lines[3].barcode, QStringLiteral("BOT1"));
}

void TestSupplierInvoiceImport::theSameInvoiceLoadsOnce()
{
    Shop shop;
    const QString file = m_dir.filePath(QStringLiteral("due_volte.xml"));
    QVERIFY(write(file, invoiceXml(Supplier(), {everyKindOfLine(QStringLiteral("B/7"), QStringLiteral("2026-11-30"))})));
    const PreparedInvoice first = prepared(shop, file);
    const PreparedInvoice stale = first; // prepared before the first was posted, as by another till
    QVERIFY(SupplierInvoicePosting::post(first, first.invoice.date, kToday).posted);
    const QStringList after = shop.written();

    const PreparedInvoice again = prepared(shop, file);
    QVERIFY(again.alreadyImported);
    const QString refused = QStringLiteral("La fattura B/7 del 30/11/2026 di Lanificio Città srl non è stata importata: "
                                           "la fattura è già stata importata. Non è stato scritto nulla.");
    QCOMPARE(SupplierInvoicePosting::post(again, again.invoice.date, kToday).error, refused);
    QCOMPARE(SupplierInvoicePosting::post(stale, stale.invoice.date, kToday).error, refused);
    QCOMPARE(shop.written(), after);

    // An invoice in dollars is not loaded at euro prices.
    QByteArray dollars = invoiceXml(Supplier(), {everyKindOfLine(QStringLiteral("B/8"), QStringLiteral("2026-11-30"))});
    dollars.replace("<Divisa>EUR</Divisa>", "<Divisa>USD</Divisa>");
    const QString other = m_dir.filePath(QStringLiteral("dollari.xml"));
    QVERIFY(write(other, dollars));
    const PreparedInvoice inDollars = prepared(shop, other);
    QCOMPARE(SupplierInvoicePosting::post(inDollars, inDollars.invoice.date, kToday).error,
             QStringLiteral("La fattura B/8 del 30/11/2026 di Lanificio Città srl non è stata importata: gli importi "
                            "sono in USD, non in euro. Non è stato scritto nulla."));
    QCOMPARE(shop.written(), after);
}

void TestSupplierInvoiceImport::aFailureHalfwayWritesNothing_data()
{
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::newRow("the supplier") << "insert on Anagrafica" << "" << "";
    QTest::newRow("the third load") << "insert on carico" << "ca_Codice_Articolo" << "4006381333931";
    QTest::newRow("a price") << "update on Articoli" << "" << "";
    QTest::newRow("a remembered code") << "insert on CodiciFornitori" << "" << "";
    QTest::newRow("the journal") << "insert on [Nota Fornitori]" << "" << "";
}

void TestSupplierInvoiceImport::aFailureHalfwayWritesNothing()
{
    QFETCH(QString, refused);
    QFETCH(QString, column);
    QFETCH(QString, value);
    Shop shop;
    const QString file = m_dir.filePath(QStringLiteral("guasto.xml"));
    QVERIFY(write(file, invoiceXml(Supplier(), {everyKindOfLine(QStringLiteral("C/3"), QStringLiteral("2026-11-30"))})));
    const PreparedInvoice invoice = prepared(shop, file);
    const QStringList before = shop.written();
    shop.refuseWrites(refused, column, value);
    const SupplierInvoicePosting::Outcome outcome = SupplierInvoicePosting::post(invoice, invoice.invoice.date, kToday);
    shop.acceptWrites();
    QVERIFY(!outcome.posted);
    QVERIFY2(outcome.error.startsWith(QStringLiteral("La fattura C/3 del 30/11/2026 di Lanificio Città srl non è stata "
                                                     "importata: ")), qPrintable(outcome.error));
    QVERIFY(outcome.error.endsWith(QStringLiteral(". Non è stato scritto nulla.")));
    QCOMPARE(shop.written(), before);
    QCOMPARE(shop.scalar(QStringLiteral("select art_Prezzo_Carico from Articoli where art_Codice = 2")).toDouble(), 8.0);
    // Once the write goes through again, the same invoice is imported whole.
    QVERIFY(SupplierInvoicePosting::post(invoice, invoice.invoice.date, kToday).posted);
    QCOMPARE(shop.count(QStringLiteral("carico")), 4);
}

QTEST_GUILESS_MAIN(TestSupplierInvoiceImport)
#include "tst_supplier_invoice_import.moc"
