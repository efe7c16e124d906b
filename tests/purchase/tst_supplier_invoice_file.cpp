#include "SupplierInvoiceFiles.h"

#include "rules/purchase/SignedInvoiceFile.h"
#include "rules/purchase/SupplierInvoiceReader.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace supplierfiles;

class TestSupplierInvoiceFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void linesAsTheFileSaysThem_data();
    void linesAsTheFileSaysThem();
    void twoBodiesAreTwoInvoices();
    void publicAdministrationFormatIsReadToo();
    void refusedFilesSayWhy_data();
    void refusedFilesSayWhy();
    void signedFileGivesItsContentAndSigner_data();
    void signedFileGivesItsContentAndSigner();
    void signedFileChangedAfterSigningIsRefused();

private:
    QTemporaryDir m_dir;
    QString m_xmlPath;
    QList<SupplierInvoice> m_read;
};

void TestSupplierInvoiceFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_xmlPath = m_dir.filePath(QStringLiteral("IT01234567897_00001.xml"));
    QVERIFY(write(m_xmlPath, invoiceXml(Supplier(), {everyKindOfLine()})));
    const QString lint = schemaErrors(m_xmlPath);
    QVERIFY2(lint.isEmpty(), qPrintable(lint));
    QString error;
    m_read = SupplierInvoiceReader::read(read(m_xmlPath), QStringLiteral("fattura.xml"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(m_read.size(), 1);
}

void TestSupplierInvoiceFile::linesAsTheFileSaysThem_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("goods");
    QTest::addColumn<QString>("ean");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<double>("netUnitPrice");
    QTest::newRow("EAN") << 0 << true << "8001234567895" << QStringList{"EAN=8001234567895"} << 30.0;
    QTest::newRow("supplier's SKU") << 1 << true << "" << QStringList{"SKU=GL-48-BLU"} << 31.5;
    QTest::newRow("two codes, 10% off") << 2 << true << "4006381333931"
                                        << QStringList{"CODFOR=A/77", "EAN=4006381333931"} << 9.0;
    QTest::newRow("no code") << 3 << true << "" << QStringList{} << 0.5;
    QTest::newRow("discount line") << 4 << false << "" << QStringList{} << 0.0;
    QTest::newRow("transport") << 5 << false << "" << QStringList{} << 0.0;
}

void TestSupplierInvoiceFile::linesAsTheFileSaysThem()
{
    QFETCH(int, line);
    QFETCH(bool, goods);
    QFETCH(QString, ean);
    QFETCH(QStringList, codes);
    QFETCH(double, netUnitPrice);
    const SupplierInvoice &invoice = m_read.first();
    QCOMPARE(invoice.supplier.vatNumber, QStringLiteral("01234567897"));
    QCOMPARE(invoice.supplier.registerVatNumber(), QStringLiteral("01234567897"));
    QCOMPARE(invoice.supplier.name, QStringLiteral("Lanificio Città srl"));
    QCOMPARE(invoice.supplier.address, QStringLiteral("Via Roma 3"));
    QCOMPARE(invoice.number, QStringLiteral("FT/2026/118"));
    QCOMPARE(invoice.date, QDate(2026, 11, 27));
    QCOMPARE(invoice.documentTotal(), 150.28);
    QCOMPARE(invoice.lines.size(), 6);
    const SupplierInvoiceLine &l = invoice.lines.at(line);
    QCOMPARE(l.number, line + 1);
    QCOMPARE(l.isGoods(), goods);
    QCOMPARE(l.ean(), ean);
    QStringList read;
    for (const SupplierArticleCode &code : l.codes)
        read << code.type + u'=' + code.value;
    QCOMPARE(read, codes);
    QCOMPARE(l.netUnitPrice(), netUnitPrice);
}

