#include "TestDatabase.h"
#include "SalesSummaryCheck.h"

#include "db/Statement.h"

#include "db/Recordset.h"
#include "db/RowStream.h"
#include "db/SqlText.h"
#include "Connection.h"
#include "RecordsetImpl.h"
#include "SchemaCatalog.h"
#include "SchemaVersions.h"
#include "TextFunctions.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

// Connections, transactions, the delivered schema and large sets.
class EngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openReusesOneConnection();
    void missingFileIsReported();
    void createNeverOverwrites();
    void transactionsNest();
    void transactionObjectRollsBack();
    void statementKindsAreChecked();
    void schemaMatchesTheDataModel();
    void schemaDeliversFixedTables();
    void lookupsUseIndexes_data();
    void lookupsUseIndexes();
    void textOrderIgnoresCaseAndAccents_data();
    void textOrderIgnoresCaseAndAccents();
    void largeSetOpensWithItsFirstPage();
    void rowsReadOneAtATimeReadAsALookupReads_data();
    void rowsReadOneAtATimeReadAsALookupReads();
    void otherStatementsRunBetweenTheRowsOfAStream();
    void sortedListsReadTheirOrderFromAnIndex_data();
    void sortedListsReadTheirOrderFromAnIndex();
    void serverStepAddsTheSortIndexes_data();
    void serverStepAddsTheSortIndexes();
    void likeOfAPatternPerRow();
};

void EngineTest::openReusesOneConnection()
{
    TestDatabase db;
    const auto again = db::Database::open(db.path());
    QCOMPARE(again.get(), &*db);
    const auto otherSpelling = db::Database::open(db.folder() + QStringLiteral("/./tarvo.mdb"));
    QCOMPARE(otherSpelling.get(), &*db);
    db::Database::closeAll();
    const auto fresh = db::Database::open(db.path());
    QVERIFY(fresh.get() != &*db);
    QCOMPARE(fresh->openRecordset(QStringLiteral("select * from IVA"))->recordCount(), 3);
    if (TestShopDatabase::onServer())
        return;
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(fresh->handle(), "pragma journal_mode", -1, &statement, nullptr);
    sqlite3_step(statement);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))), QByteArray("wal"));
    sqlite3_finalize(statement);
}

void EngineTest::missingFileIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("manca.mdb"));
    const db::DbError error = expectDbError([&]() { db::Database::open(path, QStringLiteral(";PWD=")); });
    QCOMPARE(error.kind(), db::ErrorKind::FileNotFound);
    QCOMPARE(error.number(), 3024L);
    QCOMPARE(error.description(), QStringLiteral("Impossibile trovare il file '%1'.").arg(path));
    QVERIFY(!QFileInfo::exists(path)); // opening never creates a file
}

void EngineTest::createNeverOverwrites()
{
    SKIP_ON_SERVER("the file on disk");
    TestDatabase db;
    db->execute(QStringLiteral("insert into Fornitore values ('Dati del negozio')"));
    db::Database::closeAll();
    QFile file(db.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const db::DbError error = expectDbError([&]() { db::Database::create(db.path(), TestDatabase::schemaText()); });
    QCOMPARE(error.number(), 3204L);
    QCOMPARE(error.description(), QStringLiteral("Il database '%1' esiste già.").arg(db.path()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);

    // A broken schema leaves no file behind.
    const QString other = db.folder() + QStringLiteral("/rotto.mdb");
    QCOMPARE(expectDbError([&]() { db::Database::create(other, QStringLiteral("create table x (;")); }).kind(),
             db::ErrorKind::Syntax);
    QVERIFY(!QFileInfo::exists(other));
    QCOMPARE(QDir(db.folder()).entryList({QStringLiteral("rotto*")}, QDir::Files), QStringList());
}

static int suppliers(db::Database &db)
{
    return db.openRecordset(QStringLiteral("select * from Fornitore"))->recordCount();
}

void EngineTest::transactionsNest()
{
    TestDatabase db;
    QVERIFY(!db->inTransaction());
    db->beginTrans();
    db->execute(QStringLiteral("insert into Fornitore values ('A')"));
    db->beginTrans();
    db->execute(QStringLiteral("insert into Fornitore values ('B')"));
    db->rollback(); // only the inner level
    QCOMPARE(suppliers(*db), 1);
    db->beginTrans();
    db->execute(QStringLiteral("insert into Fornitore values ('C')"));
    db->commitTrans();
    QVERIFY(db->inTransaction());
    db->commitTrans();
    QVERIFY(!db->inTransaction());
    QCOMPARE(suppliers(*db), 2);

    db->beginTrans();
    db->execute(QStringLiteral("delete from Fornitore"));
    db->rollback();
    QCOMPARE(suppliers(*db), 2);

    const db::DbError error = expectDbError([&]() { db->commitTrans(); });
    QCOMPARE(error.number(), 3034L);
    QCOMPARE(error.description(),
             QStringLiteral("Si è tentato di eseguire il commit o il rollback di una transazione senza averla prima avviata."));
}

void EngineTest::transactionObjectRollsBack()
{
    TestDatabase db;
    db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Quantita) values ('800', 5)"));
    try {
        db::Transaction transaction(*db);
        db->execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = ca_Quantita - 1 where ca_Codice = '800'"));
        db->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Pagamenti) values ('800', 'CO')"));
        transaction.commit();
        QFAIL("the insert names a field that does not exist");
    } catch (const db::DbError &error) {
        QCOMPARE(error.kind(), db::ErrorKind::UnknownName);
        QCOMPARE(error.number(), 3127L);
        QCOMPARE(error.description(),
                 QStringLiteral("L'istruzione INSERT INTO contiene il seguente nome di campo sconosciuto: 'sc_Pagamenti'. "
                                "Verificare di aver digitato correttamente il nome e riprovare."));
    }
    QVERIFY(!db->inTransaction());
    QCOMPARE(db->openRecordset(QStringLiteral("select * from [Codice Articolo]"))->value("ca_Quantita").toLongLong(), 5LL);
    {
        db::Transaction transaction(*db);
        db->execute(QStringLiteral("update [Codice Articolo] set ca_Quantita = ca_Quantita - 1 where ca_Codice = '800'"));
        db->execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Pagamento) values ('800', 'CO')"));
        transaction.commit();
    }
    QCOMPARE(db->openRecordset(QStringLiteral("select * from [Codice Articolo]"))->value("ca_Quantita").toLongLong(), 4LL);
    QCOMPARE(db->openRecordset(QStringLiteral("select * from scarico"))->recordCount(), 1);
}

