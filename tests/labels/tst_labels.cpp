// Labels as a shop prints them: every bar code read back by an independent
// reader from the rasterised page, inside its own label; every label where
// the sheet maker's grid puts it; the labels an article or a period's loads
// ask for; the command line.
#include "LabelReader.h"
#include "TestShopDatabase.h"

#include "report/Barcode.h"
#include "report/LabelLayout.h"
#include "report/LabelSheet.h"
#include "report/LabelSource.h"
#include "report/ReportPainter.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace report;

namespace {

// The sheets as their makers sell them (mm): the grid centred on A4.
struct Grid {
    double left, top, pitchX, pitchY, width, height;
    int columns, rows;
};

const QMap<QString, Grid> &grids()
{
    static const QMap<QString, Grid> all = {
        {QStringLiteral("A4-3x8"), {0, 0.5, 70, 37, 70, 37, 3, 8}},
        {QStringLiteral("A4-3x7"), {0, 0.45, 70, 42.3, 70, 42.3, 3, 7}},
        {QStringLiteral("A4-4x10"), {8, 21.5, 48.5, 25.4, 48.5, 25.4, 4, 10}},
        {QStringLiteral("A4-2x7"), {4.65, 15.15, 101.6, 38.1, 99.1, 38.1, 2, 7}},
        {QStringLiteral("rotolo-50x25"), {0, 0, 50, 25, 50, 25, 1, 1}},
        {QStringLiteral("rotolo-40x30"), {0, 0, 40, 30, 40, 30, 1, 1}},
    };
    return all;
}

// The codes a shop meets: a maker's EAN-13 and EAN-8, check digit 0 for
// both, an in-store code, used goods ending in "U", letters, a 13-digit code
// whose check digit is wrong (drawn as Code 128, as stored).
const QList<QPair<QString, QString>> &codes()
{
    static const QList<QPair<QString, QString>> all = {
        {QStringLiteral("4006381333931"), QStringLiteral("EAN-13")},
        {QStringLiteral("96385074"), QStringLiteral("EAN-8")},
        {QStringLiteral("2000000000060"), QStringLiteral("EAN-13")},
        {QStringLiteral("12345670"), QStringLiteral("EAN-8")},
        {QStringLiteral("12345678U"), QStringLiteral("CODE-128")},
        {QStringLiteral("ABC-42/x"), QStringLiteral("CODE-128")},
        {QStringLiteral("4006381333932"), QStringLiteral("CODE-128")},
    };
    return all;
}

std::vector<LabelContent> labelsOfCodes()
{
    std::vector<LabelContent> labels;
    int n = 0;
    for (const auto &[code, type] : codes()) {
        LabelContent label;
        label.code = code;
        label.description = QStringLiteral("L%1 descrizione molto lunga che non entra nell'etichetta").arg(++n);
        label.size = QStringLiteral("M");
        label.colour = QStringLiteral("Blu");
        label.price = 1234.5;
        label.hasPrice = true;
        labels.push_back(label);
    }
    return labels;
}

QString writeLabels(const std::vector<LabelContent> &labels, const LabelSheet::Options &options, const QString &pdf)
{
    PageStore pages;
    LabelSheet::layOut(labels, options, pages);
    ReportPainter::writePdf(pages, pdf, 1, QStringLiteral("Etichette"));
    return pdf;
}

qint64 lastKey(const TestShopDatabase &shop, const QString &sql)
{
    return shop.scalar(sql).toLongLong();
}

} // namespace

class LabelsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void everyLabelReadBackWhereTheSheetHasIt_data();
    void everyLabelReadBackWhereTheSheetHasIt();
    void symbologyFollowsTheCode_data();
    void symbologyFollowsTheCode();
    void codesNoSymbologyDrawsAreRefused_data();
    void codesNoSymbologyDrawsAreRefused();
    void labelsTheShopAsksFor();
    void commandLine_data();
    void commandLine();

