#include "TestDatabase.h"

#include "DatabaseCopy.h"
#include "SchemaVersions.h"
#include "TextFunctions.h"
#include "rules/StoreBarcodes.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QHash>
#include <QMap>
#include <array>
#include <cmath>
#include <sqlite3.h>

// Schema versions: the first release's database upgraded in place, a newer
// one refused, and a file that any SQLite tool reads.
class VersionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void upgradeFromFirstReleaseKeepsEveryRow();
    void upgradeFromPreviousVersionKeepsEveryRow();
    void upgradeAddsTheSortIndexes_data();
    void upgradeAddsTheSortIndexes();
    void upgradeAddsTheStoreCodeCounter_data();
    void upgradeAddsTheStoreCodeCounter();
    void newerDatabaseIsRefusedUntouched();
    void failedStepLeavesTheVersionBefore();
    void plainSqliteReadsTheFile_data();
    void plainSqliteReadsTheFile();
    void textKeepsTheProgramsRules_data();
    void textKeepsTheProgramsRules();
};

namespace {

// A raw connection; `program` adds the program's collation and like.
struct Raw {
    sqlite3 *handle = nullptr;
    Raw(const QString &path, bool program)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr);
        if (program)
            db::registerTextFunctions(handle);
    }
    ~Raw() { sqlite3_close_v2(handle); }
    // Every row of the query, cells joined; the error text on failure.
    QStringList rows(const QString &sql) const
    {
        QStringList out;
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(handle, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
            return {QStringLiteral("ERRORE: ") + QString::fromUtf8(sqlite3_errmsg(handle))};
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                cells << (sqlite3_column_type(s, c) == SQLITE_NULL
                              ? QStringLiteral("<null>")
                              : QString::number(sqlite3_column_type(s, c)) + QLatin1Char(':')
                                    + QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c))));
            out << cells.join(QLatin1Char('|'));
        }
        if (rc != SQLITE_DONE)
            out << QStringLiteral("ERRORE: ") + QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_finalize(s);
        return out;
    }
    void exec(const QString &sql) const
    {
        char *message = nullptr;
        if (sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
            qFatal("%s: %s", qPrintable(sql), message);
    }
    QStringList tables() const
    {
        QStringList names;
        for (const QString &row : rows(QStringLiteral("select name from sqlite_schema where type = 'table' "
                                                      "and substr(name, 1, 7) <> 'sqlite_' order by name")))
            names << row.mid(2);
        return names;
    }
    // The whole content, table by table, in rowid order.
    QStringList content() const
    {
        QStringList out;
        for (const QString &table : tables()) {
            if (table.startsWith(QLatin1String("ArticoliTrigrammi")))
                continue;
            // The sales' summary has no rowid: its rows by their key.
            const bool keyed = table.startsWith(QLatin1String("Vendite"));
            out << table
                << rows(keyed ? QStringLiteral("select * from \"%1\" order by 1, 2").arg(table)
                              : QStringLiteral("select rowid, * from \"%1\" order by rowid").arg(table));
        }
        return out;
    }
    QStringList schema() const
    {
        QStringList out;
        // The planner's statistics (sqlite_stat1, from an upgrade's sample)
        // are the file's data about itself, not its schema.
        for (QString sql : rows(QStringLiteral("select type || ' ' || name || ' ' || sql from sqlite_schema "
                                               "where sql is not null and name not like 'sqlite^_stat%' escape '^' "
                                               "order by name")))
            out << sql.simplified();
        return out;
    }
};

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A shop as the first release left it: every table, texts in mixed case
// and accents, Nulls, numbers of each kind.
QString makeFirstReleaseShop(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("tarvo.mdb"));
    Raw raw(path, true);
    raw.exec(TestShopDatabase::firstReleaseSchema());
    raw.exec(QStringLiteral(
        "pragma journal_mode=wal;"
        "insert into Articoli values (1, 'Giacca in lana cotta', 'Lanificio Città', 10.5, 89.9, 11, 2.5, 3, -1, "
        "'2026-11-30', null, 'varie');"
        "insert into Articoli (art_Descrizione, art_Fornitore) values ('ÉCHARPE perché', 'ÀBACO srl');"
        "insert into [Codice Articolo] values ('8001234567895', 1, '48', 'Blu notte', 7);"
        "insert into [Codice Articolo] values ('8001234567895U', 1, '48', 'Blu', -2);"
        "insert into [Codice Articolo] values ('abc', 2, 'M', 'Rosé', 1);"
        "insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
        "values ('8001234567895', '2026-11-01', 9, 0, 0);"
        "insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, "
        "sc_Pagamento) values ('8001234567895', '2026-11-02', 2, 89.9, 0.8, 179, 'CO');"
        "insert into Anagrafica (anag_Denominazione, anag_Località, anag_Fornitore) values ('Rossi Ètore', 'Forlì', 0);"
        "insert into Fattura values ('26-00001', '2026-11-03', 1, 'Contanti', null, -1, 100.25, 'nota');"
        "insert into [Dettaglio Fattura] values ('26-00001', 'Riga', 1.5, 10, 3, 15);"
        "insert into Fornitore values ('Lanificio Città');"
        "insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro) "
        "values ('2001-12-31', 'Cassa', 19362.7, 10);"
        "insert into [Nota Fornitori] (pn_Data, pn_Descrizione) values ('2026-01-02', 'Fornitore');"));
    return path;
}