void EngineTest::statementKindsAreChecked()
{
    TestDatabase db;
    const db::DbError select = expectDbError([&]() { db->execute(QStringLiteral("select * from IVA")); });
    QCOMPARE(select.number(), 3065L);
    QCOMPARE(select.description(), QStringLiteral("Impossibile eseguire una query di selezione."));
    const db::DbError action = expectDbError([&]() { db->openRecordset(QStringLiteral("delete from IVA")); });
    QCOMPARE(action.number(), 3219L);
    QCOMPARE(db->openRecordset(QStringLiteral("select * from IVA"))->recordCount(), 3);
    QCOMPARE(db->execute(QStringLiteral("delete from [Dettaglio Fattura] where df_Numero_Fattura = \"26-00001\"")), 0);
}

void EngineTest::schemaMatchesTheDataModel()
{
    using K = db::FieldKind;
    struct Field { const char *name; K kind; };
    struct Table { const char *name; std::vector<Field> fields; const char *key; };
    const std::vector<Table> model = {
        {"Articoli", {{"art_Codice", K::Counter}, {"art_Descrizione", K::Text}, {"art_Fornitore", K::Text},
                      {"art_Prezzo_Carico", K::Number}, {"art_Prezzo_Listino", K::Number}, {"art_Prezzo_Medio", K::Number},
                      {"art_Ricarico", K::Number}, {"art_Quantita", K::Number}, {"art_Usato", K::YesNo},
                      {"art_Data_Ultima_Vendita", K::Date}, {"art_Note", K::Text}, {"art_Varie", K::Text}}, "art_Codice"},
        {"Codice Articolo", {{"ca_Codice", K::Text}, {"ca_Codice_Articolo", K::Long}, {"ca_Taglia", K::Text},
                             {"ca_Colore", K::Text}, {"ca_Quantita", K::Long}, {"ca_Scorta_Minima", K::Long}},
         "ca_Codice"},
        {"Inventari", {{"inv_Codice", K::Counter}, {"inv_Data", K::Date}, {"inv_Fornitore", K::Text},
                       {"inv_Descrizione", K::Text}, {"inv_Azzera_Non_Contati", K::YesNo}, {"inv_Registrato", K::YesNo},
                       {"inv_Data_Registrazione", K::Date}, {"inv_Note", K::Text}}, "inv_Codice"},
        {"InventarioConteggi", {{"ic_Codice", K::Counter}, {"ic_Inventario", K::Long}, {"ic_Codice_Articolo", K::Text}, {"ic_Contato", K::Long},
                                {"ic_Giacenza", K::Long}}, "ic_Codice"},
        {"FattureFornitori", {{"ff_Codice", K::Counter}, {"ff_Fornitore", K::Long}, {"ff_Partita_IVA", K::Text},
                              {"ff_Numero", K::Text}, {"ff_Data", K::Date}, {"ff_Totale", K::Number}, {"ff_File", K::Text},
                              {"ff_Impronta", K::Text}, {"ff_Firmatario", K::Text}, {"ff_Data_Importazione", K::Date}},
         "ff_Codice"},
        {"CodiciFornitori", {{"cf_Codice", K::Counter}, {"cf_Partita_IVA", K::Text}, {"cf_Tipo", K::Text},
                             {"cf_Valore", K::Text}, {"cf_Codice_Articolo", K::Text}}, "cf_Codice"},
        {"Rettifiche", {{"re_Codice", K::Counter}, {"re_Codice_Articolo", K::Text}, {"re_Data", K::Date},
                        {"re_Quantita", K::Number}, {"re_Inventario", K::Long}}, "re_Codice"},
        {"carico", {{"ca_Codice", K::Counter}, {"ca_Codice_Articolo", K::Text}, {"ca_Data", K::Date},
                    {"ca_Quantita", K::Number}, {"ca_Prezzo", K::Number}, {"ca_Usato", K::YesNo}}, "ca_Codice"},
        {"scarico", {{"sc_Codice", K::Counter}, {"sc_Codice_Articolo", K::Text}, {"sc_Data", K::Date},
                     {"sc_Quantita", K::Number}, {"sc_Prezzo", K::Number}, {"sc_Sconto", K::Number},
                     {"sc_Saldo", K::Number}, {"sc_Pagamento", K::Text}, {"sc_Usato", K::YesNo}}, "sc_Codice"},
        {"Anagrafica", {{"anag_Contatore", K::Counter}, {"anag_Denominazione", K::Text}, {"anag_Indirizzo", K::Text},
                        {"anag_Cap", K::Text}, {"anag_Località", K::Text}, {"anag_Stato", K::Text},
                        {"anag_Telefono", K::Text}, {"anag_Fax", K::Text}, {"anag_Email", K::Text},
                        {"anag_Partita_IVA", K::Text}, {"anag_Codice_Fiscale", K::Text}, {"anag_Nota", K::Text},
                        {"anag_Fornitore", K::YesNo}, {"anag_Codice_Destinatario", K::Text}, {"anag_PEC", K::Text},
                        {"anag_Provincia", K::Text}}, "anag_Contatore"},
        {"Fattura", {{"fat_Numero", K::Text}, {"fat_Data", K::Date}, {"fat_Codice_Cliente", K::Long},
                     {"fat_Descrizione_Pagamento", K::Text}, {"fat_Data_Pagamento", K::Date}, {"fat_Pagato", K::YesNo},
                     {"fat_Imponibile", K::Number}, {"fat_Nota", K::Text}}, "fat_Numero"},
        {"Dettaglio Fattura", {{"df_Numero_Fattura", K::Text}, {"df_Descrizione", K::Text}, {"df_Quantità", K::Number},
                               {"df_Prezzo", K::Number}, {"df_IVA", K::Long}, {"df_Importo", K::Number}}, nullptr},
        {"IVA", {{"IVA_Codice", K::Long}, {"IVA_Descrizione", K::Text}, {"IVA_Aliquota", K::Number},
                 {"IVA_Natura", K::Text}}, "IVA_Codice"},
        {"Azienda", {{"az_Codice", K::Counter}, {"az_Denominazione", K::Text}, {"az_Partita_IVA", K::Text},
                     {"az_Codice_Fiscale", K::Text}, {"az_Regime_Fiscale", K::Text}, {"az_Indirizzo", K::Text},
                     {"az_CAP", K::Text}, {"az_Comune", K::Text}, {"az_Provincia", K::Text}, {"az_Nazione", K::Text},
                     {"az_REA", K::Text}, {"az_Telefono", K::Text}, {"az_Email", K::Text},
                     {"az_Progressivo_Invio", K::Long}}, "az_Codice"},
        {"Prestazione", {{"pre_Codice", K::Counter}, {"pre_Descrizione", K::Text}}, "pre_Codice"},
        {"CodiciNegozio", {{"cn_Numero", K::Counter}}, "cn_Numero"},
        {"VenditeGiorno", {{"vg_Data", K::Text}, {"vg_Pagamento", K::Text}, {"vg_Vendite", K::Long},
                           {"vg_Pezzi_Millesimi", K::Long}, {"vg_Incasso_Centesimi", K::Long},
                           {"vg_Sconti_Centesimi", K::Long}}, "vg_Data,vg_Pagamento"},
        {"VenditeArticoli", {{"va_Periodo", K::Text}, {"va_Articolo", K::Long}, {"va_Vendite", K::Long},
                             {"va_Pezzi_Millesimi", K::Long}, {"va_Incasso_Centesimi", K::Long}},
         "va_Periodo,va_Articolo"},
        {"Pagamenti", {{"pag_Codice", K::Text}, {"pag_Descrizione", K::Text}}, "pag_Codice"},
        {"Fornitore", {{"fo_Descrizione", K::Text}}, "fo_Descrizione"},
        {"Prima Nota", {{"pn_id", K::Counter}, {"pn_Data", K::Date}, {"pn_Descrizione", K::Text}, {"pn_Fattura", K::Text},
                        {"pn_Uscita_Lire", K::Number}, {"pn_Uscita_Euro", K::Number}, {"pn_Note", K::Text}}, "pn_id"},
        {"Nota Fornitori", {{"pn_id", K::Counter}, {"pn_Data", K::Date}, {"pn_Descrizione", K::Text}, {"pn_Fattura", K::Text},
                            {"pn_Uscita_Lire", K::Number}, {"pn_Uscita_Euro", K::Number}, {"pn_Note", K::Text}}, "pn_id"},
    };
    TestDatabase db;
    const db::SchemaCatalog &catalog = db->connection()->catalog();
    QCOMPARE(catalog.tables().size(), model.size());
    for (const Table &table : model) {
        const db::TableMeta *meta = catalog.table(QString::fromUtf8(table.name));
        QVERIFY2(meta, table.name);
        QCOMPARE(meta->name, QString::fromUtf8(table.name));
        QCOMPARE(meta->columns.size(), table.fields.size());
        for (size_t i = 0; i < table.fields.size(); ++i) {
            const db::ColumnMeta &column = meta->columns[i];
            QCOMPARE(column.name, QString::fromUtf8(table.fields[i].name));
            QVERIFY2(column.kind == table.fields[i].kind, table.fields[i].name);
            QCOMPARE(column.primaryKey,
                     table.key && QString::fromUtf8(table.key).split(QLatin1Char(',')).contains(column.name));
        }
    }
}

