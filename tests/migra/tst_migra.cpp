// tarvo-migra on a real server (a throwaway cluster around the test): a shop
// full of awkward values arrives cell for cell; a database that is not empty
// is refused and kept; a migration that fails anywhere leaves the target as
// it was; the server's text keys are the engine's.
#include "TestShopDatabase.h"
#include "tools/migra/MigraError.h"
#include "PgConnection.h"
#include "tools/migra/PgShopSchema.h"
#include "db/DatabaseCopy.h"
#include "db/TextKeys.h"

#include <QProcess>
#include <QUrl>
#include <QtTest>
#include <cstring>
#include <sqlite3.h>

using migra::PgConnection;
using migra::PgResult;

namespace {

const QString nothingWritten = QStringLiteral(
    " Migrazione annullata: nel database di destinazione non è stato scritto nulla.");

// Every kind of value the copy must keep: Nulls beside empty texts, quotes,
// backslashes (also one that reads like COPY's Null), tabs and newlines,
// accents and letters beyond Latin-1, dates at the edges of a day, -1/0,
// reals that need all their digits, counters beyond 32 bits, rowids with
// gaps, a counter's last row deleted, a fixed row of the schema removed.
const char hardRows[] = R"sql(
insert into Articoli (art_Codice, art_Descrizione, art_Fornitore, art_Prezzo_Carico, art_Prezzo_Listino,
    art_Quantita, art_Usato, art_Data_Ultima_Vendita, art_Note, art_Varie) values
  (1, 'Caffè "Moka" l''originale', 'ÀRMANI', 0.1, 19.99, 3, -1, '2026-12-31 23:59:59',
      'riga uno' || char(10) || 'riga due' || char(9) || 'colonna' || char(13) || char(10), ''),
  (2, 'C:\percorso\file \N \\', null, 5e-324, 1234567.891, -2.5, 0, '2026-01-01 00:00:00', null, null),
  (7, '', 'x', 0.30000000000000004, 1.7976931348623157e308, 0, 0, '2024-02-29', '\t', 'È già così'),
  (3000000000, 'Über Ça ĳ 😀', 'Forlì', 2.675, 1e-7, 1e15, -1, '1999-12-31', 'fine', null),
  (3000000005, 'cancellato', null, null, null, null, 0, null, null, null);
delete from Articoli where art_Codice = 3000000005;
insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Taglia, ca_Colore, ca_Quantita) values
  ('ÀBC-1', 1, 'XL', 'rosso', 5), ('via', 2, null, null, 0), ('abc\2', 3000000000, '', null, -7);
delete from [Codice Articolo] where ca_Codice = 'via';
insert into CodiciNegozio default values;
insert into CodiciNegozio default values;
insert into CodiciNegozio default values;
delete from CodiciNegozio where cn_Numero = 3;
insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('dopo', 7, 2147483648);
insert into carico (ca_Codice, ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) values
  (10, 'ÀBC-1', '2026-03-01', 2.5, 10, -1), (11, 'abc\2', '2026-03-01 00:00:01', 1, 0.01, 0);
insert into scarico (sc_Codice, sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo,
    sc_Pagamento, sc_Usato) values
  (5, 'abc\2', '2026-12-08 00:00:00', 1, 9.99, 0.1, null, 'CO', 0),
  (6, 'ÀBC-1', '2026-12-08 23:59:59', -1, 9.99, null, 9.99, 'BA', -1);
insert into Anagrafica (anag_Contatore, anag_Denominazione, anag_Località, anag_Nota, anag_Fornitore, anag_PEC,
    anag_Provincia) values
  (1, 'D''Annunzio & C. "srl"', 'Forlì', 'nota\con\backslash' || char(10) || 'su due righe', -1, 'a@pec.it', 'FC'),
  (4, 'Ünal Çelik', null, '', 0, null, null);
