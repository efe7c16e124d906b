// The import of the old program's file into the shop's database: the shared
// legacy file taken whole, every field kind mapped, rows that need a word
// listed, and every refusal or failure leaving the database as it was.
#include "AnotherProgramLock.h"
#include "FailingReader.h"
#include "FakeLegacyReader.h"
#include "LegacyTestFiles.h"
#include "SalesSummaryCheck.h"
#include "TestShopDatabase.h"
#include "legacy/LegacyImport.h"
#include "legacy/MdbLegacyReader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QtTest>
#include <sqlite3.h>

using namespace legacy;

Q_DECLARE_METATYPE(legacy::LegacyValue)

namespace {

const QDateTime importTime(QDate(2026, 12, 8), QTime(9, 30, 0));

ImportOptions options(WhenDataPresent when = WhenDataPresent::Refuse)
{
    ImportOptions o;
    o.whenDataPresent = when;
    o.now = importTime;
    return o;
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// The rows of a select as "type:value" cells, a row a line.
QStringList rowsOf(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        qFatal("%s: %s", qPrintable(sql), sqlite3_errmsg(db));
    QStringList rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            switch (sqlite3_column_type(statement, c)) {
            case SQLITE_INTEGER: cells << QStringLiteral("integer:%1").arg(sqlite3_column_int64(statement, c)); break;
            case SQLITE_FLOAT: cells << QStringLiteral("real:%1").arg(sqlite3_column_double(statement, c), 0, 'g', 17); break;
            case SQLITE_NULL: cells << QStringLiteral("null"); break;
            default:
                cells << QStringLiteral("text:") + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, c)));
            }
        }
        rows << cells.join(QLatin1Char('|'));
    }
    sqlite3_finalize(statement);
    return rows;
}

// Everything the database holds, sequences included.
QStringList dump(db::Database &database)
{
    QStringList all;
    for (const QString &table : rowsOf(database.handle(), QStringLiteral(
             "select name from sqlite_master where type = 'table' and instr(name, 'Trigrammi') = 0 order by name"))) {
        const QString name = table.mid(5);
        // The sales' summary has no rowid: by its key.
        const QString order = name.startsWith(QLatin1String("Vendite")) ? QStringLiteral("1, 2") : QStringLiteral("rowid");
        all << QStringLiteral("== ") + name
            << rowsOf(database.handle(), QStringLiteral("select * from %1 order by %2").arg(quotedName(name), order));
    }
    return all;
}

QString scalarText(db::Database &database, const QString &sql)
{
    const QStringList rows = rowsOf(database.handle(), sql);
    return rows.isEmpty() ? QString() : rows.first();
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

LegacyValue text(const char *utf8) { return LegacyValue::text(QString::fromUtf8(utf8)); }
LegacyValue day(int y, int m, int d) { return LegacyValue::date(QDateTime(QDate(y, m, d), QTime(0, 0), Qt::UTC)); }

} // namespace

class TestLegacyImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sharedFileEqualsItsJson();
    void refusedWhenTheDatabaseHoldsData();
    void replaceTakesTheOldFileInstead();
    void refusedWhileAnotherProgramHasTheShop();
    void copiesBeforeImportKeepTheNewest();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void interruptedImportLeavesTheDatabase_data();
    void interruptedImportLeavesTheDatabase();
    void mapsEveryFieldKind_data();
    void mapsEveryFieldKind();
    void rowsThatNeedAWordAreListed_data();
    void rowsThatNeedAWordAreListed();
    void missingOptionalTablesAreSkipped();
    void fileWithoutTheShopsTablesRefused_data();
    void fileWithoutTheShopsTablesRefused();
    void sequencesContinueAfterTheHighestNumber();
};

