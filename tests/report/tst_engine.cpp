// Layout and control of the report engine on records kept in memory:
// pagination, repeated headers, page numbers, groups and totals, repeated
// named formulas, selection, destinations, copies and errors.
#include "MemorySource.h"
#include "report/ReportControl.h"
#include "report/ReportPreview.h"
#include "report/ValueFormatter.h"
#include "db/DbError.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

const char *kTemplate = R"(# test
title "Prova"
margins 12 12 12 12
table voci
order voci.n
group voci.gruppo
band reportheader 20
text 0 0 100 10 "INTESTAZIONE {@Titolo}"
band pageheader 8
text 0 0 50 8 "Colonna"
band groupheader 6 repeat
text 0 0 50 6 "Gruppo {voci.gruppo}"
band detail 10
text 0 0 50 10 "Voce {voci.n}"
text 50 0 50 10 format=money "{voci.importo}"
band groupfooter 6
text 0 0 90 6 format=money "Totale gruppo {=sum({voci.importo})}"
band reportfooter 12
text 0 0 90 6 "Righe {=count()} totale {=sum({voci.importo})}"
text 0 6 90 6 repeat=Riga_ "{@Riga_$k}"
band norecords 6
text 0 0 90 6 "Nessuna voce"
band pagefooter 8
text 0 0 90 8 "Pagina {=page()} di {=pages()}"
)";

int pdfPages(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    int n = 0;
    auto it = QRegularExpression("/Type\\s*/Page[^s]").globalMatch(QString::fromLatin1(data));
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void pagesRepeatHeadersAndCountPages();
    void groupsAndTotals();
    void selectionKeepsOnlyMatchingRecords();
    void emptySelectionPrintsNoRecordsBand();
    void repeatedNamedFormulas();
    void destinationStaysUntilSetAgain();
    void copiesRepeatPagesInPdf();
    void errorsReachTheCaller_data();
    void errorsReachTheCaller();
    void badTemplateLineIsNamed();
    void italianFormats_data();
    void italianFormats();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MemorySource> m_source;
    QString m_template;
    void run(ReportControl &control, const QString &selection = QString());
};

void TestEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_template = m_dir->filePath("prova.rpt");
    QFile f(m_template);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(kTemplate);
    f.close();
    m_source = std::make_unique<MemorySource>("voci", QStringList{"n", "gruppo", "importo"});
    for (int n = 1; n <= 60; ++n)
        m_source->add({qlonglong(n), QString(n <= 30 ? "A" : "B"), n * 1000.5});
}

void TestEngine::run(ReportControl &control, const QString &selection)
{
    control.setDataSource(m_source.get());
    control.setToday(QDate(2026, 5, 4));
    control.set(prop::ReportFileName, m_template);
    control.set(prop::ReportSource, 2);
    control.set(prop::WindowLeft, 0);
    control.set(prop::WindowTop, 0);
    control.set(prop::SelectionFormula, selection);
    control.set(prop::Action, 1);
}

void TestEngine::pagesRepeatHeadersAndCountPages()
{
    ReportControl control;
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("out.pdf"));
    run(control);
    const auto &pages = control.lastPages();
    QVERIFY(pages.size() >= 3);
    const QString total = QString::number(pages.size());
    for (size_t p = 0; p < pages.size(); ++p) {
        const QStringList texts = pages[p].texts();
        QCOMPARE(texts.contains("INTESTAZIONE Prova"), p == 0);
        QVERIFY2(texts.contains("Colonna"), qPrintable(texts.join('|')));
        QCOMPARE(texts.last(), QString("Pagina %1 di %2").arg(p + 1).arg(total));
        // The group header comes back at the top of every page.
        QVERIFY(texts.at(p == 0 ? 2 : 1).startsWith("Gruppo "));
    }
    // Every record printed once, in order.
    QStringList voci;
    for (const auto &page : pages)
        for (const QString &t : page.texts())
            if (t.startsWith("Voce "))
                voci << t;
    QCOMPARE(voci.size(), 60);
    QCOMPARE(voci.first(), QString("Voce 1"));
    QCOMPARE(voci.last(), QString("Voce 60"));
    // Nothing is drawn below the page footer's top edge but the footer.
    for (const auto &page : pages)
        for (const auto &item : page.items)
            QVERIFY(item.rect.bottom() <= 297 - 12 + 0.01);
}

