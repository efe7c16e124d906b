// The stock take without its window: scanning into a count, the stock on the
// count's day it is compared with, and posting it.
#include "StockTakeShop.h"

#include "db/Database.h"
#include "rules/DailyTakings.h"
#include "rules/stock/StockListStatement.h"
#include "rules/stock/StockTake.h"
#include "rules/stock/StockTakeLines.h"
#include "rules/stock/StockTakeList.h"
#include "rules/stock/StockTakePosting.h"
#include "rules/stock/StockTakeScope.h"

#include <QtTest>

namespace {

using Outcome = StockTakeLines::Outcome;
using Mode = StockTakeLines::Mode;

StockTake newCount(const StockTakeShop &shop, const QString &supplier = QString(), const QString &text = QString(),
                   const QDate &day = StockTakeShop::day())
{
    return StockTake::create(shop.database(), day, supplier, text);
}

StockTake reread(const StockTakeShop &shop, const StockTake &take)
{
    return *StockTake::read(shop.database(), take.numero);
}

QMap<QString, long> counted(const StockTakeShop &shop, qlonglong numero)
{
    QMap<QString, long> lines;
    for (auto rs = shop.database().openRecordset(QStringLiteral("select ic_Codice_Articolo, ic_Contato from "
                                                                 "InventarioConteggi where ic_Inventario = ")
                                                  + QString::number(numero));
         !rs->eof(); rs->moveNext())
        lines.insert(rs->value(0).toString(), long(rs->value(1).toLongLong()));
    return lines;
}

// Every sale of the day as the unload list finds it.
QStringList salesList(const StockTakeShop &shop)
{
    const StockListSearch search = unloadListSearch(
        {QString(), QString(), QStringLiteral("Nuovo e usato"), QStringLiteral("01/12/2026"), QStringLiteral("31/12/2026")},
        QStringLiteral("sc_Codice"));
    QStringList rows;
    for (auto rs = shop.database().openRecordset(search.sql); !rs->eof(); rs->moveNext())
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(rs->value(QStringLiteral("sc_Codice")).toString(),
                         rs->value(QStringLiteral("sc_Codice_Articolo")).toString(),
                         rs->value(QStringLiteral("sc_Quantita")).toString(),
                         rs->value(QStringLiteral("sc_Saldo")).toString());
    return rows;
}

QString takingsText(const DailyTakings &takings)
{
    QString text;
    for (const TakingsLine &line : takings.lines + QList<TakingsLine>{takings.totale})
        text += QStringLiteral("%1:%2:%3:%4;").arg(line.descrizione).arg(line.vendite).arg(line.sconti).arg(line.incasso);
    return text;
}

} // namespace

class TestStockTakeRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scansAddAndCorrect();
    void refusedInputWritesNothing_data();
    void refusedInputWritesNothing();
    void stockIsTheStockOnTheCountsDay();
    void postingChangesTheStockAndNothingElse();
    void postedCountCannotChange();
    void uncountedItemsOfTheScopeGoToZeroWhenChosen_data();
    void uncountedItemsOfTheScopeGoToZeroWhenChosen();
    void aSaleAfterTheCountsDayStillCounts();
    void aFailedPostingLeavesNothing();
    void listsExportTheLines();
    void lastOpenCountIsReopened();
    void knownSuppliers_data();
    void knownSuppliers();
};

