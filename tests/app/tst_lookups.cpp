#include "TestShopDatabase.h"

#include "base/Globals.h"
#include "base/errors/ErrorTrap.h"
#include "base/modZandri.h"
#include "db/DbError.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QLocale>
#include <QtTest>

// The helpers that read and write the shop's database: the one-field
// lookup, the stock quantity change and the data-error message.
class TestLookups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void cercaValoreByText_data();
    void cercaValoreByText();
    void cercaValoreByNumber_data();
    void cercaValoreByNumber();
    void cercaValoreShowsNumbersInTheUsersFormat();
    void cercaValoreLeavesErrorsToTheCaller();

    void modificaQuantitaAddsAndSubtracts();
    void modificaQuantitaOnAnUnknownItem();
    void modificaQuantitaReadsANullQuantityAsZero();
    void modificaQuantitaRefusesAnOverflow();
    void modificaQuantitaJoinsTheCallersTransaction();

    void erroreDatiByKind();
    void erroreDatiByTextLength_data();
    void erroreDatiByTextLength();

private:
    std::unique_ptr<TestShopDatabase> m_db;
};

static const QString duplicateMessage = QStringLiteral(
    "Si sta tentando di inserire un dato che ha il codice uguale ad un altro già esistente.\r\n"
    "Le modifiche non verranno salvate.");
static const QString notFoundMessage = QStringLiteral("Articolo non trovato. Impossibile modificare la quantità.");

void TestLookups::initTestCase()
{
    QApplication::setApplicationDisplayName(QStringLiteral("Qorda"));
    g_strAppName = QStringLiteral("Qorda");
}

void TestLookups::init()
{
    QLocale::setDefault(QLocale::c());
    m_db = std::make_unique<TestShopDatabase>();
    g_strDbPath = m_db->path();
    m_db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino, art_Note) "
                                 "values (12, \"Camicia lino\", 49.9, null)"));
    m_db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) "
                                 "values (7, \"Gonna \"\"a ruota\"\"\", 30)"));
    m_db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Quantita) "
                                 "values ('8001234', 12, 'M', 5)"));
    m_db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Quantita) "
                                 "values ('8001234U', 12, 'L', 1)"));
    m_db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                 "values ('Dell''Orto', 7, null)"));
    m_db->execute(QStringLiteral("insert into Pagamenti (pag_Codice, pag_Descrizione) values ('C', 'Contanti')"));
}

void TestLookups::cleanup()
{
    m_db.reset();
}

void TestLookups::cercaValoreByText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bar code") << "Codice Articolo" << "ca_Codice" << "ca_Codice_Articolo" << QVariant("8001234") << "12";
    QTest::newRow("second-hand code") << "Codice Articolo" << "ca_Codice" << "ca_Taglia" << QVariant("8001234U") << "L";
    QTest::newRow("case ignored") << "codice articolo" << "CA_CODICE" << "ca_taglia" << QVariant("8001234u") << "L";
    QTest::newRow("not found") << "Codice Articolo" << "ca_Codice" << "ca_Taglia" << QVariant("999") << "";
    QTest::newRow("Null result") << "Codice Articolo" << "ca_Codice" << "ca_Taglia" << QVariant("Dell'Orto") << "";
    QTest::newRow("payment") << "Pagamenti" << "pag_Codice" << "pag_Descrizione" << QVariant("C") << "Contanti";
    QTest::newRow("Null key") << "Pagamenti" << "pag_Codice" << "pag_Descrizione" << QVariant() << "";
    // A typed double quote stays inside the literal: it cannot widen the search.
    QTest::newRow("quote cannot change the statement")
        << "Pagamenti" << "pag_Codice" << "pag_Descrizione" << QVariant("x\" or \"1\"=\"1") << "";
    QTest::newRow("quote inside a value")
        << "Articoli" << "art_Descrizione" << "art_Codice" << QVariant("Gonna \"a ruota\"") << "7";
}

void TestLookups::cercaValoreByText()
{
    QFETCH(QString, table);
    QFETCH(QString, key);
    QFETCH(QString, result);
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    ui::ScriptedMessages messages;
    QCOMPARE(CercaValore(table, key, result, value, 0), expected);
    QVERIFY(messages.messages().isEmpty());
}

void TestLookups::cercaValoreByNumber_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits") << QVariant("12") << "Camicia lino";
    QTest::newRow("digits then letters") << QVariant("12AB") << "Camicia lino";
    QTest::newRow("decimals truncated") << QVariant("12.9") << "Camicia lino";
    QTest::newRow("number value") << QVariant(7) << "Gonna \"a ruota\"";
    QTest::newRow("no leading digits looks for 0") << QVariant("AB12") << "";
    QTest::newRow("empty") << QVariant("") << "";
    QTest::newRow("Null") << QVariant() << "";
    QTest::newRow("text cannot reach the statement") << QVariant("12 or 1=1") << "Camicia lino";
}

void TestLookups::cercaValoreByNumber()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(CercaValore(QStringLiteral("Articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"), value, 1),
             expected);
}

void TestLookups::cercaValoreShowsNumbersInTheUsersFormat()
{
    const QString table = QStringLiteral("Articoli");
    QCOMPARE(CercaValore(table, QStringLiteral("art_Codice"), QStringLiteral("art_Prezzo_Listino"), 12, 1), QStringLiteral("49.9"));
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(CercaValore(table, QStringLiteral("art_Codice"), QStringLiteral("art_Prezzo_Listino"), 12, 1), QStringLiteral("49,9"));
    QCOMPARE(CercaValore(table, QStringLiteral("art_Codice"), QStringLiteral("art_Prezzo_Listino"), 7, 1), QStringLiteral("30"));
}