// Every value of the JSON that describes the shared file, with its type:
// counters, longs and yes/no as integers, numbers as reals, texts (dates as yyyy-mm-dd),
// Null as Null and the empty text as text. A yes/no that the JSON gives as
// null is 0: a yes/no of a Jet file has no Null.
void TestLegacyImport::sharedFileEqualsItsJson()
{
    TestShopDatabase shop;
    const QString mdb = legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb"));
    QFile jsonFile(legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.json")));
    QVERIFY(jsonFile.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(jsonFile.readAll()).object();
    QCOMPARE(json.size(), 13);

    const ImportResult result = importLegacyFile(mdb, shop.database(), options());
    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QCOMPARE(result.message, QStringLiteral("Importazione completata: 1760 righe in 13 tabelle."));
    QVERIFY(result.notes.empty());
    // The old sales summed for the statistics as if sold here.
    QVERIFY(shop.count(QStringLiteral("VenditeArticoli")) > 0);
    QCOMPARE(SalesSummaryCheck::problem(shop.database()), QString());

    for (auto it = json.begin(); it != json.end(); ++it) {
        const ShopTable *table = shopTable(it.key());
        QVERIFY2(table, qPrintable(it.key()));
        const QJsonArray columns = it->toObject().value(QStringLiteral("columns")).toArray();
        QStringList expected;
        for (const QJsonValue &row : it->toObject().value(QStringLiteral("rows")).toArray()) {
            QStringList cells;
            for (qsizetype c = 0; c < columns.size(); ++c) {
                const QVariant v = row.toArray().at(c).toVariant();
                const FieldKind kind = table->fields[c].kind;
                if (!v.isValid() || v.isNull())
                    cells << (kind == FieldKind::YesNo ? QStringLiteral("integer:0") : QStringLiteral("null"));
                else if (kind == FieldKind::Number)   // the JSON writes them 32.0, which Qt reads as a whole number
                    cells << QStringLiteral("real:%1").arg(v.toDouble(), 0, 'g', 17);
                else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double)
                    cells << QStringLiteral("integer:%1").arg(v.toLongLong());
                else
                    cells << QStringLiteral("text:") + v.toString();
            }
            expected << cells.join(QLatin1Char('|'));
        }
        QStringList names;
        for (const QJsonValue &c : columns)
            names << quotedName(c.toString());
        QStringList actual = rowsOf(shop.database().handle(), QStringLiteral("select %1 from %2")
                                                                  .arg(names.join(QLatin1Char(',')), quotedName(it.key())));
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
    }
    // The awkward cases by name, so that a change of the JSON cannot hide them.
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select length(art_Note) from Articoli where art_Codice = 7")),
             QStringLiteral("integer:575"));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select fat_Pagato from Fattura where fat_Numero = '05-00001'")),
             QStringLiteral("integer:-1"));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select count(*) from [Prima Nota] where pn_Uscita_Lire is not null")),
             QStringLiteral("integer:19"));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select anag_Stato from Anagrafica where anag_Contatore = 1")),
             QStringLiteral("text:"));
    // The database's own check, and a backup of what it was.
    QCOMPARE(scalarText(shop.database(), QStringLiteral("pragma integrity_check")), QStringLiteral("text:ok"));
    QCOMPARE(QFileInfo(result.backupPath).fileName(), QStringLiteral("tarvo-prima-dell-importazione-20261208-093000.mdb"));
    QVERIFY(QFileInfo::exists(result.backupPath));
}

void TestLegacyImport::refusedWhenTheDatabaseHoldsData()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Bottone')"));
    const QString mdb = legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb"));
    const QStringList before = dump(shop.database());
    const QStringList files = filesIn(shop.folder());

    const ImportResult result = importLegacyFile(mdb, shop.database(), options(WhenDataPresent::Refuse));

    QCOMPARE(int(result.outcome), int(ImportResult::Outcome::Refused));
    QCOMPARE(result.summary(), QStringLiteral("Il database contiene già dati (1 righe): l'importazione è rifiutata. "
                                              "Nulla è cambiato."));
    QCOMPARE(dump(shop.database()), before);
    QCOMPARE(filesIn(shop.folder()), files);
}

void TestLegacyImport::replaceTakesTheOldFileInstead()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Bottone')"));
    shop.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('999', 1)"));
    const QString mdb = legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb"));
    const QStringList before = dump(shop.database());

    const ImportResult result = importLegacyFile(mdb, shop.database(), options(WhenDataPresent::Replace));

    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QCOMPARE(shop.count(QStringLiteral("[Codice Articolo] where ca_Codice = '999'")), 0);
    QCOMPARE(shop.count(QStringLiteral("Articoli")), 60);
    QCOMPARE(shop.count(QStringLiteral("IVA")), 4);
    // The copy taken first holds the database as it was.
    auto copy = db::Database::open(result.backupPath);
    QCOMPARE(dump(*copy), before);
}

