#include "TestDatabase.h"

#include "db/Recordset.h"
#include "db/SqlText.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include "TextKeys.h"
#include "Connection.h"
#include "DatabaseSettings.h"
#include "ServerSql.h"
#include <QDir>
#include <QFile>
#include <QSet>

// The legacy dialect as the windows write it, and what it becomes on SQLite.
class TranslationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void translatesDialect_data();
    void translatesDialect();
    void rejectsBadStatements_data();
    void rejectsBadStatements();
    void literalsKeepEveryCharacter_data();
    void literalsKeepEveryCharacter();
    void dateLiteralsReadMonthFirst_data();
    void dateLiteralsReadMonthFirst();
    void constantsDoNotChangeTheShape();
    void minusSignsNeverStartComments();
    void quotedTextNeverChangesAStatement();
    void serverReadsTheStatementsAsWritten_data();
    void serverReadsTheStatementsAsWritten();
    void settingsChooseTheEngine_data();
    void settingsChooseTheEngine();
};

void TranslationTest::translatesDialect_data()
{
    QTest::addColumn<QString>("legacy");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bracketed table, double quotes")
        << "select * from [Codice Articolo] where ca_Codice = \"123\""
        << "SELECT *, \"Codice Articolo\".rowid FROM \"Codice Articolo\" WHERE FOLD(\"ca_Codice\") = ?";
    QTest::newRow("no blank before where")
        << "select * from [codice articolo]where ca_Codice = '8001'"
        << "SELECT *, \"Codice Articolo\".rowid FROM \"Codice Articolo\" WHERE FOLD(\"ca_Codice\") = ?";
    QTest::newRow("top and dates")
        << "Select top 200 * from fattura where  fat_Data between #01/01/1900# and  #01/01/2100#"
        << "SELECT *, \"Fattura\".rowid FROM \"Fattura\" WHERE \"fat_Data\" between ? and ? LIMIT 200";
    QTest::newRow("alias left by a cut where")
        << "Select top 100 * from anagrafica w order by anag_Denominazione"
        << "SELECT *, \"w\".rowid FROM \"Anagrafica\" w ORDER BY SORT(\"anag_Denominazione\"), \"anag_Denominazione\" COLLATE TESTO, \"w\".rowid LIMIT 100";
    QTest::newRow("delete with quoted number")
        << "delete from [Dettaglio Fattura] where df_Numero_Fattura = \"26-00001\""
        << "DELETE from \"Dettaglio Fattura\" where FOLD(\"df_Numero_Fattura\") = ?";
    QTest::newRow("delete star")
        << "delete * from carico where ca_Codice = 5"
        << "DELETE from \"carico\" where \"ca_Codice\" = ?";
    QTest::newRow("true and false")
        << "select * from articoli where art_Usato = true or art_Usato = False"
        << "SELECT *, \"Articoli\".rowid FROM \"Articoli\" WHERE \"art_Usato\" = -1 or \"art_Usato\" = 0";
    QTest::newRow("accented names in upper case")
        << "SELECT DF_QUANTITÀ FROM [DETTAGLIO FATTURA]"
        << "SELECT \"df_Quantità\", \"Dettaglio Fattura\".rowid FROM \"Dettaglio Fattura\"";
    QTest::newRow("accented name in a like")
        << "select * from Anagrafica where ANAG_LOCALITÀ like 'Mil*'"
        << "SELECT *, \"Anagrafica\".rowid FROM \"Anagrafica\" WHERE \"anag_Località\" COLLATE TESTO like ?";
    QTest::newRow("aggregate is not keyed")
        << "select max(fat_Numero) from Fattura"
        << "SELECT max (\"fat_Numero\") from \"Fattura\"";
    QTest::newRow("order by position stays a number")
        << "select * from articoli order by 2"
        << "SELECT *, \"Articoli\".rowid FROM \"Articoli\" ORDER BY 2, \"Articoli\".rowid";
    QTest::newRow("ampersand concatenates")
        << "select art_Descrizione & 'x' from articoli"
        << "SELECT \"art_Descrizione\" || ?, \"Articoli\".rowid FROM \"Articoli\"";
    QTest::newRow("picker aliases")
        << "SELECT art_Codice as CODICE, art_Descrizione as DESCRIZIONE FROM Articoli ORDER BY art_Descrizione "
        << "SELECT \"art_Codice\" as CODICE, \"art_Descrizione\" as DESCRIZIONE, \"Articoli\".rowid FROM \"Articoli\" "
           "ORDER BY SORT(\"art_Descrizione\"), \"art_Descrizione\" COLLATE TESTO, \"Articoli\".rowid";
    QTest::newRow("three-table join")
        << "Select * from carico, articoli, [codice articolo] where [codice articolo].ca_Codice = carico.ca_Codice_Articolo "
           "and art_Codice = [codice articolo].ca_Codice_Articolo and  carico.ca_Data between #12/01/2026# and  #12/31/2026# "
           "order by carico.ca_Data"
        << "SELECT *, \"carico\".rowid, \"Articoli\".rowid, \"Codice Articolo\".rowid FROM \"carico\", \"Articoli\", "
           "\"Codice Articolo\" WHERE FOLD(\"Codice Articolo\".\"ca_Codice\") = FOLD(\"carico\".\"ca_Codice_Articolo\") and \"art_Codice\" = "
           "\"Codice Articolo\".\"ca_Codice_Articolo\" and \"carico\".\"ca_Data\" between ? and ? ORDER BY "
           "\"carico\".\"ca_Data\", \"carico\".rowid, \"Articoli\".rowid, \"Codice Articolo\".rowid";
    QTest::newRow("update with number and text")
        << "update [codice articolo] set ca_Quantita = ca_Quantita - 1 where ca_Codice = 'A''B'"
        << "update \"Codice Articolo\" set \"ca_Quantita\" = \"ca_Quantita\" - ? where FOLD(\"ca_Codice\") = ?";
    QTest::newRow("select without a table")
        << "select 1 + 1"
        << "SELECT ? + ?";
}

