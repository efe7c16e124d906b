// The selection-formula language: every shape the windows build, and the
// malformed ones, each with the exact message it raises.
#include "report/Formula.h"
#include "report/NamedFormulas.h"
#include "report/ReportProperties.h"
#include "db/DbError.h"

#include <QDate>
#include <QHash>
#include <QtTest>

using namespace report;

namespace {

// A record of the stock lists, fields by "table.field" in lower case.
class Row : public FieldResolver, public FormulaContext {
public:
    explicit Row(QHash<QString, QVariant> values)
    {
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            m_index.insert(it.key().toLower(), int(m_values.size()));
            m_values.push_back(it.value());
        }
    }
    int resolve(const QString &table, const QString &field) const override
    {
        return m_index.value(table.toLower() + QLatin1Char('.') + field.toLower(), -1);
    }
    QVariant column(int index) const override { return m_values.at(size_t(index)); }

private:
    QHash<QString, int> m_index;
    std::vector<QVariant> m_values;
};

Row sampleRow()
{
    return Row({{"carico.ca_Codice_Articolo", QString("8001234U")},
                {"carico.ca_Data", QDate(2026, 3, 15)},
                {"articoli.art_Fornitore", QString("Dell'Orto")},
                {"articoli.art_Codice", qlonglong(42)},
                {"scarico.sc_Usato", true},
                {"scarico.sc_Data", QDate(2026, 3, 15)},
                {"fattura.fat_Numero", QString("26-00007")},
                {"anagrafica.anag_Contatore", qlonglong(12)},
                {"prima nota.pn_data", QDate(2026, 1, 1)},
                {"nota fornitori.pn_data", QDate(2026, 12, 31)},
                {"articoli.art_Descrizione", QVariant()}});
}

// `count` times `piece`, then `middle`, then `count` times `closing`.
QString nested(int count, const char *piece, const char *middle, const char *closing = "")
{
    return QString::fromLatin1(piece).repeated(count) + QString::fromLatin1(middle)
           + QString::fromLatin1(closing).repeated(count);
}

// The conditions "{articoli.art_Codice} = 1" to "= count", each joined to the next by `op`.
QString chain(int count, const char *op)
{
    QStringList conditions;
    for (int i = 1; i <= count; ++i)
        conditions << QStringLiteral("{articoli.art_Codice} = %1").arg(i == count ? 42 : i);
    return conditions.join(QLatin1Char(' ') + QLatin1String(op) + QLatin1Char(' '));
}

QString tooDeepAt(int position)
{
    return QStringLiteral("Errore nella formula (posizione %1): troppi livelli annidati (al massimo 200).").arg(position);
}

bool evaluate(const QString &text)
{
    Row row = sampleRow();
    Formula f = Formula::parse(text);
    f.bind(row);
    return f.test(row);
}

} // namespace

class TestFormula : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selects_data();
    void selects();
    void refusesMalformed_data();
    void refusesMalformed();
    void unknownFieldIsNamed();
    void namedFormulasOfTheInvoice();
    void namedFormulaSlotsRefused_data();
    void namedFormulaSlotsRefused();
    void tablesNamedInTheFormula();
};

