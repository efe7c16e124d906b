#include "TestDatabase.h"

#include "RecordsetImpl.h"
#include "db/Recordset.h"
#include "db/SqlText.h"

#include <functional>
#include <sqlite3.h>

Q_DECLARE_METATYPE(std::function<void(db::Database &, db::Recordset &)>)
Q_DECLARE_METATYPE(std::function<void(db::Database &)>)

// Record sets whose keys come in pages, and transactions the file refuses
// to commit.
class PagingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void movesAcrossPagesKeepTheLegacyCount_data();
    void movesAcrossPagesKeepTheLegacyCount();
    void findFirstReadsOnToTheMatch();
    void lastRowWithoutTheKeysBefore_data();
    void lastRowWithoutTheKeysBefore();
    void lastRowOfAnEmptySet();
    void deleteAndAddNewOnAPagedSet();
    void aSlowPageBringsTheRestAtOnce();
    void writesMeanwhileNeitherRepeatNorSkipRows_data();
    void writesMeanwhileNeitherRepeatNorSkipRows();
    void refusedCommitLeavesNoTransaction_data();
    void refusedCommitLeavesNoTransaction();

private:
    void checkLastRowWithoutTheKeysBefore();
};

namespace {

constexpr int rows = 25;
const QString bySurname = QStringLiteral("select * from Anagrafica order by anag_Denominazione");

// The first page of every set opened while it lives.
class PageSize {
public:
    explicit PageSize(int size) : m_old(db::Recordset::Impl::firstPage) { db::Recordset::Impl::firstPage = size; }
    ~PageSize() { db::Recordset::Impl::firstPage = m_old; }
private:
    int m_old;
};

// "Nome 01" .. "Nome 25", inserted in reverse so that the order by name
// differs from the order of the counters.
void fill(db::Database &db)
{
    for (int i = rows; i >= 1; --i)
        db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Nome %1')")
                       .arg(i, 2, 10, QLatin1Char('0')));
}

QString name(int i)
{
    return QStringLiteral("Nome %1").arg(i + 1, 2, 10, QLatin1Char('0'));
}

QString current(db::Recordset &rs)
{
    return rs.value(QStringLiteral("anag_Denominazione")).toString();
}

// Every name from the current row to EOF.
QStringList readToEnd(db::Recordset &rs)
{
    QStringList names;
    while (!rs.eof()) {
        names << current(rs);
        rs.moveNext();
    }
    return names;
}

int refuse(void *)
{
    return 1; // turns the COMMIT into an error, as a full disk would
}

} // namespace

void PagingTest::movesAcrossPagesKeepTheLegacyCount_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("one row a page") << 1;
    QTest::newRow("pages of 4") << 4;
    QTest::newRow("pages of 7") << 7;
    QTest::newRow("one page holds all") << 64;
}

void PagingTest::movesAcrossPagesKeepTheLegacyCount()
{
    QFETCH(int, page);
    const PageSize size(page);
    TestDatabase db;
    fill(*db);

    auto rs = db->openRecordset(bySurname);
    QVERIFY(rs->recordCount() > 0);
    QCOMPARE(rs->recordCount() == rows, page >= rows);
    QCOMPARE(rs->absolutePosition(), 0);
    QVERIFY(!rs->eof() && !rs->bof());
    for (int i = 0; i < rows; ++i) {
        QCOMPARE(rs->absolutePosition(), i);
        QCOMPARE(current(*rs), name(i));
        QVERIFY(rs->recordCount() > i);
        rs->moveNext();
    }
    QVERIFY(rs->eof());
    QCOMPARE(rs->absolutePosition(), -1);
    QCOMPARE(rs->recordCount(), rows);
    for (int i = rows - 1; i >= 0; --i) {
        rs->movePrevious();
        QCOMPARE(current(*rs), name(i));
    }
    rs->movePrevious();
    QVERIFY(rs->bof() && !rs->eof());

    // The cards' counter: MoveLast, MoveFirst, then "1 di 25".
    auto card = db->openRecordset(bySurname);
    card->moveLast();
    QCOMPARE(card->recordCount(), rows);
    QVERIFY(card->recordCountFinal());
    QCOMPARE(card->absolutePosition(), rows - 1);
    QCOMPARE(current(*card), name(rows - 1));
    card->moveFirst();
    QCOMPARE(card->absolutePosition(), 0);
    QCOMPARE(card->recordCount(), rows);

    // A position beyond the keys read so far, and one beyond the last row.
    auto jump = db->openRecordset(bySurname);
    jump->setAbsolutePosition(rows - 3);
    QCOMPARE(current(*jump), name(rows - 3));
    QCOMPARE(expectDbError([&]() { jump->setAbsolutePosition(rows); }).number(), 3001L);
    QCOMPARE(current(*jump), name(rows - 3));

    // Requery starts again from the first page.
    jump->requery();
    QCOMPARE(jump->absolutePosition(), 0);
    QCOMPARE(readToEnd(*jump).size(), rows);
}

