// StampaFattura on a shop database of the test: the formulas, the title, the
// copies and the destination the report control receives, and the page that
// fattura.rpt lays out from them.
#include "TestShopDatabase.h"

#include "base/Globals.h"
#include "base/print/MainReport.h"
#include "invoicing/StampaFattura.h"
#include "report/ReportControl.h"
#include "ui/ScriptedMessages.h"

#include <QFile>
#include <QtTest>

class TestInvoicePrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void formulas_data();
    void formulas();
    void copiesAndDestination_data();
    void copiesAndDestination();
    void invoiceWithoutLinesPrintsNothing();
    void slotsOfAPreviousPrintAreCleared();
    void moreGroupsThanSlotsRefusedWithAMessage();
    void printedPageShowsTheSummary();

private:
    void addInvoice(const QString &numero, const QString &lines);
    QStringList slots() const;
    QStringList printedTexts() const;

    std::unique_ptr<TestShopDatabase> m_shop;
    std::unique_ptr<report::ReportControl> m_report;
    std::unique_ptr<ui::ScriptedMessages> m_messages;
};

void TestInvoicePrint::init()
{
    QLocale::setDefault(QLocale::c());
    m_shop = std::make_unique<TestShopDatabase>();
    setProgramFolder(m_shop->folder());
    g_strAppName = QStringLiteral("Qorda");
    const QString reports = qEnvironmentVariable("TARVO_SOURCE_DIR") + QStringLiteral("/resources/reports/");
    for (const char *file : {"fattura.rpt", "intestazione.txt"})
        QVERIFY(QFile::copy(reports + QLatin1String(file), m_shop->folder() + QLatin1Char('/') + QLatin1String(file)));
    m_report = std::make_unique<report::ReportControl>();
    m_report->setFeedback(false);
    m_report->setPrinterToPdf(true);
    m_report->setPdfFile(m_shop->folder() + QStringLiteral("/fattura.pdf"));
    m_report->setToday(QDate(2026, 12, 6));
    setMainReport(m_report.get());
    m_messages = std::make_unique<ui::ScriptedMessages>();

    // A rate typed with a comma, as old files hold it; a server column of
    // numbers holds only the number.
    m_shop->execute(QStringLiteral("insert into IVA (IVA_Codice, IVA_Descrizione, IVA_Aliquota) values "
                                   "(5, 'Esente art. 10 dell''IVA', 0), (7, 'Agricola 7,3%', %1)")
                        .arg(TestShopDatabase::onServer() ? QStringLiteral("7.3") : QStringLiteral("'7,3'")));
    m_shop->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Tessiture Dell''Orto')"));
}

void TestInvoicePrint::cleanup()
{
    m_messages.reset();
    setMainReport(nullptr);
    m_report.reset();
    m_shop.reset();
    QLocale::setDefault(QLocale::c());
}

// Lines "code:amount;code:amount", "-" for a Null amount.
void TestInvoicePrint::addInvoice(const QString &numero, const QString &lines)
{
    m_shop->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente) values ('%1', #12/6/2026#, 1)")
                        .arg(numero));
    if (lines.isEmpty())
        return;
    int row = 0;
    for (const QString &line : lines.split(QLatin1Char(';'))) {
        const QStringList f = line.split(QLatin1Char(':'));
        m_shop->execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità,"
                                       " df_Prezzo, df_IVA, df_Importo) values ('%1', 'Riga %2', 1, %3, %4, %3)")
                            .arg(numero).arg(++row).arg(f[1] == QLatin1String("-") ? QStringLiteral("null") : f[1], f[0]));
    }
}