void TestStockTakeRules::scansAddAndCorrect()
{
    StockTakeShop shop;
    const StockTake take = newCount(shop);
    StockTakeLines lines(shop.database(), take);
    QCOMPARE(lines.add(QStringLiteral("R1"), QString()).outcome, Outcome::Done);
    QCOMPARE(lines.add(QStringLiteral("r1"), QString()).outcome, Outcome::Done);   // the same item, case apart
    const StockTakeLines::Result three = lines.add(QStringLiteral(" R2 "), QStringLiteral("3"));
    QCOMPARE(three.outcome, Outcome::Done);
    QCOMPARE(three.line.codice, QStringLiteral("R2"));
    QCOMPARE(three.line.descrizione, QStringLiteral("Camicia lino"));
    QCOMPARE(three.line.taglia, QStringLiteral("L"));
    QCOMPARE(three.line.quantitaContata, 3L);
    QCOMPARE(three.line.giacenza, 3L);
    QCOMPARE(three.line.differenza(), 0L);
    QCOMPARE(lines.add(QStringLiteral("B1"), QStringLiteral("2")).outcome, Outcome::Done);
    const StockTakeLines::Result zero = lines.set(QStringLiteral("B1"), QStringLiteral("0"));
    QCOMPARE(zero.line.quantitaContata, 0L);
    QCOMPARE(zero.line.differenza(), -4L);

    const QMap<QString, long> expected{{QStringLiteral("R1"), 2}, {QStringLiteral("R2"), 3}, {QStringLiteral("B1"), 0}};
    QCOMPARE(counted(shop, take.numero), expected);
    const QList<StockTakeLine> all = lines.lines();
    QCOMPARE(all.size(), 3);
    QCOMPARE(all.at(0).codice, QStringLiteral("R1"));   // first counted first
    QCOMPARE(all.at(0).differenza(), -3L);
    const QList<StockTakeLine> differences = lines.differences();
    QCOMPARE(differences.size(), 2);   // R1 and B1; R2 agrees
    QCOMPARE(StockTakePosting::itemsToChange(shop.database(), take), 2);
    QCOMPARE(shop.stock(QStringLiteral("R1")), 5L); // counting moves no stock
}

void TestStockTakeRules::refusedInputWritesNothing_data()
{
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown bar code") << "" << "" << "X9" << "" << false
                                      << "Il codice X9 non corrisponde a nessun articolo: nulla è stato contato.";
    QTest::newRow("empty bar code") << "" << "" << "  " << "" << false
                                    << "Leggere o scrivere il codice a barre dell'articolo.";
    QTest::newRow("another supplier's item")
        << "Rossi" << "" << "B1" << "" << false
        << "L'articolo B1 non fa parte di questo inventario (fornitore o descrizione diversi): nulla è stato contato.";
    QTest::newRow("description not containing the text")
        << "" << "camicia" << "R3" << "" << false
        << "L'articolo R3 non fa parte di questo inventario (fornitore o descrizione diversi): nulla è stato contato.";
    QTest::newRow("a star typed is a star, not a wildcard")
        << "" << "*stella" << "R1" << "" << false
        << "L'articolo R1 non fa parte di questo inventario (fornitore o descrizione diversi): nulla è stato contato.";
    const char *badAdd = "La quantità deve essere un numero intero di pezzi da 1 a 99999: nulla è stato contato.";
    QTest::newRow("fraction") << "" << "" << "R1" << "1,5" << false << badAdd;
    QTest::newRow("fraction with a point") << "" << "" << "R1" << "1.5" << false << badAdd;
    QTest::newRow("negative") << "" << "" << "R1" << "-2" << false << badAdd;
    QTest::newRow("zero added") << "" << "" << "R1" << "0" << false << badAdd;
    QTest::newRow("junk") << "" << "" << "R1" << "tre" << false << badAdd;
    QTest::newRow("absurd") << "" << "" << "R1" << "100000" << false << badAdd;
    QTest::newRow("beyond a long") << "" << "" << "R1" << "99999999999999" << false << badAdd;
    QTest::newRow("correction negative")
        << "" << "" << "R1" << "-1" << true
        << "La quantità contata deve essere un numero intero di pezzi da 0 a 99999: nulla è stato cambiato.";
    QTest::newRow("correction empty")
        << "" << "" << "R1" << "" << true
        << "La quantità contata deve essere un numero intero di pezzi da 0 a 99999: nulla è stato cambiato.";
    QTest::newRow("count beyond the most")
        << "" << "" << "R1" << "99999" << false << "Il conteggio dell'articolo R1 supererebbe 99999 pezzi: nulla è stato contato.";
}

