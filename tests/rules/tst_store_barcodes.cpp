// The bar codes the shop makes itself: the EAN check digit, and the
// database's counter that never gives a code twice, on a shop of the test's
// own with article 42.
#include "TestShopDatabase.h"

#include "db/Database.h"
#include "rules/EanCheckDigit.h"
#include "rules/StoreBarcodes.h"

#include <QSet>
#include <QtTest>

class TestStoreBarcodes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void checkDigitOfKnownCodes_data();
    void checkDigitOfKnownCodes();
    void checkDigitOfWhatIsNoEan_data();
    void checkDigitOfWhatIsNoEan();
    void codeOfACounterNumber_data();
    void codeOfACounterNumber();
    void noCodeIsGivenTwice_data();
    void noCodeIsGivenTwice();
    void aNumberTakenInsideAWriteIsNeverGivenBack();
    void theLastNumberIsTheLastCode();
    void aNewItemIsWrittenWithItsCode();
    void aThousandCodesAcrossARestart();
};

void TestStoreBarcodes::checkDigitOfKnownCodes_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("check");   // of the digits before the last
    QTest::addColumn<bool>("valid");
    QTest::newRow("EAN-13") << "4006381333931" << 1 << true;
    QTest::newRow("EAN-13 of another maker") << "5901234123457" << 7 << true;
    QTest::newRow("EAN-8") << "96385074" << 4 << true;
    QTest::newRow("EAN-13 whose check is 0") << "4006381333900" << 0 << true;
    QTest::newRow("EAN-8 whose check is 0") << "12345670" << 0 << true;
    QTest::newRow("in-store first code") << "2000000000015" << 5 << true;
    QTest::newRow("EAN-13 with a wrong check") << "8001234567891" << 7 << false;
    QTest::newRow("EAN-8 with a wrong check") << "96385075" << 4 << false;
    QTest::newRow("two digits swapped") << "4006381339331" << 9 << false;
    QTest::newRow("12 digits") << "400638133393" << 0 << false;
    QTest::newRow("14 digits") << "40063813339310" << 4 << false;
}

void TestStoreBarcodes::checkDigitOfKnownCodes()
{
    QFETCH(QString, code);
    QFETCH(int, check);
    QFETCH(bool, valid);
    QCOMPARE(eanCheckDigit(code.chopped(1)), check);
    QCOMPARE(hasValidEanCheckDigit(code), valid);
    QCOMPARE(hasEanLength(code), code.size() == 8 || code.size() == 13);
}

void TestStoreBarcodes::checkDigitOfWhatIsNoEan_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("a letter") << "400638133393A";
    QTest::newRow("a blank before") << " 400638133393";
    QTest::newRow("second-hand mark") << "800123456789U";
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0664\u0660\u0660\u0666\u0663\u0668\u0661\u0663\u0663\u0663\u0669\u0663\u0661");
    QTest::newRow("a sign") << "-4006381333931";
}

// Whatever is not a string of the digits 0-9 has no check digit, and no
// text of them passes for an EAN.
void TestStoreBarcodes::checkDigitOfWhatIsNoEan()
{
    QFETCH(QString, text);
    QCOMPARE(eanCheckDigit(text), -1);
    QVERIFY(!hasValidEanCheckDigit(text));
    QVERIFY(!hasEanLength(text));
}

void TestStoreBarcodes::codeOfACounterNumber_data()
{
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("code");
    QTest::newRow("first") << qint64(1) << "2000000000015";
    QTest::newRow("second") << qint64(2) << "2000000000022";
    QTest::newRow("tenth") << qint64(10) << "2000000000107";
    QTest::newRow("check digit 0") << qint64(9) << "2000000000091";
    QTest::newRow("eleven digits") << qint64(12345678901) << "2123456789010";
    QTest::newRow("last") << qint64(99999999999) << "2999999999991";
}

void TestStoreBarcodes::codeOfACounterNumber()
{
    QFETCH(qint64, number);
    QFETCH(QString, code);
    QCOMPARE(StoreBarcodes::codeFor(number), code);
    QVERIFY(hasValidEanCheckDigit(code));
}

void TestStoreBarcodes::noCodeIsGivenTwice_data()
{
    QTest::addColumn<QString>("between");   // what happens after the first code
    QTest::addColumn<QStringList>("codes"); // the first code and the next two
    const QString first = QStringLiteral("2000000000015");
    QTest::newRow("one after another") << "" << QStringList{first, "2000000000022", "2000000000039"};
    QTest::newRow("its item deleted") << "delete item" << QStringList{first, "2000000000022", "2000000000039"};
    QTest::newRow("its item's write given up") << "roll back item"
                                                << QStringList{first, "2000000000022", "2000000000039"};
    QTest::newRow("the counter's rows deleted") << "empty counter"
                                                << QStringList{first, "2000000000022", "2000000000039"};
    QTest::newRow("the next code typed by hand") << "type next"
                                                 << QStringList{first, "2000000000039", "2000000000046"};
    QTest::newRow("the two next typed by hand") << "type two"
                                                << QStringList{first, "2000000000046", "2000000000053"};
    QTest::newRow("another till took one") << "other till" << QStringList{first, "2000000000039", "2000000000046"};
}