void TestLookups::cercaValoreLeavesErrorsToTheCaller()
{
    QVERIFY_THROWS_EXCEPTION(db::DbError, CercaValore(QStringLiteral("Articoli"), QStringLiteral("art_Codice"),
                                                      QStringLiteral("art_Nessuno"), 12, 1));
    g_strDbPath = m_db->folder() + QStringLiteral("/altrove/manca.mdb");
    try {
        CercaValore(QStringLiteral("Articoli"), QStringLiteral("art_Codice"), QStringLiteral("art_Descrizione"), 12, 1);
        QFAIL("a missing database must raise an error");
    } catch (const db::DbError &error) {
        QCOMPARE(error.kind(), db::ErrorKind::FileNotFound);
    }
}

void TestLookups::modificaQuantitaAddsAndSubtracts()
{
    ui::ScriptedMessages messages;
    ModificaQuantita(QStringLiteral("8001234"), -3);
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '8001234'")).toLongLong(), 2);
    ModificaQuantita(QStringLiteral("8001234"), -4); // stock may go below zero
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '8001234'")).toLongLong(), -2);
    ModificaQuantita(QStringLiteral("8001234U"), 10);
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '8001234U'")).toLongLong(), 11);
    QVERIFY(messages.messages().isEmpty());
}

void TestLookups::modificaQuantitaOnAnUnknownItem()
{
    ui::ScriptedMessages messages;
    ModificaQuantita(QStringLiteral("x' or '1'='1"), 5);
    QCOMPARE(messages.texts(), QStringList{notFoundMessage});
    QCOMPARE(messages.messages().first().style, int(ui::vbExclamation));
    QCOMPARE(messages.messages().first().title, QStringLiteral("Qorda"));
    QCOMPARE(m_db->scalar(QStringLiteral("select sum(ca_Quantita) from [Codice Articolo]")).toLongLong(), 6);
}

void TestLookups::modificaQuantitaReadsANullQuantityAsZero()
{
    ui::ScriptedMessages messages;
    ModificaQuantita(QStringLiteral("Dell'Orto"), 4);
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = \"Dell'Orto\"")).toLongLong(), 4);
    QVERIFY(messages.messages().isEmpty());
}

void TestLookups::modificaQuantitaRefusesAnOverflow()
{
    m_db->execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = 2147483600 where ca_Codice = '8001234'"));
    try {
        ModificaQuantita(QStringLiteral("8001234"), 100);
        QFAIL("an overflow must raise an error");
    } catch (...) {
        // As the caller's error trap sees it.
        const errors::ErrObject err = errors::currentError(std::current_exception());
        QCOMPARE(err.number, 6L);
        QCOMPARE(err.description, QStringLiteral("Overflow"));
    }
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '8001234'")).toLongLong(),
             2147483600LL);
}

void TestLookups::modificaQuantitaJoinsTheCallersTransaction()
{
    {
        db::Transaction transaction(m_db->database());
        ModificaQuantita(QStringLiteral("8001234"), -1);
        // no commit: the load row failed, the quantity goes back too
    }
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '8001234'")).toLongLong(), 5);
    {
        db::Transaction transaction(m_db->database());
        ModificaQuantita(QStringLiteral("8001234"), -1);
        transaction.commit();
    }
    QCOMPARE(m_db->scalar(QStringLiteral("select ca_Quantita from [Codice Articolo] where ca_Codice = '8001234'")).toLongLong(), 4);
}

void TestLookups::erroreDatiByKind()
{
    ui::ScriptedMessages messages;
    // Any other refused write is the standard error, never silence.
    ErroreDati(db::DbError(db::ErrorKind::General, 3022, QStringLiteral("qualcosa")));
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Si è verificato un errore durante l'esecuzione del programma."
                                                          "\r\nErrore numero: 3022\r\nDescrizione: Impossibile completare "
                                                          "l'operazione: riprovare; se l'errore si ripete, chiudere e "
                                                          "riaprire il programma e, se non basta, rivolgersi "
                                                          "all'assistenza indicando il numero dell'errore.")});
    messages.clear();
    // The duplicate key the engine really reports.
    try {
        m_db->execute(QStringLiteral("insert into Pagamenti (pag_Codice, pag_Descrizione) values ('C', 'Carta')"));
        QFAIL("a duplicate key must raise an error");
    } catch (const db::DbError &error) {
        ErroreDati(error);
    }
    QCOMPARE(messages.texts(), QStringList{duplicateMessage});
    QCOMPARE(messages.messages().first().style, int(ui::vbExclamation));
    QCOMPARE(messages.messages().first().title, QStringLiteral("Qorda"));
}

void TestLookups::erroreDatiByTextLength_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("shown");
    QTest::newRow("297") << 297 << true;
    QTest::newRow("321") << 321 << true;
    QTest::newRow("296") << 296 << false;
    QTest::newRow("298") << 298 << false;
    QTest::newRow("empty") << 0 << false;
}

void TestLookups::erroreDatiByTextLength()
{
    QFETCH(int, length);
    QFETCH(bool, shown);
    ui::ScriptedMessages messages;
    ErroreDati(QString(length, QLatin1Char('x')));
    QCOMPARE(messages.texts(), shown ? QStringList{duplicateMessage} : QStringList{});
}

QTEST_MAIN(TestLookups)
#include "tst_lookups.moc"
