#include "SchemaVersions.h"

#include "Connection.h"
#include "db/Database.h"

#include "DatabaseCopy.h"
#include "EngineErrors.h"
#include "SalesSummary.h"
#include "TextKeys.h"

#include <QStringList>
#include <sqlite3.h>

namespace db {

namespace {

void run(sqlite3 *handle, const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_exec(handle, utf8.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw errors::fromSqlite(handle, rc, sql);
}

QStringList names(sqlite3 *handle, const char *sql)
{
    QStringList out;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK)
        while (sqlite3_step(statement) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return out;
}

QString quoted(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// Version 1: any part of a description is found through a trigram index of
// the descriptions, kept in step with Articoli by triggers.
void addTrigramSearch(sqlite3 *handle)
{
    if (!names(handle, "select name from sqlite_schema where name = 'ArticoliTrigrammi'").isEmpty())
        return;
    run(handle, QStringLiteral(
        "CREATE VIRTUAL TABLE ArticoliTrigrammi USING fts5(art_Descrizione, content='Articoli', "
        "content_rowid='art_Codice', tokenize='trigram');"
        "CREATE TRIGGER ArticoliTrigrammi_Inserimento AFTER INSERT ON Articoli BEGIN "
        "INSERT INTO ArticoliTrigrammi (rowid, art_Descrizione) VALUES (new.art_Codice, new.art_Descrizione); END;"
        "CREATE TRIGGER ArticoliTrigrammi_Eliminazione AFTER DELETE ON Articoli BEGIN "
        "INSERT INTO ArticoliTrigrammi (ArticoliTrigrammi, rowid, art_Descrizione) "
        "VALUES ('delete', old.art_Codice, old.art_Descrizione); END;"
        "CREATE TRIGGER ArticoliTrigrammi_Modifica AFTER UPDATE OF art_Codice, art_Descrizione ON Articoli BEGIN "
        "INSERT INTO ArticoliTrigrammi (ArticoliTrigrammi, rowid, art_Descrizione) "
        "VALUES ('delete', old.art_Codice, old.art_Descrizione); "
        "INSERT INTO ArticoliTrigrammi (rowid, art_Descrizione) VALUES (new.art_Codice, new.art_Descrizione); END;"
        "INSERT INTO ArticoliTrigrammi (ArticoliTrigrammi) VALUES ('rebuild');"));
}

// Version 2: the schema names no collation of the program's own, so that
// any SQLite tool reads the file. Only the schema's text changes: the rows
// of a table are stored alike whatever its columns' collation; the indexes
// whose order depended on it are built again, on the text keys.
void dropDeclaredCollation(sqlite3 *handle)
{
    const QStringList oldIndexes = names(handle,
        "select name from sqlite_schema where type = 'index' and instr(sql, 'TESTO') > 0 "
        "or name in ('Articoli_Descrizione', 'Articoli_Fornitore', 'carico_CodiceArticolo', "
        "'scarico_CodiceArticolo', 'Anagrafica_Denominazione', 'DettaglioFattura_Numero')");
    for (const QString &index : oldIndexes)
        run(handle, QStringLiteral("drop index ") + quoted(index));
    const QStringList tables = names(handle,
        "select name from sqlite_schema where type = 'table' and instr(sql, ' COLLATE TESTO') > 0");
    if (!tables.isEmpty()) {
        run(handle, QStringLiteral("pragma writable_schema = on"));
        run(handle, QStringLiteral("update sqlite_schema set sql = replace(sql, ' COLLATE TESTO', '') "
                                   "where type = 'table' and instr(sql, ' COLLATE TESTO') > 0"));
        run(handle, QStringLiteral("pragma writable_schema = reset"));
        run(handle, QStringLiteral("pragma writable_schema = off"));
        if (!names(handle, "select name from sqlite_schema where instr(sql, 'COLLATE TESTO') > 0").isEmpty())
            throw DbError(ErrorKind::General, 3000,
                          QStringLiteral("La collazione TESTO è ancora nominata nello schema."));
    }
    // Keys declared in the tables (a text primary key) were ordered by the
    // collation: their own indexes are sorted again.
    QStringList reindexed;
    for (const QString &table : tables) {
        QByteArray like = "select name from sqlite_schema where type = 'index' and sql is null and tbl_name = '";
        like += QString(table).replace(QLatin1Char('\''), QLatin1String("''")).toUtf8() + "'";
        for (const QString &index : names(handle, like.constData())) {
            run(handle, QStringLiteral("reindex ") + quoted(index));
            reindexed << table;
        }
    }
    createTextKeyIndexes(handle);
    // The tables whose own key index was sorted again are checked whole
    // before the step commits (the new indexes are SQLite's own work).
    for (const QString &table : std::as_const(reindexed)) {
        sqlite3_stmt *check = nullptr;
        const QByteArray sql = "pragma integrity_check(" + quoted(table).toUtf8() + ")";
        QString result;
        if (sqlite3_prepare_v2(handle, sql.constData(), -1, &check, nullptr) == SQLITE_OK
            && sqlite3_step(check) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)));
        sqlite3_finalize(check);
        if (result != QLatin1String("ok"))
            throw DbError(ErrorKind::General, 3000,
                          QStringLiteral("Controllo della tabella %1 dopo l'aggiornamento: %2").arg(table, result));
    }
}

// Version 3: electronic invoices. The shop's fiscal identity (one row), the
// customer's addressing of the exchange system and province, the nature of
// a VAT code without tax. Only additions: every row stays as it was.
void addElectronicInvoicing(sqlite3 *handle)
{
    run(handle, QStringLiteral(
        "CREATE TABLE Azienda ("
        " az_Codice INTEGER PRIMARY KEY CHECK (az_Codice = 1),"
        " az_Denominazione TEXT,"
        " az_Partita_IVA TEXT,"
        " az_Codice_Fiscale TEXT,"
        " az_Regime_Fiscale TEXT DEFAULT 'RF01',"
        " az_Indirizzo TEXT,"
        " az_CAP TEXT,"
        " az_Comune TEXT,"
        " az_Provincia TEXT,"
        " az_Nazione TEXT DEFAULT 'IT',"
        " az_REA TEXT,"
        " az_Telefono TEXT,"
        " az_Email TEXT,"
        " az_Progressivo_Invio LONG NOT NULL DEFAULT 0"
        " );"
        "alter table Anagrafica add column anag_Codice_Destinatario TEXT;"
        "alter table Anagrafica add column anag_PEC TEXT;"
        "alter table Anagrafica add column anag_Provincia TEXT;"
        "alter table IVA add column IVA_Natura TEXT;"));
    // With it the text indexes added since version 2 (the invoice order, the
    // invoice lines' exact numbers); those already there are kept.
    createTextKeyIndexes(handle);
}

// Version 4: indexes for the lists sorted by price (a period of loads or
// sales read in price order, not sorted whole) and for the article grid by
// the date of the last sale; then the statistics of the two movement
// tables, from a sample, without which SQLite would rather sort the period
// than walk the price index.
const QString sortedListIndexes = QStringLiteral(
    "CREATE INDEX IF NOT EXISTS carico_PrezzoData ON carico (ca_Prezzo, ca_Data);"
    "CREATE INDEX IF NOT EXISTS scarico_PrezzoData ON scarico (sc_Prezzo, sc_Data);"
    "CREATE INDEX IF NOT EXISTS Articoli_DataUltimaVendita ON Articoli (art_Data_Ultima_Vendita);");

void addSortedListIndexes(sqlite3 *handle)
{
    run(handle, sortedListIndexes);
    run(handle, QStringLiteral("pragma analysis_limit = 1000; analyze carico; analyze scarico; "
                               "pragma analysis_limit = 0;"));
}

// Version 5: the counter of the bar codes the shop makes itself. A number
// is a row; AUTOINCREMENT keeps the highest ever given in sqlite_sequence,
// so that no number comes back after its row or its item is deleted.
void addStoreBarcodeCounter(sqlite3 *handle)
{
    run(handle, QStringLiteral("CREATE TABLE CodiciNegozio (cn_Numero INTEGER PRIMARY KEY AUTOINCREMENT);"));
}

// Version 6: the stock take and what to reorder. A count (Inventari) keeps
// what was counted of each item (InventarioConteggi) until it is posted; the
// differences it posts are movements of their own (Rettifiche), neither loads
// nor sales. An item may have a minimum stock (empty: none).
void addStockTake(sqlite3 *handle)
{
    run(handle, QStringLiteral(
        "CREATE TABLE Inventari ("
        " inv_Codice INTEGER PRIMARY KEY AUTOINCREMENT,"
        " inv_Data DATE,"
        " inv_Fornitore TEXT,"
        " inv_Descrizione TEXT,"
        " inv_Azzera_Non_Contati YESNO DEFAULT 0,"
        " inv_Registrato YESNO DEFAULT 0,"
        " inv_Data_Registrazione DATE,"
        " inv_Note TEXT"
        " );"
        "CREATE TABLE InventarioConteggi ("
        " ic_Codice INTEGER PRIMARY KEY AUTOINCREMENT,"
        " ic_Inventario LONG NOT NULL,"
        " ic_Codice_Articolo TEXT NOT NULL,"
        " ic_Contato LONG NOT NULL DEFAULT 0,"
        " ic_Giacenza LONG"
        " );"
        "CREATE UNIQUE INDEX InventarioConteggi_Articolo ON InventarioConteggi (ic_Inventario, ic_Codice_Articolo);"
        "CREATE TABLE Rettifiche ("
        " re_Codice INTEGER PRIMARY KEY AUTOINCREMENT,"
        " re_Codice_Articolo TEXT,"
        " re_Data DATE,"
        " re_Quantita DOUBLE,"
        " re_Inventario LONG"
        " );"
        "CREATE INDEX Rettifiche_Data ON Rettifiche (re_Data);"
        "CREATE INDEX Rettifiche_Inventario ON Rettifiche (re_Inventario);"
        "alter table [Codice Articolo] add column ca_Scorta_Minima LONG;"
        "CREATE INDEX CodiceArticolo_ScortaMinima ON [Codice Articolo] (ca_Scorta_Minima) "
        "WHERE ca_Scorta_Minima IS NOT NULL;"));
    createTextKeyIndexes(handle);
}

// Version 7: suppliers' electronic invoices read into the shop. Each invoice
// imported (its file's name and fingerprint, so that it is never loaded
// twice and can be traced), and the supplier's own article codes as the
// user matched them to the shop's items.
void addSupplierInvoices(sqlite3 *handle)
{
    run(handle, QStringLiteral(
        "CREATE TABLE FattureFornitori ("
        " ff_Codice INTEGER PRIMARY KEY AUTOINCREMENT,"
        " ff_Fornitore LONG,"
        " ff_Partita_IVA TEXT,"
        " ff_Numero TEXT,"
        " ff_Data DATE,"
        " ff_Totale DOUBLE,"
        " ff_File TEXT,"
        " ff_Impronta TEXT,"
        " ff_Firmatario TEXT,"
        " ff_Data_Importazione DATE"
        " );"
        "CREATE UNIQUE INDEX FattureFornitori_Numero ON FattureFornitori (ff_Partita_IVA, ff_Numero, ff_Data);"
        "CREATE TABLE CodiciFornitori ("
        " cf_Codice INTEGER PRIMARY KEY AUTOINCREMENT,"
        " cf_Partita_IVA TEXT,"
        " cf_Tipo TEXT,"
        " cf_Valore TEXT,"
        " cf_Codice_Articolo TEXT"
        " );"
        "CREATE UNIQUE INDEX CodiciFornitori_Codice ON CodiciFornitori (cf_Partita_IVA, cf_Tipo, cf_Valore);"));
}

// Version 8: the sales summed by day and payment, and by period and article,
// for the statistics; kept by triggers, filled here from the sales.
void addSalesSummary(sqlite3 *handle)
{
    run(handle, QStringLiteral(
        "CREATE TABLE VenditeGiorno ("
        " vg_Data TEXT NOT NULL,"
        " vg_Pagamento TEXT NOT NULL,"
        " vg_Vendite LONG NOT NULL,"
        " vg_Pezzi_Millesimi LONG NOT NULL,"
        " vg_Incasso_Centesimi LONG NOT NULL,"
        " vg_Sconti_Centesimi LONG NOT NULL,"
        " PRIMARY KEY (vg_Data, vg_Pagamento)"
        " ) WITHOUT ROWID;"
        "CREATE TABLE VenditeArticoli ("
        " va_Periodo TEXT NOT NULL,"
        " va_Articolo LONG NOT NULL,"
        " va_Vendite LONG NOT NULL,"
        " va_Pezzi_Millesimi LONG NOT NULL,"
        " va_Incasso_Centesimi LONG NOT NULL,"
        " PRIMARY KEY (va_Periodo, va_Articolo)"
        " ) WITHOUT ROWID;"));
    createSalesSummaryTriggers(handle);
    rebuildSalesSummary(handle);
}

// Version 9: the sales of a period read from an index that holds what the
// stock at a date needs of each (its item and quantity), in date order: the
// stock value at a past day reads the sales after it there rather than the
// whole table.
void addSalesByDateIndex(sqlite3 *handle)
{
    run(handle, QStringLiteral("CREATE INDEX IF NOT EXISTS scarico_DataArticolo ON scarico "
                               "(sc_Data, sc_Codice_Articolo, sc_Quantita);"));
}

} // namespace

const std::vector<SchemaVersions::Step> &SchemaVersions::steps()
{
    static const std::vector<Step> all = {
        {1, QStringLiteral("ricerca di una parte qualsiasi della descrizione"), addTrigramSearch},
        {2, QStringLiteral("file leggibile da ogni programma SQLite"), dropDeclaredCollation},
        {3, QStringLiteral("fatture elettroniche"), addElectronicInvoicing},
        {4, QStringLiteral("elenchi ordinati per prezzo e per data dell'ultima vendita"), addSortedListIndexes},
        {5, QStringLiteral("codici a barre del negozio"), addStoreBarcodeCounter},
        {6, QStringLiteral("inventario e sottoscorta"), addStockTake},
        {7, QStringLiteral("fatture elettroniche dei fornitori"), addSupplierInvoices},
        {8, QStringLiteral("statistiche delle vendite"), addSalesSummary},
        {9, QStringLiteral("valore del magazzino a una data"), addSalesByDateIndex},
    };
    return all;
}

int SchemaVersions::latest()
{
    return steps().back().version;
}

int SchemaVersions::versionOf(sqlite3 *handle)
{
    sqlite3_stmt *statement = nullptr;
    int version = -1;
    if (sqlite3_prepare_v2(handle, "pragma user_version", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    if (version < 0)
        throw errors::fromSqlite(handle, sqlite3_errcode(handle), QStringLiteral("pragma user_version"));
    return version;
}

QString SchemaVersions::newerDatabaseMessage(int version)
{
    return QStringLiteral("Il database è della versione %1, più recente di questo programma (che arriva alla "
                          "versione %2). Installare la versione aggiornata del programma; il database non è "
                          "stato modificato.").arg(version).arg(latest());
}

void SchemaVersions::upgrade(sqlite3 *handle, const std::function<void(int)> &beforeStep)
{
    int version = versionOf(handle);
    if (version > latest())
        throw DbError(ErrorKind::General, 3000, newerDatabaseMessage(version));
    for (const Step &step : steps()) {
        if (step.version <= version)
            continue;
        if (beforeStep)
            beforeStep(version);
        run(handle, QStringLiteral("begin immediate"));
        try {
            step.apply(handle);
            run(handle, QStringLiteral("pragma user_version = %1").arg(step.version));
            run(handle, QStringLiteral("commit"));
        } catch (...) {
            if (!sqlite3_get_autocommit(handle))
                sqlite3_exec(handle, "rollback", nullptr, nullptr, nullptr);
            throw;
        }
        version = step.version;
    }
}

const std::vector<SchemaVersions::ServerStep> &SchemaVersions::serverSteps()
{
    static const std::vector<ServerStep> steps = {
        {4, QStringLiteral("elenchi ordinati per prezzo e per data dell'ultima vendita"),
         QStringLiteral("CREATE INDEX IF NOT EXISTS \"carico_PrezzoData\" ON carico (\"ca_Prezzo\", \"ca_Data\");"
                        "CREATE INDEX IF NOT EXISTS \"scarico_PrezzoData\" ON scarico (\"sc_Prezzo\", \"sc_Data\");"
                        "CREATE INDEX IF NOT EXISTS \"Articoli_DataUltimaVendita\" ON \"Articoli\" "
                        "(\"art_Data_Ultima_Vendita\");"
                        "ANALYZE carico; ANALYZE scarico;")},
        // The counter's identity is a sequence: a number taken is never
        // given back, whatever becomes of the transaction that took it.
        {5, QStringLiteral("codici a barre del negozio"),
         QStringLiteral("CREATE TABLE \"CodiciNegozio\" ("
                        "\"cn_Numero\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
                        " rowid bigint GENERATED BY DEFAULT AS IDENTITY);"
                        "CREATE UNIQUE INDEX \"CodiciNegozio_rowid\" ON \"CodiciNegozio\" (rowid);")},
        {6, QStringLiteral("inventario e sottoscorta"), QStringLiteral(
             "CREATE TABLE \"Inventari\" ("
             "\"inv_Codice\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
             " \"inv_Data\" timestamp,"
             " \"inv_Fornitore\" text COLLATE \"C\","
             " \"inv_Descrizione\" text COLLATE \"C\","
             " \"inv_Azzera_Non_Contati\" integer DEFAULT 0,"
             " \"inv_Registrato\" integer DEFAULT 0,"
             " \"inv_Data_Registrazione\" timestamp,"
             " \"inv_Note\" text COLLATE \"C\","
             " rowid bigint GENERATED BY DEFAULT AS IDENTITY);"
             "CREATE UNIQUE INDEX \"Inventari_rowid\" ON \"Inventari\" (rowid);"
             "CREATE TABLE \"InventarioConteggi\" ("
             "\"ic_Codice\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
             " \"ic_Inventario\" bigint NOT NULL,"
             " \"ic_Codice_Articolo\" text COLLATE \"C\" NOT NULL,"
             " \"ic_Contato\" bigint NOT NULL DEFAULT 0,"
             " \"ic_Giacenza\" bigint,"
             " rowid bigint GENERATED BY DEFAULT AS IDENTITY);"
             "CREATE UNIQUE INDEX \"InventarioConteggi_rowid\" ON \"InventarioConteggi\" (rowid);"
             "CREATE UNIQUE INDEX \"InventarioConteggi_Articolo\" ON \"InventarioConteggi\" "
             "(\"ic_Inventario\", \"ic_Codice_Articolo\");"
             "CREATE TABLE \"Rettifiche\" ("
             "\"re_Codice\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
             " \"re_Codice_Articolo\" text COLLATE \"C\","
             " \"re_Data\" timestamp,"
             " \"re_Quantita\" double precision,"
             " \"re_Inventario\" bigint,"
             " rowid bigint GENERATED BY DEFAULT AS IDENTITY);"
             "CREATE UNIQUE INDEX \"Rettifiche_rowid\" ON \"Rettifiche\" (rowid);"
             "CREATE INDEX \"Rettifiche_Data\" ON \"Rettifiche\" (\"re_Data\");"
             "CREATE INDEX \"Rettifiche_Inventario\" ON \"Rettifiche\" (\"re_Inventario\");"
             "CREATE INDEX \"Rettifiche_CodiceArticolo\" ON \"Rettifiche\" (tarvo_key(\"re_Codice_Articolo\"));"
             "ALTER TABLE \"Codice Articolo\" ADD COLUMN \"ca_Scorta_Minima\" bigint;"
             "CREATE INDEX \"CodiceArticolo_ScortaMinima\" ON \"Codice Articolo\" (\"ca_Scorta_Minima\") "
             "WHERE \"ca_Scorta_Minima\" IS NOT NULL;")},
        {7, QStringLiteral("fatture elettroniche dei fornitori"), QStringLiteral(
             "CREATE TABLE \"FattureFornitori\" ("
             "\"ff_Codice\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
             " \"ff_Fornitore\" bigint,"
             " \"ff_Partita_IVA\" text COLLATE \"C\","
             " \"ff_Numero\" text COLLATE \"C\","
             " \"ff_Data\" timestamp,"
             " \"ff_Totale\" double precision,"
             " \"ff_File\" text COLLATE \"C\","
             " \"ff_Impronta\" text COLLATE \"C\","
             " \"ff_Firmatario\" text COLLATE \"C\","
             " \"ff_Data_Importazione\" timestamp,"
             " rowid bigint GENERATED BY DEFAULT AS IDENTITY);"
             "CREATE UNIQUE INDEX \"FattureFornitori_rowid\" ON \"FattureFornitori\" (rowid);"
             "CREATE UNIQUE INDEX \"FattureFornitori_Numero\" ON \"FattureFornitori\" "
             "(\"ff_Partita_IVA\", \"ff_Numero\", \"ff_Data\");"
             "CREATE TABLE \"CodiciFornitori\" ("
             "\"cf_Codice\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
             " \"cf_Partita_IVA\" text COLLATE \"C\","
             " \"cf_Tipo\" text COLLATE \"C\","
             " \"cf_Valore\" text COLLATE \"C\","
             " \"cf_Codice_Articolo\" text COLLATE \"C\","
             " rowid bigint GENERATED BY DEFAULT AS IDENTITY);"
             "CREATE UNIQUE INDEX \"CodiciFornitori_rowid\" ON \"CodiciFornitori\" (rowid);"
             "CREATE UNIQUE INDEX \"CodiciFornitori_Codice\" ON \"CodiciFornitori\" "
             "(\"cf_Partita_IVA\", \"cf_Tipo\", \"cf_Valore\");")},
        {8, QStringLiteral("statistiche delle vendite"), serverSalesSummaryScript()},
        {9, QStringLiteral("valore del magazzino a una data"),
         QStringLiteral("CREATE INDEX IF NOT EXISTS \"scarico_DataArticolo\" ON scarico "
                        "(\"sc_Data\", \"sc_Codice_Articolo\", \"sc_Quantita\");")},
    };
    return steps;
}

int SchemaVersions::versionOf(Database &database)
{
    if (!database.onServer())
        return versionOf(database.handle());
    const QString sql = QStringLiteral("select max(version) from tarvo_schema");
    Statement *statement = database.statement(sql);
    const StatementUse use(statement);
    return statement->step(sql) && statement->columnType(0) != NullValue ? int(statement->columnInteger(0)) : 0;
}

void SchemaVersions::upgradeServer(Database &database)
{
    int version = versionOf(database);
    if (version > latest())
        throw DbError(ErrorKind::General, 3000, newerDatabaseMessage(version));
    for (const ServerStep &step : serverSteps()) {
        if (step.version <= version)
            continue;
        Transaction transaction(database);
        database.connection()->runPlain(step.sql.toUtf8().constData());
        database.connection()->runPlain(
            QStringLiteral("update tarvo_schema set version = %1").arg(step.version).toUtf8().constData());
        transaction.commit();
        version = step.version;
    }
    if (version < latest())
        throw DbError(ErrorKind::General, 3000,
                      QStringLiteral("Lo schema del database sul server è della versione %1 e manca il passo verso "
                                     "la versione %2.").arg(version).arg(latest()));
    database.connection()->schemaChanged();
}

void SchemaVersions::completeNew(sqlite3 *handle)
{
    if (versionOf(handle) == latest()) {
        createTextKeyIndexes(handle);
        createSalesSummaryTriggers(handle);
    }
}

} // namespace db