QStringList installedSchema()
{
    TestShopDatabase installed;
    db::Database::closeAll();
    return Raw(installed.path(), false).schema();
}

// The content of a shop before the electronic invoices' step as it is
// after it: the same rows, the new columns empty, the new table empty.
QStringList withElectronicInvoicing(const QStringList &before)
{
    QStringList expected;
    QString table;
    for (const QString &line : before) {
        if (!line.contains(QLatin1Char(':'))) {
            table = line;
            if (table > QLatin1String("Azienda") && !expected.contains(QStringLiteral("Azienda")))
                expected << QStringLiteral("Azienda");
            expected << line;
        } else if (table == QLatin1String("Anagrafica")) {
            expected << line + QStringLiteral("|<null>|<null>|<null>");
        } else if (table == QLatin1String("IVA")) {
            expected << line + QStringLiteral("|<null>");
        } else {
            expected << line;
        }
    }
    return expected;
}

// The content of a shop before the store codes' step as it is after it:
// the same rows, and the counter's table without any.
QStringList withStoreCodeCounter(const QStringList &before)
{
    const QString counter = QStringLiteral("CodiciNegozio");
    QStringList expected;
    for (const QString &line : before) {
        if (!line.contains(QLatin1Char(':')) && line > counter && !expected.contains(counter))
            expected << counter;
        expected << line;
    }
    if (!expected.contains(counter))
        expected << counter;
    return expected;
}

// The content of a shop before the stock take's step as it is after it: the
// three new tables without rows, every item without a minimum stock.
QStringList withStockTake(const QStringList &before)
{
    const QStringList added{QStringLiteral("Inventari"), QStringLiteral("InventarioConteggi"),
                            QStringLiteral("Rettifiche")};
    QStringList expected;
    QString table;
    const auto addTablesBefore = [&](const QString &next) {
        for (const QString &name : added)
            if ((next.isEmpty() || name < next) && !expected.contains(name))
                expected << name;
    };
    for (const QString &line : before) {
        if (!line.contains(QLatin1Char(':'))) {
            table = line;
            addTablesBefore(line);
            expected << line;
        } else {
            expected << (table == QLatin1String("Codice Articolo") ? line + QStringLiteral("|<null>") : line);
        }
    }
    addTablesBefore(QString());
    return expected;
}

// The content of a shop before the suppliers' invoices' step as it is after
// it: the two new tables without rows.
QStringList withSupplierInvoices(const QStringList &before)
{
    QStringList expected = before;
    for (const QString &name : {QStringLiteral("CodiciFornitori"), QStringLiteral("FattureFornitori")}) {
        qsizetype at = 0;
        while (at < expected.size()
               && (expected.at(at).contains(QLatin1Char(':')) || expected.at(at) < name))
            ++at;
        expected.insert(at, name);
    }
    return expected;
}