void PagingTest::lastRowWithoutTheKeysBefore_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<int>("page");
    const QString articles = QStringLiteral("select * from Articoli order by art_Codice");
    QTest::newRow("articles by code, with gaps") << articles << "art_Codice" << 4;
    QTest::newRow("articles, one row a page") << articles << "art_Codice" << 1;
    QTest::newRow("invoices by number") << "select * from Fattura order by fat_Numero" << "fat_Numero" << 4;
    QTest::newRow("names descending, ties and Nulls")
        << "select * from Anagrafica order by anag_Denominazione desc" << "anag_Contatore" << 3;
    QTest::newRow("one table without an order")
        << "select * from Anagrafica where anag_Fornitore = 0" << "anag_Contatore" << 4;
    QTest::newRow("register by counter, descending")
        << "select * from Anagrafica where anag_Fornitore = 0 order by anag_Contatore desc" << "anag_Contatore" << 3;
    QTest::newRow("a list of three tables by price")
        << "Select * from carico, articoli, [codice articolo] where [codice articolo].ca_Codice = "
           "carico.ca_Codice_Articolo and art_Codice = [codice articolo].ca_Codice_Articolo and  carico.ca_Data "
           "between #1/1/2026# and  #12/31/2026# order by ca_Prezzo"
        << "carico.ca_Codice" << 5;
}

// MoveLast reads the count and the last keys only; every move, find and
// delete then shows the rows that the set read whole shows, in its order.
void PagingTest::lastRowWithoutTheKeysBefore()
{
    try {
        checkLastRowWithoutTheKeysBefore();
    } catch (const db::DbError &error) {
        QFAIL(qPrintable(error.description() + QLatin1Char(' ') + error.detail()));
    }
}

