#include "TestShopDatabase.h"

#include "data/DataControl.h"
#include "db/Recordset.h"

#include <QSignalSpy>
#include <QtTest>

// The data control: database name + record source + the set opened on them.
class TestDataControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup() { m_db.reset(); }

    void refreshOpensTheRecordSource();
    void refreshAgainReadsNewRows();
    void movesAndEditModeAreRelayed();
    void failedRefreshKeepsTheOpenSet_data();
    void failedRefreshKeepsTheOpenSet();

private:
    std::unique_ptr<TestShopDatabase> m_db;
};

void TestDataControl::init()
{
    m_db = std::make_unique<TestShopDatabase>();
    m_db->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Bianchi')"));
    m_db->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Alfieri')"));
}

void TestDataControl::refreshOpensTheRecordSource()
{
    data::DataControl control;
    QVERIFY(!control.recordset());
    QCOMPARE(control.editMode(), db::EditMode::None);
    QSignalSpy refreshed(&control, &data::DataControl::refreshed);
    control.setDatabaseName(m_db->path());
    control.setConnect(QStringLiteral(";PWD="));
    control.setRecordSource(QStringLiteral("select * from [Fornitore] order by fo_Descrizione"));
    control.refresh();
    QCOMPARE(refreshed.size(), 1);
    QVERIFY(control.recordset());
    QVERIFY(control.database());
    QCOMPARE(control.recordset()->recordCount(), 2);
    QCOMPARE(control.recordset()->value(QStringLiteral("fo_Descrizione")).toString(), QStringLiteral("Alfieri"));
    QCOMPARE(control.databaseName(), m_db->path());
    QCOMPARE(control.connect(), QStringLiteral(";PWD="));
}

void TestDataControl::refreshAgainReadsNewRows()
{
    data::DataControl control;
    control.setDatabaseName(m_db->path());
    control.setRecordSource(QStringLiteral("select * from Fornitore"));
    control.refresh();
    m_db->execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values ('Conti')"));
    control.setRecordSource(QStringLiteral("select * from Fornitore where fo_Descrizione like \"C*\""));
    control.refresh();
    QCOMPARE(control.recordset()->recordCount(), 1);
    QCOMPARE(control.recordset()->value(QStringLiteral("fo_Descrizione")).toString(), QStringLiteral("Conti"));
}

void TestDataControl::movesAndEditModeAreRelayed()
{
    data::DataControl control;
    control.setDatabaseName(m_db->path());
    control.setRecordSource(QStringLiteral("select * from Fornitore order by fo_Descrizione"));
    control.refresh();
    QSignalSpy moved(&control, &data::DataControl::currentChanged);
    QSignalSpy mode(&control, &data::DataControl::editModeChanged);
    control.recordset()->moveNext();
    QVERIFY(moved.size() >= 1);
    control.recordset()->edit();
    QCOMPARE(control.editMode(), db::EditMode::Editing);
    QVERIFY(mode.size() >= 1);
    QCOMPARE(mode.last().first().value<db::EditMode>(), db::EditMode::Editing);
    control.recordset()->cancelUpdate();
    QCOMPARE(control.editMode(), db::EditMode::None);
}

void TestDataControl::failedRefreshKeepsTheOpenSet_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("kind");
    QTest::newRow("no record source") << "tarvo.mdb" << "  " << int(db::ErrorKind::Syntax);
    QTest::newRow("missing database") << "altrove/manca.mdb" << "select * from Fornitore" << int(db::ErrorKind::FileNotFound);
    QTest::newRow("unknown table") << "tarvo.mdb" << "select * from Nessuna" << int(db::ErrorKind::UnknownName);
}

void TestDataControl::failedRefreshKeepsTheOpenSet()
{
    QFETCH(QString, file);
    QFETCH(QString, source);
    QFETCH(int, kind);
    data::DataControl control;
    control.setDatabaseName(m_db->path());
    control.setRecordSource(QStringLiteral("select * from Fornitore order by fo_Descrizione"));
    control.refresh();
    db::Recordset *before = control.recordset();

    control.setDatabaseName(m_db->folder() + QLatin1Char('/') + file);
    control.setRecordSource(source);
    QSignalSpy refreshed(&control, &data::DataControl::refreshed);
    try {
        control.refresh();
        QFAIL("the refresh must fail");
    } catch (const db::DbError &error) {
        QCOMPARE(int(error.kind()), kind);
    }
    QCOMPARE(refreshed.size(), 0);
    QCOMPARE(control.recordset(), before);
    QCOMPARE(control.recordset()->value(QStringLiteral("fo_Descrizione")).toString(), QStringLiteral("Alfieri"));
}

QTEST_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
