// The eight shipped templates, each printed on a small database exactly the
// way its window prints it.
#include "ReportFixture.h"
#include "report/ReportControl.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QtTest>
#include <sqlite3.h>

using namespace report;

namespace {

QStringList allTexts(const ReportControl &control)
{
    QStringList out;
    for (const auto &page : control.lastPages())
        out << page.texts();
    return out;
}

void emptyFormulas(ReportControl &control)
{
    for (int i = 0; i < kFormulaSlots; ++i)
        control.set(prop::Formulas, i, QString());
    control.set(prop::SelectionFormula, QString());
}

} // namespace

class TestTemplates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void articleCard();
    void articleGridListsEveryArticle();
    void loadListObeysTheWindowsFormula();
    void unloadListWithDailyTotals();
    void invoiceWithTwoVatGroups();
    void invoiceListAndCustomerSheets();
    void journalsShareOneTemplate_data();
    void journalsShareOneTemplate();
    void longListRepeatsHeadersOnEveryPage();
    void templateAndTablesChangedBetweenPrintsAreReadAnew();

private:
    std::unique_ptr<ReportFixture> m_fixture;
    std::unique_ptr<ReportControl> m_report;
};

void TestTemplates::init()
{
    m_fixture = std::make_unique<ReportFixture>();
    QVERIFY(m_fixture->isValid());
    m_report = std::make_unique<ReportControl>();
    m_report->setDatabasePath(m_fixture->databasePath());
    m_report->setToday(QDate(2026, 5, 4));
    // Everything goes to a file: prints that do not set 24 follow it.
    m_report->set(prop::Destination, int(Destination::File));
    m_report->set(prop::PrintFileName, m_fixture->templatePath("stampa.pdf"));
}

void TestTemplates::cleanup()
{
    m_report.reset();
    m_fixture.reset();
    db::Database::closeAll();
}

void TestTemplates::articleCard()
{
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("articoli.rpt"));
    r.set(prop::ReportSource, 2);
    r.set(prop::WindowLeft, 0);
    r.set(prop::WindowTop, 0);
    r.set(prop::WindowTitle, "Lista Articoli");
    r.set(prop::Destination, 2);   // the card sets 0; here the file stands for the screen
    r.set(prop::SelectionFormula, "{articoli.art_Codice} = 1");
    r.set(prop::Action, 1);
    const QStringList t = allTexts(r);
    QCOMPARE(r.lastPages().size(), size_t(1));
    QVERIFY(t.contains("Merceria Prova"));
    QVERIFY(t.contains("Via Test 1 - 00100 Roma"));
    QVERIFY(t.contains("Lista Articoli"));
    QVERIFY(t.contains("Stampa del 04/05/2026"));
    QVERIFY(t.contains("Maglione lana"));
    QVERIFY(t.contains("Dell'Orto"));
    QVERIFY(t.contains("49,90"));
    QVERIFY(t.contains("800001"));
    QVERIFY(t.contains("800001U"));
    QVERIFY(t.contains("Quantità: 5"));
    QVERIFY(!t.contains("Jeans"));
    QCOMPARE(t.last(), QString("Pagina 1 di 1"));
}

void TestTemplates::articleGridListsEveryArticle()
{
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("articoli.rpt"));
    r.set(prop::WindowTitle, "Lista Articoli");
    r.set(prop::Connect, ";PWD=");
    r.set(prop::Action, 1);
    const QStringList t = allTexts(r);
    QVERIFY(t.indexOf("Maglione lana") < t.indexOf("Jeans"));
    // An article without stock items is listed, with no empty item line.
    QVERIFY(t.contains("Cintura"));
    QCOMPARE(t.filter("Taglia: ").size(), 3);
}