void PagingTest::checkLastRowWithoutTheKeysBefore()
{
    QFETCH(QString, query);
    QFETCH(QString, keyField);
    QFETCH(int, page);
    TestDatabase db;
    // Codes with gaps, names repeated and missing, prices repeated.
    for (int i = 1; i <= 60; ++i) {
        const int code = i * 5 + i % 4;
        db->execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione) values (%1, 'A%2')")
                        .arg(code).arg(i));
        db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('B%1', %2)")
                        .arg(i).arg(code));
        db->execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Prezzo) "
                                   "values ('B%1', #%2/1/2026#, %3)").arg(i).arg(1 + i % 12).arg(i % 7 ? QString::number(i % 5) : QStringLiteral("null")));
        db->execute(QStringLiteral("insert into Fattura (fat_Numero, fat_Data) values ('%1-%2', #1/1/2026#)")
                        .arg(25 + i % 2).arg(1000 - i * 7, 5, 10, QLatin1Char('0')));
        db->execute(QStringLiteral("insert into Anagrafica (anag_Denominazione, anag_Fornitore) values (%1, %2)")
                        .arg(i % 9 == 0 ? QStringLiteral("null") : QStringLiteral("'Nome %1'").arg(i % 17))
                        .arg(i % 5 == 0 ? -1 : 0));
    }
    const auto keysOf = [&](db::Recordset &rs) {
        QStringList keys;
        if (rs.recordCount() == 0)
            return keys;
        rs.moveFirst();
        while (!rs.eof()) {
            keys << rs.value(keyField).toString();
            rs.moveNext();
        }
        return keys;
    };
    // The keys as the set read whole lists them.
    QStringList whole;
    {
        const PageSize all(100000);
        whole = keysOf(*db->openRecordset(query));
    }
    const int n = int(whole.size());
    QVERIFY(n > 3 * page + 8);
    const PageSize size(page);
    const auto at = [&](db::Recordset &rs, int position) {
        QCOMPARE(rs.absolutePosition(), position);
        QCOMPARE(rs.value(keyField).toString(), whole.at(position));
    };

    auto rs = db->openRecordset(query);
    rs->moveLast();
    QVERIFY(rs->recordCountFinal());
    QCOMPARE(rs->recordCount(), n);
    at(*rs, n - 1);
    // Back from the last keys into the ones not read yet.
    for (int i = 2; i <= page + 3; ++i) {
        rs->movePrevious();
        at(*rs, n - i);
    }
    rs->moveFirst();
    for (int i = 1; i <= page + 3; ++i) {
        rs->moveNext();
        at(*rs, i);
    }
    rs->moveLast();
    at(*rs, n - 1);
    rs->moveNext();
    QVERIFY(rs->eof());
    QCOMPARE(rs->recordCount(), n);

    // Finds: in the last keys, and between the first and the last ones.
    for (const int wanted : {n - 2, n / 2, 1}) {
        auto found = db->openRecordset(query);
        found->moveLast();
        found->moveFirst();
        found->findFirst(keyField + QStringLiteral(" = ") + db::quoted(whole.at(wanted)));
        QVERIFY(!found->noMatch());
        at(*found, wanted);
        QCOMPARE(found->recordCount(), n);
        QCOMPARE(keysOf(*found), whole);
    }
    auto jump = db->openRecordset(query);
    jump->moveLast();
    jump->setAbsolutePosition(n / 3);
    at(*jump, n / 3);

    // Deletes on the first and on the last keys, as a card deletes.
    auto card = db->openRecordset(query);
    card->moveLast();
    card->moveFirst();
    card->deleteRecord();
    card->moveFirst();
    QCOMPARE(card->value(keyField).toString(), whole.at(1));
    QCOMPARE(card->recordCount(), n - 1);
    card->moveLast();
    card->deleteRecord();
    card->movePrevious();
    QCOMPARE(card->value(keyField).toString(), whole.at(n - 2));
    QCOMPARE(card->absolutePosition(), n - 3);
    QCOMPARE(card->recordCount(), n - 2);
    QCOMPARE(keysOf(*card), whole.mid(1, n - 2));

    // Another till deletes a row not read yet: the set read on from the
    // start holds every other row once, on the row it showed.
    QStringList left = whole.mid(1, n - 2);
    auto other = db->openRecordset(query);
    other->moveLast();
    const QString gone = left.at(left.size() / 2);
    const QHash<QString, QString> deletion{
        {QStringLiteral("carico.ca_Codice"), QStringLiteral("delete from carico where ca_Codice = %1")},
        {QStringLiteral("art_Codice"), QStringLiteral("delete from Articoli where art_Codice = %1")},
        {QStringLiteral("fat_Numero"), QStringLiteral("delete from Fattura where fat_Numero = '%1'")},
        {QStringLiteral("anag_Contatore"), QStringLiteral("delete from Anagrafica where anag_Contatore = %1")}};
    TestShopDatabase::writeAsAnotherTill(db.path(), deletion.value(keyField).arg(gone));
    other->movePrevious();
    QCOMPARE(other->value(keyField).toString(), left.at(left.size() - 2));
    other->setAbsolutePosition(1);
    QCOMPARE(other->value(keyField).toString(), left.at(1));
    other->moveLast();
    QCOMPARE(other->value(keyField).toString(), left.last());
    left.removeOne(gone);
    QCOMPARE(keysOf(*other), left);
    QCOMPARE(other->recordCount(), int(left.size()));

    // Finds between the first and the last keys one after the other, and
    // moves on from them, as the recalls of a card.
    const int m = int(left.size());
    const auto on = [&](db::Recordset &rs, int position) {
        QCOMPARE(rs.absolutePosition(), position);
        QCOMPARE(rs.value(keyField).toString(), left.at(position));
    };
    const auto find = [&](db::Recordset &rs, const QString &key) {
        rs.findFirst(keyField + QStringLiteral(" = ") + db::quoted(key));
        QVERIFY(!rs.noMatch());
    };
    auto recall = db->openRecordset(query);
    recall->moveLast();
    recall->moveFirst();
    find(*recall, left.at(m / 2));
    on(*recall, m / 2);
    find(*recall, left.at(m / 3));
    on(*recall, m / 3);
    recall->moveNext();
    on(*recall, m / 3 + 1);
    recall->movePrevious();
    recall->movePrevious();
    on(*recall, m / 3 - 1);
    QCOMPARE(keysOf(*recall), left);

    // A delete on the row found.
    auto cut = db->openRecordset(query);
    cut->moveLast();
    cut->moveFirst();
    const QString removed = left.at(m / 2);
    find(*cut, removed);
    cut->deleteRecord();
    cut->moveNext();
    left.removeOne(removed);
    on(*cut, m / 2);
    QCOMPARE(cut->recordCount(), m - 1);
    QCOMPARE(keysOf(*cut), left);

    // Another till deletes a row before the one found: moving on shows the
    // rows that follow it, and back the row found.
    auto moved = db->openRecordset(query);
    moved->moveLast();
    moved->moveFirst();
    const QString kept = left.at(left.size() / 2);
    find(*moved, kept);
    const QString before = left.at(left.size() / 4);
    TestShopDatabase::writeAsAnotherTill(db.path(), deletion.value(keyField).arg(before));
    left.removeOne(before);
    const int keptAt = int(left.indexOf(kept));
    moved->moveNext();
    QCOMPARE(moved->value(keyField).toString(), left.at(keptAt + 1));
    moved->moveNext();
    QCOMPARE(moved->value(keyField).toString(), left.at(keptAt + 2));
    moved->movePrevious();
    moved->movePrevious();
    QCOMPARE(moved->value(keyField).toString(), kept);
}