// Every table is emptied and written again: never under another till.
void TestLegacyImport::refusedWhileAnotherProgramHasTheShop()
{
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Bottone')"));
    const QString mdb = legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb"));
    const QStringList before = dump(shop.database());
    const QStringList files = filesIn(shop.folder());
    AnotherProgramLock till(AnotherProgramLock::shopLockOf(shop.path()), AnotherProgramLock::Shared);
    QVERIFY(till.held());

    const ImportResult result = importLegacyFile(mdb, shop.database(), options(WhenDataPresent::Replace));

    QCOMPARE(int(result.outcome), int(ImportResult::Outcome::Refused));
    QCOMPARE(result.summary(), QStringLiteral("Il database è aperto in un altro programma (un'altra cassa?): "
                                              "chiuderlo e riprovare. Il database non è stato modificato."));
    QCOMPARE(dump(shop.database()), before);
    QCOMPARE(filesIn(shop.folder()), files);
}

// The copies taken before each import are kept as the backups are: the
// newest ones only, as many as [backup] giorni says; several taken in one
// second by their number.
void TestLegacyImport::copiesBeforeImportKeepTheNewest()
{
    TestShopDatabase shop;
    {
        QSettings ini(shop.folder() + QStringLiteral("/tarvo.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("backup/giorni"), 2);
    }
    const QString prefix = QStringLiteral("tarvo-prima-dell-importazione-");
    for (const QString &stamp : {QStringLiteral("20261120-080000"), QStringLiteral("20261208-093000"),
                                 QStringLiteral("20261208-093000-2"), QStringLiteral("20261208-093000-10"),
                                 QStringLiteral("appunti")}) {
        QFile copy(shop.folder() + QLatin1Char('/') + prefix + stamp + QStringLiteral(".mdb"));
        QVERIFY(copy.open(QIODevice::WriteOnly));
    }
    const QString mdb = legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb"));

    const ImportResult result = importLegacyFile(mdb, shop.database(), options());

    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QCOMPARE(QFileInfo(result.backupPath).fileName(), prefix + QStringLiteral("20261208-093000-3.mdb"));
    QCOMPARE(QDir(shop.folder()).entryList({prefix + QLatin1Char('*')}, QDir::Files, QDir::Name),
             QStringList({prefix + QStringLiteral("20261208-093000-10.mdb"), prefix + QStringLiteral("20261208-093000-3.mdb"),
                          prefix + QStringLiteral("appunti.mdb")}));
}

void TestLegacyImport::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("truncated") << "truncated"
        << "Il file tarvo-legacy.mdb.cut204800.mdb è danneggiato o troncato: la tabella scarico ha 736 righe "
           "leggibili su 1000. Nulla è cambiato.";
    QTest::newRow("not a Jet file") << "text"
        << "Il file note.mdb non è un archivio di Access (Jet 4). Nulla è cambiato.";
    QTest::newRow("no such file") << "missing"
        << "Il file %1 non si apre: No such file or directory. Nulla è cambiato.";
}

void TestLegacyImport::refusedFilesChangeNothing()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    TestShopDatabase shop;
    QString path;
    if (kind == QLatin1String("truncated")) {
        path = truncatedCopy(legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb")), 204800);
    } else {
        path = QDir(shop.folder()).filePath(kind == QLatin1String("text") ? QStringLiteral("note.mdb")
                                                                           : QStringLiteral("assente.mdb"));
        if (kind == QLatin1String("text")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("Elenco articoli\n").repeated(1000));
        }
    }
    const QStringList before = dump(shop.database());
    const QStringList files = filesIn(shop.folder());

    const ImportResult result = importLegacyFile(path, shop.database(), options(WhenDataPresent::Replace));

    QCOMPARE(int(result.outcome), int(ImportResult::Outcome::Refused));
    QCOMPARE(result.summary(), message.contains(QLatin1String("%1")) ? message.arg(path) : message);
    QCOMPARE(dump(shop.database()), before);
    QCOMPARE(filesIn(shop.folder()), files);
}

// A fault half-way through, or the user's "Annulla": the database holds what
// it held, here the shop's own data that the import was to replace.
void TestLegacyImport::interruptedImportLeavesTheDatabase_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("message");
    QTest::newRow("reader fails at sale 700") << false
        << "Importazione non riuscita: lettura interrotta da un guasto. Nulla è cambiato.";
    QTest::newRow("cancelled in the sales") << true << "Importazione annullata. Nulla è cambiato.";
}