void TestStockTakeRules::refusedInputWritesNothing()
{
    QFETCH(QString, supplier);
    QFETCH(QString, text);
    QFETCH(QString, code);
    QFETCH(QString, quantity);
    QFETCH(bool, set);
    QFETCH(QString, message);
    StockTakeShop shop;
    const StockTake take = newCount(shop, supplier, text);
    StockTakeLines lines(shop.database(), take);
    QCOMPARE(lines.add(QStringLiteral("R1"), QStringLiteral("1")).outcome,
             text == QLatin1String("*stella") ? Outcome::OutOfScope : Outcome::Done);
    const QMap<QString, long> before = counted(shop, take.numero);
    const StockTakeLines::Result result = set ? lines.set(code, quantity) : lines.add(code, quantity);
    QVERIFY(result.outcome != Outcome::Done);
    QCOMPARE(StockTakeLines::message(result.outcome, set ? Mode::Set : Mode::Add, code), message);
    QCOMPARE(counted(shop, take.numero), before);
}

// Loads add, sales take off (by the whole quantity, halves to even), and
// adjustments add, when dated after the count's day; on the day, they are
// part of its stock.
void TestStockTakeRules::stockIsTheStockOnTheCountsDay()
{
    StockTakeShop shop;
    shop.load(QStringLiteral("R1"), 10, QStringLiteral("2026-12-08"));       // before: in the stock on the 8th
    shop.load(QStringLiteral("R1"), 4, QStringLiteral("2026-12-09"));        // after the 8th
    shop.sell(QStringLiteral("r1"), 2.5, QStringLiteral("2026-12-09"));      // -2
    shop.sell(QStringLiteral("R1"), 3.5, QStringLiteral("2026-12-09"));      // -4
    shop.execute(QStringLiteral("insert into Rettifiche (re_Codice_Articolo, re_Data, re_Quantita, re_Inventario) "
                                "values ('R1', #2026-12-09#, 3, 99)"));
    shop.execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = ca_Quantita + 3 where ca_Codice = 'R1'"));
    const long today = shop.stock(QStringLiteral("R1"));
    QCOMPARE(today, 5L + 10 + 4 - 2 - 4 + 3);

    const StockTake onThe8th = newCount(shop, QString(), QString(), QDate(2026, 12, 8));
    StockTakeLines lines(shop.database(), onThe8th);
    const StockTakeLines::Result scan = lines.add(QStringLiteral("R1"), QStringLiteral("7"));
    // The shop's own sale of R1 on the 9th counts as well.
    QCOMPARE(scan.line.giacenza, today - 4 + 2 + 4 - 3 + 1);
    QCOMPARE(lines.lines().value(0).giacenza, scan.line.giacenza);

    const StockTake onThe9th = newCount(shop);
    QCOMPARE(StockTakeLines(shop.database(), onThe9th).add(QStringLiteral("R1"), QString()).line.giacenza, today);
}