private:
    QTemporaryDir m_folder;
};

void LabelsTest::initTestCase()
{
    const QString missing = LabelReader::missingProgram();
    if (!missing.isEmpty())
        QFAIL(qPrintable(missing + QStringLiteral(" is needed to read the labels back; ./tarvo test installs it")));
}

void LabelsTest::everyLabelReadBackWhereTheSheetHasIt_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("startAt");
    QTest::addColumn<bool>("shopName");
    for (const QString &name : grids().keys())
        QTest::newRow(qPrintable(name)) << name << 1 << true;
    QTest::newRow("A4-3x8 from label 5") << QStringLiteral("A4-3x8") << 5 << false;
    QTest::newRow("A4-4x10 from label 38, onto a second sheet") << QStringLiteral("A4-4x10") << 38 << false;
}

void LabelsTest::everyLabelReadBackWhereTheSheetHasIt()
{
    QFETCH(QString, layout);
    QFETCH(int, startAt);
    QFETCH(bool, shopName);
    const Grid grid = grids().value(layout);
    LabelSheet::Options options;
    options.layout = LabelLayout::named(layout);
    QVERIFY(options.layout);
    options.startAt = startAt;
    options.shopName = shopName ? QStringLiteral("Negozio Prova") : QString();
    QTemporaryDir work(m_folder.filePath(QStringLiteral("XXXXXX")));
    const QString pdf = writeLabels(labelsOfCodes(), options, work.filePath(QStringLiteral("etichette.pdf")));

    // Where each label must be: its page and its rectangle on the grid.
    QList<QPair<int, QRectF>> places;
    const int perPage = grid.columns * grid.rows;
    int position = perPage == 1 ? 0 : startAt - 1;
    for (int i = 0; i < codes().size(); ++i, ++position) {
        const int index = position % perPage;
        places.append({1 + position / perPage,
                       QRectF(grid.left + (index % grid.columns) * grid.pitchX, grid.top + (index / grid.columns) * grid.pitchY,
                              grid.width, grid.height)});
    }
    QCOMPARE(LabelReader::pageCount(pdf), places.last().first);

    const QList<QStringList> read = LabelReader::barcodesIn(pdf, places, work.path());
    for (int i = 0; i < codes().size(); ++i)
        QCOMPARE(read.at(i), QStringList(codes().at(i).second + QLatin1Char(':') + codes().at(i).first));

    // The description starts at the same place in every label, within 0.3 mm
    // of the grid: the label's padding and the text's.
    const double padding = grid.height < 30 ? 1.5 : 2;
    const QList<LabelReader::Word> words = LabelReader::words(pdf);
    std::optional<double> descriptionTop;
    for (int i = 0; i < codes().size(); ++i) {
        const QString first = QStringLiteral("L%1").arg(i + 1);
        const auto word = std::find_if(words.begin(), words.end(), [&](const LabelReader::Word &w) {
            return w.text == first && w.page == places.at(i).first;
        });
        QVERIFY2(word != words.end(), qPrintable(first));
        const QRectF label = places.at(i).second;
        QVERIFY2(qAbs(word->box.left() - (label.left() + padding + 0.8)) <= 0.3,
                 qPrintable(QStringLiteral("%1 at x %2, label at %3").arg(first).arg(word->box.left()).arg(label.left())));
        const double top = word->box.top() - label.top();
        if (!descriptionTop)
            descriptionTop = top;
        QVERIFY2(qAbs(top - *descriptionTop) <= 0.3 && top > 0 && top < 8,
                 qPrintable(QStringLiteral("%1 %2 mm below its label's top").arg(first).arg(top)));
        // Cut to fit: nothing of it beyond its label.
        for (const LabelReader::Word &w : words)
            if (w.page == word->page && qAbs(w.box.top() - word->box.top()) < 0.5 && w.box.left() >= label.left()
                && w.box.left() < label.right())
                QVERIFY2(w.box.right() <= label.right() + 0.01, qPrintable(w.text));
    }
    QVERIFY(std::any_of(words.begin(), words.end(), [](const LabelReader::Word &w) { return w.text == QStringLiteral("1.234,50"); }));
    QCOMPARE(std::any_of(words.begin(), words.end(), [](const LabelReader::Word &w) { return w.text == QStringLiteral("Negozio"); }),
             shopName);
}