void TranslationTest::translatesDialect()
{
    QFETCH(QString, legacy);
    QFETCH(QString, expected);
    TestDatabase db;
    // FOLD(x) and SORT(x) stand for the text keys the indexes are built on.
    static const QRegularExpression key(QStringLiteral("(FOLD|SORT)\\(([^()]*)\\)"));
    QRegularExpressionMatch match;
    while ((match = key.match(expected)).hasMatch())
        expected.replace(match.capturedStart(), match.capturedLength(),
                         match.captured(1) == QLatin1String("FOLD") ? db::foldedTextKey(match.captured(2))
                                                                    : db::sortTextKey(match.captured(2)));
    QCOMPARE(db->translate(legacy), expected);
}

void TranslationTest::rejectsBadStatements_data()
{
    QTest::addColumn<QString>("legacy");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    const int syntax = int(db::ErrorKind::Syntax);
    QTest::newRow("unterminated string")
        << "select * from articoli where art_Descrizione = 'abc" << syntax << 3075
        << "Errore di sintassi (stringa non terminata) nell'espressione della query "
           "'select * from articoli where art_Descrizione = 'abc'.";
    QTest::newRow("unterminated bracket")
        << "select * from [Codice Articolo" << syntax << 3075
        << "Errore di sintassi (parentesi quadra non chiusa) nell'espressione della query 'select * from [Codice Articolo'.";
    QTest::newRow("impossible date")
        << "select * from carico where ca_Data = #02/30/2026#" << syntax << 3075
        << "Errore di sintassi nella data nell'espressione della query '#02/30/2026#'.";
    QTest::newRow("day first is not a date")
        << "select * from carico where ca_Data = #25/12/2026#" << syntax << 3075
        << "Errore di sintassi nella data nell'espressione della query '#25/12/2026#'.";
    QTest::newRow("second statement")
        << "select * from articoli; delete from articoli" << syntax << 3142
        << "Caratteri trovati dopo la fine dell'istruzione SQL.";
    QTest::newRow("parameter mark")
        << "select * from articoli where art_Codice = ?" << syntax << 3075
        << "Errore di sintassi (carattere non valido '?') nell'espressione della query "
           "'select * from articoli where art_Codice = ?'.";
    QTest::newRow("not a statement")
        << "pragma writable_schema = 1" << syntax << 3129
        << "Istruzione SQL non valida; prevista 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' o 'UPDATE'.";
    QTest::newRow("missing value")
        << "select * from articoli where art_Codice = " << syntax << 3075
        << "Errore di sintassi (operatore mancante) nell'espressione della query 'select * from articoli where art_Codice = '.";
    QTest::newRow("unknown table") << "select * from Magazzino" << int(db::ErrorKind::UnknownName) << 3078
        << "Impossibile trovare la tabella o la query di input 'Magazzino'. Verificare che esista e che il nome "
           "sia stato digitato correttamente.";
}