insert into Fattura (fat_Numero, fat_Data, fat_Codice_Cliente, fat_Descrizione_Pagamento, fat_Data_Pagamento,
    fat_Pagato, fat_Imponibile, fat_Nota) values
  ('2026/001', '2026-12-08', 1, 'Contanti', null, -1, 123.45, 'ok'),
  ('2026/002', '2026-12-09 23:59:59', null, null, '2027-01-31', 0, 0, null);
insert into [Dettaglio Fattura] (df_Numero_Fattura, df_Descrizione, df_Quantità, df_Prezzo, df_IVA, df_Importo) values
  ('2026/001', 'Riga con ''apici''', 1, 100, 3, 100), ('2026/001', 'via', 1, 1, 3, 1),
  ('2026/001', 'Riga' || char(9) || 'tre', 2, 11.725, 1, 23.45);
delete from [Dettaglio Fattura] where df_Descrizione = 'via';
insert into IVA (IVA_Codice, IVA_Descrizione, IVA_Aliquota, IVA_Natura) values (4, 'Esente art. 10', 0, 'N4');
insert into Prestazione (pre_Codice, pre_Descrizione) values (9, 'Servizio \ speciale');
delete from Pagamenti where pag_Codice = 'AS';
insert into Pagamenti (pag_Codice, pag_Descrizione) values ('RI', 'Rimessa diretta');
insert into Fornitore (fo_Descrizione) values ('Fornitore «uno»'), ('ÀRMANI');
insert into [Prima Nota] (pn_id, pn_Data, pn_Descrizione, pn_Fattura, pn_Uscita_Lire, pn_Uscita_Euro, pn_Note)
  values (2, '2026-12-08', 'Incasso', '2026/001', null, 123.45, null);
insert into [Nota Fornitori] (pn_id, pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro)
  values (1, '2001-12-31 12:00:00', 'Vecchia fattura in lire', 1000000, 516.46);
insert into Azienda (az_Codice, az_Denominazione, az_Partita_IVA, az_Progressivo_Invio)
  values (1, 'Negozio Zandri', '01234567890', 42);
)sql";

void run(const QString &path, const QString &sql)
{
    sqlite3 *handle = nullptr;
    sqlite3_open(path.toUtf8().constData(), &handle);
    char *error = nullptr;
    const int rc = sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString why = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(handle);
    if (rc != SQLITE_OK)
        qFatal("%s", qPrintable(why));
}

QString serverUrl(const QString &database)
{
    const QByteArray host = QUrl::toPercentEncoding(qEnvironmentVariable("PGHOST"));
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(qEnvironmentVariable("PGUSER"), QString::fromLatin1(host), qEnvironmentVariable("PGPORT"), database);
}

void createDatabase(const QString &name)
{
    PgConnection(qEnvironmentVariable("PGDATABASE")).exec(QStringLiteral("CREATE DATABASE ") + name);
}

struct Outcome {
    int exitCode;
    QString out;
    QString err;
};

Outcome migrate(const QString &source, const QString &target)
{
    QProcess tool;
    tool.start(QDir(qEnvironmentVariable("TARVO_PROGRAM_DIR")).filePath(QStringLiteral("tarvo-migra")),
               {source, QStringLiteral("--verso"), target});
    if (!tool.waitForFinished(120000))
        qFatal("tarvo-migra did not finish");
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError()).trimmed()};
}

qint64 tablesIn(const QString &database)
{
    return PgConnection(database).scalar(QStringLiteral(
        "SELECT count(*) FROM pg_class WHERE relkind = 'r' AND relnamespace = 'public'::regnamespace"));
}