QStringList TestInvoicePrint::slots() const
{
    QStringList out;
    for (int i = 0; i < report::kFormulaSlots; ++i)
        out << m_report->formula(i);
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

QStringList TestInvoicePrint::printedTexts() const
{
    QStringList texts;
    for (const report::ReportPage &page : m_report->lastPages())
        for (const report::PageItem &item : page.items)
            if (item.kind == report::PageItem::Kind::Text)
                texts << item.text;
    return texts;
}

void TestInvoicePrint::formulas_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QStringList>("expected");   // slots 0 to the last one set

    QTest::newRow("one group fills four slots")
        << "C" << "07-00012" << "3:100;3:50"
        << QStringList{"", "Descrizione_Iva_1='IVA 22%'", "Importo_IVA_1=33.00", "IVA = 33.00", "NumeroFattura='12'"};
    QTest::newRow("codes B, A, B give A then B")
        << "C" << "26-00001" << "3:100;1:100;3:10"
        << QStringList{"", "Descrizione_Iva_1='IVA 4%'", "Importo_IVA_1=4.00", "Descrizione_Iva_2='IVA 22%'",
                       "Importo_IVA_2=24.20", "IVA = 28.20", "NumeroFattura='1'"};
    QTest::newRow("Italian locale still writes a point")
        << "it_IT" << "26-00002" << "3:100"
        << QStringList{"", "Descrizione_Iva_1='IVA 22%'", "Importo_IVA_1=22.00", "IVA = 22.00", "NumeroFattura='2'"};
    QTest::newRow("half cents: 2,255 + 0,045 print 2,26 + 0,05 = 2,31")
        << "it_IT" << "26-00003" << "3:10.25;1:1.125"
        << QStringList{"", "Descrizione_Iva_1='IVA 4%'", "Importo_IVA_1=0.05", "Descrizione_Iva_2='IVA 22%'",
                       "Importo_IVA_2=2.26", "IVA = 2.31", "NumeroFattura='3'"};
    QTest::newRow("apostrophe doubled, Null amount counts 0")
        << "C" << "26-00004" << "5:-;5:80"
        << QStringList{"", "Descrizione_Iva_1='Esente art. 10 dell''IVA'", "Importo_IVA_1=0.00", "IVA = 0.00",
                       "NumeroFattura='4'"};
    QTest::newRow("rate stored as 7,3 stays 7,3")
        << "it_IT" << "26-00005" << "7:100"
        << QStringList{"", "Descrizione_Iva_1='Agricola 7,3%'", "Importo_IVA_1=7.30", "IVA = 7.30", "NumeroFattura='5'"};
}

void TestInvoicePrint::formulas()
{
    QFETCH(QString, locale);
    QFETCH(QString, numero);
    QFETCH(QString, lines);
    QFETCH(QStringList, expected);

    addInvoice(numero, lines);
    QLocale::setDefault(QLocale(locale));
    StampaFattura(numero, false, 1);

    QCOMPARE(slots(), expected);
    QCOMPARE(m_report->get(report::prop::SelectionFormula).toString(), QStringLiteral("{fattura.fat_Numero} ='%1'").arg(numero));
    QCOMPARE(m_report->get(report::prop::WindowTitle).toString(), QStringLiteral("Stampa della fattura numero ") + numero);
    QCOMPARE(m_report->get(report::prop::ReportFileName).toString(), m_shop->folder() + QStringLiteral("/fattura.rpt"));
    QCOMPARE(m_report->runCount(), 1);
    QCOMPARE(m_report->lastPageCount(), 1);
    QVERIFY(m_messages->texts().isEmpty());
}

void TestInvoicePrint::copiesAndDestination_data()
{
    QTest::addColumn<int>("copie");
    QTest::addColumn<bool>("anteprima");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("destination");

    QTest::newRow("copies 0 prints one") << 0 << false << 1 << 1;
    QTest::newRow("negative copies print one") << -4 << false << 1 << 1;
    QTest::newRow("three copies") << 3 << false << 3 << 1;
    QTest::newRow("capped at the engine's limit") << 32767 << false << report::kMaxCopies << 1;
    QTest::newRow("preview") << 2 << true << 2 << 0;
}