void PagingTest::lastRowOfAnEmptySet()
{
    const PageSize size(4);
    TestDatabase db;
    auto rs = db->openRecordset(QStringLiteral("select * from Articoli order by art_Codice"));
    QCOMPARE(rs->recordCount(), 0);
    QCOMPARE(expectDbError([&] { rs->moveLast(); }).number(), 3021L);
    QVERIFY(rs->eof() && rs->bof());
    // A set read whole that just ends past its first page: no tail to read.
    for (int i = 1; i <= 6; ++i)
        db->execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('A%1')").arg(i));
    rs->requery();
    rs->moveLast();
    QCOMPARE(rs->recordCount(), 6);
    QCOMPARE(rs->absolutePosition(), 5);
    QCOMPARE(rs->value("art_Descrizione").toString(), QStringLiteral("A6"));
}

void PagingTest::findFirstReadsOnToTheMatch()
{
    const PageSize size(4);
    TestDatabase db;
    fill(*db);
    auto rs = db->openRecordset(bySurname);
    rs->findFirst(QStringLiteral("anag_Denominazione = 'Nome 18'"));
    QVERIFY(!rs->noMatch());
    QCOMPARE(rs->absolutePosition(), 17);
    QVERIFY(rs->recordCount() >= 18);
    rs->findNext(QStringLiteral("anag_Denominazione like 'Nome 2*'"));
    QCOMPARE(current(*rs), name(19));
    rs->findFirst(QStringLiteral("anag_Denominazione = 'Nessuno'"));
    QVERIFY(rs->noMatch());
    QCOMPARE(rs->absolutePosition(), 19);
    rs->findFirst(QStringLiteral("anag_Denominazione = 'Nome 25'"));
    QCOMPARE(rs->absolutePosition(), rows - 1);
    rs->moveNext();
    QVERIFY(rs->eof());
}