// The file's tables that hold rows of the shop, as a SQLite shell lists them.
QStringList shopTables(sqlite3 *handle)
{
    QStringList out;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(handle, "select name from sqlite_schema where type = 'table' and name not like 'sqlite%' "
                               "and name not like 'ArticoliTrigrammi%' and name not like 'Vendite%' order by name", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return out;
}

// Every cell of every table of the file against the server, by rowid; the
// first difference, or an empty text.
QString differenceFrom(const QString &sourcePath, const QString &database)
{
    sqlite3 *handle = nullptr;
    sqlite3_open_v2(sourcePath.toUtf8().constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(handle, sqlite3_close);
    PgConnection server(database);
    const QStringList tables = shopTables(handle);
    // Beside the shop's tables, the version and the sales' summary.
    if (tables.size() + 3 != tablesIn(database))
        return QStringLiteral("%1 tables in the file, %2 on the server").arg(tables.size()).arg(tablesIn(database));
    // The summary the server summed from the sales it received is the one
    // the file kept.
    for (const QString &summary : {QStringLiteral("VenditeGiorno"), QStringLiteral("VenditeArticoli")}) {
        const QString select = QStringLiteral("SELECT * FROM \"%1\" ORDER BY 1, 2").arg(summary);
        const PgResult onServer = server.exec(select);
        sqlite3_stmt *row = nullptr;
        sqlite3_prepare_v2(handle, select.toUtf8().constData(), -1, &row, nullptr);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> finalizer(row, sqlite3_finalize);
        int r = 0;
        for (; sqlite3_step(row) == SQLITE_ROW; ++r)
            for (int c = 0; c < sqlite3_column_count(row); ++c) {
                const QString file = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, c)));
                if (r >= onServer.rows() || onServer.text(r, c) != file)
                    return QStringLiteral("%1: row %2, column %3: \"%4\" in the file").arg(summary).arg(r).arg(c).arg(file);
            }
        if (r != onServer.rows())
            return QStringLiteral("%1: %2 rows in the file, %3 on the server").arg(summary).arg(r).arg(onServer.rows());
    }
    for (const QString &table : tables) {
        const PgResult columns = server.exec(QStringLiteral(
            "SELECT attname, format_type(atttypid, atttypmod) FROM pg_attribute WHERE attrelid = %1::regclass "
            "AND attnum > 0 AND NOT attisdropped AND attname <> 'rowid' ORDER BY attnum")
            .arg(PgConnection::quotedLiteral(PgConnection::quotedIdentifier(table))));
        QString list = QStringLiteral("rowid");
        for (int c = 0; c < columns.rows(); ++c)
            list += QStringLiteral(", ") + PgConnection::quotedIdentifier(columns.text(c, 0));
        const QString select = QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                   .arg(list, PgConnection::quotedIdentifier(table));
        const PgResult onServer = server.exec(select);
        sqlite3_stmt *row = nullptr;
        sqlite3_prepare_v2(handle, select.toUtf8().constData(), -1, &row, nullptr);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> finalizer(row, sqlite3_finalize);
        int r = 0;
        for (; sqlite3_step(row) == SQLITE_ROW; ++r) {
            if (r >= onServer.rows())
                return QStringLiteral("%1: row %2 missing on the server").arg(table).arg(r);
            for (int c = 0; c <= columns.rows(); ++c) {
                const QString where = QStringLiteral("%1, rowid %2, column %3")
                                          .arg(table).arg(sqlite3_column_int64(row, 0)).arg(c);
                const QString type = c == 0 ? QStringLiteral("bigint") : columns.text(c - 1, 1);
                const bool null = sqlite3_column_type(row, c) == SQLITE_NULL;
                if (null != onServer.isNull(r, c))
                    return where + QStringLiteral(": Null on one side only");
                if (null)
                    continue;
                const QString there = onServer.text(r, c);
                if (type == QLatin1String("double precision")) {
                    const double here = sqlite3_column_double(row, c);
                    const double parsed = std::strtod(there.toUtf8().constData(), nullptr);
                    if (std::memcmp(&here, &parsed, sizeof here) != 0)
                        return where + QStringLiteral(": %1 against %2").arg(here, 0, 'g', 17).arg(there);
                    continue;
                }
                QString file = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(row, c)),
                                                 sqlite3_column_bytes(row, c));
                if (type.startsWith(QLatin1String("timestamp")) && file.size() == 10)
                    file += QStringLiteral(" 00:00:00");
                if (file != there)
                    return where + QStringLiteral(": \"%1\" against \"%2\"").arg(file, there);
            }
        }
        if (r != onServer.rows())
            return QStringLiteral("%1: %2 rows in the file, %3 on the server").arg(table).arg(r).arg(onServer.rows());
    }
    return QString();
}

} // namespace