// The lead's case: a shelf of one supplier counted, two differences found and
// posted. Only the stock moves (and the adjustments appear): loads, sales,
// the day's takings and the sales list stay as they were.
void TestStockTakeRules::postingChangesTheStockAndNothingElse()
{
    StockTakeShop shop;
    const QString takingsBefore = takingsText(DailyTakings::read(StockTakeShop::day(), StockTakeShop::day()));
    const QStringList salesBefore = salesList(shop);
    const int loads = shop.count(QStringLiteral("carico"));

    const StockTake take = newCount(shop, QStringLiteral("Rossi"));
    StockTakeLines lines(shop.database(), take);
    lines.add(QStringLiteral("R1"), QStringLiteral("4"));   // 5 in stock
    lines.add(QStringLiteral("R2"), QStringLiteral("3"));   // agrees
    lines.add(QStringLiteral("R3"), QStringLiteral("6"));   // 2 in stock
    QCOMPARE(StockTakePosting::question(take, StockTakePosting::itemsToChange(shop.database(), take)),
             QStringLiteral("Registrare l'inventario del 09/12/2026? Cambia la giacenza di 2 articoli."));

    const StockTakePosting::Result posted = StockTakePosting::post(shop.database(), take.numero, StockTakeShop::day());
    QCOMPARE(posted.outcome, StockTakePosting::Outcome::Done);
    QCOMPARE(posted.changed, 2);
    QCOMPARE(StockTakePosting::done(posted.changed), QStringLiteral("Inventario registrato: cambiata la giacenza di 2 articoli."));

    QCOMPARE(shop.stock(QStringLiteral("R1")), 4L);
    QCOMPARE(shop.stock(QStringLiteral("R2")), 3L);
    QCOMPARE(shop.stock(QStringLiteral("R3")), 6L);
    QCOMPARE(shop.stock(QStringLiteral("B1")), 4L);   // not in the count
    QCOMPARE(shop.count(QStringLiteral("Rettifiche")), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select re_Quantita from Rettifiche where re_Codice_Articolo = 'R1'")).toInt(), -1);
    QCOMPARE(shop.scalar(QStringLiteral("select re_Quantita from Rettifiche where re_Codice_Articolo = 'R3'")).toInt(), 4);
    QCOMPARE(shop.count(QStringLiteral("Rettifiche where re_Inventario = ") + QString::number(take.numero)
                        + QStringLiteral(" and re_Data = #2026-12-09#")), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select ic_Giacenza from InventarioConteggi where ic_Codice_Articolo = 'R1'")).toInt(), 5);
    QCOMPARE(shop.scalar(QStringLiteral("select ic_Giacenza from InventarioConteggi where ic_Codice_Articolo = 'R2'")).toInt(), 3);
    const StockTake after = reread(shop, take);
    QVERIFY(after.registrato);
    QCOMPARE(after.dataRegistrazione, StockTakeShop::day());

    QCOMPARE(takingsText(DailyTakings::read(StockTakeShop::day(), StockTakeShop::day())), takingsBefore);
    QCOMPARE(salesList(shop), salesBefore);
    QCOMPARE(shop.count(QStringLiteral("carico")), loads);

    // The posted count shows what it was compared with.
    const QList<StockTakeLine> shown = StockTakeLines(shop.database(), after).differences();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).giacenza, 5L);
}

void TestStockTakeRules::postedCountCannotChange()
{
    StockTakeShop shop;
    const StockTake take = newCount(shop);
    StockTakeLines(shop.database(), take).add(QStringLiteral("R1"), QStringLiteral("1"));
    // The window still holds the count as it was before posting.
    StockTakeLines stale(shop.database(), take);
    QCOMPARE(StockTakePosting::post(shop.database(), take.numero, StockTakeShop::day()).changed, 1);

    const StockTakePosting::Result again = StockTakePosting::post(shop.database(), take.numero, StockTakeShop::day());
    QCOMPARE(again.outcome, StockTakePosting::Outcome::AlreadyPosted);
    QCOMPARE(StockTakePosting::alreadyPosted(), QStringLiteral("L'inventario è già registrato: non si può registrare di nuovo."));
    QCOMPARE(shop.stock(QStringLiteral("R1")), 1L);
    QCOMPARE(shop.count(QStringLiteral("Rettifiche")), 1);

    const StockTakeLines::Result late = stale.add(QStringLiteral("R1"), QString());
    QCOMPARE(late.outcome, Outcome::Posted);
    QCOMPARE(StockTakeLines::message(late.outcome, Mode::Add, QString()),
             QStringLiteral("L'inventario è già registrato: non si può più cambiare."));
    QCOMPARE(StockTakeLines(shop.database(), reread(shop, take)).set(QStringLiteral("R1"), QStringLiteral("2")).outcome,
             Outcome::Posted);
    QCOMPARE(counted(shop, take.numero).value(QStringLiteral("R1")), 1L);
    QVERIFY(!StockTake::setAzzeraNonContati(shop.database(), take.numero, true));
    QCOMPARE(StockTakePosting::post(shop.database(), 424242, StockTakeShop::day()).outcome,
             StockTakePosting::Outcome::NotFound);
}