void EngineTest::schemaDeliversFixedTables()
{
    TestDatabase db;
    auto rates = db->openRecordset(QStringLiteral("select * from IVA order by iva_Aliquota"));
    QCOMPARE(rates->recordCount(), 3);
    QList<double> aliquote;
    for (; !rates->eof(); rates->moveNext())
        aliquote << rates->value("IVA_Aliquota").toDouble();
    QCOMPARE(aliquote, QList<double>({4.0, 10.0, 22.0}));
    auto payments = db->openRecordset(QStringLiteral("select * from pagamenti order by pag_Descrizione"));
    QStringList names;
    for (; !payments->eof(); payments->moveNext())
        names << payments->value("pag_Descrizione").toString();
    QCOMPARE(names, QStringList({"Assegno", "Bancomat", "Bonifico", "Carta di credito", "Contanti"}));
    auto cash = db->openRecordset(QStringLiteral("select * from [Pagamenti] where pag_Codice = \"CO\""));
    QCOMPARE(cash->value("pag_Descrizione").toString(), QStringLiteral("Contanti"));
    QVERIFY(db->openRecordset(QStringLiteral("select * from Prestazione"))->recordCount() >= 3);
}

void EngineTest::lookupsUseIndexes_data()
{
    QTest::addColumn<QString>("query");
    QTest::newRow("bar code") << "select * from [Codice Articolo] where ca_Codice = '800'";
    QTest::newRow("items of an article") << "select * from [Codice Articolo] where ca_Codice_Articolo = 5";
    QTest::newRow("article") << "select * from Articoli where art_Codice = 5";
    QTest::newRow("loads by date") << "select * from carico where ca_Data between #01/01/2026# and #12/31/2026#";
    QTest::newRow("loads by bar code") << "select * from carico where ca_Codice_Articolo = '800'";
    QTest::newRow("sales by date") << "select * from scarico where sc_Data between #01/01/2026# and #12/31/2026#";
    QTest::newRow("sales by bar code") << "select * from scarico where sc_Codice_Articolo = '800'";
    QTest::newRow("invoice") << "select * from Fattura where fat_Numero = '26-00001'";
    QTest::newRow("invoices by date") << "select * from Fattura where fat_Data between #01/01/2026# and #12/31/2026#";
    QTest::newRow("invoice lines") << "select * from [Dettaglio Fattura] where df_Numero_Fattura = '26-00001' order by df_IVA";
    QTest::newRow("customer name") << "select * from Anagrafica where anag_Denominazione = 'Rossi'";
    QTest::newRow("cash journal") << "select * from [Prima Nota] where pn_Data between #01/01/2026# and #12/31/2026#";
    QTest::newRow("supplier journal") << "select * from [Nota Fornitori] where pn_Data between #01/01/2026# and #12/31/2026#";
}