// The content of a shop after the statistics' step: its sales summed by
// day and payment, and by day, month and year for the article of each
// sale's bar code, worked out here from the rows of scarico and of the
// items in `before` (pieces in thousandths, amounts in cents).
QStringList withSalesSummary(const QStringList &before)
{
    const auto rowsOf = [&](const QString &table) {
        QList<QStringList> rows;
        const qsizetype at = before.indexOf(table);
        for (qsizetype i = at + 1; at >= 0 && i < before.size() && before.at(i).contains(QLatin1Char(':')); ++i)
            rows << before.at(i).split(QLatin1Char('|'));
        return rows;
    };
    const auto value = [](const QString &cell) { return cell == QLatin1String("<null>") ? QString() : cell.section(QLatin1Char(':'), 1); };
    // Through 15 significant digits, then to the nearest.
    const auto whole = [](const QString &number, int times) {
        return qint64(std::llround(QString::number(number.toDouble() * times, 'g', 15).toDouble()));
    };
    QHash<QString, QString> articleOf;   // rowid, ca_Codice, ca_Codice_Articolo, ...
    for (const QStringList &item : rowsOf(QStringLiteral("Codice Articolo")))
        articleOf.insert(value(item.at(1)).toLower(), value(item.at(2)));
    QMap<std::pair<QString, QString>, std::array<qint64, 4>> days;
    QMap<std::pair<QString, qint64>, std::array<qint64, 4>> articles;
    // rowid, sc_Codice, sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, sc_Saldo, sc_Pagamento
    for (const QStringList &sale : rowsOf(QStringLiteral("scarico"))) {
        const QString day = value(sale.at(3)).left(10);
        const qint64 pieces = whole(value(sale.at(4)), 1000), cents = whole(value(sale.at(7)), 100);
        auto &d = days[{day, value(sale.at(8))}];
        d = {d[0] + 1, d[1] + pieces, d[2] + cents, d[3] + whole(value(sale.at(6)), 100)};
        const QString article = articleOf.value(value(sale.at(2)).toLower(), QStringLiteral("0"));
        for (const QString &period : {day, day.left(7), day.left(4)}) {
            auto &a = articles[{period, article.toLongLong()}];
            a = {a[0] + 1, a[1] + pieces, a[2] + cents, 0};
        }
    }
    QList<std::pair<QString, QStringList>> added{{QStringLiteral("VenditeArticoli"), {}},
                                                 {QStringLiteral("VenditeGiorno"), {}}};
    for (auto it = articles.cbegin(); it != articles.cend(); ++it)
        added[0].second << QStringLiteral("3:%1|1:%2|1:%3|1:%4|1:%5")
                               .arg(it.key().first).arg(it.key().second).arg((*it)[0]).arg((*it)[1]).arg((*it)[2]);
    for (auto it = days.cbegin(); it != days.cend(); ++it)
        added[1].second << QStringLiteral("3:%1|3:%2|1:%3|1:%4|1:%5|1:%6")
                               .arg(it.key().first, it.key().second)
                               .arg((*it)[0]).arg((*it)[1]).arg((*it)[2]).arg((*it)[3]);
    QStringList expected = before;
    for (const auto &[name, rows] : added) {
        qsizetype at = 0;
        while (at < expected.size() && (expected.at(at).contains(QLatin1Char(':')) || expected.at(at) < name))
            ++at;
        expected.insert(at, name);
        for (qsizetype r = 0; r < rows.size(); ++r)
            expected.insert(at + 1 + r, rows.at(r));
    }
    return expected;
}

// The content of a shop at version `from` as the upgrade leaves it.
QStringList upgraded(QStringList content, int from)
{
    if (from < 3)
        content = withElectronicInvoicing(content);
    if (from < 5)
        content = withStoreCodeCounter(content);
    if (from < 6)
        content = withStockTake(content);
    if (from < 7)
        content = withSupplierInvoices(content);
    if (from < 8)
        content = withSalesSummary(content);
    return content;
}