void TranslationTest::rejectsBadStatements()
{
    QFETCH(QString, legacy);
    QFETCH(int, kind);
    QFETCH(int, number);
    QFETCH(QString, description);
    TestDatabase db;
    const db::DbError error = expectDbError([&]() { db->openRecordset(legacy); });
    QCOMPARE(int(error.kind()), kind);
    QCOMPARE(error.number(), long(number));
    QCOMPARE(error.description(), description);
    // An action statement with the same fault fails the same way, and
    // nothing was written.
    QCOMPARE(db->openRecordset(QStringLiteral("select * from articoli"))->recordCount(), 0);
}

void TranslationTest::literalsKeepEveryCharacter_data()
{
    QTest::addColumn<QString>("legacy");
    QTest::addColumn<QString>("stored");
    QTest::newRow("hash and star") << "\"Vite #8 * 10\"" << "Vite #8 * 10";
    QTest::newRow("brackets") << "'[Codice Articolo] e [x]'" << "[Codice Articolo] e [x]";
    QTest::newRow("doubled double quote") << "\"Il \"\"Gatto\"\"\"" << "Il \"Gatto\"";
    QTest::newRow("doubled single quote") << "'Dell''Orto'" << "Dell'Orto";
    QTest::newRow("other quote inside") << "\"l'ago\"" << "l'ago";
    QTest::newRow("comment marks") << "'a -- b /* c */'" << "a -- b /* c */";
    QTest::newRow("semicolon") << "'uno; delete from articoli'" << "uno; delete from articoli";
    QTest::newRow("date look-alike") << "'#01/02/2026#'" << "#01/02/2026#";
}

void TranslationTest::literalsKeepEveryCharacter()
{
    QFETCH(QString, legacy);
    QFETCH(QString, stored);
    TestDatabase db;
    QCOMPARE(db->execute("insert into Fornitore (fo_Descrizione) values (" + legacy + ")"), 1);
    auto rs = db->openRecordset("select * from [Fornitore] where fo_Descrizione = " + legacy);
    QCOMPARE(rs->recordCount(), 1);
    QCOMPARE(rs->value("fo_Descrizione").toString(), stored);
}

void TranslationTest::dateLiteralsReadMonthFirst_data()
{
    QTest::addColumn<QString>("literal");
    QTest::addColumn<QDate>("date");
    QTest::newRow("month first") << "#12/01/2026#" << QDate(2026, 12, 1);
    QTest::newRow("single digits") << "#1/5/2026#" << QDate(2026, 1, 5);
    QTest::newRow("two-digit year, 2000s") << "#1/5/26#" << QDate(2026, 1, 5);
    QTest::newRow("two-digit year, 1900s") << "#1/5/95#" << QDate(1995, 1, 5);
    QTest::newRow("iso") << "#2026-03-04#" << QDate(2026, 3, 4);
    QTest::newRow("leap day") << "#2/29/2028#" << QDate(2028, 2, 29);
}