// An order that no index serves sorts the whole result for every page: after
// one slow page the rest of the keys come in one read.
void PagingTest::aSlowPageBringsTheRestAtOnce()
{
    const PageSize pages(4);
    const int old = db::Recordset::Impl::slowPageMs;
    TestDatabase db;
    fill(*db);
    for (const int slow : {1 << 20, 0}) {
        db::Recordset::Impl::slowPageMs = slow;
        auto rs = db->openRecordset(bySurname);
        QCOMPARE(rs->recordCount(), 4);
        for (int i = 0; i < 4; ++i)
            rs->moveNext();
        QCOMPARE(current(*rs), name(4));
        // Pages double (4 + 8) while they are fast; a slow one brings all 25.
        QCOMPARE(rs->recordCount(), slow == 0 ? rows : 12);
        rs->moveLast();
        QCOMPARE(current(*rs), name(rows - 1));
        QCOMPARE(rs->recordCount(), rows);
    }
    db::Recordset::Impl::slowPageMs = old;
}

void PagingTest::deleteAndAddNewOnAPagedSet()
{
    const PageSize size(4);
    TestDatabase db;
    fill(*db);
    auto rs = db->openRecordset(bySurname);
    // The last row of the first page: the next move reads the next page.
    rs->setAbsolutePosition(3);
    rs->deleteRecord();
    QCOMPARE(rs->absolutePosition(), -1);
    rs->moveNext();
    QCOMPARE(current(*rs), name(4));
    QStringList expected;
    for (int i = 4; i < rows; ++i)
        expected << name(i);
    QCOMPARE(readToEnd(*rs), expected);
    QCOMPARE(rs->recordCount(), rows - 1);

    // A new row on a set not read to its end: the count is complete, the
    // new row is the last and the current one.
    auto adding = db->openRecordset(bySurname);
    adding->addNew();
    adding->setValue(QStringLiteral("anag_Denominazione"), QStringLiteral("Aaa nuovo"));
    adding->update();
    QCOMPARE(adding->recordCount(), rows);
    QCOMPARE(adding->absolutePosition(), rows - 1);
    QCOMPARE(current(*adding), QStringLiteral("Aaa nuovo"));
    QCOMPARE(adding->value(QStringLiteral("anag_Contatore")).toLongLong(), adding->lastInsertedId());
    adding->moveFirst();
    QCOMPARE(readToEnd(*adding).count(QStringLiteral("Aaa nuovo")), 1);
}

void PagingTest::writesMeanwhileNeitherRepeatNorSkipRows_data()
{
    using Write = std::function<void(db::Database &, db::Recordset &)>;
    QTest::addColumn<Write>("write");
    QTest::addColumn<QStringList>("removed");
    QTest::newRow("this set renames a row it has read to sort last")
        << Write([](db::Database &, db::Recordset &rs) {
               rs.setAbsolutePosition(1);
               rs.edit();
               rs.setValue(QStringLiteral("anag_Denominazione"), QStringLiteral("Zzz"));
               rs.update();
           })
        << QStringList{name(1)};
    QTest::newRow("another statement deletes rows already read")
        << Write([](db::Database &db, db::Recordset &) {
               db.execute(QStringLiteral("delete from Anagrafica where anag_Denominazione in ('Nome 01', 'Nome 02')"));
           })
        << QStringList{};
    QTest::newRow("another statement adds rows before those read")
        << Write([](db::Database &db, db::Recordset &) {
               db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Aaa')"));
               db.execute(QStringLiteral("insert into Anagrafica (anag_Denominazione) values ('Aab')"));
           })
        << QStringList{};
}