class TestMigra : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void copiesEveryCell();
    void refusesTargetNotEmpty();
    void searchesUseTheKeyIndexes_data();
    void searchesUseTheKeyIndexes();
    void failureLeavesTargetEmpty_data();
    void failureLeavesTargetEmpty();
    void textKeysAsTheEngine_data();
    void textKeysAsTheEngine();

private:
    std::unique_ptr<TestShopDatabase> m_shop;
};

void TestMigra::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("PGPORT"), "run under pg_virtualenv");
    m_shop = std::make_unique<TestShopDatabase>();
    run(m_shop->path(), QString::fromUtf8(hardRows));
}

void TestMigra::copiesEveryCell()
{
    createDatabase(QStringLiteral("negozio"));
    const Outcome outcome = migrate(m_shop->path(), serverUrl(QStringLiteral("negozio")));
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.err));
    QVERIFY2(outcome.out.contains(QStringLiteral("Tabella \"Articoli\" (2 di 20): 4 righe copiate.\n")),
             qPrintable(outcome.out));
    QVERIFY(outcome.out.endsWith(QStringLiteral("Migrazione completata nel database \"negozio\".\n")));
    const QString difference = differenceFrom(m_shop->path(), QStringLiteral("negozio"));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    PgConnection server(QStringLiteral("negozio"));
    QCOMPARE(server.scalar(QStringLiteral("SELECT version FROM tarvo_schema")), qint64(9));
    // New rows continue after the copied ones: a counter never repeats the
    // number of a row deleted at the end, a table's rowid goes on past gaps.
    server.exec(QStringLiteral("BEGIN"));
    const PgResult article = server.exec(QStringLiteral(
        "INSERT INTO \"Articoli\" (\"art_Descrizione\") VALUES ('nuovo') RETURNING \"art_Codice\", rowid"));
    QCOMPARE(article.integer(0, 0), qint64(3000000006));
    QCOMPARE(article.integer(0, 1), qint64(3000000006));
    QCOMPARE(server.scalar(QStringLiteral("INSERT INTO \"Codice Articolo\" (\"ca_Codice\") VALUES ('nuovo') "
                                          "RETURNING rowid")), qint64(5));
    QCOMPARE(server.scalar(QStringLiteral("INSERT INTO \"Prestazione\" (\"pre_Descrizione\") VALUES ('nuova') "
                                          "RETURNING \"pre_Codice\"")), qint64(10));
    // The store codes' counter goes on past the number last given.
    QCOMPARE(server.scalar(QStringLiteral("INSERT INTO \"CodiciNegozio\" DEFAULT VALUES RETURNING \"cn_Numero\"")),
             qint64(4));
    server.exec(QStringLiteral("ROLLBACK"));
    // Unique keys on the folded text, as in the file: "co" is "CO".
    QVERIFY_THROWS_EXCEPTION(migra::MigraError,
        server.exec(QStringLiteral("INSERT INTO \"Pagamenti\" (\"pag_Codice\") VALUES ('co')")));
}

void TestMigra::refusesTargetNotEmpty()
{
    const Outcome outcome = migrate(m_shop->path(), serverUrl(QStringLiteral("negozio")));
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.err, QStringLiteral(
        "tarvo-migra: Il database di destinazione \"negozio\" non è vuoto: contiene già 57 tabelle, viste o "
        "sequenze (tra cui public.\"Anagrafica\"). La migrazione scrive solo in un database vuoto; non è stato "
        "scritto nulla."));
    QVERIFY(outcome.out.isEmpty());
    const QString difference = differenceFrom(m_shop->path(), QStringLiteral("negozio"));
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// The text columns' "C" collation lets a plain btree on a key serve a prefix
// "like"; the trigram index serves any part of a description.
void TestMigra::searchesUseTheKeyIndexes_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("index");
    QTest::newRow("code by prefix") << "FROM \"Codice Articolo\" WHERE tarvo_key(\"ca_Codice\") LIKE 'abc%'"
                                    << "CodiceArticolo_Codice";
    QTest::newRow("description by prefix") << "FROM \"Articoli\" WHERE tarvo_sort(\"art_Descrizione\") LIKE 'caf%'"
                                           << "Articoli_Descrizione";
    QTest::newRow("description in order") << "FROM \"Articoli\" ORDER BY tarvo_sort(\"art_Descrizione\")"
                                          << "Articoli_Descrizione";
    QTest::newRow("part of a description") << "FROM \"Articoli\" WHERE tarvo_key(\"art_Descrizione\") LIKE '%moka%'"
                                           << "ArticoliTrigrammi";
}

