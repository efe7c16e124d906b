// Invoices of a month written as FatturaPA files: every file valid against
// the official schema, its VAT summary the printed invoice's, progressives
// that never repeat, a bad invoice skipped with its message, nothing half
// written.
#include "EInvoiceShopFixture.h"
#include "FileSizeLimit.h"

#include "base/Globals.h"
#include "base/print/MainReport.h"
#include "db/Database.h"
#include "invoicing/StampaFattura.h"
#include "report/ReportControl.h"
#include "rules/EInvoiceExport.h"
#include "rules/EInvoiceSource.h"
#include "rules/WholeFile.h"
#include "ui/ScriptedMessages.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstring>

class TestEInvoiceExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void monthExportedValidAndMatchingThePrint();
    void badCustomerStopsOnlyThatInvoice();
    void foreignCustomerAndPublicAdministration();
    void progressiveNeverRepeatsAcrossRuns();
    void failedWriteLeavesNoFile();
    void aDiskFullAtTheLastBytesLeavesNoFile();
    void incompleteShopExportsNothing();
    void anInvoiceItCannotWriteIsRefusedByName_data();
    void anInvoiceItCannotWriteIsRefusedByName();

private:
    EInvoiceExport::Result exportDecember(const QString &folder);
    // The texts of every element of that name, in document order.
    static QStringList texts(const QString &file, const QString &element);
    QStringList printedVat(const QString &numero);

    std::unique_ptr<EInvoiceShopFixture> m_fixture;
    std::unique_ptr<report::ReportControl> m_report;
    std::unique_ptr<ui::ScriptedMessages> m_messages;
    std::unique_ptr<QTemporaryDir> m_outDir;
    QString m_out;
};

void TestEInvoiceExport::init()
{
    m_fixture = std::make_unique<EInvoiceShopFixture>();
    m_outDir = std::make_unique<QTemporaryDir>();
    m_out = m_outDir->path();
    setProgramFolder(m_fixture->shop.folder());
    const QString reports = qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/reports/");
    for (const char *file : {"fattura.rpt", "intestazione.txt"})
        QVERIFY(QFile::copy(reports + QLatin1String(file), m_fixture->shop.folder() + QLatin1Char('/') + QLatin1String(file)));
    m_report = std::make_unique<report::ReportControl>();
    m_report->setFeedback(false);
    m_report->setPrinterToPdf(true);
    m_report->setPdfFile(m_fixture->shop.folder() + QStringLiteral("/fattura.pdf"));
    setMainReport(m_report.get());
    m_messages = std::make_unique<ui::ScriptedMessages>();
}

void TestEInvoiceExport::cleanup()
{
    EInvoiceExport::setWriteLimitForTest(-1);
    m_messages.reset();
    setMainReport(nullptr);
    m_report.reset();
    m_fixture.reset();
    m_outDir.reset();
}

EInvoiceExport::Result TestEInvoiceExport::exportDecember(const QString &folder)
{
    db::Database &database = m_fixture->shop.database();
    const QStringList numbers = EInvoiceSource(database).numbersBetween(QDate(2026, 12, 1), QDate(2026, 12, 31));
    return EInvoiceExport(database).run(numbers, folder);
}

QStringList TestEInvoiceExport::texts(const QString &file, const QString &element)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&f);
    QStringList out;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == element)
            out << xml.readElementText();
    }
    return out;
}

// The VAT amounts the printed invoice hands to its template, in order.
QStringList TestEInvoiceExport::printedVat(const QString &numero)
{
    StampaFattura(numero, false, 1);
    QStringList out;
    static const QRegularExpression amount(QStringLiteral("^Importo_IVA_\\d+=(.*)$"));
    for (int i = 0; i < report::kFormulaSlots; ++i) {
        const QRegularExpressionMatch m = amount.match(m_report->formula(i));
        if (m.hasMatch())
            out << m.captured(1);
    }
    return out;
}