void TestStockTakeRules::uncountedItemsOfTheScopeGoToZeroWhenChosen_data()
{
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("zero");
    QTest::addColumn<QString>("stocks");   // R1 R2 R3 B1 B2 after posting
    QTest::addColumn<int>("changed");
    QTest::newRow("left alone") << "Rossi" << "" << false << "1 3 2 4 0" << 1;
    QTest::newRow("supplier's items to zero") << "Rossi" << "" << true << "1 0 0 4 0" << 3;
    QTest::newRow("described items to zero") << "" << "CAMICIA" << true << "1 0 2 4 0" << 2;
    QTest::newRow("every item to zero") << "" << "" << true << "1 0 0 0 0" << 4;
}

void TestStockTakeRules::uncountedItemsOfTheScopeGoToZeroWhenChosen()
{
    QFETCH(QString, supplier);
    QFETCH(QString, text);
    QFETCH(bool, zero);
    QFETCH(QString, stocks);
    QFETCH(int, changed);
    StockTakeShop shop;
    StockTake take = newCount(shop, supplier, text);
    StockTakeLines(shop.database(), take).add(QStringLiteral("R1"), QString());
    QVERIFY(StockTake::setAzzeraNonContati(shop.database(), take.numero, zero));
    take = reread(shop, take);
    QCOMPARE(take.azzeraNonContati, zero);
    QCOMPARE(StockTakePosting::itemsToChange(shop.database(), take), changed);
    QCOMPARE(StockTakePosting::post(shop.database(), take.numero, StockTakeShop::day()).changed, changed);
    QStringList after;
    for (const char *code : {"R1", "R2", "R3", "B1", "B2"})
        after << QString::number(shop.stock(QLatin1String(code)));
    QCOMPARE(after.join(QLatin1Char(' ')), stocks);
    QCOMPARE(shop.count(QStringLiteral("Rettifiche")), changed);
    // The items set to zero are kept as lines counted 0, with their stock.
    QCOMPARE(shop.count(QStringLiteral("InventarioConteggi where ic_Giacenza is not null")), changed - 1 + 1);
}

// A count of yesterday posted today: the adjustment is the count less the
// stock of yesterday's end, and today's sale made since still counts.
void TestStockTakeRules::aSaleAfterTheCountsDayStillCounts()
{
    StockTakeShop shop;
    const StockTake take = newCount(shop, QString(), QString(), QDate(2026, 12, 8));
    StockTakeLines(shop.database(), take).add(QStringLiteral("B1"), QStringLiteral("6"));   // 4 in stock
    shop.sell(QStringLiteral("B1"), 1, QStringLiteral("2026-12-09"));
    QCOMPARE(StockTakePosting::post(shop.database(), take.numero, StockTakeShop::day()).changed, 1);
    QCOMPARE(shop.stock(QStringLiteral("B1")), 5L);
    QCOMPARE(shop.scalar(QStringLiteral("select re_Quantita from Rettifiche")).toInt(), 2);
    QCOMPARE(shop.scalar(QStringLiteral("select re_Data from Rettifiche")).toDate(), QDate(2026, 12, 8));
}