void TestTemplates::loadListObeysTheWindowsFormula()
{
    ReportControl &r = *m_report;
    auto print = [&](const QString &formula) {
        emptyFormulas(r);
        r.set(prop::ReportFileName, m_fixture->templatePath("listacarichi.rpt"));
        r.set(prop::ReportSource, 2);
        r.set(prop::WindowLeft, 0);
        r.set(prop::WindowTop, 0);
        r.set(prop::WindowTitle, "Corvel - Lista dei Carichi");
        r.set(prop::SelectionFormula, formula);
        r.set(prop::Action, 1);
        return allTexts(r);
    };
    QStringList t = print("{articoli.art_Fornitore} = 'Dell''Orto' and{carico.ca_Data} >= date(1900,01,01) and "
                          "{carico.ca_data} <= date(2100,01,01)");
    QVERIFY(t.contains("Corvel - Lista dei Carichi"));
    QVERIFY(t.contains("02/03/2026"));
    QVERIFY(t.contains("01/04/2026"));
    QVERIFY(!t.contains("20/03/2026"));
    QVERIFY(t.contains("Carichi: 2"));
    QCOMPARE(r.lastDestination(), Destination::File);

    t = print("{carico.ca_Codice_Articolo} = \"800002\" and {carico.ca_Data} >= date(2026,03,01) and "
              "{carico.ca_data} <= date(2026,03,31)");
    QCOMPARE(t.filter("/03/2026").size(), 1);
    QVERIFY(t.contains("Jeans"));
    QVERIFY(t.contains("Carichi: 1"));

    t = print(QString());   // before any search: every load
    QVERIFY(t.contains("Carichi: 3"));
    QVERIFY(t.contains("9"));   // total quantity 5 + 3 + 1
}

void TestTemplates::unloadListWithDailyTotals()
{
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("listascarichi.rpt"));
    r.set(prop::ReportSource, 2);
    r.set(prop::WindowLeft, 0);
    r.set(prop::WindowTop, 0);
    r.set(prop::WindowTitle, "Brellan - Lista degli scarichi");
    r.set(prop::SelectionFormula, "{scarico.sc_Usato} = false and {scarico.sc_Data} >= date(2026,03,01) and "
                                  "{scarico.sc_data} <= date(2026,03,31)");
    r.set(prop::Action, 1);
    const QStringList t = allTexts(r);
    QVERIFY(t.contains("Brellan - Lista degli scarichi"));
    QVERIFY(t.contains("Totale del 10/03/2026"));
    QVERIFY(!t.contains("Totale del 11/03/2026"));   // the used item is left out
    QVERIFY(t.contains("203,00"));                   // 45 + 158
    QVERIFY(t.contains("4,90"));
    QVERIFY(t.contains("Vendite: 2"));
    QCOMPARE(r.lastPages().front().size, QSizeF(297, 210));
}