void TestMigra::searchesUseTheKeyIndexes()
{
    QFETCH(QString, condition);
    QFETCH(QString, index);
    PgConnection server(QStringLiteral("negozio"));
    // A handful of rows: without this the server would rightly read them all.
    server.exec(QStringLiteral("SET enable_seqscan = off"));
    const PgResult plan = server.exec(QStringLiteral("EXPLAIN SELECT * ") + condition);
    QString text;
    for (int row = 0; row < plan.rows(); ++row)
        text += plan.text(row, 0) + QLatin1Char('\n');
    QVERIFY2(text.contains(QStringLiteral("Index Scan on \"%1\"").arg(index))
                 || text.contains(QStringLiteral("Index Scan using \"%1\"").arg(index)),
             qPrintable(text));
}

void TestMigra::failureLeavesTargetEmpty_data()
{
    QTest::addColumn<QString>("fileChange");   // SQL on a copy of the shop
    QTest::addColumn<QString>("serverChange"); // SQL on the target before
    QTest::addColumn<bool>("passwordInUrl");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");      // stderr; with '*': its start

    QTest::newRow("impossible date") << "update scarico set sc_Data = '2026-02-30' where sc_Codice = 6" << ""
        << false << 1 << "tarvo-migra: Copia della tabella \"scarico\" non riuscita: date/time field value out of "
                         "range: \"2026-02-30\"*";
    QTest::newRow("text in a number") << "update carico set ca_Quantita = 'due' where ca_Codice = 11" << ""
        << false << 1 << "tarvo-migra: Copia della tabella \"carico\" non riuscita: invalid input syntax for type "
                         "double precision: \"due\"*";
    // The server drops a row as it arrives: the count at the end sees it.
    QTest::newRow("row lost on the way") << ""
        << "CREATE SCHEMA prova;"
           "CREATE FUNCTION prova.salta() RETURNS trigger LANGUAGE plpgsql AS "
           "$$BEGIN IF NEW.\"pre_Codice\" = 2 THEN RETURN NULL; END IF; RETURN NEW; END$$;"
           "CREATE FUNCTION prova.arma() RETURNS event_trigger LANGUAGE plpgsql AS $$BEGIN "
           "IF to_regclass('public.\"Prestazione\"') IS NOT NULL AND NOT EXISTS "
           "(SELECT 1 FROM pg_trigger WHERE tgname = 'salta') THEN "
           "CREATE TRIGGER salta BEFORE INSERT ON public.\"Prestazione\" FOR EACH ROW EXECUTE FUNCTION prova.salta();"
           "END IF; END$$;"
           "CREATE EVENT TRIGGER arma ON ddl_command_end EXECUTE FUNCTION prova.arma();"
        << false << 1
        << "tarvo-migra: La tabella \"Prestazione\" ha 5 righe nell'archivio e 4 nel database di destinazione."
           + nothingWritten;
    QTest::newRow("column unknown to the server") << "alter table Fornitore add column fo_Nota TEXT" << ""
        << false << 1 << "tarvo-migra: La colonna \"fo_Nota\" della tabella \"Fornitore\" dell'archivio non è nello "
                         "schema del server." + nothingWritten;
    QTest::newRow("older file") << "pragma user_version = 2" << "" << false << 1
        << QString("tarvo-migra: L'archivio %1 è della versione 2 dello schema, tarvo-migra copia la versione 9: "
                   "aprirlo prima con Tarvo, che lo aggiorna, e ripetere la migrazione. Non è stato scritto nulla.");
    QTest::newRow("password in the address") << "" << "" << true << 2
        << "tarvo-migra: La password non va scritta nell'indirizzo: tarvo-migra la legge da PGPASSWORD o da "
           "~/.pgpass (un file leggibile solo dall'utente).";
}