void TestStockTakeRules::aFailedPostingLeavesNothing()
{
    StockTakeShop shop;
    const StockTake take = newCount(shop, QStringLiteral("Rossi"));
    StockTakeLines lines(shop.database(), take);
    lines.add(QStringLiteral("R1"), QStringLiteral("2"));
    lines.add(QStringLiteral("R3"), QStringLiteral("9"));
    shop.refuseWrites(QStringLiteral("insert on Rettifiche"), QStringLiteral("re_Codice_Articolo"), QStringLiteral("R3"));
    QVERIFY_THROWS_EXCEPTION(db::DbError, StockTakePosting::post(shop.database(), take.numero, StockTakeShop::day()));
    shop.acceptWrites();
    QCOMPARE(shop.stock(QStringLiteral("R1")), 5L);
    QCOMPARE(shop.stock(QStringLiteral("R3")), 2L);
    QCOMPARE(shop.count(QStringLiteral("Rettifiche")), 0);
    QCOMPARE(shop.count(QStringLiteral("InventarioConteggi where ic_Giacenza is not null")), 0);
    QVERIFY(!reread(shop, take).registrato);
    QCOMPARE(StockTakePosting::failed(QStringLiteral("disco pieno")),
             QStringLiteral("L'inventario non è stato registrato e nessuna giacenza è cambiata: disco pieno"));

}

void TestStockTakeRules::listsExportTheLines()
{
    StockTakeShop shop;
    const StockTake take = newCount(shop);
    StockTakeLines lines(shop.database(), take);
    lines.add(QStringLiteral("R1"), QStringLiteral("5"));
    lines.add(QStringLiteral("B1"), QStringLiteral("1"));
    bool found = false;
    const ListExport all = StockTakeList::read(shop.database(), StockTakeList::Kind::Counted, take.numero, &found);
    QVERIFY(found);
    QCOMPARE(all.title, QStringLiteral("Inventario"));
    QCOMPARE(all.rows.size(), 2);
    QCOMPARE(all.rows.at(1), (QVariantList{QStringLiteral("B1"), QStringLiteral("Giacca"), QStringLiteral("50"),
                                            QStringLiteral("blu"), 1LL, 4LL, -3LL}));
    const ListExport differences = StockTakeList::read(shop.database(), StockTakeList::Kind::Differences, take.numero, &found);
    QCOMPARE(differences.title, QStringLiteral("Differenze inventario"));
    QCOMPARE(differences.rows.size(), 1);
    StockTakeList::read(shop.database(), StockTakeList::Kind::Counted, 77, &found);
    QVERIFY(!found);
    QCOMPARE(StockTakeList::noSuchCount(QStringLiteral("77")), QStringLiteral("Non esiste un inventario numero 77."));
}

void TestStockTakeRules::lastOpenCountIsReopened()
{
    StockTakeShop shop;
    QVERIFY(!StockTake::lastOpen(shop.database()));
    const StockTake first = newCount(shop, QStringLiteral("Rossi"));
    const StockTake second = newCount(shop, QString(), QStringLiteral("giacca"));
    QCOMPARE(StockTake::lastOpen(shop.database())->numero, second.numero);
    StockTakePosting::post(shop.database(), second.numero, StockTakeShop::day());
    QCOMPARE(StockTake::lastOpen(shop.database())->numero, first.numero);
    QCOMPARE(StockTake::all(shop.database()).size(), 2);
    QCOMPARE(reread(shop, second).caption(),
             QStringLiteral("Inventario n. %1 del 09/12/2026 - Descrizione \"giacca\" (registrato)").arg(second.numero));
    QCOMPARE(first.caption(), QStringLiteral("Inventario n. %1 del 09/12/2026 - Fornitore Rossi").arg(first.numero));
}

void TestStockTakeRules::knownSuppliers_data()
{
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<bool>("known");
    QTest::newRow("in the register") << "Rossi" << true;
    QTest::newRow("case apart") << "BIANCHI" << true;
    QTest::newRow("named by an article only") << "Verdi" << true;
    QTest::newRow("nowhere") << "Neri" << false;
    QTest::newRow("a quote") << "Dell'Orto" << false;
}

void TestStockTakeRules::knownSuppliers()
{
    QFETCH(QString, supplier);
    QFETCH(bool, known);
    StockTakeShop shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Fornitore) values (9, 'Gonna', 'Verdi')"));
    QCOMPARE(StockTakeScope::knownSupplier(shop.database(), supplier), known);
}

QTEST_GUILESS_MAIN(TestStockTakeRules)
#include "tst_stocktake_rules.moc"