void LabelsTest::symbologyFollowsTheCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("symbology");
    const int ean13 = int(Barcode::Symbology::Ean13), ean8 = int(Barcode::Symbology::Ean8),
              code128 = int(Barcode::Symbology::Code128);
    QTest::newRow("EAN-13") << "5901234123457" << ean13;
    QTest::newRow("EAN-13, check digit 0") << "2000000000060" << ean13;
    QTest::newRow("EAN-13 of zeros") << "0000000000000" << ean13;
    QTest::newRow("EAN-13, wrong check digit") << "5901234123458" << code128;
    QTest::newRow("EAN-8") << "96385074" << ean8;
    QTest::newRow("EAN-8, wrong check digit") << "96385075" << code128;
    QTest::newRow("12 digits") << "590123412345" << code128;
    QTest::newRow("14 digits") << "59012341234570" << code128;
    QTest::newRow("13 characters, a letter") << "590123412345A" << code128;
    QTest::newRow("used goods") << "12345678U" << code128;
    QTest::newRow("blank inside") << "5901234 23457" << code128;
}

void LabelsTest::symbologyFollowsTheCode()
{
    QFETCH(QString, code);
    QFETCH(int, symbology);
    QCOMPARE(int(Barcode::symbologyOf(code)), symbology);
}

void LabelsTest::codesNoSymbologyDrawsAreRefused_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("empty") << QString();
    QTest::newRow("not Latin-1") << QStringLiteral("Ω-12");
    QTest::newRow("too long") << QString(200, QLatin1Char('7'));
}

void LabelsTest::codesNoSymbologyDrawsAreRefused()
{
    QFETCH(QString, code);
    LabelContent label;
    label.code = code;
    LabelSheet::Options options;
    options.layout = LabelLayout::named(QStringLiteral("A4-3x8"));
    PageStore pages;
    try {
        LabelSheet::layOut({label}, options, pages);
        QFAIL("drawn");
    } catch (const db::DbError &error) {
        QCOMPARE(error.description(), QStringLiteral("Impossibile disegnare il codice a barre \"%1\": codice vuoto, "
                                                     "troppo lungo o con caratteri non ammessi.").arg(code));
    }
    QCOMPARE(pages.size(), 0);
}

