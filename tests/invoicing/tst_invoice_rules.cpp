// The invoice rules that need no window: numbers, line arithmetic, the
// default VAT code, the total, and the writes that keep an invoice whole.

#include "TestShopDatabase.h"

#include "db/Connection.h"
#include "db/Database.h"
#include "db/Statement.h"
#include "rules/InvoiceArchive.h"
#include "rules/InvoiceDrafts.h"
#include "rules/InvoiceLine.h"
#include "rules/InvoiceNumber.h"

#include <QtTest>

class TestInvoiceRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nextNumber_data();
    void nextNumber();
    void typedNumber_data();
    void typedNumber();
    void recalculate_data();
    void recalculate();
    void defaultVatCode_data();
    void defaultVatCode();
    void total_data();
    void total();
    void writesKeepAnInvoiceWhole();
    void aNewInvoiceTakesOnlyTheLinesTypedForIt();
    void aLineAndTheTotalAreWrittenTogether();
    void aClaimOutlivesALostServerConnection();
};

void TestInvoiceRules::nextNumber_data()
{
    QTest::addColumn<QString>("highest");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("next");
    QTest::newRow("empty archive") << QString() << QDate(2026, 12, 6) << "26-00001";
    QTest::newRow("same year") << "26-00041" << QDate(2026, 1, 2) << "26-00042";
    QTest::newRow("runs on across years") << "06-00150" << QDate(2007, 1, 3) << "07-00151";
    QTest::newRow("a sequence past 99999 keeps its digits") << "26-99999" << QDate(2026, 5, 5) << "26-100000";
}

void TestInvoiceRules::nextNumber()
{
    QFETCH(QString, highest);
    QFETCH(QDate, today);
    QFETCH(QString, next);
    QCOMPARE(InvoiceNumber::next(highest, today), next);
}

void TestInvoiceRules::typedNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("number");   // empty: refused
    QTest::newRow("12") << "12" << "07-00012";
    QTest::newRow("blanks around") << " 7 " << "07-00007";
    QTest::newRow("leading zeros") << "00099" << "07-00099";
    QTest::newRow("highest") << "99999" << "07-99999";
    QTest::newRow("zero") << "0" << QString();
    QTest::newRow("empty") << "" << QString();
    QTest::newRow("too large") << "100000" << QString();
    QTest::newRow("negative") << "-3" << QString();
    QTest::newRow("decimal") << "1,5" << QString();
    QTest::newRow("digits and letters") << "12a" << QString();
    QTest::newRow("quote") << "1\"" << QString();
}

void TestInvoiceRules::typedNumber()
{
    QFETCH(QString, typed);
    QFETCH(QString, number);
    QCOMPARE(InvoiceNumber::fromTyped(typed, QDate(2007, 3, 1)).value_or(QString()), number);
}

void TestInvoiceRules::recalculate_data()
{
    QTest::addColumn<QString>("quantita");
    QTest::addColumn<QString>("prezzo");
    QTest::addColumn<bool>("stops");
    QTest::addColumn<double>("importo");
    QTest::newRow("plain") << "3" << "2,5" << false << 7.5;
    QTest::newRow("point under Italian") << "1" << "3.50" << false << 3.5;
    QTest::newRow("minus alone") << "2" << "-" << true << 0.0;
    QTest::newRow("negative") << "2" << "-1,5" << false << -3.0;
    QTest::newRow("no quantity") << "" << "5" << true << 0.0;
    QTest::newRow("no price") << "5" << " " << true << 0.0;
    // A cell that is not a number is refused by the grid, never made 0.
    QTest::newRow("quantity not a number") << "tre" << "5" << true << 0.0;
    QTest::newRow("price not a number") << "2" << "abc" << true << 0.0;
    QTest::newRow("not rounded") << "3" << "0,1" << false << 3 * 0.1;
    // The quantity and the price read alike, as the grid stores them.
    QTest::newRow("quantity 1.000 is one") << "1.000" << "10" << false << 10.0;
    QTest::newRow("grouped price") << "2" << "1.234,50" << false << 2469.0;
    QTest::newRow("price beyond cents rounded") << "1" << "2,675" << false << 2.68;
    QTest::newRow("price beyond an amount") << "1" << "100000000" << true << 0.0;
    QTest::newRow("price 1e308") << "1" << "1e308" << true << 0.0;
    QTest::newRow("price NaN") << "1" << "NaN" << true << 0.0;
    QTest::newRow("price 1,2,3") << "1" << "1,2,3" << true << 0.0;
    QTest::newRow("quantity beyond the stock") << "3000000000" << "1" << true << 0.0;
}