// The versions an upgrade from `from` copies the file at, one per step.
QList<int> stepsFrom(int from)
{
    QList<int> versions;
    for (int version = from; version < db::SchemaVersions::latest(); ++version)
        versions << version;
    return versions;
}

// The first release's shop brought to `version` by the steps up to it.
void stepTo(const Raw &raw, int version)
{
    for (const db::SchemaVersions::Step &step : db::SchemaVersions::steps())
        if (step.version <= version)
            step.apply(raw.handle);
    raw.exec(QStringLiteral("pragma user_version = %1").arg(version));
}

} // namespace

void VersionsTest::upgradeFromFirstReleaseKeepsEveryRow()
{
    QTemporaryDir dir;
    const QString path = makeFirstReleaseShop(dir);
    QStringList before;
    {
        Raw raw(path, true);
        QCOMPARE(db::SchemaVersions::versionOf(raw.handle), 0);
        before = raw.content();
    }
    QList<int> copiesAt;
    {
        Raw raw(path, true);
        db::SchemaVersions::upgrade(raw.handle, [&](int version) { copiesAt << version; });
        QCOMPARE(db::SchemaVersions::versionOf(raw.handle), db::SchemaVersions::latest());
        // Upgrading again is nothing to do.
        db::SchemaVersions::upgrade(raw.handle, [&](int version) { copiesAt << version; });
    }
    QCOMPARE(copiesAt, stepsFrom(0));
    Raw plain(path, false);
    QCOMPARE(plain.content(), upgraded(before, 0));
    QCOMPARE(plain.rows(QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("3:ok")});

    // The same schema as a database the install makes today.
    QCOMPARE(plain.schema(), installedSchema());

    // The articles the first release knew are found by any part of their description.
    QCOMPARE(plain.rows(QStringLiteral("select rowid from ArticoliTrigrammi where ArticoliTrigrammi match 'perch'")),
             QStringList{QStringLiteral("1:2")});
}

void VersionsTest::upgradeFromPreviousVersionKeepsEveryRow()
{
    // A shop at the version before the electronic invoices: the first
    // release's file brought there by the earlier steps only.
    QTemporaryDir dir;
    const QString path = makeFirstReleaseShop(dir);
    const int previous = 2;
    QStringList before;
    {
        Raw raw(path, true);
        for (const db::SchemaVersions::Step &step : db::SchemaVersions::steps())
            if (step.version <= previous)
                step.apply(raw.handle);
        raw.exec(QStringLiteral("pragma user_version = %1").arg(previous));
        raw.exec(QStringLiteral("update Anagrafica set anag_Partita_IVA = '01234567897', anag_Codice_Fiscale = "
                                "'RSSMRA85T10A562S'; insert into IVA values (9, 'Esente', 0)"));
        before = raw.content();
    }
    QList<int> copiesAt;
    {
        Raw raw(path, true);
        db::SchemaVersions::upgrade(raw.handle, [&](int version) { copiesAt << version; });
    }
    QCOMPARE(copiesAt, stepsFrom(previous));
    Raw plain(path, false);
    QCOMPARE(db::SchemaVersions::versionOf(plain.handle), db::SchemaVersions::latest());
    // Every row as it was, the new columns empty, the new tables without rows.
    QCOMPARE(plain.content(), upgraded(before, previous));
    QCOMPARE(plain.rows(QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("3:ok")});
    QCOMPARE(plain.schema(), installedSchema());
    // The defaults of a new identity row.
    plain.exec(QStringLiteral("insert into Azienda (az_Codice) values (1)"));
    QCOMPARE(plain.rows(QStringLiteral("select az_Regime_Fiscale, az_Nazione, az_Progressivo_Invio from Azienda")),
             QStringList{QStringLiteral("3:RF01|3:IT|1:0")});
}