void TestSupplierInvoiceFile::twoBodiesAreTwoInvoices()
{
    Body second = everyKindOfLine();
    second.number = QStringLiteral("FT/2026/119");
    second.date = QStringLiteral("2026-11-28");
    second.total.clear(); // the total is then the summary's
    second.lines = {second.lines.first()};
    second.taxable = QStringLiteral("60.00");
    second.tax = QStringLiteral("13.20");
    const QString path = m_dir.filePath(QStringLiteral("due.xml"));
    QVERIFY(write(path, invoiceXml(Supplier(), {everyKindOfLine(), second})));
    const QString lint = schemaErrors(path);
    QVERIFY2(lint.isEmpty(), qPrintable(lint));
    QString error;
    const QList<SupplierInvoice> invoices = SupplierInvoiceReader::read(read(path), QStringLiteral("due.xml"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(invoices.size(), 2);
    QCOMPARE(invoices.at(1).number, QStringLiteral("FT/2026/119"));
    QCOMPARE(invoices.at(1).supplier.name, QStringLiteral("Lanificio Città srl"));
    QCOMPARE(invoices.at(1).lines.size(), 1);
    QCOMPARE(invoices.at(1).documentTotal(), 73.2);
    QCOMPARE(invoices.at(0).lines.size(), 6);
}

// FPA12, the format of invoices to a public administration: the same reading.
void TestSupplierInvoiceFile::publicAdministrationFormatIsReadToo()
{
    QByteArray xml = invoiceXml(Supplier(), {everyKindOfLine()});
    xml.replace("versione=\"FPR12\"", "versione=\"FPA12\"");
    xml.replace("<FormatoTrasmissione>FPR12</FormatoTrasmissione><CodiceDestinatario>0000000",
                "<FormatoTrasmissione>FPA12</FormatoTrasmissione><CodiceDestinatario>UFXYZ1");
    const QString path = m_dir.filePath(QStringLiteral("pa.xml"));
    QVERIFY(write(path, xml));
    const QString lint = schemaErrors(path);
    QVERIFY2(lint.isEmpty(), qPrintable(lint));
    QString error;
    const QList<SupplierInvoice> invoices = SupplierInvoiceReader::read(xml, QStringLiteral("pa.xml"), &error);
    QCOMPARE(error, QString());
    QCOMPARE(invoices.size(), 1);
    QCOMPARE(invoices.first().lines.size(), m_read.first().lines.size());
    QCOMPARE(invoices.first().documentTotal(), m_read.first().documentTotal());
}

void TestSupplierInvoiceFile::refusedFilesSayWhy_data()
{
    const QByteArray good = invoiceXml(Supplier(), {everyKindOfLine()});
    const QByteArray prolog = "<?xml version=\"1.0\"?>\n";
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QByteArray withEntity = good;
    withEntity.replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
                       "<?xml version=\"1.0\"?>\n<!DOCTYPE p:FatturaElettronica [<!ENTITY x \"Lanificio\">]>\n");
    withEntity.replace("Città srl</Denominazione>", "&x;</Denominazione>");
    QTest::newRow("entity") << withEntity
                            << "Il file f.xml contiene una dichiarazione DTD: per sicurezza non viene letto.";
    QByteArray external = good;
    external.replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
                     "<?xml version=\"1.0\"?>\n<!DOCTYPE x SYSTEM \"http://example.com/x.dtd\">\n");
    QTest::newRow("external reference")
        << external << "Il file f.xml contiene una dichiarazione DTD: per sicurezza non viene letto.";
    QByteArray undeclared = good;
    undeclared.replace("Città srl</Denominazione>", "&x;</Denominazione>");
    QTest::newRow("undeclared entity")
        << undeclared << "Il file f.xml contiene un riferimento a un'entità: per sicurezza non viene letto.";
    QTest::newRow("truncated") << good.left(good.size() / 2)
                               << "Il file f.xml è incompleto o danneggiato (riga 11, colonna 7).";
    QTest::newRow("empty") << QByteArray() << "Il file f.xml non è né un XML né un file firmato leggibile (.p7m).";
    QTest::newRow("not an invoice") << prolog + "<fattura/>"
                                    << "Il file f.xml non è una fattura elettronica (FatturaPA).";
    QByteArray older = good;
    older.replace("versione=\"FPR12\"", "versione=\"FPR11\"");
    QTest::newRow("other version")
        << older << "Il file f.xml è della versione \"FPR11\" della FatturaPA: sono lette le versioni FPR12 e FPA12.";
    QByteArray badNumber = good;
    badNumber.replace("<PrezzoUnitario>30.00</PrezzoUnitario>", "<PrezzoUnitario>30,00</PrezzoUnitario>");
    QTest::newRow("comma in a price")
        << badNumber << "Il file f.xml contiene un valore non valido in PrezzoUnitario: \"30,00\".";
    QByteArray badDate = good;
    badDate.replace("<Data>2026-11-27</Data>", "<Data>27/11/2026</Data>");
    QTest::newRow("date") << badDate << "Il file f.xml contiene un valore non valido in Data: \"27/11/2026\".";
    QTest::newRow("no body") << prolog + "<p:FatturaElettronica versione=\"FPR12\" xmlns:p=\"x\">"
                                         "<FatturaElettronicaHeader/></p:FatturaElettronica>"
                             << "Il file f.xml non contiene fatture.";
    QByteArray noNumber = good;
    noNumber.replace("<Numero>FT/2026/118</Numero>", "");
    QTest::newRow("no number") << noNumber << "Il file f.xml contiene una fattura senza numero o senza data.";
}