void TestEInvoiceExport::monthExportedValidAndMatchingThePrint()
{
    const EInvoiceExport::Result result = exportDecember(m_out);
    QCOMPARE(result.problems, QStringList{"Fattura 26-00005: la partita IVA del cliente \"01234567890\" non è valida."});
    QCOMPARE(result.files.size(), 4);
    const QStringList numbers{"26-00001", "26-00002", "26-00003", "26-00004"};
    for (int i = 0; i < result.files.size(); ++i) {
        const QString &file = result.files[i];
        QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("IT00743110157_%1.xml").arg(i + 1, 5, 10, QLatin1Char('0')));
        QVERIFY2(EInvoiceShopData::schemaErrors(file).isEmpty(), qPrintable(EInvoiceShopData::schemaErrors(file)));
        QCOMPARE(texts(file, QStringLiteral("Numero")), QStringList{numbers[i]});
        // The taxes per group are the print's; the total is taxable + tax.
        QCOMPARE(texts(file, QStringLiteral("Imposta")), printedVat(numbers[i]));
        qlonglong total = 0;
        for (const QString &t : texts(file, QStringLiteral("ImponibileImporto")) + texts(file, QStringLiteral("Imposta")))
            total += qRound64(t.toDouble() * 100);
        const QStringList documentTotal = texts(file, QStringLiteral("ImportoTotaleDocumento"));
        QCOMPARE(documentTotal.size(), 1);
        QCOMPARE(qRound64(documentTotal[0].toDouble() * 100), total);
        QCOMPARE(texts(file, QStringLiteral("ImportoPagamento")), documentTotal);
    }
    // Rounded per group, as printed: three lines of 0,077 make 0,23.
    const QString first = result.files[0];
    QCOMPARE(texts(first, QStringLiteral("ImponibileImporto")), (QStringList{"6.45", "90.95"}));
    QCOMPARE(texts(first, QStringLiteral("Imposta")), (QStringList{"0.26", "20.01"}));
    QCOMPARE(texts(first, QStringLiteral("ImportoTotaleDocumento")), QStringList{"117.67"});
    QCOMPARE(texts(first, QStringLiteral("PrezzoTotale")).size(), 6);
    QCOMPARE(texts(first, QStringLiteral("PrezzoTotale")).last(), QStringLiteral("0.00"));
    QCOMPARE(texts(first, QStringLiteral("ModalitaPagamento")), QStringList{"MP01"});
    QCOMPARE(texts(first, QStringLiteral("CodiceDestinatario")), QStringList{"KRRH6B9"});
    // By PEC, with the exempt line's nature in line and summary.
    const QString second = result.files[1];
    QCOMPARE(texts(second, QStringLiteral("CodiceDestinatario")), QStringList{"0000000"});
    QCOMPARE(texts(second, QStringLiteral("PECDestinatario")), QStringList{"anna.verdi@pec.it"});
    QCOMPARE(texts(second, QStringLiteral("Natura")), (QStringList{"N4", "N4"}));
    QCOMPARE(texts(second, QStringLiteral("AliquotaIVA")), (QStringList{"10.00", "0.00", "7.30", "10.00", "0.00", "7.30"}));
    QCOMPARE(texts(second, QStringLiteral("ModalitaPagamento")), QStringList{"MP05"});
    QCOMPARE(texts(second, QStringLiteral("CodiceFiscale")), (QStringList{"RSSMRA85T10A562S", "RSSMRA85T10A56NH"}));
}

void TestEInvoiceExport::badCustomerStopsOnlyThatInvoice()
{
    m_fixture->shop.execute(QStringLiteral("update Anagrafica set anag_Codice_Fiscale = 'RSSMRA85T10A56NS' "
                                           "where anag_Contatore = 2"));
    const EInvoiceExport::Result result = exportDecember(m_out);
    QCOMPARE(result.problems,
             (QStringList{"Fattura 26-00002: il codice fiscale del cliente \"RSSMRA85T10A56NS\" non è valido.",
                          "Fattura 26-00005: la partita IVA del cliente \"01234567890\" non è valida."}));
    QCOMPARE(result.skipped, 2);
    QVERIFY(!result.allExported());
    QStringList exported;
    for (const QString &file : result.files)
        exported << texts(file, QStringLiteral("Numero"));
    QCOMPARE(exported, (QStringList{"26-00001", "26-00003", "26-00004"}));
    QCOMPARE(QDir(m_out).entryList(QDir::Files).size(), 3);
}