void LabelsTest::labelsTheShopAsksFor()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Prezzo_Listino) values ('Maglia', 12.5)"));
    const qint64 shirt = lastKey(shop, QStringLiteral("select max(art_Codice) from Articoli"));
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Senza prezzo')"));
    const qint64 noPrice = lastKey(shop, QStringLiteral("select max(art_Codice) from Articoli"));
    // Stock 2, 1, 0 and -1 (none), and an item of the other article.
    const QList<QPair<QString, QString>> items = {{"4006381333931", "2"}, {"96385074", "1"}, {"12345678U", "0"},
                                                  {"2000000000060", "-1"}};
    for (const auto &[code, stock] : items)
        shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, "
                                    "ca_Colore, ca_Quantita) values ('%1', %2, 'M', 'Rosso', %3)")
                         .arg(code).arg(shirt).arg(stock));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('12345670', %1, 3)").arg(noPrice));
    shop.execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values "
                                "('96385074', #11/30/2026#, 4), ('4006381333931', #12/01/2026#, 3), "
                                "('12345670', #12/31/2026#, 2), ('96385074', #01/01/2027#, 9)"));
    const LabelSource source(shop.database());

    const auto summary = [](const std::vector<LabelContent> &labels) {
        QStringList out;
        for (const LabelContent &l : labels)
            out << QStringLiteral("%1 %2 %3/%4 %5 x%6").arg(l.code, l.description, l.size, l.colour,
                                                             l.hasPrice ? LabelSheet::priceText(l.price) : QStringLiteral("-"))
                       .arg(l.copies);
        return out;
    };
    QCOMPARE(summary(source.ofArticles({noPrice, shirt}, LabelSource::Copies::Stock)),
             QStringList({"12345670 Senza prezzo / - x3", "12345678U Maglia M/Rosso € 12,50 x0",
                          "2000000000060 Maglia M/Rosso € 12,50 x0", "4006381333931 Maglia M/Rosso € 12,50 x2",
                          "96385074 Maglia M/Rosso € 12,50 x1"}));
    QCOMPARE(LabelSheet::count(source.ofArticles({shirt}, LabelSource::Copies::Fixed, 2)), 8);
    QCOMPARE(summary(source.ofLoads(QDate(2026, 12, 1), QDate(2026, 12, 31))),
             QStringList({"4006381333931 Maglia M/Rosso € 12,50 x3", "12345670 Senza prezzo / - x2"}));
    QVERIFY(source.ofLoads(QDate(2027, 2, 1), QDate(2027, 2, 28)).empty());
    const qint64 load = lastKey(shop, QStringLiteral("select max(ca_Codice) from carico"));
    QCOMPARE(summary(source.ofLoad(load)), QStringList({"96385074 Maglia M/Rosso € 12,50 x9"}));
    QCOMPARE(source.shopName(), QString());
    shop.execute(QStringLiteral("insert into Azienda (az_Codice, az_Denominazione) values (1, ' Bottega  Rossi ')"));
    QCOMPARE(source.shopName(), QStringLiteral("Bottega Rossi"));
}

void LabelsTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");     // %1 the first article
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");           // the first thing it says on stderr
    QTest::addColumn<QStringList>("codes");         // read back from the PDF's first labels
    QTest::addColumn<QString>("pdfFolder");         // where the PDF goes; empty: the test's folder
    QTest::newRow("an article, its stock")
        << QStringList({"--articolo", "%1", "--foglio", "A4-2x7"}) << 0 << QString()
        << QStringList({"CODE-128:12345678U", "EAN-13:4006381333931", "EAN-13:4006381333931"}) << QString();
    QTest::newRow("an article, two each, on a roll")
        << QStringList({"--articolo", "%1", "--copie", "2", "--foglio", "rotolo-40x30"}) << 0 << QString()
        << QStringList({"CODE-128:12345678U", "CODE-128:12345678U", "EAN-13:4006381333931", "EAN-13:4006381333931"}) << QString();
    QTest::newRow("a period's loads")
        << QStringList({"--carichi", "--dal", "01/12/2026", "--al", "31/12/2026", "--foglio", "a4-3x8"}) << 0 << QString()
        << QStringList({"CODE-128:12345678U", "CODE-128:12345678U"}) << QString();
    QTest::newRow("no loads in the period")
        << QStringList({"--carichi", "--dal", "01/01/2020", "--al", "31/01/2020"}) << 1
        << QStringLiteral("tarvo-etichette: nessuna etichetta da stampare: nessun carico nel periodo.") << QStringList() << QString();
    QTest::newRow("unknown sheet")
        << QStringList({"--articolo", "%1", "--foglio", "A5"}) << 2
        << QStringLiteral("tarvo-etichette: foglio sconosciuto \"A5\" (ammessi: A4-3x8, A4-3x7, A4-4x10, A4-2x7, "
                          "rotolo-50x25, rotolo-40x30).")
        << QStringList() << QString();
    QTest::newRow("label beyond the sheet")
        << QStringList({"--articolo", "%1", "--inizio", "25"}) << 2
        << QStringLiteral("tarvo-etichette: il foglio A4-3x8 ha 24 etichette: --inizio va da 1 a 24.") << QStringList() << QString();
    QTest::newRow("both articles and loads")
        << QStringList({"--articolo", "%1", "--carichi", "--dal", "01/12/2026", "--al", "31/12/2026"}) << 2
        << QStringLiteral("tarvo-etichette: indicare gli articoli (--articolo N) oppure i carichi di un periodo "
                          "(--carichi), non entrambi.")
        << QStringList() << QString();
    QTest::newRow("date the wrong way round")
        << QStringList({"--carichi", "--dal", "2026-12-01", "--al", "31/12/2026"}) << 2
        << QStringLiteral("tarvo-etichette: data non valida \"2026-12-01\" (GG/MM/AAAA).") << QStringList() << QString();
    QTest::newRow("a code no bar code can draw: no file")
        << QStringList({"--articolo", "%2"}) << 1
        << QStringLiteral("tarvo-etichette: Impossibile disegnare il codice a barre \"Ωmega\": codice vuoto, troppo lungo "
                          "o con caratteri non ammessi.")
        << QStringList() << QString();
    QTest::newRow("a PDF that cannot be written")
        << QStringList({"--articolo", "%1"}) << 1
        << QStringLiteral("tarvo-etichette: Impossibile scrivere il file \"%3/etichette.pdf\".") << QStringList()
        << QStringLiteral("/nonexistent-folder");
}

void LabelsTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QStringList, codes);
    QFETCH(QString, pdfFolder);
    TestShopDatabase shop;
    SKIP_ON_SERVER("the command line opens the shop's file");
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Prezzo_Listino) values ('Giacca', 99)"));
    const qint64 article = lastKey(shop, QStringLiteral("select max(art_Codice) from Articoli"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values "
                                "('4006381333931', %1, 2), ('12345678U', %1, 1)").arg(article));
    shop.execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita) values "
                                "('12345678U', #12/05/2026#, 2)"));
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Orologio')"));
    const qint64 unprintable = lastKey(shop, QStringLiteral("select max(art_Codice) from Articoli"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values "
                                "('Ωmega', %1, 1)").arg(unprintable));
    shop.release();
    db::Database::closeAll();
    arguments.replaceInStrings(QStringLiteral("%1"), QString::number(article));
    arguments.replaceInStrings(QStringLiteral("%2"), QString::number(unprintable));
    QTemporaryDir work(m_folder.filePath(QStringLiteral("XXXXXX")));
    const QString pdf = QDir(pdfFolder.isEmpty() ? work.path() : pdfFolder).filePath(QStringLiteral("etichette.pdf"));
    message.replace(QStringLiteral("%3"), pdfFolder);
    QProcess program;
    program.start(QDir(qEnvironmentVariable("TARVO_PROGRAM_DIR")).filePath(QStringLiteral("tarvo-etichette")),
                  arguments + QStringList({"--pdf", pdf, "--database", shop.path()}));
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), exitCode);
    // The program's own words, not the platform's notes.
    const QStringList said = QString::fromUtf8(program.readAllStandardError())
                                 .split(QLatin1Char('\n'))
                                 .filter(QRegularExpression(QStringLiteral("^tarvo-etichette: ")));
    QCOMPARE(said.value(0), message);
    QCOMPARE(QFile::exists(pdf), exitCode == 0);
    if (codes.isEmpty())
        return;
    const LabelLayout &layout = *LabelLayout::named(arguments.at(arguments.indexOf(QStringLiteral("--foglio")) + 1));
    QList<QPair<int, QRectF>> places;
    for (int i = 0; i < codes.size(); ++i)
        places.append({1 + i / layout.perPage(), layout.labelRect(i % layout.perPage())});
    QList<QStringList> expected;
    for (const QString &code : codes)
        expected << QStringList(code);
    QCOMPARE(LabelReader::barcodesIn(pdf, places, work.path()), expected);
}

QTEST_MAIN(LabelsTest)
#include "tst_labels.moc"