void TestTemplates::invoiceWithTwoVatGroups()
{
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("fattura.rpt"));
    r.set(prop::ReportSource, 2);
    r.set(prop::WindowLeft, 0);
    r.set(prop::WindowTop, 0);
    r.set(prop::CopiesToPrinter, 2);
    r.set(prop::Destination, 2);
    r.set(prop::WindowTitle, "Stampa della fattura numero 26-00007");
    r.set(prop::Formulas, 1, "Descrizione_Iva_1='IVA 4%'");
    r.set(prop::Formulas, 2, "Importo_IVA_1=1.00");
    r.set(prop::Formulas, 3, "Descrizione_Iva_2='IVA 22%'");
    r.set(prop::Formulas, 4, "Importo_IVA_2=33.00");
    r.set(prop::Formulas, 5, "IVA = 34.00");
    r.set(prop::Formulas, 6, "NumeroFattura='7'");
    r.set(prop::SelectionFormula, "{fattura.fat_Numero} ='26-00007'");
    r.set(prop::Action, 1);
    QCOMPARE(r.lastPages().size(), size_t(1));
    QCOMPARE(r.lastCopies(), 2);
    const QStringList t = allTexts(r);
    QVERIFY(t.contains("Merceria Prova"));
    QVERIFY(t.contains("FATTURA"));
    QVERIFY(t.contains("Bianchi Mario"));
    QVERIFY(t.contains("Via Verdi 3"));
    QVERIFY(t.contains("20100 Milano Italia"));
    QVERIFY(t.contains("P. IVA 01234567890"));
    QVERIFY(t.contains("7"));
    QVERIFY(t.contains("26-00007"));
    QVERIFY(t.contains("15/04/2026"));
    QVERIFY(t.contains("Bonifico"));
    QCOMPARE(t.filter(QRegularExpression("^(Maglione lana|Libro di sartoria|Sciarpa|Riparazione)$")).size(), 3);
    // VAT summary in the order of the slots, each rate with the taxable
    // amount of its lines and its VAT, then the totals.
    const int iva4 = int(t.indexOf("IVA 4%"));
    QVERIFY(iva4 > 0);
    QCOMPARE(t.mid(iva4 + 1, 2), (QStringList{"25,00", "1,00"}));
    QCOMPARE(t.indexOf("IVA 22%") > iva4, true);
    QCOMPARE(t.mid(t.indexOf("IVA 22%") + 1, 2), (QStringList{"150,00", "33,00"}));
    QCOMPARE(t.at(t.indexOf("Totale imponibile") + 1), QString("175,00"));
    QCOMPARE(t.at(t.indexOf("Totale IVA") + 1), QString("34,00"));
    QCOMPARE(t.at(t.indexOf("TOTALE EURO") + 1), QString("209,00"));
    QVERIFY(!t.contains("Tessuti Dell'Orto srl"));
    QCOMPARE(t.last(), QString("Pagina 1 di 1"));
}

void TestTemplates::invoiceListAndCustomerSheets()
{
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("listafat.rpt"));
    r.set(prop::ReportSource, 2);
    r.set(prop::WindowLeft, 0);
    r.set(prop::WindowTop, 0);
    r.set(prop::WindowTitle, "Lista Fatture");
    r.set(prop::Destination, 2);
    r.set(prop::SelectionFormula, "{fattura.fat_Numero} = '26-00007' or {fattura.fat_Numero} = '26-00008'");
    r.set(prop::Action, 1);
    QStringList t = allTexts(r);
    QVERIFY(t.indexOf("26-00007") < t.indexOf("26-00008"));
    QVERIFY(t.contains("Tessuti Dell'Orto srl"));
    QVERIFY(t.contains("255,00"));
    QVERIFY(t.contains("Fatture: 2"));

    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("clienti.rpt"));
    r.set(prop::ReportSource, 2);
    r.set(prop::WindowTop, 0);
    r.set(prop::WindowLeft, 0);
    r.set(prop::WindowTitle, "Stampa dei dati del Cliente Bianchi Mario");
    r.set(prop::SelectionFormula, "{anagrafica.anag_Contatore} = 1");
    r.set(prop::Action, 1);
    t = allTexts(r);
    QVERIFY(t.contains("Bianchi Mario"));
    QVERIFY(t.contains("BNCMRA70A01F205X"));
    QVERIFY(t.contains("Stampa dei dati del Cliente Bianchi Mario"));
    QVERIFY(!t.contains("Tessuti Dell'Orto srl"));

    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("lstclienti.rpt"));
    r.set(prop::ReportSource, 2);
    r.set(prop::WindowLeft, 0);
    r.set(prop::WindowTop, 0);
    r.set(prop::WindowTitle, "Lista Clienti");
    r.set(prop::Destination, 2);
    r.set(prop::SelectionFormula, "{Anagrafica.anag_Contatore} = 2 or {Anagrafica.anag_Contatore} = 1");
    r.set(prop::Action, 1);
    t = allTexts(r);
    QVERIFY(t.indexOf("Bianchi Mario") < t.indexOf("Tessuti Dell'Orto srl"));   // name order
    QVERIFY(t.contains("Anagrafiche: 2"));
    QVERIFY(t.contains("Sì"));
}