void TestFormula::selects_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<bool>("selected");
    // Empty formula: every record.
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blank") << "   " << true;
    // Article card and search.
    QTest::newRow("art code") << "{articoli.art_Codice} = 42" << true;
    QTest::newRow("art code other") << "{articoli.art_Codice} = 43" << false;
    QTest::newRow("art list or") << "{articoli.art_Codice} = 1 or {articoli.art_Codice} = 42 or {articoli.art_Codice} = 7" << true;
    // Stock load list, every filter filled.
    QTest::newRow("load list all filters")
        << "{carico.ca_Codice_Articolo} = \"8001234U\" and {articoli.art_Fornitore} = 'Dell''Orto' and"
           "{carico.ca_Data} >= date(2026,03,01) and {carico.ca_data} <= date(2026,03,31)" << true;
    QTest::newRow("load list supplier, and glued to brace")
        << "{articoli.art_Fornitore} = 'dell''orto' and{carico.ca_Data} >= date(1900,01,01) and {carico.ca_data} <= date(2100,01,01)" << true;
    QTest::newRow("load list out of period")
        << "{carico.ca_Data} >= date(2026,03,16) and {carico.ca_data} <= date(2026,03,31)" << false;
    QTest::newRow("period bounds inclusive")
        << "{carico.ca_Data} >= date(2026,03,15) and {carico.ca_data} <= date(2026,03,15)" << true;
    // Stock unload list.
    QTest::newRow("unload used")
        << "{articoli.art_Codice} = 42 and  {articoli.art_Fornitore} = 'Dell''Orto' and{scarico.sc_Usato} = true and "
           "{scarico.sc_Data} >= date(2026,01,01) and {scarico.sc_data} <= date(2026,12,31)" << true;
    QTest::newRow("unload new only") << "{scarico.sc_Usato} = false and {scarico.sc_Data} >= date(1900,01,01)" << false;
    // Invoice print and invoice list: "=" glued to the quote.
    QTest::newRow("invoice") << "{fattura.fat_Numero} ='26-00007'" << true;
    QTest::newRow("invoice other") << "{fattura.fat_Numero} ='26-00008'" << false;
    QTest::newRow("invoice list") << "{fattura.fat_Numero} = '26-00001' or {fattura.fat_Numero} = '26-00007'" << true;
    // Customer card and register list (table name in either case).
    QTest::newRow("customer") << "{anagrafica.anag_Contatore} = 12" << true;
    QTest::newRow("register list") << "{Anagrafica.anag_Contatore} = 3 or {Anagrafica.anag_Contatore} = 12" << true;
    // Journals, two blanks before the second date(.
    QTest::newRow("cash journal")
        << "{prima nota.pn_data} >= date(2000,01,01) and {prima nota.pn_data} <=  date(2200,01,01)" << true;
    QTest::newRow("supplier journal")
        << "{Nota Fornitori.pn_data} >= date(2026,01,01) and {Nota Fornitori.pn_data} <=  date(2026,06,30)" << false;
    // The rest of the language.
    QTest::newRow("not") << "not ({articoli.art_Codice} = 1)" << true;
    QTest::newRow("precedence and before or") << "{articoli.art_Codice} = 1 and {articoli.art_Codice} = 2 or {articoli.art_Codice} = 42" << true;
    QTest::newRow("keywords any case") << "{articoli.art_Codice} = 42 AND NOT {scarico.sc_Usato} = FALSE" << true;
    QTest::newRow("not equal") << "{carico.ca_Codice_Articolo} <> '8001234U'" << false;
    QTest::newRow("arithmetic") << "{articoli.art_Codice} * 2 - 4 = 80" << true;
    QTest::newRow("null compares false") << "{articoli.art_Descrizione} = ''" << false;
    QTest::newRow("null not equal false too") << "{articoli.art_Descrizione} <> ''" << false;
    QTest::newRow("text case ignored") << "{carico.ca_Codice_Articolo} = '8001234u'" << true;
    QTest::newRow("number against numeric text") << "{articoli.art_Codice} = '42'" << true;
    QTest::newRow("decimal literal") << "{articoli.art_Codice} > 41.5" << true;
    // A quote inside the value stays data: it can only fail to match.
    QTest::newRow("injection stays a value") << "{articoli.art_Fornitore} = 'x'' or ''1''=''1'" << false;
    // As deep as a formula may go.
    QTest::newRow("200 parentheses") << nested(200, "(", "{articoli.art_Codice} = 42", ")") << true;
    QTest::newRow("200 not") << nested(200, "not ", "true") << true;
    QTest::newRow("199 minus") << nested(199, "-", "{articoli.art_Codice} = 42") << false;
    // A chain is one level, however long: a search window's list of codes.
    QTest::newRow("5,000 conditions joined by or") << chain(5000, "or") << true;
    QTest::newRow("5,000 conditions joined by and") << chain(5000, "and") << false;
    QTest::newRow("parentheses and not, 200 in all") << nested(100, "(not ", "{articoli.art_Codice} = 42", ")") << true;
}

void TestFormula::selects()
{
    QFETCH(QString, formula);
    QFETCH(bool, selected);
    QCOMPARE(evaluate(formula), selected);
}