void TestLegacyImport::interruptedImportLeavesTheDatabase()
{
    QFETCH(bool, cancel);
    QFETCH(QString, message);
    TestShopDatabase shop;
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Bottone')"));
    shop.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Quantita) values ('123', 2)"));
    const QStringList before = dump(shop.database());
    auto file = MdbLegacyReader::open(legacyTestFile(shop.folder(), QStringLiteral("tarvo-legacy.mdb")));
    FailingReader failing(*file, QStringLiteral("scarico"), cancel ? 0 : 700);
    ImportOptions o = options(WhenDataPresent::Replace);
    QString readingWhenCancelled;
    QString reading;
    o.progress = [&](const ImportProgress &p) { reading = p.table; };
    if (cancel)
        o.cancelRequested = [&] {
            readingWhenCancelled = reading;
            return reading == QLatin1String("scarico");
        };

    const ImportResult result = importLegacyShop(failing, shop.database(), o);

    QCOMPARE(int(result.outcome), int(cancel ? ImportResult::Outcome::Cancelled : ImportResult::Outcome::Failed));
    QCOMPARE(result.summary(), message + QStringLiteral("\nCopia del database prima dell'importazione: ") + result.backupPath);
    QCOMPARE(dump(shop.database()), before);
    QVERIFY(!shop.database().inTransaction());
    // The database takes a sale afterwards as before, and sums it for the
    // statistics: the summary's triggers are back.
    shop.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Saldo) "
                                "values ('123', #12/1/2026#, 1, 5)"));
    QCOMPARE(shop.count(QStringLiteral("scarico")), 2);
    QCOMPARE(shop.count(QStringLiteral("VenditeGiorno")), 1);
    QCOMPARE(SalesSummaryCheck::problem(shop.database()), QString());
}

// One row through a fake file: the field's value in the database, with its type.
void TestLegacyImport::mapsEveryFieldKind_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<LegacyValue>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("counter keeps its number") << "Articoli" << "art_Codice" << LegacyValue::integer(4711) << "integer:4711";
    QTest::newRow("long") << "Codice Articolo" << "ca_Quantita" << LegacyValue::integer(-3) << "integer:-3";
    QTest::newRow("long from an integral double") << "Fattura" << "fat_Codice_Cliente" << LegacyValue::real(12) << "integer:12";
    QTest::newRow("long from a fraction: Null") << "Fattura" << "fat_Codice_Cliente" << LegacyValue::real(1.5) << "null";
    QTest::newRow("number from a double") << "scarico" << "sc_Prezzo" << LegacyValue::real(15.06) << "real:15.06";
    QTest::newRow("number from a whole number") << "scarico" << "sc_Quantita" << LegacyValue::integer(3) << "real:3";
    QTest::newRow("number from currency, exact") << "scarico" << "sc_Saldo" << LegacyValue::currency(1234567) << "real:123.4567";
    QTest::newRow("number from currency, tenths") << "Articoli" << "art_Prezzo_Listino" << LegacyValue::currency(1000) << "real:0.10000000000000001";
    QTest::newRow("number Null") << "scarico" << "sc_Sconto" << LegacyValue() << "null";
    QTest::newRow("number from a decimal comma text") << "scarico" << "sc_Sconto" << text("2,50") << "real:2.5";
    QTest::newRow("text with accents and euro") << "Anagrafica" << "anag_Località" << text("Forlì €") << "text:Forlì €";
    QTest::newRow("text with apostrophe") << "Anagrafica" << "anag_Denominazione" << text("Dell'Orto") << "text:Dell'Orto";
    QTest::newRow("empty text stays empty") << "Anagrafica" << "anag_Stato" << LegacyValue::text(QString()) << "text:";
    QTest::newRow("Null text stays Null") << "Anagrafica" << "anag_Stato" << LegacyValue() << "null";
    QTest::newRow("text from a number") << "scarico" << "sc_Pagamento" << LegacyValue::integer(7) << "text:7";
    QTest::newRow("memo past 255 characters") << "Articoli" << "art_Note" << LegacyValue::text(QString(70000, QLatin1Char('x')))
                                               << QStringLiteral("text:") + QString(70000, QLatin1Char('x'));
    QTest::newRow("date") << "scarico" << "sc_Data" << day(1999, 1, 31) << "text:1999-01-31";
    QTest::newRow("date with time") << "Prima Nota" << "pn_Data"
        << LegacyValue::date(QDateTime(QDate(2001, 7, 2), QTime(17, 5, 9), Qt::UTC)) << "text:2001-07-02 17:05:09";
    QTest::newRow("date of the last century") << "Fattura" << "fat_Data" << day(1899, 12, 30) << "text:1899-12-30";
    QTest::newRow("date Null") << "Fattura" << "fat_Data_Pagamento" << LegacyValue() << "null";
    QTest::newRow("date from a typed text") << "carico" << "ca_Data" << text("25/12/2003") << "text:2003-12-25";
    QTest::newRow("yes is -1") << "Fattura" << "fat_Pagato" << LegacyValue::yesNo(true) << "integer:-1";
    QTest::newRow("no is 0") << "Anagrafica" << "anag_Fornitore" << LegacyValue::yesNo(false) << "integer:0";
    QTest::newRow("yes/no from 1") << "carico" << "ca_Usato" << LegacyValue::integer(1) << "integer:-1";
    QTest::newRow("yes/no Null is 0") << "scarico" << "sc_Usato" << LegacyValue() << "integer:0";
}