void TestInvoiceRules::recalculate()
{
    QFETCH(QString, quantita);
    QFETCH(QString, prezzo);
    QFETCH(bool, stops);
    QFETCH(double, importo);
    const auto amount = InvoiceLine::recalculate(quantita, prezzo, QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(!amount.has_value(), stops);
    if (amount)
        QCOMPARE(*amount, importo);
}

void TestInvoiceRules::defaultVatCode_data()
{
    QTest::addColumn<QVariantList>("codes");
    QTest::addColumn<QVariant>("code");
    QTest::newRow("third of four") << QVariantList{4, 1, 2, 3} << QVariant(2);
    QTest::newRow("last of two") << QVariantList{4, 1} << QVariant(1);
    QTest::newRow("none") << QVariantList{} << QVariant();
}

void TestInvoiceRules::defaultVatCode()
{
    QFETCH(QVariantList, codes);
    QFETCH(QVariant, code);
    QCOMPARE(InvoiceLine::defaultVatCode(codes), code);
}

void TestInvoiceRules::total_data()
{
    QTest::addColumn<QVariantList>("amounts");
    QTest::addColumn<QString>("italian");
    QTest::addColumn<QString>("english");
    QTest::newRow("no lines") << QVariantList{} << "0" << "0";
    QTest::newRow("tenths") << QVariantList{0.1, 0.2} << "0,3" << "0.3";
    QTest::newRow("a text-only line") << QVariantList{QVariant(), 12.5} << "12,5" << "12.5";
    QTest::newRow("thousands without separator") << QVariantList{1234.5, 1000.0} << "2234,5" << "2234.5";
    QTest::newRow("negative") << QVariantList{-2.0, 1.0} << "-1" << "-1";
}

void TestInvoiceRules::total()
{
    QFETCH(QVariantList, amounts);
    QFETCH(QString, italian);
    QFETCH(QString, english);
    const double sum = InvoiceLine::total(amounts);
    QCOMPARE(InvoiceLine::totalText(sum, QLocale(QLocale::Italian, QLocale::Italy)), italian);
    QCOMPARE(InvoiceLine::totalText(sum, QLocale(QLocale::English, QLocale::UnitedStates)), english);
}

void TestInvoiceRules::writesKeepAnInvoiceWhole()
{
    TestShopDatabase shop;
    db::Database &database = shop.database();
    InvoiceArchive archive(database);
    const auto line = [&](const QString &numero, double amount) {
        shop.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Importo) values ('%1', %2)")
                         .arg(numero).arg(amount));
    };
    const auto header = [&](const QString &numero) {
        return [&database, numero] {
            database.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Imponibile) values ('%1', 999)").arg(numero));
        };
    };
    QCOMPARE(archive.highestNumber(), QString());
    line(QStringLiteral("26-00001"), 1.5);
    line(QStringLiteral("26-00001"), 2);
    QCOMPARE(archive.saveNew(QStringLiteral("26-00001"), header(QStringLiteral("26-00001"))), InvoiceArchive::Result::Done);
    QCOMPARE(shop.scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(), 3.5);
    QCOMPARE(archive.saveNew(QStringLiteral("26-00001"), header(QStringLiteral("26-00001"))), InvoiceArchive::Result::NumberTaken);
    QCOMPARE(archive.highestNumber(), QStringLiteral("26-00001"));
    QCOMPARE(archive.nextFreeNumber(QDate(2026, 12, 6)), QStringLiteral("26-00002"));

    // The lines of an unsaved invoice move to a free number, never onto a
    // stored one nor away from one; stray lines of the target go.
    line(QStringLiteral("26-00002"), 4);
    line(QStringLiteral("26-00007"), 100);
    QCOMPARE(archive.renumberLines(QStringLiteral("26-00002"), QStringLiteral("26-00001")), InvoiceArchive::Result::NumberTaken);
    QCOMPARE(archive.renumberLines(QStringLiteral("26-00001"), QStringLiteral("26-00009")), InvoiceArchive::Result::NumberTaken);
    // The same number keeps its lines.
    QCOMPARE(archive.renumberLines(QStringLiteral("26-00002"), QStringLiteral("26-00002")), InvoiceArchive::Result::Done);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00002'")), 1);
    QCOMPARE(archive.renumberLines(QStringLiteral("26-00002"), QStringLiteral("26-00007")), InvoiceArchive::Result::Done);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00007'")), 1);
    QCOMPARE(archive.linesTotal(QStringLiteral("26-00007")), 4.0);

    // Abandoned: the lines go, a stored invoice's lines stay.
    archive.discardUnsaved(QStringLiteral("26-00001"));
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00001'")), 2);
    archive.discardUnsaved(QStringLiteral("26-00007"));
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura] where df_Numero_Fattura = '26-00007'")), 0);

    line(QStringLiteral("26-00003"), 1);
    // A number written in another case than its header's still belongs to it.
    database.execute(QStringLiteral("insert into Fattura (fat_Numero) values ('AB-00001')"));
    line(QStringLiteral("ab-00001"), 1);
    QCOMPARE(archive.removeStrayLines(), 1);
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura]")), 3);
    database.execute(QStringLiteral("delete from [Dettaglio Fattura] where df_Numero_Fattura = 'ab-00001'"));
    database.execute(QStringLiteral("delete from Fattura where fat_Numero = 'AB-00001'"));

    // A delete whose header write fails leaves the lines too.
    QVERIFY_THROWS_EXCEPTION(db::DbError, archive.deleteInvoice(QStringLiteral("26-00001"), [&] {
        database.execute(QStringLiteral("delete from Nessuna"));
    }));
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura]")), 2);
    archive.deleteInvoice(QStringLiteral("26-00001"), [&] { database.execute(QStringLiteral("delete from Fattura")); });
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura]")), 0);
    QCOMPARE(shop.count(QStringLiteral("Fattura")), 0);

    // Past sequence 99999 the greatest number as text stays 26-99999: New
    // goes on to the first number not taken.
    for (const char *numero : {"26-99999", "26-100000", "26-100001"})
        header(QString::fromLatin1(numero))();
    QCOMPARE(archive.highestNumber(), QStringLiteral("26-99999"));
    QCOMPARE(archive.nextFreeNumber(QDate(2026, 12, 6)), QStringLiteral("26-100002"));
}