void TestFormula::refusesMalformed_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("message");
    QTest::newRow("open quote") << "{fattura.fat_Numero} ='26-0000"
                                << "Errore nella formula (posizione 23): testo tra virgolette non chiuso.";
    QTest::newRow("open brace") << "{articoli.art_Codice = 4"
                                << "Errore nella formula (posizione 1): manca la \"}\" del campo.";
    QTest::newRow("no table") << "{art_Codice} = 4"
                              << "Errore nella formula (posizione 1): campo non valido \"{art_Codice}\", atteso {tabella.campo}.";
    QTest::newRow("dangling and") << "{articoli.art_Codice} = 4 and"
                                  << "Errore nella formula (posizione 30): la formula finisce dove è atteso un valore.";
    QTest::newRow("trailing or cut short") << "{articoli.art_Codice} = 4 o"
                                           << "Errore nella formula (posizione 27): testo inatteso \"o\".";
    QTest::newRow("bad date") << "{carico.ca_Data} >= date(2026,02,30)"
                              << "Errore nella formula (posizione 21): data inesistente 2026,2,30.";
    QTest::newRow("date with text") << "{carico.ca_Data} >= date(2026,'02',01)"
                                    << "Errore nella formula (posizione 31): date() vuole anno, mese e giorno interi.";
    QTest::newRow("unknown word") << "{articoli.art_Codice} like 4"
                                  << "Errore nella formula (posizione 23): testo inatteso \"like 4\".";
    QTest::newRow("unknown function") << "{articoli.art_Codice} = len(4)"
                                      << "Errore nella formula (posizione 25): parola sconosciuta \"len\".";
    QTest::newRow("bad character") << "{articoli.art_Codice} = 4 ; delete"
                                   << "Errore nella formula (posizione 27): carattere non valido \";\".";
    QTest::newRow("unbalanced paren") << "({articoli.art_Codice} = 4"
                                      << "Errore nella formula (posizione 27): atteso \")\".";
    QTest::newRow("empty value typed") << "{articoli.art_Codice} =  and {carico.ca_Data} >= date(2026,1,1)"
                                       << "Errore nella formula (posizione 26): atteso un valore prima di \"and\".";
    // Deeper than the limit: refused where it is passed, whatever nests.
    QTest::newRow("201 parentheses") << nested(201, "(", "{articoli.art_Codice} = 42", ")") << tooDeepAt(201);
    QTest::newRow("201 not") << nested(201, "not ", "{articoli.art_Codice} = 42") << tooDeepAt(801);
    QTest::newRow("200 minus and the comparison") << nested(200, "-", "{articoli.art_Codice} = 42")
                                                  << tooDeepAt(223);
    QTest::newRow("201 terms added") << nested(201, "1 + ", "1") << tooDeepAt(803);
    QTest::newRow("parentheses and not, 201 in all") << nested(100, "(not ", "(1 = 1)", ")") << tooDeepAt(501);
    QTest::newRow("8,000 parentheses") << nested(8000, "(", "1", ")") << tooDeepAt(201);
    QTest::newRow("30,000 not") << nested(30000, "not ", "true") << tooDeepAt(801);
    QTest::newRow("120,000 minus") << nested(120000, "-", "1") << tooDeepAt(201);
}

void TestFormula::refusesMalformed()
{
    QFETCH(QString, formula);
    QFETCH(QString, message);
    try {
        Formula::parse(formula);
        QFAIL("the formula was accepted");
    } catch (const db::DbError &e) {
        QCOMPARE(e.description(), message);
        QCOMPARE(e.number(), err::FormulaInvalid);
    }
}

void TestFormula::unknownFieldIsNamed()
{
    Row row = sampleRow();
    Formula f = Formula::parse("{articoli.art_Codice} = 4 or {articoli.art_Nonesiste} = 1");
    try {
        f.bind(row);
        QFAIL("an unknown field was accepted");
    } catch (const db::DbError &e) {
        QCOMPARE(e.description(), QString("Campo sconosciuto nella formula: {articoli.art_Nonesiste}"));
        QCOMPARE(e.number(), err::UnknownField);
    }
}

void TestFormula::namedFormulasOfTheInvoice()
{
    QStringList slots(kFormulaSlots);
    slots[1] = "Descrizione_Iva_1='Aliquota 4%'";
    slots[2] = "Importo_IVA_1=4.00";
    slots[3] = "Descrizione_Iva_2='Esente art. 10 dell'IVA'";
    slots[4] = "Importo_IVA_2=0.00";
    slots[5] = "IVA = 4.00";
    slots[6] = "NumeroFattura='12'";
    const NamedFormulas named = NamedFormulas::fromSlots(slots);
    QCOMPARE(named.size(), 6);
    QCOMPARE(named.value("descrizione_iva_1").toString(), QString("Aliquota 4%"));
    QCOMPARE(named.value("Importo_IVA_1").toDouble(), 4.0);
    QCOMPARE(named.value("Descrizione_Iva_2").toString(), QString("Esente art. 10 dell'IVA"));
    QCOMPARE(named.value("IVA").toDouble(), 4.0);
    QCOMPARE(named.value("NumeroFattura").toString(), QString("12"));
    QVERIFY(!named.contains("Descrizione_Iva_3"));
}

void TestFormula::namedFormulaSlotsRefused_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("message");
    QTest::newRow("no equals") << "IVA 4.00" << "Formula 3 non valida: \"IVA 4.00\" (manca \"=\").";
    QTest::newRow("bad name") << "1IVA=4" << "Formula 3 non valida: \"1IVA=4\" (nome non valido).";
    QTest::newRow("reads a field") << "X={articoli.art_Codice}"
                                   << "Formula 3 non valida: \"X={articoli.art_Codice}\" (il valore non può leggere campi).";
}

void TestFormula::namedFormulaSlotsRefused()
{
    QFETCH(QString, slot);
    QFETCH(QString, message);
    QStringList slots(kFormulaSlots);
    slots[3] = slot;
    try {
        NamedFormulas::fromSlots(slots);
        QFAIL("the slot was accepted");
    } catch (const db::DbError &e) {
        QCOMPARE(e.description(), message);
    }
}

void TestFormula::tablesNamedInTheFormula()
{
    const Formula f = Formula::parse("{Nota Fornitori.pn_data} >= date(2026,1,1) and {nota fornitori.pn_data} <=  date(2026,2,1)");
    QCOMPARE(f.tables(), QStringList{"Nota Fornitori"});
}

QTEST_GUILESS_MAIN(TestFormula)
#include "tst_formula.moc"