void TestLegacyImport::mapsEveryFieldKind()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(LegacyValue, value);
    QFETCH(QString, stored);
    TestShopDatabase shop;
    FakeLegacyReader file = FakeLegacyReader::shopFile();
    const ShopTable *shape = shopTable(table);
    QHash<QString, LegacyValue> row {{field, value}};
    if (shape->keyField >= 0 && shape->keyLabel() != field)
        row.insert(shape->keyLabel(), shape->fields[shape->keyField].kind == FieldKind::Text ? text("K1") : LegacyValue::integer(1));
    file.addRow(table, row);

    const ImportResult result = importLegacyShop(file, shop.database(), options());

    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select %1 from %2").arg(quotedName(field), quotedName(table))),
             stored);
}

// The summary's line on each row that was not taken, or taken with a remark.
void TestLegacyImport::rowsThatNeedAWordAreListed_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("rows");   // field=value;field=value (text, or #number)
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("taken");
    QTest::newRow("unknown VAT code: kept")
        << "Dettaglio Fattura" << QStringList{"df_Numero_Fattura=05-00001;df_IVA=#9"}
        << "  Dettaglio Fattura, riga 1: la fattura 05-00001 non esiste; la riga è importata\n"
           "  Dettaglio Fattura, riga 1: il codice IVA 9 non esiste; la riga è importata" << 1;
    QTest::newRow("sale of an unknown bar code: kept")
        << "scarico" << QStringList{"sc_Codice=#1;sc_Codice_Articolo=8000009000003U"}
        << "  scarico, riga 1 (sc_Codice 1): il codice a barre 8000009000003U non esiste; la riga è importata" << 1;
    QTest::newRow("counter repeated: second not taken")
        << "Prima Nota" << QStringList{"pn_id=#5", "pn_id=#5"}
        << "  Prima Nota, riga 2 (pn_id 5): pn_id 5 è già in una riga precedente; la riga non è importata" << 1;
    QTest::newRow("bar code repeated but for case: not taken")
        << "Codice Articolo" << QStringList{"ca_Codice=800U;ca_Codice_Articolo=#1", "ca_Codice=800u;ca_Codice_Articolo=#1"}
        << "  Codice Articolo, riga 1 (ca_Codice 800U): l'articolo 1 non esiste; la riga è importata\n"
           "  Codice Articolo, riga 2 (ca_Codice 800u): ca_Codice 800u è già in una riga precedente; la riga non è importata" << 1;
    QTest::newRow("key missing: not taken")
        << "Fornitore" << QStringList{"fo_Descrizione="}
        << "  Fornitore, riga 1 (fo_Descrizione ): manca la chiave fo_Descrizione; la riga non è importata" << 0;
    QTest::newRow("date that is none: kept without it")
        << "Fattura" << QStringList{"fat_Numero=03-00001;fat_Data=31/02/2003"}
        << "  Fattura, riga 1 (fat_Numero 03-00001): fat_Data: il valore \"31/02/2003\" non è una data (il campo resta vuoto); "
           "la riga è importata" << 1;
}

void TestLegacyImport::rowsThatNeedAWordAreListed()
{
    QFETCH(QString, table);
    QFETCH(QStringList, rows);
    QFETCH(QString, line);
    QFETCH(int, taken);
    TestShopDatabase shop;
    FakeLegacyReader file = FakeLegacyReader::shopFile();
    for (const QString &row : rows) {
        QHash<QString, LegacyValue> values;
        for (const QString &pair : row.split(QLatin1Char(';'))) {
            const QString name = pair.section(QLatin1Char('='), 0, 0), v = pair.section(QLatin1Char('='), 1);
            values.insert(name, v.startsWith(QLatin1Char('#')) ? LegacyValue::integer(v.mid(1).toLongLong()) : LegacyValue::text(v));
        }
        file.addRow(table, values);
    }

    const ImportResult result = importLegacyShop(file, shop.database(), options());

    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QCOMPARE(result.summary().section(QStringLiteral("Righe da controllare:\n"), 1), line);
    QCOMPARE(shop.count(QLatin1Char('[') + table + QLatin1Char(']')), taken);
}