void TranslationTest::dateLiteralsReadMonthFirst()
{
    QFETCH(QString, literal);
    QFETCH(QDate, date);
    TestDatabase db;
    db->execute("insert into carico (ca_Data) values (" + literal + ")");
    auto rs = db->openRecordset(QStringLiteral("select * from carico"));
    QCOMPARE(rs->value("ca_Data").toDate(), date);
    auto same = db->openRecordset("select * from carico where ca_Data = " + literal);
    QCOMPARE(same->recordCount(), 1);
}

void TranslationTest::constantsDoNotChangeTheShape()
{
    TestDatabase db;
    QCOMPARE(db->translate("select * from [Codice Articolo] where ca_Codice = \"123\""),
             db->translate("select * from [Codice Articolo] where ca_Codice = \"456\""));
    QCOMPARE(db->translate("select * from articoli where art_Codice = 1"),
             db->translate("select * from articoli where art_Codice = 99999"));
    db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Quantita) values ('123', 1)"));
    db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Quantita) values ('456', 2)"));
    QCOMPARE(db->openRecordset("select * from [Codice Articolo] where ca_Codice = \"123\"")->value("ca_Quantita").toLongLong(), 1);
    QCOMPARE(db->openRecordset("select * from [Codice Articolo] where ca_Codice = \"456\"")->value("ca_Quantita").toLongLong(), 2);
}

void TranslationTest::minusSignsNeverStartComments()
{
    TestDatabase db;
    for (int i = 0; i < 6; ++i)
        db->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('a')"));
    // Legacy arithmetic: 4 - (-1) = 5; SQLite would read "--1" as a comment.
    auto rs = db->openRecordset(QStringLiteral("select * from articoli where art_Codice = 4--1"));
    QCOMPARE(rs->recordCount(), 1);
    QCOMPARE(rs->value("art_Codice").toLongLong(), 5);
    // "/*" is division and product, never a comment hiding the rest.
    const db::DbError error = expectDbError(
        [&]() { db->openRecordset(QStringLiteral("select * from articoli where art_Codice = 6/*2*/1")); });
    QCOMPARE(error.kind(), db::ErrorKind::Syntax);
}

void TranslationTest::quotedTextNeverChangesAStatement()
{
    TestDatabase db;
    const QString alphabet = QStringLiteral("ab'\"#*?[]!;-/\n\tàèìòù%_&|(),.= ");
    QRandomGenerator random(20260412);
    QSet<QString> used;
    int inserted = 0;
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = 1 + int(random.bounded(12));
        for (int i = 0; i < length; ++i)
            text.append(alphabet.at(int(random.bounded(int(alphabet.size())))));
        if (used.contains(text.toCaseFolded()))
            continue;
        used.insert(text.toCaseFolded());
        const QChar quote = (round % 2) ? QLatin1Char('"') : QLatin1Char('\'');
        QCOMPARE(db->execute("insert into Fornitore (fo_Descrizione) values (" + db::quoted(text, quote) + ")"), 1);
        ++inserted;
        auto rs = db->openRecordset("select * from Fornitore where fo_Descrizione = " + db::quoted(text, quote));
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(rs->value("fo_Descrizione").toString(), text);
    }
    auto all = db->openRecordset(QStringLiteral("select * from Fornitore"));
    all->moveLast();
    QCOMPARE(all->recordCount(), inserted);
    QCOMPARE(db::escaped(QStringLiteral("Dell'Orto")), QStringLiteral("Dell''Orto"));
    QCOMPARE(db::quoted(QStringLiteral("a\"b"), QLatin1Char('"')), QStringLiteral("\"a\"\"b\""));
}