void TestMigra::failureLeavesTargetEmpty()
{
    QFETCH(QString, fileChange);
    QFETCH(QString, serverChange);
    QFETCH(bool, passwordInUrl);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const QString source = m_shop->folder() + QStringLiteral("/copia-%1.mdb").arg(QTest::currentDataTag()).replace(' ', '-');
    sqlite3 *handle = nullptr;
    sqlite3_open(m_shop->path().toUtf8().constData(), &handle);
    db::copyDatabase(handle, source);
    sqlite3_close(handle);
    if (!fileChange.isEmpty())
        run(source, fileChange);
    const QString database = QStringLiteral("prova_%1").arg(QTest::currentDataTag()).replace(' ', '_');
    createDatabase(database);
    if (!serverChange.isEmpty())
        PgConnection(database).exec(serverChange);
    QString url = serverUrl(database);
    if (passwordInUrl)
        url.replace(QStringLiteral("://%1@").arg(qEnvironmentVariable("PGUSER")),
                    QStringLiteral("://%1:segreta@").arg(qEnvironmentVariable("PGUSER")));

    const Outcome outcome = migrate(source, url);
    QCOMPARE(outcome.exitCode, exitCode);
    if (message.contains(QLatin1String("%1")))
        message = message.arg(source);
    if (message.endsWith(QLatin1Char('*'))) {
        QVERIFY2(outcome.err.startsWith(message.chopped(1)), qPrintable(outcome.err));
        QVERIFY2(outcome.err.endsWith(nothingWritten), qPrintable(outcome.err));
    } else {
        QCOMPARE(outcome.err, message);
    }
    QCOMPARE(tablesIn(database), qint64(0));
}

void TestMigra::textKeysAsTheEngine_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("accented capitals") << QString("ÀÁÈÉÌÍÒÓÙÚ àáèéìíòóùú");
    QTest::newRow("mixed case") << QString("CaFFè PeRCHÉ Città");
    QTest::newRow("beyond Italian") << QString("Über Ça ÑANDÚ ŒUVRE ĳ");
    QTest::newRow("quotes and signs") << QString("l'\"X\" \\ 100% _a_ 😀");
    QTest::newRow("empty") << QString("");
}

void TestMigra::textKeysAsTheEngine()
{
    QFETCH(QString, text);
    static bool made = false;
    if (!made) {
        createDatabase(QStringLiteral("chiavi"));
        PgConnection(QStringLiteral("chiavi")).exec(migra::pgShopSchema());
        made = true;
    }
    sqlite3 *handle = nullptr;
    sqlite3_open(":memory:", &handle);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> closer(handle, sqlite3_close);
    const QByteArray sql = QStringLiteral("select %1, %2")
                               .arg(db::foldedTextKey(QStringLiteral("?1")), db::sortTextKey(QStringLiteral("?1")))
                               .toUtf8();
    sqlite3_stmt *statement = nullptr;
    QCOMPARE(sqlite3_prepare_v2(handle, sql.constData(), -1, &statement, nullptr), SQLITE_OK);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
    const QString folded = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    const QString sorted = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 1)));
    sqlite3_finalize(statement);

    const PgResult keys = PgConnection(QStringLiteral("chiavi")).exec(
        QStringLiteral("SELECT tarvo_key(%1), tarvo_sort(%1)").arg(PgConnection::quotedLiteral(text)));
    QCOMPARE(keys.text(0, 0), folded);
    QCOMPARE(keys.text(0, 1), sorted);
    QCOMPARE(folded, db::foldedText(text));
}

QTEST_GUILESS_MAIN(TestMigra)
#include "tst_migra.moc"