void VersionsTest::upgradeAddsTheSortIndexes_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("columns");
    QTest::newRow("sales by price") << "scarico_PrezzoData" << "sc_Prezzo,sc_Data";
    QTest::newRow("loads by price") << "carico_PrezzoData" << "ca_Prezzo,ca_Data";
    QTest::newRow("articles by last sale") << "Articoli_DataUltimaVendita" << "art_Data_Ultima_Vendita";
    QTest::newRow("sales by date with item and quantity")
        << "scarico_DataArticolo" << "sc_Data,sc_Codice_Articolo,sc_Quantita";
}

// A shop at version 3 gets the indexes of the sorted lists, each row kept,
// after one safety copy; the statistics of the movement tables come with
// them, as the planner needs them to read a period in price order.
void VersionsTest::upgradeAddsTheSortIndexes()
{
    QFETCH(QString, index);
    QFETCH(QString, columns);
    QTemporaryDir dir;
    const QString path = makeFirstReleaseShop(dir);
    QStringList before;
    {
        Raw raw(path, true);
        for (const db::SchemaVersions::Step &step : db::SchemaVersions::steps())
            if (step.version <= 3)
                step.apply(raw.handle);
        raw.exec(QStringLiteral("pragma user_version = 3; drop table if exists sqlite_stat1"));
        raw.exec(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Prezzo) "
                                "values ('abc', '2026-11-03', 12.5), ('abc', '2026-10-01', null)"));
        QCOMPARE(raw.rows(QStringLiteral("select count(*) from pragma_index_list('%1') where name = '%2'")
                              .arg(index.section(QLatin1Char('_'), 0, 0), index)),
                 QStringList{QStringLiteral("1:0")});
        before = raw.content();
    }
    QList<int> copiesAt;
    {
        Raw raw(path, true);
        db::SchemaVersions::upgrade(raw.handle, [&](int version) { copiesAt << version; });
    }
    QCOMPARE(copiesAt, stepsFrom(3));
    Raw plain(path, false);
    QCOMPARE(db::SchemaVersions::versionOf(plain.handle), db::SchemaVersions::latest());
    QCOMPARE(plain.content(), upgraded(before, 3));
    QCOMPARE(plain.rows(QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("3:ok")});
    QCOMPARE(plain.schema(), installedSchema());
    QStringList indexed;
    for (const QString &row : plain.rows(QStringLiteral("select name from pragma_index_info('%1') order by seqno")
                                             .arg(index)))
        indexed << row.mid(2);
    QCOMPARE(indexed.join(QLatin1Char(',')), columns);
    QCOMPARE(plain.rows(QStringLiteral("select count(distinct tbl) from sqlite_stat1 "
                                       "where tbl in ('carico', 'scarico')")),
             QStringList{QStringLiteral("1:2")});
}

void VersionsTest::upgradeAddsTheStoreCodeCounter_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("typed");   // an in-store code typed by hand before, or none
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("version 4") << 4 << "" << QStringList{"2000000000015", "2000000000022"};
    QTest::newRow("version 4, first code typed by hand")
        << 4 << "2000000000015" << QStringList{"2000000000022", "2000000000039"};
    QTest::newRow("version 3") << 3 << "2000000000022" << QStringList{"2000000000015", "2000000000039"};
}