// A file without the journals and the VAT rates: both reported; the rates the
// program was delivered with stay, the journals are empty.
void TestLegacyImport::missingOptionalTablesAreSkipped()
{
    TestShopDatabase shop;
    FakeLegacyReader file = FakeLegacyReader::shopFile();
    file.removeTable(QStringLiteral("IVA"));
    file.removeTable(QStringLiteral("Prima Nota"));
    file.addRow(QStringLiteral("Dettaglio Fattura"), {{QStringLiteral("df_Numero_Fattura"), text("05-00001")},
                                                      {QStringLiteral("df_IVA"), LegacyValue::integer(3)}});

    const ImportResult result = importLegacyShop(file, shop.database(), options());

    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QVERIFY(result.summary().contains(QStringLiteral("\n  IVA: assente nell'archivio, saltata\n")));
    QVERIFY(result.summary().contains(QStringLiteral("\n  Prima Nota: assente nell'archivio, saltata\n")));
    QVERIFY(result.summary().contains(QStringLiteral("\n  Dettaglio Fattura: 1 lette, 1 importate\n")));
    QCOMPARE(shop.count(QStringLiteral("IVA")), 3);
    // Code 3 names a rate the database has: only the missing invoice is noted.
    QCOMPARE(int(result.notes.size()), 1);
    QCOMPARE(result.notes.front().reason, QStringLiteral("la fattura 05-00001 non esiste"));
}

void TestLegacyImport::fileWithoutTheShopsTablesRefused_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");   // empty: the whole table goes
    QTest::addColumn<QString>("message");
    QTest::newRow("no sales") << "scarico" << ""
        << "L'archivio non contiene la tabella scarico: non è l'archivio del programma precedente. Nulla è cambiato.";
    QTest::newRow("no accented field") << "Dettaglio Fattura" << "df_Quantità"
        << "Nella tabella Dettaglio Fattura dell'archivio manca il campo df_Quantità: non è l'archivio del programma "
           "precedente. Nulla è cambiato.";
}

void TestLegacyImport::fileWithoutTheShopsTablesRefused()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QString, message);
    TestShopDatabase shop;
    FakeLegacyReader file = FakeLegacyReader::shopFile();
    if (field.isEmpty())
        file.removeTable(table);
    else
        file.removeColumn(table, field);
    const QStringList before = dump(shop.database());

    const ImportResult result = importLegacyShop(file, shop.database(), options(WhenDataPresent::Replace));

    QCOMPARE(result.summary(), message);
    QCOMPARE(dump(shop.database()), before);
    QVERIFY(result.backupPath.isEmpty());
}

// Counters keep their numbers and new rows continue after the highest,
// also when the replaced data had gone further.
void TestLegacyImport::sequencesContinueAfterTheHighestNumber()
{
    TestShopDatabase shop;
    for (int i = 0; i < 50; ++i)
        shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Vecchio')"));
    FakeLegacyReader file = FakeLegacyReader::shopFile();
    for (int number : {42, 7})
        file.addRow(QStringLiteral("Articoli"), {{QStringLiteral("art_Codice"), LegacyValue::integer(number)},
                                                 {QStringLiteral("art_Descrizione"), text("Filo")}});

    const ImportResult result = importLegacyShop(file, shop.database(), options(WhenDataPresent::Replace));

    QVERIFY2(result.imported(), qPrintable(result.summary()));
    QCOMPARE(rowsOf(shop.database().handle(), QStringLiteral("select art_Codice from Articoli order by 1")),
             (QStringList{"integer:7", "integer:42"}));
    shop.execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Nuovo')"));
    shop.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo) values ('1')"));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select max(art_Codice) from Articoli")), QStringLiteral("integer:43"));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select sc_Codice from scarico")), QStringLiteral("integer:1"));
    QCOMPARE(scalarText(shop.database(), QStringLiteral("select count(*) from ArticoliTrigrammi where ArticoliTrigrammi match 'Vecchio'")),
             QStringLiteral("integer:0"));
}

QTEST_GUILESS_MAIN(TestLegacyImport)
#include "tst_legacy_import.moc"