// Whatever becomes of a code given, the counter goes on; a code already a
// stock item's is passed over, and so is a number another till took.
void TestStoreBarcodes::noCodeIsGivenTwice()
{
    QFETCH(QString, between);
    QFETCH(QStringList, codes);
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    StoreBarcodes barcodes(shop.database());
    QStringList given;
    if (between == QLatin1String("roll back item")) {
        given << barcodes.next();
        db::Transaction transaction(shop.database());
        shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('%1', 42)")
                         .arg(given.first()));
    } else {
        given << barcodes.newItem(42);
    }
    if (between == QLatin1String("delete item")) {
        shop.execute(QStringLiteral("delete from [Codice Articolo]"));
    } else if (between == QLatin1String("empty counter")) {
        shop.execute(QStringLiteral("delete from CodiciNegozio"));
    } else if (between == QLatin1String("type next") || between == QLatin1String("type two")) {
        shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values "
                                    "('2000000000022', 42)"));
        if (between == QLatin1String("type two"))
            shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values "
                                        "('2000000000039', 42)"));
    } else if (between == QLatin1String("other till")) {
        TestShopDatabase::writeAsAnotherTill(shop.path(), QStringLiteral("insert into \"CodiciNegozio\" default values"));
    }
    given << barcodes.next() << barcodes.next();
    QCOMPARE(given, codes);
}

// On SQLite the counter would go back with the transaction that moved it:
// a number is not taken inside one, and nothing is taken then. The server's
// sequence keeps a number taken inside a write that is given up.
void TestStoreBarcodes::aNumberTakenInsideAWriteIsNeverGivenBack()
{
    TestShopDatabase shop;
    StoreBarcodes barcodes(shop.database());
    QCOMPARE(barcodes.next(), QStringLiteral("2000000000015"));
    {
        db::Transaction transaction(shop.database());
        if (TestShopDatabase::onServer()) {
            QCOMPARE(barcodes.next(), QStringLiteral("2000000000022"));
        } else {
            try {
                barcodes.next();
                QFAIL("a number taken inside a transaction");
            } catch (const db::DbError &error) {
                QCOMPARE(error.description(), QStringLiteral("Un nuovo codice a barre del negozio non si può prendere "
                                                             "mentre un'altra scrittura è in corso."));
            }
        }
    }
    QCOMPARE(barcodes.next(), TestShopDatabase::onServer() ? QStringLiteral("2000000000039")
                                                           : QStringLiteral("2000000000022"));
}

// Past the eleven digits there is no code: said in words, nothing given.
void TestStoreBarcodes::theLastNumberIsTheLastCode()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into CodiciNegozio (cn_Numero) values (99999999998)"));
    StoreBarcodes barcodes(shop.database());
    QCOMPARE(barcodes.next(), QStringLiteral("2999999999991"));
    try {
        barcodes.next();
        QFAIL("a code past the last number");
    } catch (const db::DbError &error) {
        QCOMPARE(error.description(),
                 QStringLiteral("I codici a barre del negozio sono esauriti: il contatore ha raggiunto 99999999999."));
    }
    QCOMPARE(shop.count(QStringLiteral("[Codice Articolo]")), 0);
}

void TestStoreBarcodes::aNewItemIsWrittenWithItsCode()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    StoreBarcodes barcodes(shop.database());
    QCOMPARE(barcodes.newItem(42), QStringLiteral("2000000000015"));
    QCOMPARE(shop.count(QStringLiteral("[Codice Articolo] where ca_Codice = '2000000000015' and ca_Codice_Articolo = 42 "
                                       "and ca_Quantita = 0 and ca_Taglia is null and ca_Colore is null")),
             1);
}

// A thousand items made in two sittings with the program closed between
// them (every connection let go): a thousand distinct, valid EAN-13 codes of
// the shop's own, each a stock item of its own.
void TestStoreBarcodes::aThousandCodesAcrossARestart()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (42, 'Giacca')"));
    QSet<QString> codes;
    for (int sitting = 0; sitting < 2; ++sitting) {
        StoreBarcodes barcodes(shop.database());
        for (int i = 0; i < 500; ++i) {
            const QString code = barcodes.newItem(42);
            QVERIFY2(code.size() == 13 && code.startsWith(QLatin1Char('2')) && hasValidEanCheckDigit(code),
                     qPrintable(code));
            codes.insert(code);
        }
        shop.release();
        db::Database::closeAll();
    }
    QCOMPARE(codes.size(), 1000);
    QCOMPARE(shop.count(QStringLiteral("[Codice Articolo] where ca_Codice_Articolo = 42")), 1000);
}

QTEST_GUILESS_MAIN(TestStoreBarcodes)
#include "tst_store_barcodes.moc"
