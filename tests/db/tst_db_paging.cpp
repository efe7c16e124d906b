#include "TestDatabase.h"

#include "RecordsetImpl.h"
#include "db/Recordset.h"

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
    void deleteAndAddNewOnAPagedSet();
    void aSlowPageBringsTheRestAtOnce();
    void writesMeanwhileNeitherRepeatNorSkipRows_data();
    void writesMeanwhileNeitherRepeatNorSkipRows();
    void refusedCommitLeavesNoTransaction_data();
    void refusedCommitLeavesNoTransaction();
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
