// The identifiers of an electronic invoice, valid and invalid, and the
// messages of the checks before export.
#include "rules/EInvoiceChecks.h"
#include "rules/EInvoiceFileCheck.h"
#include "rules/EInvoiceXml.h"
#include "rules/FiscalCodes.h"

#include <QtTest>

class TestEInvoiceCodes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void codes_data();
    void codes();
    void invoiceChecks_data();
    void invoiceChecks();
    void shopChecks();
    void addressingAndPayment_data();
    void addressingAndPayment();
    void fileCheck_data();
    void fileCheck();
};

void TestEInvoiceCodes::codes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const char *rows[][3] = {
        {"partita IVA", "01234567897", "1"}, {"partita IVA", "00743110157", "1"},
        {"partita IVA", " 12345678903 ", "1"}, {"partita IVA", "01234567890", "0"},
        {"partita IVA", "12345678901", "0"}, {"partita IVA", "0123456789", "0"},
        {"partita IVA", "0123456789A", "0"}, {"partita IVA", "00000000000", "0"},
        {"partita IVA", "", "0"},
        {"codice fiscale", "RSSMRA85T10A562S", "1"}, {"codice fiscale", "rssmra85t10a562s", "1"},
        {"codice fiscale", "MRTMTT25D09F205Z", "1"},
        {"codice fiscale", "RSSMRA85T10A56NH", "1"},   // omocodia on the last digit
        {"codice fiscale", "RSSMRAURTMLARPNI", "1"},   // every digit replaced
        {"codice fiscale", "RSSMRA85T10A562T", "0"},   // wrong check letter
        {"codice fiscale", "RSSMRA85T10A56NS", "0"},   // omocodia without its own check letter
        {"codice fiscale", "RSSMRA85Z10A562S", "0"},   // no such month
        {"codice fiscale", "RSSMRA85T10A562", "0"},    {"codice fiscale", "RSSMRA85T10A5W2S", "0"},
        {"codice fiscale", "00743110157", "1"},        {"codice fiscale", "00743110158", "0"},
        {"CAP", "20121", "1"}, {"CAP", "2012", "0"}, {"CAP", "2012A", "0"}, {"CAP", "201210", "0"},
        {"codice destinatario", "KRRH6B9", "1"}, {"codice destinatario", "ufy9mh", "1"},
        {"codice destinatario", "0000000", "1"}, {"codice destinatario", "ABC12", "0"},
        {"codice destinatario", "ABCD-12", "0"}, {"codice destinatario", "ABCD12345", "0"},
        {"PEC", "fatture@pec.esempio.it", "1"}, {"PEC", "fatture@pec", "0"}, {"PEC", "fatture.pec.it", "0"},
        {"natura", "N2.2", "1"}, {"natura", "n4", "1"}, {"natura", "N6.9", "1"}, {"natura", "N2", "0"},
        {"natura", "N8", "0"}, {"natura", "", "0"},
    };
    for (const auto &row : rows)
        QTest::addRow("%s %s", row[0], row[1]) << row[0] << row[1] << (row[2][0] == '1');
}

void TestEInvoiceCodes::codes()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    bool got = false;
    if (kind == QLatin1String("partita IVA"))
        got = FiscalCodes::isValidPartitaIva(text);
    else if (kind == QLatin1String("codice fiscale"))
        got = FiscalCodes::isValidCodiceFiscale(text);
    else if (kind == QLatin1String("CAP"))
        got = FiscalCodes::isValidCap(text);
    else if (kind == QLatin1String("codice destinatario"))
        got = FiscalCodes::isValidCodiceDestinatario(text);
    else if (kind == QLatin1String("PEC"))
        got = FiscalCodes::isValidPec(text);
    else
        got = FiscalCodes::isValidNatura(text);
    QCOMPARE(got, valid);
}

namespace {

EInvoiceDocument goodInvoice()
{
    EInvoiceDocument doc;
    doc.numero = QStringLiteral("26-00007");
    doc.data = QDate(2026, 12, 1);
    doc.clienteTrovato = true;
    doc.cliente = {QStringLiteral("Sartoria Bianchi"), QStringLiteral("01234567897"), QStringLiteral("RSSMRA85T10A562S"),
                   QStringLiteral("Via Roma 1"), QStringLiteral("20121"), QStringLiteral("Milano"), QStringLiteral("MI"),
                   QString(), QStringLiteral("KRRH6B9"), QString()};
    EInvoiceLine line;
    line.descrizione = QStringLiteral("Giacca");
    line.quantita = 1;
    line.prezzo = 100;
    line.importo = 100.0;
    line.codiceIva = 3;
    line.codiceIvaTrovato = true;
    line.aliquota = 22;
    doc.righe.push_back(line);
    return doc;
}

} // namespace

