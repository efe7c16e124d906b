// tarvo-importa fatture on a shop of the test's own: a folder of files
// (plain, signed, broken), the same folder again, a trial run, a line no
// item is found for.
#include "SupplierInvoiceFiles.h"
#include "TestShopDatabase.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace supplierfiles;

namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

class Shop : public TestShopDatabase {
public:
    Shop()
    {
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) values (1, 'Giacca', 25)"));
        execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Carico) values (2, 'Sciarpa', 8)"));
        execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                               "values ('8001234567895', 1, 1)"));
        execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                               "values ('4006381333931', 2, 0)"));
    }
    QStringList written() const
    {
        return {QString::number(count(QStringLiteral("carico"))), QString::number(count(QStringLiteral("[Nota Fornitori]"))),
                QString::number(count(QStringLiteral("FattureFornitori"))),
                scalar(QStringLiteral("select sum(ca_Quantita) from [Codice Articolo]")).toString()};
    }
    Outcome importa(const QStringList &args) const
    {
        release();
        db::Database::closeAll();
        QProcess process;
        process.start(qEnvironmentVariable("TARVO_PROGRAM_DIR") + QStringLiteral("/tarvo-importa"),
                      QStringList{QStringLiteral("fatture")} + args + QStringList{QStringLiteral("--database"), path()});
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
    void release() const { const_cast<Shop *>(this)->TestShopDatabase::release(); }
};

Body body(const QString &number, const QString &date, const QList<Line> &lines, const QString &total)
{
    Body b;
    b.number = number;
    b.date = date;
    b.total = total;
    b.taxable = total;
    b.tax = QStringLiteral("0.00");
    b.lines = lines;
    return b;
}

const Line kJacket{{}, {{"EAN", "8001234567895"}}, "Giacca", "2.00", "30.00", {}, "60.00"};
const Line kScarf{{}, {{"EAN", "4006381333931"}}, "Sciarpa", "3.00", "10.00", "10.00", "27.00"};
const Line kTransport{"AC", {}, "Trasporto", {}, "5.00", {}, "5.00"};
const Line kUnknown{{}, {{"SKU", "GL-48-BLU"}}, "Giacca blu", "1.00", "31.50", {}, "31.50"};

} // namespace

class TestSupplierInvoiceCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aFolderOfFilesThenTheSameAgain();
    void aTrialWritesNothingAndNamesTheLinesWithoutItem();
};

void TestSupplierInvoiceCli::aFolderOfFilesThenTheSameAgain()
{
    Shop shop;
    QTemporaryDir work;
    QDir folder(work.filePath(QStringLiteral("fatture")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    QVERIFY(write(folder.filePath(QStringLiteral("a.xml")),
                  invoiceXml(Supplier(), {body("A/1", "2026-11-02", {kJacket, kTransport}, "65.00")})));
    const QString toSign = work.filePath(QStringLiteral("b.xml"));
    QVERIFY(write(toSign, invoiceXml(Supplier(), {body("A/2", "2026-11-09", {kScarf}, "27.00")})));
    QCOMPARE(schemaErrors(toSign), QString());
    QCOMPARE(makeSigner(work.path()), QString());
    QCOMPARE(sign(work.path(), toSign, folder.filePath(QStringLiteral("b.xml.p7m"))), QString());
    const QByteArray whole = invoiceXml(Supplier(), {body("A/3", "2026-11-10", {kJacket}, "60.00")});
    QVERIFY(write(folder.filePath(QStringLiteral("c.xml")), whole.left(400)));

    Outcome run = shop.importa({folder.path()});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QStringLiteral(
        "Fattura A/1 del 02/11/2026 di Lanificio Città srl, file a.xml, totale € 65,00 (nuovo fornitore):\n"
        "  riga 1: 8001234567895 Giacca, 2 x € 30,00\n"
        "  riga 2: Trasporto, non caricata (non è merce)\n"
        "  importata: 1 righe caricate.\n"
        "Fattura A/2 del 09/11/2026 di Lanificio Città srl, file b.xml.p7m, firmato da Mario Rossi (Lanificio Città "
        "srl), totale € 27,00:\n"
        "  riga 1: 4006381333931 Sciarpa, 3 x € 9,00\n"
        "  importata: 1 righe caricate.\n"
        "Importate 2 fatture su 2, 1 file illeggibili.\n"));
    QCOMPARE(run.err, QStringLiteral("tarvo-importa: Il file c.xml è incompleto o danneggiato (riga 4, colonna 176).\n"));
    QCOMPARE(shop.written(), (QStringList{"2", "2", "2", "6"}));

    // The same folder again (the broken file taken away): nothing is loaded twice.
    QVERIFY(QFile::remove(folder.filePath(QStringLiteral("c.xml"))));
    run = shop.importa({folder.path()});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.endsWith(QStringLiteral("  già importata: non viene caricata di nuovo.\n"
                                             "Importate 0 fatture su 2, 2 già importate.\n")), qPrintable(run.out));
    QCOMPARE(run.err, QString());
    QCOMPARE(shop.written(), (QStringList{"2", "2", "2", "6"}));
}

void TestSupplierInvoiceCli::aTrialWritesNothingAndNamesTheLinesWithoutItem()
{
    Shop shop;
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("d.xml"));
    QVERIFY(write(file, invoiceXml(Supplier(), {body("D/4", "2026-11-20", {kJacket, kUnknown}, "91.50")})));
    const QString lines = QStringLiteral(
        "Fattura D/4 del 20/11/2026 di Lanificio Città srl, file d.xml, totale € 91,50 (nuovo fornitore):\n"
        "  riga 1: 8001234567895 Giacca, 2 x € 30,00\n"
        "  riga 2: Giacca blu (SKU GL-48-BLU), nessun articolo del negozio\n");

    Outcome run = shop.importa({file, QStringLiteral("--prova")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, lines + QStringLiteral("Prova: 0 fatture su 1 si possono importare; non è stato scritto nulla.\n"));
    QCOMPARE(shop.written(), (QStringList{"0", "0", "0", "1"}));

    run = shop.importa({file});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, lines + QStringLiteral("Importate 0 fatture su 1.\n"));
    QCOMPARE(run.err, QStringLiteral("tarvo-importa: La fattura D/4 del 20/11/2026 di Lanificio Città srl non è stata "
                                     "importata: una riga non ha l'articolo del negozio. Non è stato scritto nulla.\n"));
    QCOMPARE(shop.written(), (QStringList{"0", "0", "0", "1"}));

    run = shop.importa({file, QStringLiteral("--data-carico"), QStringLiteral("ieri")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.startsWith(QStringLiteral("Uso: tarvo-importa fatture FILE|CARTELLA...")));
}

QTEST_GUILESS_MAIN(TestSupplierInvoiceCli)
#include "tst_supplier_invoice_cli.moc"