void EngineTest::lookupsUseIndexes()
{
    SKIP_ON_SERVER("SQLite's query plans");
    QFETCH(QString, query);
    TestDatabase db;
    QString sql = db->translate(query);
    QByteArray plan;
    sqlite3_stmt *statement = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db->handle(), ("explain query plan " + sql).toUtf8().constData(), -1, &statement, nullptr),
             SQLITE_OK);
    while (sqlite3_step(statement) == SQLITE_ROW)
        plan += reinterpret_cast<const char *>(sqlite3_column_text(statement, 3)) + QByteArray("\n");
    sqlite3_finalize(statement);
    QVERIFY2(plan.contains("USING INDEX") || plan.contains("USING INTEGER PRIMARY KEY")
                 || plan.contains("USING PRIMARY KEY"), plan.constData());
    QVERIFY2(!plan.contains("USE TEMP B-TREE"), plan.constData());
}

void EngineTest::textOrderIgnoresCaseAndAccents_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("order");
    QTest::newRow("case only") << "ROSSI" << "rossi" << 0;
    QTest::newRow("accented case") << "CITTÀ" << "città" << 0;
    QTest::newRow("accent sorts with its letter") << "àncora" << "b" << -1;
    QTest::newRow("accent after plain when otherwise equal") << "e" << "è" << -1;
    QTest::newRow("plain ascii") << "abc" << "ABD" << -1;
    QTest::newRow("prefix") << "Rossi" << "Rossini" << -1;
}

void EngineTest::textOrderIgnoresCaseAndAccents()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(int, order);
    QCOMPARE(db::compareText(left, right), order);
    QCOMPARE(db::compareText(right, left), -order);
    TestDatabase db;
    db->execute("insert into Fornitore values (" + db::quoted(left) + ")");
    const int rows = db->openRecordset("select * from Fornitore where fo_Descrizione = " + db::quoted(right))->recordCount();
    QCOMPARE(rows, order == 0 ? 1 : 0);
}

void EngineTest::largeSetOpensWithItsFirstPage()
{
    TestDatabase db;
    const QString fill = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299999) "
        "INSERT INTO carico (ca_Codice_Articolo, ca_Data, ca_Quantita) "
        "SELECT CAST(800000000 + i AS TEXT), '2026-01-01', 1 FROM n");
    db::Statement *insert = db->statement(fill);
    const db::StatementUse use(insert);
    insert->step(fill);

    auto rs = db->openRecordset(QStringLiteral("select * from carico order by ca_Codice_Articolo desc"));
    // Open with the first page of keys; counted in full after MoveLast.
    QVERIFY(rs->recordCount() > 0 && rs->recordCount() < 1000);
    QVERIFY(!rs->recordCountFinal());
    rs->moveLast();
    QCOMPARE(rs->recordCount(), 300000);
    QVERIFY(rs->recordCountFinal());
    QCOMPARE(rs->absolutePosition(), 299999);
    QCOMPARE(rs->value("ca_Codice").toLongLong(), 1LL);
    rs->moveFirst();
    QCOMPARE(rs->value("ca_Codice_Articolo").toString(), QStringLiteral("800299999"));
    rs->setAbsolutePosition(150000);
    QCOMPARE(rs->value("ca_Codice").toLongLong(), 150000LL);
    rs->findFirst(QStringLiteral("ca_Codice_Articolo = '800000010'"));
    QCOMPARE(rs->absolutePosition(), 299989);
    rs->edit();
    rs->setValue(QStringLiteral("ca_Quantita"), 5);
    rs->update();
    rs->movePrevious();
    rs->moveNext();
    QCOMPARE(rs->value("ca_Quantita").toDouble(), 5.0);
}