// A shop of an older version gets the counter of its own codes after one
// safety copy per step, each row kept, with the schema of a new shop; the
// program then gives its codes from the first, passing over one the shop
// had typed by hand.
void VersionsTest::upgradeAddsTheStoreCodeCounter()
{
    QFETCH(int, from);
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    QTemporaryDir dir;
    const QString path = makeFirstReleaseShop(dir);
    QStringList before;
    {
        Raw raw(path, true);
        stepTo(raw, from);
        if (!typed.isEmpty())
            raw.exec(QStringLiteral("insert into [Codice Articolo] values ('%1', 1, 'M', null, 2)").arg(typed));
        QCOMPARE(raw.tables().contains(QStringLiteral("CodiciNegozio")), false);
        before = raw.content();
    }
    QList<int> copiesAt;
    {
        Raw raw(path, true);
        db::SchemaVersions::upgrade(raw.handle, [&](int version) { copiesAt << version; });
    }
    QList<int> expectedCopies;
    for (int version = from; version < db::SchemaVersions::latest(); ++version)
        expectedCopies << version;
    QCOMPARE(copiesAt, expectedCopies);
    {
        Raw plain(path, false);
        QCOMPARE(db::SchemaVersions::versionOf(plain.handle), db::SchemaVersions::latest());
        QCOMPARE(plain.content(), upgraded(before, from));
        QCOMPARE(plain.rows(QStringLiteral("pragma integrity_check")), QStringList{QStringLiteral("3:ok")});
        QCOMPARE(plain.schema(), installedSchema());
    }
    auto shop = db::Database::open(path);
    StoreBarcodes barcodes(*shop);
    QCOMPARE((QStringList{barcodes.next(), barcodes.next()}), codes);
    shop.reset();
    db::Database::closeAll();
}

void VersionsTest::newerDatabaseIsRefusedUntouched()
{
    QTemporaryDir dir;
    const QString path = makeFirstReleaseShop(dir);
    const int newer = db::SchemaVersions::latest() + 1;
    {
        Raw raw(path, true);
        raw.exec(QStringLiteral("pragma journal_mode=delete; pragma user_version = %1").arg(newer));
    }
    const QByteArray before = fileHash(path);
    Raw raw(path, true);
    bool stepped = false;
    const db::DbError error = expectDbError([&] {
        db::SchemaVersions::upgrade(raw.handle, [&](int) { stepped = true; });
    });
    QCOMPARE(error.description(),
             QStringLiteral("Il database è della versione %1, più recente di questo programma (che arriva alla "
                            "versione %2). Installare la versione aggiornata del programma; il database non è "
                            "stato modificato.").arg(newer).arg(newer - 1));
    QVERIFY(!stepped);
    QCOMPARE(fileHash(path), before);
}

void VersionsTest::failedStepLeavesTheVersionBefore()
{
    // A table of the same name as the search index stops the first step:
    // the file stays at version 0 with every row, ready to be tried again.
    QTemporaryDir dir;
    const QString path = makeFirstReleaseShop(dir);
    Raw raw(path, true);
    raw.exec(QStringLiteral("create table ArticoliTrigrammi_config (k, v)"));
    const QStringList before = raw.content();
    QList<int> copiesAt;
    expectDbError([&] { db::SchemaVersions::upgrade(raw.handle, [&](int version) { copiesAt << version; }); });
    QCOMPARE(copiesAt, QList<int>{0});
    QCOMPARE(db::SchemaVersions::versionOf(raw.handle), 0);
    QCOMPARE(raw.content(), before);
}

void VersionsTest::plainSqliteReadsTheFile_data()
{
    QTest::addColumn<bool>("upgraded");
    QTest::newRow("installed") << false;
    QTest::newRow("upgraded from the first release") << true;
}