// Whatever is wrong, nothing is read and the reason names the file.
void TestSupplierInvoiceFile::refusedFilesSayWhy()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    SignedInvoiceFile file;
    QString error;
    QList<SupplierInvoice> invoices;
    if (file.open(bytes, QStringLiteral("f.xml")))
        invoices = SupplierInvoiceReader::read(file.xml(), QStringLiteral("f.xml"), &error);
    else
        error = file.error();
    QCOMPARE(error, message);
    QVERIFY(invoices.isEmpty());
}

void TestSupplierInvoiceFile::signedFileGivesItsContentAndSigner_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("DER") << "DER";
    QTest::newRow("base64") << "base64";
    QTest::newRow("base64 in lines") << "lines";
    QTest::newRow("PEM") << "PEM";
}

void TestSupplierInvoiceFile::signedFileGivesItsContentAndSigner()
{
    QFETCH(QString, form);
    const QString p7m = m_dir.filePath(QStringLiteral("IT01234567897_00001.xml.p7m"));
    if (!QFile::exists(m_dir.filePath(QStringLiteral("firma.pem"))))
        QCOMPARE(makeSigner(m_dir.path()), QString());
    QCOMPARE(sign(m_dir.path(), m_xmlPath, p7m), QString());
    const QByteArray der = read(p7m);
    QVERIFY(!der.isEmpty());
    QByteArray bytes = der;
    if (form == QLatin1String("base64"))
        bytes = der.toBase64();
    if (form == QLatin1String("lines") || form == QLatin1String("PEM")) {
        const QByteArray base64 = der.toBase64();
        bytes.clear();
        for (int at = 0; at < base64.size(); at += 64)
            bytes += base64.mid(at, 64) + "\r\n";
        if (form == QLatin1String("PEM"))
            bytes = "-----BEGIN CMS-----\n" + bytes + "-----END CMS-----\n";
    }
    SignedInvoiceFile file;
    QVERIFY2(file.open(bytes, QStringLiteral("f.xml.p7m")), qPrintable(file.error()));
    QVERIFY(file.isSigned());
    QCOMPARE(file.signer(), QStringLiteral("Mario Rossi (Lanificio Città srl)"));
    QCOMPARE(file.xml(), read(m_xmlPath));
}

void TestSupplierInvoiceFile::signedFileChangedAfterSigningIsRefused()
{
    const QString p7m = m_dir.filePath(QStringLiteral("cambiato.xml.p7m"));
    if (!QFile::exists(m_dir.filePath(QStringLiteral("firma.pem"))))
        QCOMPARE(makeSigner(m_dir.path()), QString());
    QCOMPARE(sign(m_dir.path(), m_xmlPath, p7m), QString());
    QByteArray bytes = read(p7m);
    // One byte of the invoice inside: a price of 30.00 becomes 80.00.
    const int at = bytes.indexOf("<PrezzoUnitario>30.00");
    QVERIFY(at > 0);
    bytes[at + 16] = '8';
    SignedInvoiceFile file;
    QVERIFY(!file.open(bytes, QStringLiteral("cambiato.xml.p7m")));
    QCOMPARE(file.error(), QStringLiteral("La firma del file cambiato.xml.p7m non corrisponde al contenuto: il "
                                          "contenuto è stato modificato dopo la firma. Il file non è stato importato."));
    QVERIFY(file.xml().isEmpty());
    QVERIFY(file.signer().isEmpty());
}

QTEST_GUILESS_MAIN(TestSupplierInvoiceFile)
#include "tst_supplier_invoice_file.moc"