void TestEInvoiceExport::foreignCustomerAndPublicAdministration()
{
    const EInvoiceExport::Result result = exportDecember(m_out);
    const QString foreign = result.files[2];
    QCOMPARE(texts(foreign, QStringLiteral("CodiceDestinatario")), QStringList{"XXXXXXX"});
    QCOMPARE(texts(foreign, QStringLiteral("IdPaese")), (QStringList{"IT", "IT", "DE"}));
    QCOMPARE(texts(foreign, QStringLiteral("IdCodice")), (QStringList{"00743110157", "00743110157", "123456789"}));
    QCOMPARE(texts(foreign, QStringLiteral("CAP")), (QStringList{"47121", "00000"}));
    QCOMPARE(texts(foreign, QStringLiteral("Comune")), (QStringList{"Forlì", "München"}));
    // A return: no sign on the quantity, the price carries it.
    QCOMPARE(texts(foreign, QStringLiteral("Quantita")), (QStringList{"1.00", "1.00"}));
    QCOMPARE(texts(foreign, QStringLiteral("PrezzoUnitario")), (QStringList{"250.00", "-30.00"}));
    QCOMPARE(texts(foreign, QStringLiteral("PrezzoTotale")), (QStringList{"250.00", "-30.00"}));
    QCOMPARE(texts(foreign, QStringLiteral("ModalitaPagamento")), QStringList{"MP08"});
    const QString pa = result.files[3];
    QFile file(pa);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<p:FatturaElettronica xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/"
                                    "fatture/v1.2\" versione=\"FPA12\">"));
    QCOMPARE(texts(pa, QStringLiteral("FormatoTrasmissione")), QStringList{"FPA12"});
    QCOMPARE(texts(pa, QStringLiteral("CodiceDestinatario")), QStringList{"UFY9MH"});
}

void TestEInvoiceExport::progressiveNeverRepeatsAcrossRuns()
{
    QSet<QString> names;
    QSet<QString> progressives;
    int files = 0;
    for (int run = 0; run < 3; ++run) {
        // A new connection each time, as a new program run.
        db::Database::closeAll();
        m_fixture->shop.release();
        QTemporaryDir folder;
        if (run == 2) {
            // A file of that name already there (a database put back from a
            // backup counts again): passed over, not overwritten.
            QFile taken(folder.filePath(QStringLiteral("IT00743110157_00009.xml")));
            QVERIFY(taken.open(QIODevice::WriteOnly));
            taken.write("altro");
        }
        const EInvoiceExport::Result result = exportDecember(folder.path());
        for (const QString &file : result.files) {
            names << QFileInfo(file).fileName();
            progressives << texts(file, QStringLiteral("ProgressivoInvio")).value(0);
            QCOMPARE(texts(file, QStringLiteral("ProgressivoInvio")).first(), QFileInfo(file).baseName().mid(14));
            ++files;
        }
        if (run == 2) {
            QFile taken(folder.filePath(QStringLiteral("IT00743110157_00009.xml")));
            QVERIFY(taken.open(QIODevice::ReadOnly));
            QCOMPARE(taken.readAll(), QByteArray("altro"));
        }
    }
    QCOMPARE(files, 12);
    QCOMPARE(names.size(), 12);
    QCOMPARE(progressives.size(), 12);
    QVERIFY(names.contains(QStringLiteral("IT00743110157_0000D.xml")));   // base 36 after 00009 and 0000A-C
    QCOMPARE(EInvoiceExport::progressivo(35), QStringLiteral("0000Z"));
    QCOMPARE(EInvoiceExport::progressivo(36), QStringLiteral("00010"));
}

void TestEInvoiceExport::failedWriteLeavesNoFile()
{
    EInvoiceExport::setWriteLimitForTest(200);
    const EInvoiceExport::Result result = exportDecember(m_out);
    QVERIFY(result.files.isEmpty());
    QCOMPARE(result.skipped, 5);
    QCOMPARE(result.problems.first(),
             QStringLiteral("Fattura 26-00001: impossibile scrivere il file %1 (spazio esaurito).")
                 .arg(QDir::toNativeSeparators(QDir(m_out).filePath(QStringLiteral("IT00743110157_00001.xml")))));
    QCOMPARE(QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{});
    // The next export does not reuse the progressives of the failed files.
    EInvoiceExport::setWriteLimitForTest(-1);
    const EInvoiceExport::Result again = exportDecember(m_out);
    QCOMPARE(QFileInfo(again.files.first()).fileName(), QStringLiteral("IT00743110157_00005.xml"));
}

