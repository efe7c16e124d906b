// The selection formula handed to the database as a WHERE picks exactly the
// records that testing the formula on every record picks, for every shape of
// formula the windows send, on data with Nulls, accents, quotes and times at
// the edges of a day.
#include "ReportFixture.h"
#include "report/DbReportSource.h"
#include "report/Formula.h"
#include "report/ReportQuery.h"
#include "report/TemplateParser.h"
#include "db/Database.h"

#include <QtTest>

using namespace report;

namespace {

const char *const kEdgeRecords[] = {
    "insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) values ('Gonna', 'Società Àlfa', 10, 20)",
    "insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) values ('Borsa', 'SOCIETÀ ÀLFA', 10, 20)",
    "insert into Articoli (art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino) values ('Sciarpa', 'Societa Alfa', 10, 20)",
    "insert into Articoli (art_Descrizione, art_Prezzo_Carico) values (Null, 7)",
    "insert into Articoli (art_Descrizione, art_Fornitore) values ('Guanti', 'x'' or ''1''=''1')",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('800004', 4, 1)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('800005', 5, 1)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('800006', 6, 1)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('800007', 7, 1)",
    "insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('800008', 8, 1)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values ('800004', #3/31/2026 23:59:59#, 2)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values ('800005', #4/1/2026 00:00:00#, 2)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values ('800006', #3/1/2026#, 2)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values ('800007', Null, 2)",
    "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values ('800008', #2/28/2026 23:59:59#, 2)",
    "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Saldo, sc_Usato) values ('800004', #3/10/2026 23:59:59#, 1, 5, Null)",
    "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Saldo, sc_Usato) values ('800005', #3/11/2026 00:00:00#, 1, 5, -1)",
    "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Saldo, sc_Usato) values ('800007', Null, 1, 5, 0)",
    "insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente) values ('26-00009', #4/17/2026#, Null)",
    "insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) values (#12/31/2199 23:00:00#, 'Ultima', 1)",
    "insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Euro) values (#1/1/2000#, 'Prima', 1)",
};

// Reads the fields of one record for the formula tested in memory.
class RowValues : public FormulaContext {
public:
    const ReportRow *row = nullptr;
    QVariant column(int index) const override { return (*row)[size_t(index)]; }
};

QStringList printable(const std::vector<ReportRow> &rows)
{
    QStringList out;
    for (const ReportRow &row : rows) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class TestPushdown : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void whereSelectsWhatTheFormulaSelects_data();
    void whereSelectsWhatTheFormulaSelects();

private:
    std::unique_ptr<ReportFixture> m_fixture;
};

void TestPushdown::initTestCase()
{
    m_fixture = std::make_unique<ReportFixture>();
    QVERIFY(m_fixture->isValid());
    for (const char *record : kEdgeRecords)
        m_fixture->database().execute(QString::fromUtf8(record));
}

void TestPushdown::whereSelectsWhatTheFormulaSelects_data()
{
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<bool>("wholeInWhere");   // no part left to test on the rows
    QTest::addColumn<int>("expected");        // records picked

    auto add = [](const char *name, const char *rpt, const char *formula, bool whole, int expected) {
        QTest::newRow(name) << QString(rpt) << QString::fromUtf8(formula) << whole << expected;
    };
    // Article card, grid and search.
    add("card", "articoli.rpt", "{articoli.art_Codice} = 1", true, 2);
    add("search list", "articoli.rpt", "{articoli.art_Codice} = 2 or {articoli.art_Codice} = 7 or {articoli.art_Codice} = 99", true, 2);
    add("grid", "articoli.rpt", "", true, 9);
    // Stock load list: every filter, defaults, edges of a day.
    add("loads all filters", "listacarichi.rpt",
        "{carico.ca_Codice_Articolo} = \"800001\" and {articoli.art_Fornitore} = 'dell''orto' and"
        "{carico.ca_Data} >= date(2026,03,01) and {carico.ca_data} <= date(2026,03,31)", true, 1);
    add("loads default period", "listacarichi.rpt",
        "{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)", true, 7);
    add("loads last day keeps 23:59:59", "listacarichi.rpt",
        "{carico.ca_Data} >= date(2026,03,31) and {carico.ca_data} <= date(2026,03,31)", true, 1);
    add("loads month edges", "listacarichi.rpt",
        "{carico.ca_Data} >= date(2026,03,01) and {carico.ca_data} <= date(2026,03,31)", true, 4);
    add("loads supplier accented", "listacarichi.rpt",
        "{articoli.art_Fornitore} = 'società àlfa' and{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)", true, 2);
    add("loads supplier without accent", "listacarichi.rpt",
        "{articoli.art_Fornitore} = 'Societa Alfa' and{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)", true, 1);
    add("loads injection stays a value", "listacarichi.rpt",
        "{articoli.art_Fornitore} = 'x'' or ''1''=''1' and{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)", true, 1);
    // Stock unload list.
    add("sales all filters", "listascarichi.rpt",
        "{articoli.art_Codice} = 1 and  {articoli.art_Fornitore} = 'Dell''Orto' and{scarico.sc_Usato} = true and "
        "{scarico.sc_Data} >= date(1900,01,01) and {scarico.sc_data} <= date(2100,01,01)", true, 1);
    add("sales new only, Null yes/no", "listascarichi.rpt",
        "{scarico.sc_Usato} = false and {scarico.sc_Data} >= date(1900,01,01) and {scarico.sc_data} <= date(2100,01,01)", true, 2);
    add("sales one day", "listascarichi.rpt",
        "{scarico.sc_Data} >= date(2026,03,10) and {scarico.sc_data} <= date(2026,03,10)", true, 3);
    // Invoices, register, journals.
    add("invoice", "fattura.rpt", "{fattura.fat_Numero} ='26-00007'", true, 3);
    add("invoice list", "listafat.rpt", "{fattura.fat_Numero} = '26-00007' or {fattura.fat_Numero} = '26-00009'", true, 2);
    add("customer", "clienti.rpt", "{anagrafica.anag_Contatore} = 2", true, 1);
    add("register list", "lstclienti.rpt", "{Anagrafica.anag_Contatore} = 1 or {Anagrafica.anag_Contatore} = 2", true, 2);
    add("cash journal defaults", "prinota.rpt",
        "{prima nota.pn_data} >= date(2000,01,01) and {prima nota.pn_data} <=  date(2200,01,01)", true, 4);
    add("supplier journal", "prinota.rpt",
        "{Nota Fornitori.pn_data} >= date(2026,01,01) and {Nota Fornitori.pn_data} <=  date(2026,06,30)", true, 1);
    // Nulls under "not" and "<>", text order with accents, what stays on the rows.
    add("not keeps Null", "articoli.rpt", "not ({articoli.art_Fornitore} = 'Rossi')", true, 7);
    add("not equal drops Null", "articoli.rpt", "{articoli.art_Fornitore} <> 'Rossi'", true, 6);
    add("not on a date keeps Null", "listacarichi.rpt", "not ({carico.ca_Data} < date(2026,04,01))", true, 3);
    add("text order", "articoli.rpt", "{articoli.art_Fornitore} < 'Sociétà B' and {articoli.art_Fornitore} >= 'r'", true, 5);
    add("date against text", "listacarichi.rpt", "{carico.ca_Data} = '31/03/2026'", true, 1);
    add("number against numeric text", "articoli.rpt", "{articoli.art_Codice} = '2'", true, 1);
    add("yes/no field alone", "listascarichi.rpt", "{scarico.sc_Usato}", true, 2);
    // A search window's list of thousands of codes stays one shallow statement.
    QStringList codes;
    for (int code = 1; code <= 3000; ++code)
        codes << QString("{articoli.art_Codice} = %1").arg(code);
    QTest::newRow("search list of 3000") << QString("articoli.rpt") << codes.join(" or ") << true << 9;
    // Deeper than the database's parser takes, or longer than its expressions: left to the rows.
    QTest::newRow("thirty not left to the rows") << QString("articoli.rpt")
        << QString("not ").repeated(30) + QString("({articoli.art_Fornitore} = 'Rossi')") << false << 2;
    QStringList below;
    for (int i = 0; i < 1200; ++i)
        below << QString("{articoli.art_Codice} < %1").arg(1000 + i);
    QTest::newRow("1,200 conditions joined by and") << QString("articoli.rpt") << below.join(" and ") << false << 9;
    add("arithmetic left to the rows", "articoli.rpt", "{articoli.art_Codice} * 2 = 4 and {articoli.art_Codice} > 0", false, 1);
    add("text against number left to the rows", "listacarichi.rpt", "{carico.ca_Codice_Articolo} = 800002", false, 1);
}

void TestPushdown::whereSelectsWhatTheFormulaSelects()
{
    QFETCH(QString, templateName);
    QFETCH(QString, formula);
    QFETCH(bool, wholeInWhere);
    QFETCH(int, expected);

    const ReportTemplate tmpl = TemplateParser::load(m_fixture->templatePath(templateName));
    Formula selection = Formula::parse(formula);
    DbReportSource source(m_fixture->databasePath());
    const ReportQuery query(tmpl, source, selection.tables());
    selection.bind(query);

    std::vector<ReportRow> inDatabase;
    source.stream(query, selection,
                  [&](const ReportRow &row) {
                      RowValues values;
                      values.row = &row;
                      return selection.test(values);
                  },
                  [&](ReportRow &&row) { inDatabase.push_back(std::move(row)); return true; });
    QCOMPARE(source.lastSelectionComplete(), wholeInWhere);
    if (!formula.isEmpty() && wholeInWhere)
        QVERIFY2(source.lastStatement().contains(" WHERE "), qPrintable(source.lastStatement()));
    // No typed value ever becomes statement text.
    QVERIFY(!source.lastStatement().contains("Orto") && !source.lastStatement().contains("2026")
            && !source.lastStatement().contains("2999"));

    std::vector<ReportRow> inMemory;
    const Formula everything;
    source.stream(query, everything, [](const ReportRow &) { return true; },
                  [&](ReportRow &&row) {
                      RowValues values;
                      values.row = &row;
                      if (selection.test(values))
                          inMemory.push_back(std::move(row));
                      return true;
                  });
    QCOMPARE(printable(inDatabase), printable(inMemory));
    QCOMPARE(int(inDatabase.size()), expected);
}

QTEST_MAIN(TestPushdown)
#include "tst_pushdown.moc"
