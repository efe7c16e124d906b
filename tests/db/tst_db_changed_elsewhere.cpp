// A record set's Update and Delete write only over the row they read: a row
// another connection (another till) changed or deleted in between is left as
// the other one left it, and the set raises 3197 with its clear message.
#include "TestDatabase.h"

#include "db/Database.h"
#include "db/Recordset.h"

#include <QtTest>

namespace {

const QString kChangedText = QStringLiteral(
    "Il record è stato modificato o eliminato da un altro utente dopo che è stato letto. "
    "Le modifiche non sono state salvate: rileggere il record e riprovare.");

} // namespace

class TestChangedElsewhere : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesOnlyOverTheRowRead_data();
    void writesOnlyOverTheRowRead();
};

void TestChangedElsewhere::writesOnlyOverTheRowRead_data()
{
    QTest::addColumn<QString>("source");     // the set, on the jacket (article 42, item "1234")
    QTest::addColumn<QString>("mine");       // "field=value;..." written here, empty: Delete
    QTest::addColumn<QString>("theirs");     // run on the other connection in between
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("after");      // a select of the row that must then give 1

    const QString article = QStringLiteral("select * from Articoli where art_Codice = 42");
    const QString joined = QStringLiteral("select * from [Codice Articolo], Articoli "
                                          "where ca_Codice_Articolo = art_Codice and ca_Codice = '1234'");
    QTest::newRow("update, nobody else wrote")
        << article << "art_Descrizione=Mia" << "" << false
        << "Articoli where art_Descrizione = 'Mia' and art_Prezzo_Listino = 20";
    QTest::newRow("update, the same field changed elsewhere")
        << article << "art_Descrizione=Mia" << "update Articoli set art_Descrizione = 'Altra'" << true
        << "Articoli where art_Descrizione = 'Altra'";
    QTest::newRow("update, a field read as Null filled elsewhere")
        << article << "art_Fornitore=Mio" << "update Articoli set art_Fornitore = 'Altro'" << true
        << "Articoli where art_Fornitore = 'Altro'";
    QTest::newRow("update, only the case changed elsewhere")
        << article << "art_Descrizione=Mia" << "update Articoli set art_Descrizione = 'GIACCA'" << true
        << "Articoli where art_Descrizione = 'GIACCA'";
    QTest::newRow("update, another field changed elsewhere: both stay")
        << article << "art_Descrizione=Mia" << "update Articoli set art_Prezzo_Listino = 30" << false
        << "Articoli where art_Descrizione = 'Mia' and art_Prezzo_Listino = 30";
    QTest::newRow("update, row deleted elsewhere")
        << article << "art_Descrizione=Mia" << "delete from Articoli" << true
        << "(select count(*) as n from Articoli) where n = 0";
    QTest::newRow("update of a join, one table's field changed elsewhere: neither table written")
        << joined << "art_Descrizione=Mia;ca_Quantita=7" << "update [Codice Articolo] set ca_Quantita = 4" << true
        << "[Codice Articolo], Articoli where ca_Quantita = 4 and art_Descrizione = 'Giacca'";
    QTest::newRow("delete, nobody else wrote")
        << article << "" << "" << false << "(select count(*) as n from Articoli) where n = 0";
    QTest::newRow("delete, any field changed elsewhere")
        << article << "" << "update Articoli set art_Prezzo_Listino = 30" << true
        << "Articoli where art_Prezzo_Listino = 30";
    QTest::newRow("delete, row deleted elsewhere")
        << article << "" << "delete from Articoli" << true << "(select count(*) as n from Articoli) where n = 0";
}

void TestChangedElsewhere::writesOnlyOverTheRowRead()
{
    QFETCH(QString, source);
    QFETCH(QString, mine);
    QFETCH(QString, theirs);
    QFETCH(bool, refused);
    QFETCH(QString, after);
    TestDatabase db;
    db.execute(QStringLiteral("insert into Articoli (art_Codice, art_Descrizione, art_Prezzo_Listino) values (42, 'Giacca', 20)"));
    db.execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) values ('1234', 42, 3)"));

    // The set is read (the window shows the row), then another till writes.
    auto rs = db->openRecordset(source);
    QCOMPARE(rs->recordCount(), 1);
    db::Database::closeAll();
    const std::shared_ptr<db::Database> otherTill = db::Database::open(db.path());
    QVERIFY(otherTill.get() != &*db);
    if (!theirs.isEmpty())
        otherTill->execute(theirs);

    auto write = [&] {
        if (mine.isEmpty()) {
            rs->deleteRecord();
            return;
        }
        rs->edit();
        for (const QString &assignment : mine.split(QLatin1Char(';')))
            rs->setValue(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
        rs->update();
    };
    if (!refused) {
        write();
    } else {
        const db::DbError error = expectDbError(write);
        QCOMPARE(error.number(), 3197L);
        QCOMPARE(error.kind(), db::ErrorKind::ChangedElsewhere);
        QCOMPARE(error.description(), kChangedText);
        if (!mine.isEmpty()) {
            // What the user typed is still there, waiting.
            QCOMPARE(rs->editMode(), db::EditMode::Editing);
            QCOMPARE(rs->value(mine.section(QLatin1Char('='), 0, 0)).toString(),
                     mine.section(QLatin1Char('='), 1).section(QLatin1Char(';'), 0, 0));
        }
    }
    QCOMPARE(otherTill->openRecordset(QStringLiteral("select count(*) from ") + after)->value(0).toInt(), 1);
    QVERIFY(!db->inTransaction());
}

QTEST_MAIN(TestChangedElsewhere)
#include "tst_db_changed_elsewhere.moc"