void VersionsTest::plainSqliteReadsTheFile()
{
    QFETCH(bool, upgraded);
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<TestShopDatabase> installed;
    if (upgraded) {
        path = makeFirstReleaseShop(dir);
        Raw raw(path, true);
        db::SchemaVersions::upgrade(raw.handle);
    } else {
        installed = std::make_unique<TestShopDatabase>();
        path = installed->path();
        installed->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Giacca')"));
        db::Database::closeAll();
    }
    // No collation, no function of the program: what any SQLite tool has.
    QStringList queries{QStringLiteral("pragma integrity_check")};
    Raw plain(path, false);
    for (const QString &table : plain.tables()) {
        queries << QStringLiteral("select count(*) from \"%1\"").arg(table);
        for (const QString &column : plain.rows(QStringLiteral("select name from pragma_table_info('%1') "
                                                               "where type = 'TEXT'").arg(table)))
            queries << QStringLiteral("select \"%1\" from \"%2\" order by \"%1\"").arg(column.mid(2), table);
    }
    QVERIFY(queries.size() > 40);
    for (const QString &query : std::as_const(queries))
        for (const QString &row : plain.rows(query))
            QVERIFY2(!row.startsWith(QLatin1String("ERRORE")), qPrintable(query + QLatin1String(": ") + row));
    QCOMPARE(plain.rows(queries.first()), QStringList{QStringLiteral("3:ok")});

    // The sqlite3 shell itself, where it is installed.
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        return;
    QProcess process;
    process.start(shell, {QStringLiteral("-bail"), path});
    process.write(queries.join(QStringLiteral(";\n")).toUtf8() + ";\n.quit\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QVERIFY(process.readAllStandardOutput().startsWith("ok\n"));
}

void VersionsTest::textKeepsTheProgramsRules_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("code in another case")
        << "select ca_Taglia from [Codice Articolo] where ca_Codice = 'ABC'" << QStringList{"M"};
    QTest::newRow("accented capital")
        << "select art_Codice from Articoli where art_Descrizione = 'écharpe PERCHÉ'" << QStringList{"2"};
    QTest::newRow("accent is a different letter")
        << "select art_Codice from Articoli where art_Descrizione = 'echarpe perche'" << QStringList{};
    QTest::newRow("number against a text code")
        << "select ca_Taglia from [Codice Articolo] where ca_Codice = 8001" << QStringList{"L"};
    QTest::newRow("value on the left")
        << "select ca_Taglia from [Codice Articolo] where 'aBc' = ca_Codice" << QStringList{"M"};
    QTest::newRow("join on text codes")
        << "select sc_Quantita from scarico, [Codice Articolo] where [codice articolo].ca_Codice = "
           "scarico.sc_Codice_Articolo and ca_Colore = 'BLU NOTTE'" << QStringList{"2"};
    QTest::newRow("order ignores case and accents")
        << "select art_Descrizione from Articoli order by art_Descrizione"
        << QStringList{"abito", "Écharpe perché", "ecru", "Giacca"};
    QTest::newRow("order descending")
        << "select art_Descrizione from Articoli order by art_Descrizione desc"
        << QStringList{"Giacca", "ecru", "Écharpe perché", "abito"};
    QTest::newRow("grouping ignores case")
        << "select count(*) from scarico group by sc_Pagamento" << QStringList{"2"};
    QTest::newRow("range compares with the program's order")
        << "select art_Descrizione from Articoli where art_Descrizione > 'd' and art_Descrizione < 'f' "
           "order by art_Codice" << QStringList{"Écharpe perché", "ecru"};
    QTest::newRow("update by code in another case")
        << "update [Codice Articolo] set ca_Quantita = 5 where ca_Codice = 'ABC'" << QStringList{"1"};
}

void VersionsTest::textKeepsTheProgramsRules()
{
    QFETCH(QString, query);
    QFETCH(QStringList, expected);
    TestDatabase db;
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (1, 'Giacca')"));
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (2, 'Écharpe perché')"));
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (3, 'abito')"));
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (4, 'ecru')"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Taglia, ca_Colore) values ('abc', 'M', 'Blu notte')"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Taglia) values ('8001', 'L')"));
    db.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Quantita, sc_Pagamento) values ('ABC', 2, 'CO')"));
    db.execute(QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Quantita, sc_Pagamento) values ('x', 1, 'co')"));
    QStringList got;
    if (query.startsWith(QLatin1String("update"))) {
        got << QString::number(db->execute(query));
    } else {
        auto rs = db->openRecordset(query);
        for (; !rs->eof(); rs->moveNext())
            got << rs->value(0).toString();
    }
    QCOMPARE(got, expected);
    // Two codes that differ by case only are still one code.
    const db::DbError duplicate = expectDbError(
        [&] { db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice) values ('ABC')")); });
    QCOMPARE(int(duplicate.kind()), int(db::ErrorKind::DuplicateKey));
}

QTEST_GUILESS_MAIN(VersionsTest)
#include "tst_db_versions.moc"