// What the server is given for a statement written as for SQLite.
void TranslationTest::serverReadsTheStatementsAsWritten_data()
{
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("parameters");
    QTest::newRow("parameters in order, IS and IS NOT")
        << "select a from t where x = ? and y IS ? and z is not ?"
        << "select a from t where x = $1 and y IS NOT DISTINCT FROM $2 and z is DISTINCT FROM $3" << 3;
    QTest::newRow("numbered parameters, used twice")
        << "select a from t where (?2 is null or a = ?2) limit ?1" << "select a from t where ($2 is null or a = $2) limit $1"
        << 2;
    QTest::newRow("texts and quoted names untouched")
        << "select 'it''s ? ifnull(' || \"a ? b\" from t where ifnull(c, 0) = ?"
        << "select 'it''s ? ifnull(' || \"a ? b\" from t where coalesce(c, 0) = $1" << 1;
    QTest::newRow("a sign is a number's, a minus a subtraction")
        << "insert into t (a, b) values (-?, 3 - ?)" << "insert into t (a, b) values (-CAST($1 AS numeric), 3 - $2)" << 2;
    QTest::newRow("a subquery without a name gets one")
        << "select count(*) from (select 1 as n) where n = 0"
        << "select count(*) from (select 1 as n) AS tarvo_subquery_1 where n = 0" << 0;
    QTest::newRow("a named subquery and a call in a from clause keep theirs")
        << "select * from (select 1) x join (select 2) as y on 1 = 1 where a in (select b from t)"
        << "select * from (select 1) x join (select 2) as y on 1 = 1 where a in (select b from t)" << 0;
    QTest::newRow("the schema's names quoted in its spelling, functions and words not")
        << "INSERT INTO articoli (ART_DESCRIZIONE) SELECT lower(sc_codice_articolo) FROM [x] JOIN scarico"
        << "INSERT INTO \"Articoli\" (\"art_Descrizione\") SELECT lower(\"sc_Codice_Articolo\") FROM [x] JOIN \"scarico\""
        << 0;
}

void TranslationTest::serverReadsTheStatementsAsWritten()
{
    QFETCH(QString, sqlite);
    QFETCH(QString, server);
    QFETCH(int, parameters);
    TestDatabase db;
    int counted = -1;
    QCOMPARE(db::serverSql(sqlite, &db->connection()->catalog(), &counted), server);
    QCOMPARE(counted, parameters);
}

// tarvo.ini beside the database chooses the engine; what it must not hold
// or cannot name is refused with the file's path.
void TranslationTest::settingsChooseTheEngine_data()
{
    QTest::addColumn<QByteArray>("ini");       // "-": no file
    QTest::addColumn<bool>("server");
    QTest::addColumn<QString>("refusal");      // %1: the file
    QTest::newRow("no file") << QByteArray("-") << false << QString();
    QTest::newRow("sqlite") << QByteArray("[database]\ndriver=sqlite\n") << false << QString();
    QTest::newRow("another section only") << QByteArray("[stampa]\ndriver=postgresql\n") << false << QString();
    QTest::newRow("postgresql") << QByteArray("[database]\ndriver=PostgreSQL\ndbname=negozio\nhost=server\n")
                                << true << QString();
    QTest::newRow("unknown driver") << QByteArray("[database]\ndriver=oracle\n") << false
                                    << "Il file %1 indica un tipo di database sconosciuto: 'oracle' (ammessi: sqlite, postgresql).";
    QTest::newRow("a password") << QByteArray("[database]\ndriver=postgresql\npassword=segreta\n") << false
                                << "Il file %1 contiene una password: toglierla e scriverla nel file ~/.pgpass, "
                                   "leggibile solo dall'utente.";
}

void TranslationTest::settingsChooseTheEngine()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, server);
    QFETCH(QString, refusal);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("tarvo.ini"));
    if (ini != "-") {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(ini);
    }
    const QString database = folder.filePath(QStringLiteral("tarvo.mdb"));
    if (!refusal.isEmpty()) {
        QCOMPARE(expectDbError([&] { db::DatabaseSettings::beside(database); }).description(),
                 refusal.arg(QDir::toNativeSeparators(file)));
        return;
    }
    const db::DatabaseSettings settings = db::DatabaseSettings::beside(database);
    QCOMPARE(settings.onServer(), server);
    if (server) {
        QVERIFY(settings.identity().contains(QStringLiteral("dbname=negozio")));
        QVERIFY(settings.identity().contains(QStringLiteral("host=server")));
    }
}

QTEST_GUILESS_MAIN(TranslationTest)
#include "tst_db_translation.moc"