void TestInvoicePrint::copiesAndDestination()
{
    QFETCH(int, copie);
    QFETCH(bool, anteprima);
    QFETCH(int, copies);
    QFETCH(int, destination);

    addInvoice(QStringLiteral("26-00010"), QStringLiteral("3:100"));
    StampaFattura(QStringLiteral("26-00010"), anteprima, short(copie));

    QCOMPARE(m_report->get(report::prop::CopiesToPrinter).toInt(), copies);
    QCOMPARE(m_report->get(report::prop::Destination).toInt(), destination);
    QCOMPARE(m_report->runCount(), 1);
    QCOMPARE(m_report->lastCopies(), copies);
    delete m_report->lastPreview();
}

void TestInvoicePrint::invoiceWithoutLinesPrintsNothing()
{
    addInvoice(QStringLiteral("26-00020"), QString());
    StampaFattura(QStringLiteral("26-00020"), false, 1);
    QCOMPARE(m_report->runCount(), 0);
    QVERIFY(m_messages->texts().isEmpty());
}

void TestInvoicePrint::slotsOfAPreviousPrintAreCleared()
{
    addInvoice(QStringLiteral("26-00030"), QStringLiteral("1:10;2:10;3:10;5:10;7:10"));
    addInvoice(QStringLiteral("26-00031"), QStringLiteral("2:10"));
    StampaFattura(QStringLiteral("26-00030"), false, 1);
    QCOMPARE(slots().size(), 13);
    StampaFattura(QStringLiteral("26-00031"), false, 1);
    QCOMPARE(slots(), (QStringList{"", "Descrizione_Iva_1='IVA 10%'", "Importo_IVA_1=1.00", "IVA = 1.00",
                                   "NumeroFattura='31'"}));
}

void TestInvoicePrint::moreGroupsThanSlotsRefusedWithAMessage()
{
    for (int code = 10; code < 20; ++code)
        m_shop->execute(QStringLiteral("insert into IVA (IVA_Codice, IVA_Descrizione, IVA_Aliquota) values (%1, 'Aliquota %1', %1)").arg(code));
    QStringList lines;
    for (int code = 10; code < 20; ++code)
        lines << QStringLiteral("%1:10").arg(code);
    addInvoice(QStringLiteral("26-00040"), lines.join(QLatin1Char(';')));

    StampaFattura(QStringLiteral("26-00040"), false, 1);
    QCOMPARE(m_report->runCount(), 0);
    QCOMPARE(m_messages->texts(),
             QStringList{"La fattura ha righe con 10 codici IVA diversi: se ne possono stampare al più 9."});
    QVERIFY(slots().isEmpty());
}

// Lines at three rates: each group with its taxable amount beside its
// VAT, and groups that add up to the printed totals.
void TestInvoicePrint::printedPageShowsTheSummary()
{
    QLocale::setDefault(QLocale(QStringLiteral("it_IT")));
    addInvoice(QStringLiteral("26-00050"), QStringLiteral("3:10.25;1:1.125;3:100;5:20"));
    StampaFattura(QStringLiteral("26-00050"), false, 1);

    const QStringList texts = printedTexts();
    const QString all = texts.join(QLatin1Char('|'));
    // Groups: IVA 4% 1,13 / 0,05; IVA 22% 110,25 / 24,26; exempt 20,00 / 0,00.
    for (const char *expected : {"Tessiture Dell'Orto", "IVA 4%", "IVA 22%", "Esente art. 10 dell'IVA", "1,13", "110,25",
                                 "20,00", "0,05", "24,26", "0,00", "24,31", "131,38", "155,69"})
        QVERIFY2(texts.contains(QString::fromUtf8(expected)), qPrintable(QStringLiteral("%1 not in %2").arg(expected, all)));
}

QTEST_MAIN(TestInvoicePrint)
#include "tst_invoice_print.moc"