void TestTemplates::journalsShareOneTemplate_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("present");
    QTest::addColumn<QString>("absent");
    QTest::newRow("cash journal") << "prima nota" << "Affitto negozio" << "Tessuti Dell'Orto";
    QTest::newRow("supplier journal") << "Nota Fornitori" << "Tessuti Dell'Orto" << "Affitto negozio";
}

void TestTemplates::journalsShareOneTemplate()
{
    QFETCH(QString, table);
    QFETCH(QString, present);
    QFETCH(QString, absent);
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("prinota.rpt"));
    r.set(prop::Destination, 2);
    r.set(prop::SelectionFormula, "{" + table + ".pn_data}" + " >= date(2026,01,01)" + " and {" + table
                                      + ".pn_data} <= " + " date(2026,01,31)");
    r.set(prop::Action, 1);
    const QStringList t = allTexts(r);
    QVERIFY(t.contains(present));
    QVERIFY(!t.contains(absent));
    QVERIFY(!t.contains("Luce"));   // outside the period
    QVERIFY(t.contains(table.compare("prima nota", Qt::CaseInsensitive) == 0 ? "Prima Nota" : "Nota Fornitori"));
    QVERIFY(t.contains(table == "prima nota" ? "1.936.270" : "968.135"));
    QVERIFY(t.contains("Movimenti: 1"));
}

void TestTemplates::longListRepeatsHeadersOnEveryPage()
{
    db::Database &d = m_fixture->database();
    d.beginTrans();
    for (int i = 0; i < 120; ++i)
        d.execute("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
                  "values ('800002', #5/1/2026#, 1, 0, 0)");
    d.commitTrans();
    ReportControl &r = *m_report;
    emptyFormulas(r);
    r.set(prop::ReportFileName, m_fixture->templatePath("listacarichi.rpt"));
    r.set(prop::WindowTitle, "Corvel - Lista dei Carichi");
    r.set(prop::Action, 1);
    const auto &pages = r.lastPages();
    QVERIFY(pages.size() >= 3);
    for (size_t p = 0; p < pages.size(); ++p) {
        const QStringList t = pages[p].texts();
        QCOMPARE(t.contains("Merceria Prova"), p == 0);
        QVERIFY(t.contains("Descrizione"));
        QCOMPARE(t.last(), QString("Pagina %1 di %2").arg(p + 1).arg(pages.size()));
    }
    QVERIFY(pages.back().contains("Carichi: 123"));
}

QTEST_MAIN(TestTemplates)
#include "tst_templates.moc"

// Prints keep the parsed template, the report's query and its connection
// between runs: a template edited on disk, or a table another program
// changed, must show in the very next print.
void TestTemplates::templateAndTablesChangedBetweenPrintsAreReadAnew()
{
    ReportControl &r = *m_report;
    const QString path = m_fixture->templatePath("pagamenti.rpt");
    auto writeTemplate = [&](const char *detail) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("title \"Pagamenti\"\ntable pagamenti\norder pagamenti.pag_Codice\nband detail 5\n")
                   + "text 0 0 100 5 \"" + detail + "\"\n");
    };
    auto print = [&] {
        emptyFormulas(r);
        r.set(prop::ReportFileName, path);
        r.set(prop::SelectionFormula, "{pagamenti.pag_Codice} = 'CO'");
        r.set(prop::Action, 1);
        return allTexts(r);
    };

    writeTemplate("{pagamenti.pag_Descrizione}");
    QCOMPARE(print(), QStringList({"Contanti"}));
    writeTemplate("[{pagamenti.pag_Codice}]");
    QCOMPARE(print(), QStringList({"[CO]"}));

    writeTemplate("nota: {pagamenti.pag_Nota}");
    QVERIFY_THROWS_EXCEPTION(db::DbError, print());   // no such field yet
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(m_fixture->databasePath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "alter table Pagamenti add column pag_Nota text; "
                                 "update Pagamenti set pag_Nota = 'a vista'", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    QCOMPARE(print(), QStringList({"nota: a vista"}));
}