// A file smaller than the device's write buffer reaches the disk only when
// it is put in place: a disk that refuses those last bytes must leave
// neither a cut file under the name nor a part beside it, and say why.
void TestEInvoiceExport::aDiskFullAtTheLastBytesLeavesNoFile()
{
    const QString path = QDir(m_out).filePath(QStringLiteral("IT00743110157_00001.xml"));
    const QByteArray bytes(3000, 'x');
    QString error;
    {
        const FileSizeLimit full(1024);
        error = WholeFile::write(path, bytes);
    }
    QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(QDir(m_out).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{});
    QCOMPARE(WholeFile::write(path, bytes), QString());
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), bytes);
}

void TestEInvoiceExport::incompleteShopExportsNothing()
{
    m_fixture->shop.execute(QStringLiteral("update Azienda set az_CAP = '471'"));
    const EInvoiceExport::Result result = exportDecember(m_out);
    QCOMPARE(result.problems, (QStringList{"Dati azienda: il CAP \"471\" non è di cinque cifre.",
                                           "Nessuna fattura esportata."}));
    QCOMPARE(result.skipped, 5);
    QCOMPARE(QDir(m_out).entryList(QDir::Files), QStringList{});
}

void TestEInvoiceExport::anInvoiceItCannotWriteIsRefusedByName_data()
{
    QTest::addColumn<QStringList>("lines");     // quantity, price, VAT code, amount as stored
    QTest::addColumn<QString>("problem");       // empty: the file is written
    QTest::addColumn<QStringList>("totals");    // then its lines' PrezzoTotale
    QTest::newRow("a thousand pieces whose amount says ten")
        << QStringList{"1000, 10, 3, 10"}
        << "Fattura 26-00007: la riga 1 ha il totale 10.00, ma quantità per prezzo fa 10000.00." << QStringList{};
    QTest::newRow("an amount that is not a number")
        << QStringList{"1, 20, 3, 'venti'"}
        << "Fattura 26-00007: la riga 1 ha il totale 0.00, ma quantità per prezzo fa 20.00." << QStringList{};
    QTest::newRow("an amount beyond the schema")
        << QStringList{"1, 100000000000000000000, 3, 100000000000000000000"}
        << "Fattura 26-00007: la riga 1 ha quantità, prezzo o importo oltre quanto la fattura elettronica può "
           "contenere."
        << QStringList{};
    QTest::newRow("amounts stored as text read once, in the lines and in the summary")
        << QStringList{"1, 20, 3, '20,00'", "2, 10, 3, '20,00'"} << QString() << QStringList{"20.00", "20.00"};
}

// The file is checked before it is written: an invoice whose file would be
// wrong is named with the reason, and no file is written for it.
void TestEInvoiceExport::anInvoiceItCannotWriteIsRefusedByName()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, problem);
    QFETCH(QStringList, totals);
    TestShopDatabase &shop = m_fixture->shop;
    shop.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, "
                                "fat_Descrizione_Pagamento) values ('26-00007', #2026-12-28#, 1, 'Contanti')"));
    for (const QString &line : lines)
        shop.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, "
                                    "df_Prezzo, df_IVA, df_Importo) values ('26-00007', 'Riga', %1)").arg(line));
    const EInvoiceExport::Result result = EInvoiceExport(shop.database()).run({QStringLiteral("26-00007")}, m_out);
    if (!problem.isEmpty()) {
        QCOMPARE(result.problems, QStringList{problem});
        QCOMPARE(result.skipped, 1);
        QCOMPARE(QDir(m_out).entryList(QDir::Files), QStringList{});
        return;
    }
    QCOMPARE(result.problems, QStringList{});
    QCOMPARE(result.files.size(), 1);
    QVERIFY2(EInvoiceShopData::schemaErrors(result.files.first()).isEmpty(),
             qPrintable(EInvoiceShopData::schemaErrors(result.files.first())));
    QCOMPARE(texts(result.files.first(), QStringLiteral("PrezzoTotale")), totals);
    QCOMPARE(texts(result.files.first(), QStringLiteral("ImponibileImporto")), QStringList{"40.00"});
}

QTEST_MAIN(TestEInvoiceExport)
#include "tst_einvoice_export.moc"
