// File / "Importa fatture fornitori…" driven as a new user drives it: three
// files of one supplier (one signed) into the lists' shop; a line matched by
// hand, the next file matching it by itself, a line made into a new article;
// then the loads at the invoices' prices and the supplier journal.
#include "ListsFixture.h"
#include "SupplierInvoiceFiles.h"

#include "skin/ctrl_SkinableButton.h"
#include "stock/frmImportaFatture.h"
#include "ui/ScriptedMessages.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>
#include <QtTest>

using namespace supplierfiles;

namespace {

QStringList column(const QTreeWidget *list, int c)
{
    QStringList out;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        out << list->topLevelItem(r)->text(c);
    return out;
}

Body body(const QString &number, const QString &date, const QList<Line> &lines, const QString &total)
{
    Body b{number, date, total, lines, total, QStringLiteral("0.00")};
    return b;
}

const Line kJacket{{}, {{"EAN", "1234"}}, "Giacca", "2.00", "30.00", {}, "60.00"};
const Line kScarf{{}, {{"SKU", "SC-ROSSA"}}, "Sciarpa rossa", "5.00", "8.00", "25.00", "30.00"};
const Line kGloves{{}, {}, "Guanti in pelle", "3.00", "12.00", {}, "36.00"};
const Line kTransport{"AC", {}, "Trasporto", {}, "9.90", {}, "9.90"};

} // namespace

class TestSupplierInvoiceWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void threeFilesOneMatchedByHandThenByItself();
};