void EngineTest::rowsReadOneAtATimeReadAsALookupReads_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QVariant>("description");
    QTest::addColumn<QVariant>("price");
    QTest::addColumn<bool>("used");
    QTest::addColumn<QDate>("lastSale");
    QTest::newRow("Nulls") << 1 << QVariant() << QVariant() << false << QDate();
    QTest::newRow("quotes, decimals, a date") << 2 << QVariant(QStringLiteral("Dell'Orto \"doppio\""))
                                              << QVariant(1234.56) << true << QDate(2025, 3, 14);
    QTest::newRow("accents, a tenth") << 3 << QVariant(QStringLiteral("Perù àèìòù ÀÈ")) << QVariant(0.1) << false
                                      << QDate(2026, 12, 31);
    QTest::newRow("empty text, a whole price") << 4 << QVariant(QString(QLatin1String(""))) << QVariant(20.0) << true
                                               << QDate();
}

// A lookup reads its first page with its limit written in the statement; a
// report reads its rows one at a time (on the server: one row per message,
// not the whole result): both read every kind of value alike.
void EngineTest::rowsReadOneAtATimeReadAsALookupReads()
{
    QFETCH(int, code);
    QFETCH(QVariant, description);
    QFETCH(QVariant, price);
    QFETCH(bool, used);
    QFETCH(QDate, lastSale);
    TestDatabase db;
    db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Usato) values (1, 0)"));
    db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino, art_Usato, "
                               "art_Data_Ultima_Vendita) values (2, \"Dell'Orto \"\"doppio\"\"\", 1234.56, -1, #3/14/2025#)"));
    db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino, art_Usato, "
                               "art_Data_Ultima_Vendita) values (3, 'Perù àèìòù ÀÈ', 0.1, 0, #12/31/2026#)"));
    db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino, art_Usato) "
                               "values (4, '', 20, -1)"));

    const QString select = QStringLiteral("select art_Descrizione, art_Prezzo_Listino, art_Usato, "
                                          "art_Data_Ultima_Vendita from Articoli where art_Codice = %1").arg(code);
    auto lookup = db->openRecordset(select);
    QCOMPARE(lookup->recordCount(), 1);
    QCOMPARE(lookup->value(0).isNull(), description.isNull());
    QCOMPARE(lookup->value(0).toString(), description.toString());
    QCOMPARE(lookup->value(1).isNull(), price.isNull());
    QCOMPARE(lookup->value(1).toDouble(), price.toDouble());
    QCOMPARE(lookup->value(2).toBool(), used);
    QCOMPARE(lookup->value(3).toDate(), lastSale);

    const db::Connection::Translated translated = db->connection()->translate(select, false);
    std::vector<db::FieldKind> kinds;
    for (const db::ColumnInfo &column : translated.translation->shape->columns)
        kinds.push_back(column.kind);
    QCOMPARE(int(kinds.size()), 4);
    db::RowStream rows(*db->connection(), translated.translation->sql, translated.literals, kinds);
    QVERIFY(rows.next());
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(rows.value(c).isNull(), lookup->value(c).isNull());
        QCOMPARE(rows.value(c), lookup->value(c));
    }
    QVERIFY(!rows.next());
}

// A report's rows come one at a time while the program looks other things
// up, writes, and reads the report's own statement again inside it: every
// statement sees its own rows, the stream all of its own, in order.
void EngineTest::otherStatementsRunBetweenTheRowsOfAStream()
{
    TestDatabase db;
    {
        db::Transaction transaction(*db);
        for (int i = 1; i <= 300; ++i)
            db->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('F%1')").arg(i, 3, 10, QLatin1Char('0')));
        transaction.commit();
    }
    const QString sql = QStringLiteral("SELECT fo_Descrizione FROM Fornitore ORDER BY fo_Descrizione");
    db::RowStream rows(*db->connection(), sql, {}, {db::FieldKind::Text});
    int read = 0;
    while (rows.next()) {
        ++read;
        QCOMPARE(rows.value(0).toString(), QStringLiteral("F%1").arg(read, 3, 10, QLatin1Char('0')));
        if (read == 100) {
            auto found = db->openRecordset(QStringLiteral("select * from Fornitore where fo_Descrizione = 'F250'"));
            QCOMPARE(found->recordCount(), 1);
            db::RowStream again(*db->connection(), sql, {}, {db::FieldKind::Text});
            int inner = 0;
            while (again.next())
                ++inner;
            QCOMPARE(inner, 300);
        }
        if (read == 200)
            db->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('scritto a metà')"));
    }
    QCOMPARE(read, 300);
    QCOMPARE(db.count(QStringLiteral("Articoli where art_Descrizione = 'scritto a metà'")), 1);
}