// Rows written after the first page was read, before the next one is.
void PagingTest::writesMeanwhileNeitherRepeatNorSkipRows()
{
    using Write = std::function<void(db::Database &, db::Recordset &)>;
    QFETCH(Write, write);
    QFETCH(QStringList, removed);
    const PageSize size(4);
    TestDatabase db;
    fill(*db);
    auto rs = db->openRecordset(bySurname);
    write(*db, *rs);
    rs->setAbsolutePosition(3);
    const QStringList seen = readToEnd(*rs);
    QStringList expected;
    for (int i = 3; i < rows; ++i)
        if (!removed.contains(name(i)))
            expected << name(i);
    QCOMPARE(seen, expected);
}

void PagingTest::refusedCommitLeavesNoTransaction_data()
{
    using Work = std::function<void(db::Database &)>;
    QTest::addColumn<Work>("work");
    QTest::newRow("beginTrans, commitTrans") << Work([](db::Database &db) {
        db.beginTrans();
        db.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Perso')"));
        db.commitTrans();
    });
    QTest::newRow("a savepoint released, then the commit") << Work([](db::Database &db) {
        db.beginTrans();
        db.beginTrans();
        db.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Perso')"));
        db.commitTrans();
        db.commitTrans();
    });
    QTest::newRow("Transaction") << Work([](db::Database &db) {
        db::Transaction transaction(db);
        db.execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Perso')"));
        transaction.commit();
    });
    QTest::newRow("record set update over two tables") << Work([](db::Database &db) {
        auto rs = db.openRecordset(QStringLiteral("select * from carico, [codice articolo] "
                                                  "where [codice articolo].ca_Codice = carico.ca_Codice_Articolo"));
        rs->edit();
        rs->setValue(QStringLiteral("ca_Quantita"), 99);
        rs->setValue(QStringLiteral("ca_Taglia"), QStringLiteral("Perso"));
        rs->update();
    });
}

void PagingTest::refusedCommitLeavesNoTransaction()
{
    SKIP_ON_SERVER("SQLite's commit hook");
    using Work = std::function<void(db::Database &)>;
    QFETCH(Work, work);
    TestDatabase db;
    db->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Taglia) values ('800', 'M')"));
    db->execute(QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Quantita) values ('800', 1)"));
    sqlite3 *handle = db->handle();

    sqlite3_commit_hook(handle, refuse, nullptr);
    const db::DbError error = expectDbError([&]() { work(*db); });
    sqlite3_commit_hook(handle, nullptr, nullptr);
    QVERIFY(!error.description().isEmpty());
    QVERIFY(!db->inTransaction());
    QVERIFY(sqlite3_get_autocommit(handle));
    QCOMPARE(db->openRecordset(QStringLiteral("select * from Fornitore"))->recordCount(), 0);
    QCOMPARE(db->openRecordset(QStringLiteral("select * from [Codice Articolo] where ca_Taglia = 'Perso'"))
                 ->recordCount(), 0);

    // The next transaction is a real one again, and commits.
    db->beginTrans();
    QVERIFY(!sqlite3_get_autocommit(handle));
    db->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Tenuto')"));
    db->commitTrans();
    QVERIFY(!db->inTransaction());
    QVERIFY(sqlite3_get_autocommit(handle));
    QCOMPARE(db->openRecordset(QStringLiteral("select * from Fornitore"))->recordCount(), 1);
}

QTEST_MAIN(PagingTest)
#include "tst_db_paging.moc"