void TestSupplierInvoiceWindow::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestSupplierInvoiceWindow::threeFilesOneMatchedByHandThenByItself()
{
    ListsFixture f;
    ui::ScriptedMessages messages;
    const QString folder = f.folder() + QStringLiteral("/fatture");
    QVERIFY(QDir().mkpath(folder));
    const Supplier supplier;
    QVERIFY(write(folder + QStringLiteral("/1.xml"),
                  invoiceXml(supplier, {body("F/1", "2026-12-01", {kJacket, kScarf, kTransport}, "99.90")})));
    QCOMPARE(makeSigner(f.folder()), QString());
    const QString plain = f.folder() + QStringLiteral("/2.xml");
    QVERIFY(write(plain, invoiceXml(supplier, {body("F/2", "2026-12-03", {kScarf, kGloves}, "66.00")})));
    QCOMPARE(sign(f.folder(), plain, folder + QStringLiteral("/2.xml.p7m")), QString());
    QVERIFY(write(folder + QStringLiteral("/3.xml"), invoiceXml(supplier, {body("F/3", "2026-12-05", {kScarf}, "30.00")})));
    const int loadsBefore = f.count(QStringLiteral("carico"));
    const double scarfStock = f.stock(QStringLiteral("5555"));

    auto &window = ui::WindowRegistry::defaultInstance<frmImportaFatture>();
    window.show();
    QApplication::processEvents();
    // Two files at once: the scarf matched in the first is matched in the
    // second too; nothing is written until Importa.
    window.loadFiles({folder + QStringLiteral("/1.xml"), folder + QStringLiteral("/3.xml")});
    QCOMPARE(column(window.lvwFatture, 4), (QStringList{"1 riga senza articolo", "1 riga senza articolo"}));
    window.txtCodice->setFocus();
    QTest::keyClicks(window.txtCodice, QStringLiteral("5555"));
    QTest::keyClick(window.txtCodice, Qt::Key_Return);
    QCOMPARE(column(window.lvwFatture, 4),
             (QStringList{"Da importare (nuovo fornitore)", "Da importare (nuovo fornitore)"}));
    QCOMPARE(f.count(QStringLiteral("CodiciFornitori")), 0);

    // The first file alone: its scarf is matched by scanning the shop's code.
    window.loadFiles({folder + QStringLiteral("/1.xml")});
    QCOMPARE(column(window.lvwFatture, 4), QStringList{"1 riga senza articolo"});
    QCOMPARE(column(window.lvwRighe, 6), (QStringList{"Codice a barre", "Da scegliere", "Non è merce: non caricata"}));
    QCOMPARE(window.lvwRighe->currentItem()->text(1), QStringLiteral("Sciarpa rossa"));
    window.txtCodice->setFocus();
    QTest::keyClicks(window.txtCodice, QStringLiteral("9999"));
    QTest::keyClick(window.txtCodice, Qt::Key_Return);
    QCOMPARE(messages.texts(), QStringList{"Nessun articolo ha il codice a barre 9999."});
    window.txtCodice->clear();
    QTest::keyClicks(window.txtCodice, QStringLiteral("5555"));
    QTest::keyClick(window.txtCodice, Qt::Key_Return);
    QCOMPARE(column(window.lvwRighe, 6), (QStringList{"Codice a barre", "Scelto ora", "Non è merce: non caricata"}));
    QCOMPARE(column(window.lvwFatture, 4), QStringList{"Da importare (nuovo fornitore)"});
    messages.queueAnswer(ui::vbYes);
    window.cmdImporta->click();
    QCOMPARE(messages.texts().last(), QStringLiteral("Importare 1 fattura?"));
    QCOMPARE(window.txtEsito->toPlainText(),
             QStringLiteral("Importate 1 fatture su 1.\nFattura F/1 del 01/12/2026 di Lanificio Città srl: importata, "
                            "2 righe caricate."));

    // The folder: the first is there already, the scarf is known now, the
    // gloves become a new article; the signed file names its signer.
    window.loadFiles({folder});
    QCOMPARE(column(window.lvwFatture, 1), (QStringList{"F/1", "F/2", "F/3"}));
    QCOMPARE(column(window.lvwFatture, 4),
             (QStringList{"Già importata", "1 riga senza articolo", "Da importare"}));
    window.lvwFatture->setCurrentItem(window.lvwFatture->topLevelItem(1));
    QCOMPARE(window.lblFirma->text(), QStringLiteral("File 2.xml.p7m, firmato da Mario Rossi (Lanificio Città srl)"));
    QCOMPARE(column(window.lvwRighe, 6), (QStringList{"Codice del fornitore", "Da scegliere"}));
    // By keys: from the line to "Crea articolo", Space.
    window.lvwRighe->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.txtCodice);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.cmdCreaArticolo);
    messages.queueAnswer(ui::vbYes);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(messages.texts().last(),
             QStringLiteral("Creare l'articolo \"Guanti in pelle\" del fornitore Lanificio Città srl, prezzo di carico € 12.00?"));
    QCOMPARE(column(window.lvwRighe, 6), (QStringList{"Codice del fornitore", "Scelto ora"}));
    QCOMPARE(column(window.lvwRighe, 5).at(1), QStringLiteral("2000000000015  Guanti in pelle"));
    messages.queueAnswer(ui::vbYes);
    window.cmdImporta->click();
    QCOMPARE(messages.texts().last(), QStringLiteral("Importare 2 fatture?"));
    QCOMPARE(column(window.lvwFatture, 4), (QStringList{"Già importata", "Importata", "Importata"}));

    // The loads at the invoices' net prices, the stock, the journal's three entries.
    QCOMPARE(f.count(QStringLiteral("carico")), loadsBefore + 5);
    QCOMPARE(f.count(QStringLiteral("carico where ca_Codice_Articolo = '5555' and ca_Prezzo = 6")), 3);
    QCOMPARE(f.count(QStringLiteral("carico where ca_Codice_Articolo = '1234' and ca_Prezzo = 30")), 1);
    QCOMPARE(f.count(QStringLiteral("carico where ca_Codice_Articolo = '2000000000015' and ca_Prezzo = 12")), 1);
    QCOMPARE(f.stock(QStringLiteral("5555")), scarfStock + 15);
    QCOMPARE(f.stock(QStringLiteral("2000000000015")), 3.0);
    QCOMPARE(f.count(QStringLiteral("[Nota Fornitori] where pn_Descrizione = 'Lanificio Città srl'")), 3);
    QCOMPARE(f.scalar(QStringLiteral("select sum(pn_Uscita_Euro) from [Nota Fornitori] where pn_Descrizione = "
                                     "'Lanificio Città srl'")).toDouble(), 99.9 + 66 + 30);
    delete &window;
}

QTEST_MAIN(TestSupplierInvoiceWindow)
#include "tst_supplier_invoice_window.moc"