void TestEInvoiceCodes::invoiceChecks_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("messages");
    const QString f = QStringLiteral("Fattura 26-00007: ");
    QTest::newRow("valid") << "" << "" << QStringList{};
    QTest::newRow("partita IVA") << "partitaIva" << "01234567890"
        << QStringList{f + "la partita IVA del cliente \"01234567890\" non è valida."};
    QTest::newRow("codice fiscale") << "codiceFiscale" << "RSSMRA85T10A562T"
        << QStringList{f + "il codice fiscale del cliente \"RSSMRA85T10A562T\" non è valido."};
    QTest::newRow("CAP") << "cap" << "2012" << QStringList{f + "il CAP del cliente \"2012\" non è di cinque cifre."};
    QTest::newRow("no recipient") << "codiceDestinatario" << ""
        << QStringList{f + "il cliente non ha né codice destinatario né PEC."};
    QTest::newRow("bad recipient") << "codiceDestinatario" << "AB-12"
        << QStringList{f + "il codice destinatario del cliente \"AB-12\" non è di 6 o 7 lettere o cifre."};
    QTest::newRow("foreign, VAT not checked") << "stato" << "Germania" << QStringList{};
    QTest::newRow("unknown country") << "stato" << "Atlantide"
        << QStringList{f + "lo stato del cliente \"Atlantide\" non è riconosciuto: scrivere la sigla di due lettere "
                           "del paese (per esempio DE)."};
    QTest::newRow("zero rate without nature") << "aliquota" << "0"
        << QStringList{f + "la riga 1 ha l'aliquota 0 %: indicare la natura del codice IVA 3 (per esempio N2.2 o N4) "
                           "nelle impostazioni."};
    QTest::newRow("zero rate with nature") << "natura" << "N4" << QStringList{};
    QTest::newRow("no lines") << "righe" << "" << QStringList{f + "non ha righe."};
    QTest::newRow("unknown VAT code") << "codiceIvaTrovato" << "" << QStringList{f + "la riga 1 non ha un codice IVA valido."};
}

void TestEInvoiceCodes::invoiceChecks()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QStringList, messages);
    EInvoiceDocument doc = goodInvoice();
    EInvoiceCustomer &c = doc.cliente;
    if (field == QLatin1String("partitaIva")) c.partitaIva = value;
    if (field == QLatin1String("codiceFiscale")) c.codiceFiscale = value;
    if (field == QLatin1String("cap")) c.cap = value;
    if (field == QLatin1String("codiceDestinatario")) c.codiceDestinatario = value;
    if (field == QLatin1String("stato")) { c.stato = value; c.partitaIva = QStringLiteral("DE123456789"); c.cap = QString(); }
    if (field == QLatin1String("aliquota")) doc.righe[0].aliquota = 0;
    if (field == QLatin1String("natura")) { doc.righe[0].aliquota = 0; doc.righe[0].natura = value; }
    if (field == QLatin1String("righe")) doc.righe.clear();
    if (field == QLatin1String("codiceIvaTrovato")) doc.righe[0].codiceIvaTrovato = false;
    QCOMPARE(EInvoiceChecks::invoiceProblems(doc), messages);
}

void TestEInvoiceCodes::shopChecks()
{
    EInvoiceShop shop{QStringLiteral("Tarvo Abbigliamento"), QStringLiteral("00743110157"), QString(),
                      QStringLiteral("RF01"), QStringLiteral("Corso Italia 5"), QStringLiteral("47121"),
                      QStringLiteral("Forlì"), QStringLiteral("FC"), QStringLiteral("IT"), QString(), QString(), QString()};
    QCOMPARE(EInvoiceChecks::shopProblems(shop), QStringList{});
    EInvoiceShop empty;
    QCOMPARE(EInvoiceChecks::shopProblems(empty),
             (QStringList{"Dati azienda: manca la denominazione.", "Dati azienda: la partita IVA \"\" non è valida.",
                          "Dati azienda: il regime fiscale \"\" non è valido (da RF01 a RF19).",
                          "Dati azienda: manca l'indirizzo.", "Dati azienda: il CAP \"\" non è di cinque cifre.",
                          "Dati azienda: manca il comune.", "Dati azienda: la nazione deve essere IT."}));
}