void TestEngine::groupsAndTotals()
{
    ReportControl control;
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("out.pdf"));
    run(control);
    QStringList all;
    for (const auto &page : control.lastPages())
        all << page.texts();
    // 1..30 and 31..60 times 1000,5
    QVERIFY(all.contains("Totale gruppo 465.232,50"));
    QVERIFY(all.contains("Totale gruppo 1.365.682,50"));
    QVERIFY(all.contains("Righe 60 totale 1.830.915"));
    QVERIFY(all.indexOf("Voce 30") < all.indexOf("Totale gruppo 465.232,50"));
    QVERIFY(all.indexOf("Totale gruppo 465.232,50") < all.indexOf("Voce 31"));
}

void TestEngine::selectionKeepsOnlyMatchingRecords()
{
    ReportControl control;
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("out.pdf"));
    run(control, "{voci.n} <= 3 or {VOCI.N} = 59");
    QCOMPARE(control.lastPages().size(), size_t(1));
    const QStringList texts = control.lastPages()[0].texts();
    QCOMPARE(texts.filter("Voce ").join(','), QString("Voce 1,Voce 2,Voce 3,Voce 59"));
    QVERIFY(texts.contains("Righe 4 totale 65.032,5"));
    QCOMPARE(texts.last(), QString("Pagina 1 di 1"));
    // The statement comes from the template alone.
    QCOMPARE(m_source->lastSql, QString("SELECT [voci].[n], [voci].[gruppo], [voci].[importo] FROM [voci] ORDER BY voci.n"));
}

void TestEngine::emptySelectionPrintsNoRecordsBand()
{
    ReportControl control;
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("out.pdf"));
    run(control, "{voci.n} > 100");
    QCOMPARE(control.lastPages().size(), size_t(1));
    const QStringList texts = control.lastPages()[0].texts();
    QVERIFY(texts.contains("Nessuna voce"));
    QVERIFY(texts.filter("Voce ").isEmpty());
}

void TestEngine::repeatedNamedFormulas()
{
    ReportControl control;
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("out.pdf"));
    control.set(prop::Formulas, 1, "Riga_1='prima'");
    control.set(prop::Formulas, 2, "Riga_2='seconda'");
    control.set(prop::Formulas, 3, "Riga_4='saltata: manca la 3'");
    run(control, "{voci.n} = 1");
    const QStringList texts = control.lastPages()[0].texts();
    QCOMPARE(texts.filter(QRegularExpression("^(prima|seconda|saltata)")), (QStringList{"prima", "seconda"}));
}

void TestEngine::destinationStaysUntilSetAgain()
{
    ReportControl control;
    QCOMPARE(control.get(prop::Destination).toInt(), int(Destination::Screen));
    run(control, "{voci.n} = 1");
    QCOMPARE(control.lastDestination(), Destination::Screen);
    QVERIFY(control.lastPreview());
    QCOMPARE(control.lastPreview()->pageCount(), 1);
    QCOMPARE(control.lastPreview()->windowTitle(), QString("prova"));
    control.lastPreview()->close();

    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("one.pdf"));
    run(control);
    QCOMPARE(control.lastDestination(), Destination::File);
    // Emptying the formulas keeps the destination: the next print goes to the file too.
    for (int i = 0; i < kFormulaSlots; ++i)
        control.set(prop::Formulas, i, QString());
    control.set(prop::SelectionFormula, QString());
    control.set(prop::PrintFileName, m_dir->filePath("two.pdf"));
    run(control, "{voci.n} = 2");
    QCOMPARE(control.lastDestination(), Destination::File);
    QVERIFY(QFile::exists(m_dir->filePath("two.pdf")));
    QCOMPARE(control.runCount(), 3);
}

void TestEngine::copiesRepeatPagesInPdf()
{
    ReportControl control;
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("copie.pdf"));
    control.set(prop::CopiesToPrinter, 3);
    run(control, "{voci.n} <= 2");
    QCOMPARE(control.lastCopies(), 3);
    QCOMPARE(pdfPages(m_dir->filePath("copie.pdf")), 3);
    control.set(prop::CopiesToPrinter, 0);   // below one: one copy
    run(control, "{voci.n} <= 2");
    QCOMPARE(pdfPages(m_dir->filePath("copie.pdf")), 1);
}