void EngineTest::sortedListsReadTheirOrderFromAnIndex_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("tieBreakers");   // what goes before the row keys
    QTest::addColumn<QString>("index");         // the index that yields the order; empty: none
    const QString sales = QStringLiteral("Select * from scarico, articoli, [codice articolo] where ca_Codice = "
                                         "sc_Codice_Articolo and art_Codice = ca_Codice_Articolo and  sc_Data between "
                                         "#2/1/2025# and  #3/31/2025#");
    const QString loads = QStringLiteral("Select * from carico, articoli, [codice articolo] where [codice "
                                         "articolo].ca_Codice = carico.ca_Codice_Articolo and art_Codice = [codice "
                                         "articolo].ca_Codice_Articolo and  carico.ca_Data between #2/1/2025# and  "
                                         "#3/31/2025#");
    QTest::newRow("sales by price") << sales + " order by sc_Prezzo" << "\"sc_Prezzo\", \"scarico\".\"sc_Data\""
                                    << "scarico_PrezzoData";
    QTest::newRow("loads by price") << loads + " order by ca_Prezzo" << "\"ca_Prezzo\", \"carico\".\"ca_Data\""
                                    << "carico_PrezzoData";
    QTest::newRow("articles by last sale") << "select * from articoli order by art_Data_Ultima_Vendita"
                                           << "\"art_Data_Ultima_Vendita\"" << "Articoli_DataUltimaVendita";
    // Orders no index begins with keep the keys alone as tie breakers.
    QTest::newRow("sales by price, descending") << sales + " order by sc_Prezzo desc" << "\"sc_Prezzo\" desc" << "";
    QTest::newRow("sales by quantity") << sales + " order by sc_Quantita" << "\"sc_Quantita\"" << "";
    QTest::newRow("sales by date") << sales + " order by sc_Data" << "\"sc_Data\"" << "scarico_Data";
}