// A line written, changed or deleted moves the header's total with it; a
// write that fails half-way leaves both the lines and the total as they were.
void TestInvoiceRules::aLineAndTheTotalAreWrittenTogether()
{
    TestShopDatabase shop;
    db::Database &database = shop.database();
    InvoiceArchive archive(database);
    const QString numero = QStringLiteral("26-00001");
    const auto insertLine = [&](double amount) {
        return [&database, numero, amount] {
            database.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Importo) values ('%1', %2)")
                                 .arg(numero).arg(amount));
        };
    };
    const auto total = [&] { return shop.scalar(QStringLiteral("select fat_Imponibile from Fattura")).toDouble(); };
    database.execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Imponibile) values ('%1', 0)").arg(numero));

    archive.writeLine(numero, insertLine(2));
    archive.writeLine(numero, insertLine(1.5));
    QCOMPARE(total(), 3.5);

    // The line is written, then the write fails: the line goes back too.
    QVERIFY_THROWS_EXCEPTION(db::DbError, archive.writeLine(numero, [&] {
        insertLine(100)();
        database.execute(QStringLiteral("delete from Nessuna"));
    }));
    QCOMPARE(shop.count(QStringLiteral("[Dettaglio Fattura]")), 2);
    QCOMPARE(total(), 3.5);

    archive.writeLine(numero, [&] {
        database.execute(QStringLiteral("delete from [Dettaglio Fattura] where df_Importo = 2"));
    });
    QCOMPARE(total(), 1.5);

    // The lines of an invoice not saved yet have no total to follow them.
    archive.writeLine(QStringLiteral("26-00002"), [&] {
        database.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Importo) values ('26-00002', 7)"));
    });
    QCOMPARE(archive.linesTotal(QStringLiteral("26-00002")), 7.0);
    QCOMPARE(shop.count(QStringLiteral("Fattura")), 1);
    QCOMPARE(total(), 1.5);
}