void TestEngine::errorsReachTheCaller_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<qlonglong>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing template") << "manca.rpt" << "" << "" << qlonglong(err::TemplateNotFound)
                                      << "Impossibile aprire il modello di stampa \"%1/manca.rpt\".";
    QTest::newRow("formula refused") << "prova.rpt" << "{voci.n} = " << "" << qlonglong(err::FormulaInvalid)
                                     << "Errore nella formula (posizione 12): la formula finisce dove è atteso un valore.";
    QTest::newRow("unknown field") << "prova.rpt" << "{voci.prezzo} = 1" << "" << qlonglong(err::UnknownField)
                                   << "Campo sconosciuto nella formula: {voci.prezzo}";
    QTest::newRow("unknown table") << "prova.rpt" << "{articoli.art_Codice} = 1" << "" << qlonglong(err::UnknownField)
                                   << "Campo sconosciuto nella formula: {articoli.art_Codice}";
    QTest::newRow("named formula refused") << "prova.rpt" << "" << "Riga_1" << qlonglong(err::FormulaInvalid)
                                           << "Formula 0 non valida: \"Riga_1\" (manca \"=\").";
}

void TestEngine::errorsReachTheCaller()
{
    QFETCH(QString, file);
    QFETCH(QString, selection);
    QFETCH(QString, formula);
    QFETCH(qlonglong, number);
    QFETCH(QString, message);
    ReportControl control;
    control.setDataSource(m_source.get());
    control.set(prop::Destination, int(Destination::File));
    control.set(prop::PrintFileName, m_dir->filePath("err.pdf"));
    control.set(prop::ReportFileName, m_dir->filePath(file));
    control.set(prop::Formulas, 0, formula);
    control.set(prop::SelectionFormula, selection);
    try {
        control.set(prop::Action, 1);
        QFAIL("the print did not fail");
    } catch (const db::DbError &e) {
        QCOMPARE(qlonglong(e.number()), number);
        QCOMPARE(e.description(), message.contains("%1") ? message.arg(m_dir->path()) : message);
    }
    QCOMPARE(control.runCount(), 0);
    QVERIFY(!QFile::exists(m_dir->filePath("err.pdf")));
}

void TestEngine::badTemplateLineIsNamed()
{
    QFile f(m_dir->filePath("rotto.rpt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("title \"Rotto\"\ntable voci\nband detail 5\ntext 0 0 x 5 \"{voci.n}\"\n");
    f.close();
    ReportControl control;
    control.setDataSource(m_source.get());
    control.set(prop::ReportFileName, m_dir->filePath("rotto.rpt"));
    try {
        control.set(prop::Action, 1);
        QFAIL("a broken template was accepted");
    } catch (const db::DbError &e) {
        QCOMPARE(e.description(), QString("Modello di stampa non valido (rotto.rpt, riga 4): numero atteso al posto di \"x\"."));
    }
    try {
        control.set(prop::Destination, 5);
        QFAIL("destination 5 was accepted");
    } catch (const db::DbError &e) {
        QCOMPARE(e.description(), QString("Valore non valido per la proprietà 24 del report: \"5\"."));
    }
    try {
        control.set(prop::Formulas, 21, "X=1");
        QFAIL("slot 21 was accepted");
    } catch (const db::DbError &e) {
        QCOMPARE(e.description(), QString("Indice di formula 21 fuori dall'intervallo 0-20."));
    }
    QCOMPARE(control.get(prop::Destination).toInt(), 0);
}

void TestEngine::italianFormats_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("money") << QVariant(1234.5) << "money" << "1.234,50";
    QTest::newRow("money negative") << QVariant(-0.5) << "money" << "-0,50";
    QTest::newRow("money zero") << QVariant(0.0) << "money" << "0,00";
    QTest::newRow("lire") << QVariant(1936270.0) << "int" << "1.936.270";
    QTest::newRow("qty whole") << QVariant(3.0) << "" << "3";
    QTest::newRow("qty part") << QVariant(2.25) << "qty" << "2,25";
    QTest::newRow("code stays digits") << QVariant(qlonglong(12345)) << "" << "12345";
    QTest::newRow("date") << QVariant(QDate(2026, 1, 9)) << "" << "09/01/2026";
    QTest::newRow("iso text as date") << QVariant(QString("2026-01-09")) << "date" << "09/01/2026";
    QTest::newRow("yes") << QVariant(true) << "" << "Sì";
    QTest::newRow("no from number") << QVariant(0) << "yesno" << "No";
    QTest::newRow("null") << QVariant() << "money" << "";
    QTest::newRow("text") << QVariant(QString("Dell'Orto")) << "money" << "Dell'Orto";
}

void TestEngine::italianFormats()
{
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(ValueFormatter::format(value, format), text);
}

QTEST_MAIN(TestEngine)
#include "tst_engine.moc"