// The lists sorted by a header click read a page in the order of an index
// (no sort of the whole period) and list the same rows in that order as a
// sort of every row would.
void EngineTest::sortedListsReadTheirOrderFromAnIndex()
{
    SKIP_ON_SERVER("SQLite's query plans");
    QFETCH(QString, query);
    QFETCH(QString, tieBreakers);
    QFETCH(QString, index);
    TestDatabase db;
    const QString sql = db->translate(query);
    const qsizetype order = sql.indexOf(QLatin1String(" ORDER BY "));
    QVERIFY2(order > 0, qPrintable(sql));
    const QString table = query.contains(QLatin1String("from scarico")) ? QStringLiteral("scarico")
                          : query.contains(QLatin1String("from carico")) ? QStringLiteral("carico")
                                                                          : QStringLiteral("Articoli");
    QVERIFY2(sql.mid(order + 10).startsWith(tieBreakers + QStringLiteral(", \"%1\".rowid").arg(table)),
             qPrintable(sql));

    // Two years of movements, prices repeating within a day and across
    // days, some without a price; the statistics the upgrade gathers.
    const QString fill = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 5999) "
        "INSERT INTO %1 (%2_Codice_Articolo, %2_Data, %2_Quantita, %2_Prezzo) "
        "SELECT 'C' || (i % 40), date('2024-06-01', '+' || ((i * 7) % 730) || ' days'), i % 5, "
        "CASE WHEN i % 97 = 0 THEN NULL ELSE (i * 13) % 50 END FROM n");
    for (const QString &table : {QStringLiteral("scarico"), QStringLiteral("carico")}) {
        const QString statement = fill.arg(table, table == QLatin1String("scarico") ? "sc" : "ca");
        db::Statement *insert = db->statement(statement);
        const db::StatementUse use(insert);
        insert->step(statement);
    }
    const QString articles = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
        "INSERT INTO Articoli (art_Codice, art_Descrizione) SELECT i, 'Articolo ' || i FROM n");
    {
        db::Statement *insert = db->statement(articles);
        const db::StatementUse use(insert);
        insert->step(articles);
    }
    for (int i = 0; i < 40; ++i)
        db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('C%1', %2)")
                        .arg(i).arg(1 + i % 2));
    db->execute("update Articoli set art_Data_Ultima_Vendita = '2025-0' || (1 + art_Codice % 9) || '-01' "
                "where art_Codice % 7 <> 0");
    QCOMPARE(sqlite3_exec(db->handle(), "pragma analysis_limit = 1000; analyze carico; analyze scarico", nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    db->connection()->schemaChanged();

    QByteArray plan;
    sqlite3_stmt *statement = nullptr;
    const QString paged = db->translate(query) + QStringLiteral(" LIMIT 64");
    QCOMPARE(sqlite3_prepare_v2(db->handle(), ("explain query plan " + paged).toUtf8().constData(), -1, &statement,
                                nullptr),
             SQLITE_OK);
    while (sqlite3_step(statement) == SQLITE_ROW)
        plan += reinterpret_cast<const char *>(sqlite3_column_text(statement, 3)) + QByteArray("\n");
    sqlite3_finalize(statement);
    if (!index.isEmpty()) {
        QVERIFY2(plan.contains(index.toUtf8()), plan.constData());
        QVERIFY2(!plan.contains("TEMP B-TREE"), plan.constData());
    }

    // The rows, read page by page, in the order of the sort of all of them.
    const QString key = table == QLatin1String("scarico") ? QStringLiteral("scarico.sc_Codice")
                        : table == QLatin1String("carico") ? QStringLiteral("carico.ca_Codice")
                                                            : QStringLiteral("art_Codice");
    QStringList expected;
    {
        const QString orderBy = query.mid(query.indexOf(QLatin1String(" order by ")) + 10);
        auto all = db->openRecordset(query.left(query.indexOf(QLatin1String(" order by "))));
        struct Row { QVariant sort; QString date; qlonglong code; };
        std::vector<Row> rows;
        const QString sortField = orderBy.section(' ', 0, 0);
        const QString dateField = table == QLatin1String("scarico") ? QStringLiteral("sc_Data")
                                  : table == QLatin1String("carico") ? QStringLiteral("carico.ca_Data")
                                                                      : QStringLiteral("art_Data_Ultima_Vendita");
        if (all->recordCount() > 0) {
            all->moveFirst();
            while (!all->eof()) {
                rows.push_back({all->value(sortField), all->value(dateField).toString(), all->value(key).toLongLong()});
                all->moveNext();
            }
        }
        const bool descending = orderBy.endsWith(QLatin1String(" desc"));
        const bool byDate = !index.isEmpty() && sortField != QLatin1String("sc_Data");
        std::stable_sort(rows.begin(), rows.end(), [&](const Row &a, const Row &b) {
            // Null first, as SQLite sorts it ascending.
            const auto less = [](const QVariant &x, const QVariant &y) {
                if (!x.isValid() || !y.isValid())
                    return !x.isValid() && y.isValid();
                return QVariant::compare(x, y) == QPartialOrdering::Less;
            };
            if (less(a.sort, b.sort) || less(b.sort, a.sort))
                return descending ? less(b.sort, a.sort) : less(a.sort, b.sort);
            if (byDate && a.date != b.date)
                return a.date < b.date;
            return a.code < b.code;
        });
        for (const Row &row : rows)
            expected << QString::number(row.code);
    }
    QVERIFY(expected.size() > 100);
    const int firstPage = db::Recordset::Impl::firstPage;
    db::Recordset::Impl::firstPage = 7;
    QStringList listed;
    auto sorted = db->openRecordset(query);
    sorted->moveFirst();
    while (!sorted->eof()) {
        listed << QString::number(sorted->value(key).toLongLong());
        sorted->moveNext();
    }
    db::Recordset::Impl::firstPage = firstPage;
    QCOMPARE(listed, expected);
}

void EngineTest::serverStepAddsTheSortIndexes_data()
{
    QTest::addColumn<int>("from");
    QTest::newRow("version 3") << 3;
    QTest::newRow("version 4") << 4;
    QTest::newRow("version 5") << 5;
    QTest::newRow("version 6") << 6;
}

// On the server the same indexes and the store codes' counter come with the
// server's steps: a shop whose schema is at an older version is brought to
// the latest one, each row kept.
void EngineTest::serverStepAddsTheSortIndexes()
{
    QFETCH(int, from);
    if (!TestShopDatabase::onServer())
        QSKIP("the server's own schema step");
    TestDatabase db;
    const QStringList indexes{QStringLiteral("scarico_PrezzoData"), QStringLiteral("carico_PrezzoData"),
                              QStringLiteral("Articoli_DataUltimaVendita")};
    if (from < 4)
        for (const QString &index : indexes)
            db->connection()->runPlain(QStringLiteral("DROP INDEX \"%1\"").arg(index).toUtf8().constData());
    if (from < 5)
        db->connection()->runPlain("DROP TABLE \"CodiciNegozio\"");
    if (from < 6)
        db->connection()->runPlain("DROP TABLE \"Inventari\"; DROP TABLE \"InventarioConteggi\"; "
                                   "DROP TABLE \"Rettifiche\"; "
                                   "ALTER TABLE \"Codice Articolo\" DROP COLUMN \"ca_Scorta_Minima\"");
    db->connection()->runPlain("DROP TABLE \"FattureFornitori\"; DROP TABLE \"CodiciFornitori\"");
    db->connection()->runPlain("DROP TRIGGER \"scarico_Statistiche\" ON scarico; "
                               "DROP FUNCTION tarvo_vendite_statistiche(); DROP FUNCTION tarvo_vendite_somma(scarico, integer); "
                               "DROP TABLE \"VenditeGiorno\"; DROP TABLE \"VenditeArticoli\"");
    db->connection()->runPlain(QStringLiteral("UPDATE tarvo_schema SET version = %1").arg(from).toUtf8().constData());
    db->connection()->schemaChanged();
    db->execute("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Prezzo) values ('abc', #11/3/2026#, 12.5)");
    db->execute("insert into Articoli (art_Descrizione, art_Data_Ultima_Vendita) values ('Giacca', #11/2/2026#)");
    QCOMPARE(db::SchemaVersions::versionOf(*db), from);
    db::SchemaVersions::upgradeServer(*db);
    QCOMPARE(db::SchemaVersions::versionOf(*db), db::SchemaVersions::latest());
    for (const QString &index : indexes) {
        const QString sql = QStringLiteral("select count(*) from pg_indexes where indexname = '%1'").arg(index);
        db::Statement *statement = db->statement(sql);
        const db::StatementUse use(statement);
        QVERIFY(statement->step(sql));
        QCOMPARE(statement->columnInteger(0), qint64(1));
    }
    QCOMPARE(db->openRecordset("select sc_Prezzo from scarico")->value("sc_Prezzo").toDouble(), 12.5);
    QCOMPARE(db->openRecordset("select art_Descrizione from Articoli")->value("art_Descrizione").toString(),
             QStringLiteral("Giacca"));
    // The counter's sequence gives its numbers from 1, and never one back.
    const QString take = QStringLiteral("insert into \"CodiciNegozio\" default values");
    const auto taken = [&] {
        db::Statement *insert = db->insertStatement(take, QStringLiteral("\"cn_Numero\""));
        const db::StatementUse use(insert);
        insert->step(take);
        return insert->lastInsertId();
    };
    QCOMPARE(taken(), qint64(1));
    db->execute("delete from CodiciNegozio");
    QCOMPARE(taken(), qint64(2));
    // The stock take's tables and the minimum stock, on the identity and
    // the defaults of the server's own.
    db->execute("insert into [Codice Articolo] (ca_Codice, ca_Quantita, ca_Scorta_Minima) values ('abc', 2, 5)");
    db->execute("insert into Inventari (inv_Data) values (#12/31/2026#)");
    db->execute("insert into InventarioConteggi (ic_Inventario, ic_Codice_Articolo) values (1, 'abc')");
    db->execute("insert into Rettifiche (re_Codice_Articolo, re_Quantita, re_Inventario) values ('abc', -2, 1)");
    QCOMPARE(db->openRecordset("select ca_Scorta_Minima from [Codice Articolo]")->value(0).toLongLong(), 5);
    QCOMPARE(db->openRecordset("select inv_Codice, inv_Registrato from Inventari")->value(1).toInt(), 0);
    QCOMPARE(db->openRecordset("select ic_Contato from InventarioConteggi")->value(0).toLongLong(), 0);
    QCOMPARE(db->openRecordset("select re_Codice from Rettifiche")->value(0).toLongLong(), 1);
    db->execute("insert into FattureFornitori (ff_Partita_IVA, ff_Numero) values ('01234567897', 'A/1')");
    db->execute("insert into CodiciFornitori (cf_Partita_IVA, cf_Tipo, cf_Valore) values ('01234567897', 'SKU', 'X')");
    QCOMPARE(db->openRecordset("select ff_Codice from FattureFornitori")->value(0).toLongLong(), 1);
    QCOMPARE(db->openRecordset("select cf_Codice from CodiciFornitori")->value(0).toLongLong(), 1);
    // The sale written before the step is summed, and those after it kept.
    db->execute("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Saldo, sc_Pagamento) "
                "values ('ABC', #11/3/2026#, 2, 25.005, 'CO')");
    QCOMPARE(SalesSummaryCheck::problem(*db), QString());
    const QString cents = QStringLiteral("select vg_Incasso_Centesimi from VenditeGiorno where vg_Pagamento = 'CO'");
    db::Statement *read = db->statement(cents);
    const db::StatementUse use(read);
    QVERIFY(read->step(cents));
    QCOMPARE(read->columnInteger(0), qint64(2501));
}

// The like keeps what it learnt of a constant pattern for the rows of a
// statement; a pattern that changes from row to row is read afresh each
// time, ASCII text or not.
void EngineTest::likeOfAPatternPerRow()
{
    SKIP_ON_SERVER("SQLite's own function");
    TestDatabase db;
    const QList<QPair<QString, QString>> pairs = {
        {"GIACCA blu", "*cca*"}, {"giacca blu", "G*"},     {"Scarpa", "*CCA*"},   {"perché", "*CHÉ"},
        {"Borsa 12", "*##"},     {"Borsa 1x", "*##"},      {"abc", "a?c"},        {"ABC", "[a-b]bc"},
        {"Città", "*TÀ"},        {"città", "*ta"},         {"x", ""},             {"", "*"},
        {"Kilt", "k*"},          {"\u212Ailt", "k*"},     {"Nome*", "nome[*]"},  {"ab", "*b*b*"}};
    for (const auto &[value, pattern] : pairs)
        db->execute(QStringLiteral("insert into Prestazione (pre_Descrizione) values (%1)").arg(db::quoted(value)));
    QStringList expected;
    for (const auto &[value, pattern] : pairs)
        if (db::likeMatches(pattern, value))
            expected << value;
    // Each value beside its own pattern, in one statement.
    QStringList rows;
    for (int i = 0; i < pairs.size(); ++i)
        rows << QStringLiteral("select %1 as n, %2 as v, %3 as p").arg(i).arg(db::quoted(pairs.at(i).first, QLatin1Char('\'')),
                                                                           db::quoted(pairs.at(i).second, QLatin1Char('\'')));
    QStringList found;
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = QStringLiteral("select v from (%1) where v like p order by n")
                                .arg(rows.join(QStringLiteral(" union all ")))
                                .toUtf8();
    QCOMPARE(sqlite3_prepare_v2(db->handle(), text.constData(), -1, &statement, nullptr), SQLITE_OK);
    while (sqlite3_step(statement) == SQLITE_ROW)
        found << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    QCOMPARE(found, expected);
    QVERIFY(expected.contains(QStringLiteral("GIACCA blu")) && !expected.contains(QStringLiteral("Scarpa")));
    // The same patterns as constants of their own statements.
    for (const auto &[value, pattern] : pairs) {
        const QByteArray one = QStringLiteral("select count(*) from Prestazione where pre_Descrizione = %1 and "
                                              "pre_Descrizione like %2")
                                   .arg(db::quoted(value, QLatin1Char('\'')), db::quoted(pattern, QLatin1Char('\'')))
                                   .toUtf8();
        QCOMPARE(sqlite3_prepare_v2(db->handle(), one.constData(), -1, &statement, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(statement), SQLITE_ROW);
        QCOMPARE(sqlite3_column_int(statement, 0) >= 1, db::likeMatches(pattern, value));
        sqlite3_finalize(statement);
    }
}

QTEST_GUILESS_MAIN(EngineTest)
#include "tst_db_engine.moc"