// Lines under a number that no editor holds were left by a program that
// stopped while typing them: an invoice saved under that number would take
// another till's lines, so it takes the next free number. Lines this program
// moved to its number are the invoice's own.
void TestInvoiceRules::aNewInvoiceTakesOnlyTheLinesTypedForIt()
{
    TestShopDatabase shop;
    db::Database &database = shop.database();
    InvoiceArchive archive(database);
    const QDate today(2026, 12, 6);
    const auto header = [&database](const QString &numero) {
        database.execute(QStringLiteral("insert into Fattura (fat_Numero) values ('%1')").arg(numero));
    };
    const auto line = [&shop](const QString &numero, double amount) {
        shop.execute(QStringLiteral("insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Importo) values ('%1', %2)")
                         .arg(numero).arg(amount));
    };
    line(QStringLiteral("26-00001"), 7);
    QCOMPARE(archive.saveNewOnFreeNumber(QStringLiteral("26-00001"), today, header), QStringLiteral("26-00002"));
    QCOMPARE(shop.scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00002'")).toDouble(), 0.0);
    QCOMPARE(shop.count(QStringLiteral("Fattura where fat_Numero = '26-00001'")), 0);

    line(QStringLiteral("26-00003"), 4);
    QCOMPARE(archive.renumberLines(QStringLiteral("26-00003"), QStringLiteral("26-00010")), InvoiceArchive::Result::Done);
    QCOMPARE(archive.saveNewOnFreeNumber(QStringLiteral("26-00010"), today, header), QStringLiteral("26-00010"));
    QCOMPARE(shop.scalar(QStringLiteral("select fat_Imponibile from Fattura where fat_Numero = '26-00010'")).toDouble(), 4.0);
}

// The server lets go of a connection's locks when it ends it; the program
// then reaches the server again on a new one, which holds none of them. Its
// next claim takes the number again, so no other till finds it free while
// this one goes on typing under it.
void TestInvoiceRules::aClaimOutlivesALostServerConnection()
{
    if (!TestShopDatabase::onServer())
        QSKIP("a lock on the file lasts as long as the program");
    TestShopDatabase shop;
    const QString numero = QStringLiteral("26-00004");
    QVERIFY(InvoiceDrafts::claim(shop.path(), numero));

    const std::shared_ptr<db::Connection> other = db::Connection::open(shop.path());
    const auto count = [&other](const QString &sql) {
        db::Statement *statement = other->statement(sql, sql);
        const db::StatementUse use(statement);
        return statement->step(sql) ? statement->columnInteger(0) : -1;
    };
    const QString draftLocks = QStringLiteral("select count(*) from pg_locks where locktype = 'advisory' "
                                              "and classid = 29793 and granted");
    QCOMPARE(count(draftLocks), 1);
    count(QStringLiteral("select count(pg_terminate_backend(pid)) from pg_stat_activity "
                         "where datname = current_database() and pid <> pg_backend_pid()"));
    QTRY_COMPARE(count(QStringLiteral("select count(*) from pg_stat_activity "
                                      "where datname = current_database() and pid <> pg_backend_pid()")), 0);
    QCOMPARE(count(draftLocks), 0);

    QVERIFY(InvoiceDrafts::claim(shop.path(), numero));
    QCOMPARE(count(draftLocks), 1);
    InvoiceDrafts::release(shop.path(), numero);
    QCOMPARE(count(draftLocks), 0);
}

QTEST_MAIN(TestInvoiceRules)
#include "tst_invoice_rules.moc"