void TestEInvoiceCodes::addressingAndPayment_data()
{
    QTest::addColumn<QString>("stato");
    QTest::addColumn<QString>("codice");
    QTest::addColumn<QString>("pagamento");
    QTest::addColumn<QString>("destinatario");
    QTest::addColumn<QString>("formato");
    QTest::addColumn<QString>("modalita");
    QTest::newRow("private party, cash") << "" << "krrh6b9" << "Contanti" << "KRRH6B9" << "FPR12" << "MP01";
    QTest::newRow("public administration, cheque") << "Italia" << "UFY9MH" << "Assegno" << "UFY9MH" << "FPA12" << "MP02";
    QTest::newRow("by PEC, transfer") << "IT" << "" << "Bonifico" << "0000000" << "FPR12" << "MP05";
    QTest::newRow("abroad, card") << "Francia" << "" << "Carta di credito" << "XXXXXXX" << "FPR12" << "MP08";
    QTest::newRow("abroad with a code, debit card") << "DE" << "KRRH6B9" << "Bancomat" << "XXXXXXX" << "FPR12" << "MP08";
    QTest::newRow("unknown payment") << "" << "KRRH6B9" << "Baratto" << "KRRH6B9" << "FPR12" << "MP01";
}

void TestEInvoiceCodes::addressingAndPayment()
{
    QFETCH(QString, stato);
    QFETCH(QString, codice);
    QFETCH(QString, pagamento);
    EInvoiceCustomer c;
    c.stato = stato;
    c.codiceDestinatario = codice;
    QTEST(EInvoiceXml::codiceDestinatario(c), "destinatario");
    QTEST(EInvoiceXml::format(c), "formato");
    QTEST(EInvoiceXml::modalitaPagamento(pagamento), "modalita");
}

void TestEInvoiceCodes::fileCheck_data()
{
    QTest::addColumn<QString>("lines");      // DettaglioLinee elements
    QTest::addColumn<QString>("summary");    // DatiRiepilogo elements
    QTest::addColumn<QString>("total");      // ImportoTotaleDocumento, also the payment
    QTest::addColumn<QStringList>("problems");
    const QString line = QStringLiteral("<DettaglioLinee><Quantita>%1</Quantita><PrezzoUnitario>%2</PrezzoUnitario>"
                                        "<PrezzoTotale>%3</PrezzoTotale><AliquotaIVA>22.00</AliquotaIVA></DettaglioLinee>");
    const QString summary = QStringLiteral("<DatiRiepilogo><AliquotaIVA>22.00</AliquotaIVA><ImponibileImporto>%1"
                                           "</ImponibileImporto><Imposta>%2</Imposta></DatiRiepilogo>");
    const QString twenty = line.arg("1.00", "20.00", "20.00");
    QTest::newRow("sound") << twenty + twenty << summary.arg("40.00", "8.80") << "48.80" << QStringList{};
    QTest::newRow("lines rounded one by one") << line.arg("3.00", "0.35", "1.05") << summary.arg("1.04", "0.23")
                                              << "1.27" << QStringList{};
    QTest::newRow("a summary of nothing") << twenty + twenty << summary.arg("0.00", "0.00") << "0.00"
        << QStringList{"Fattura 26-00001: il riepilogo dell'aliquota 22.00 ha l'imponibile 0.00, ma le righe sommano 40.00."};
    QTest::newRow("a total that is not the summary's") << twenty << summary.arg("20.00", "4.40") << "20.00"
        << QStringList{"Fattura 26-00001: il totale del documento 20.00 non è imponibile più imposta (24.40)."};
    QTest::newRow("a line that is not quantity by price") << line.arg("1000.00", "10.00", "10.00")
        << summary.arg("10.00", "2.20") << "12.20"
        << QStringList{"Fattura 26-00001: la riga 1 ha il totale 10.00, ma quantità per prezzo fa 10000.00."};
    QTest::newRow("an amount the schema refuses") << line.arg("1.00", "inf", "inf") << summary.arg("0.00", "0.00")
        << "0.00"
        << QStringList{"Fattura 26-00001: il valore \"inf\" di PrezzoUnitario non è ammesso dalla fattura elettronica.",
                       "Fattura 26-00001: il valore \"inf\" di PrezzoTotale non è ammesso dalla fattura elettronica."};
}

// What the export checks in a file before writing it, on files cut down to
// the figures.
void TestEInvoiceCodes::fileCheck()
{
    QFETCH(QString, lines);
    QFETCH(QString, summary);
    QFETCH(QString, total);
    QFETCH(QStringList, problems);
    const QString xml = QStringLiteral("<FatturaElettronica><ImportoTotaleDocumento>%1</ImportoTotaleDocumento>"
                                       "<DatiBeniServizi>%2%3</DatiBeniServizi><ImportoPagamento>%1</ImportoPagamento>"
                                       "</FatturaElettronica>").arg(total, lines, summary);
    QCOMPARE(EInvoiceFileCheck::problems(QStringLiteral("26-00001"), xml.toUtf8()), problems);
}

QTEST_GUILESS_MAIN(TestEInvoiceCodes)
#include "tst_einvoice_codes.moc"
