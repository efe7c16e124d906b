#include "GridTestDatabase.h"

#include "data/RecordsetModel.h"
#include "db/Recordset.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <sqlite3.h>

using data::GridColumn;
using data::RecordsetModel;

class TestGridModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passesTheModelTester();
    void showsStoredValuesInTheColumnsFormats();
    void pendingValuesReachTheSetOnlyWhenWritten();
    void addNewRowBecomesAStoredRow();
    void textThatDoesNotFitIsRefusedBeforeAnyWrite();
    void duplicateKeyLeavesThePendingRow();
    void readingRowsNeverMovesTheWindowsRecord();
    void largeSetOpensWithoutReadingEveryRow();

private:
    static QList<GridColumn> journalColumns();
    static void addJournalRows(db::Database &db);
};

QList<GridColumn> TestGridModel::journalColumns()
{
    GridColumn date(QStringLiteral("Data"), QStringLiteral("pn_Data"));
    GridColumn text(QStringLiteral("Descrizione"), QStringLiteral("pn_Descrizione"));
    GridColumn lire(QStringLiteral("Uscita Lire"), QStringLiteral("pn_Uscita_Lire"));
    lire.numberFormat = QStringLiteral("#,##0");
    GridColumn euro(QStringLiteral("Importo"), QStringLiteral("pn_Uscita_Euro"));
    euro.numberFormat = QStringLiteral("Standard");
    GridColumn invoice(QStringLiteral("Fattura"), QStringLiteral("pn_Fattura"));
    GridColumn invoiceAgain(QStringLiteral("Fattura"), QStringLiteral("PN_FATTURA"));
    return {date, text, lire, euro, invoice, invoiceAgain};
}

void TestGridModel::addJournalRows(db::Database &db)
{
    db.execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro, pn_Fattura)"
                              " values (#12/6/2026#, \"Affitto\", 1234567, 637.6, \"F1\")"));
    db.execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro)"
                              " values (#1/2/2026#, \"Luce\", 193627, 100)"));
}

void TestGridModel::passesTheModelTester()
{
    GridTestDatabase t;
    addJournalRows(t.db());
    auto rs = t.db().openRecordset(QStringLiteral("select * from [Prima Nota] order by pn_id"));
    RecordsetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setColumns(journalColumns());
    model.setRecordset(rs.get());
    model.setAllowAddNew(true);
    QCOMPARE(model.rowCount(), 3);

    QVERIFY(model.setData(model.index(1, 1), QStringLiteral("Gas"), Qt::EditRole));
    QVERIFY(!model.writePending());   // a change, not a new row
    QCOMPARE(model.editRow(), -1);
    QVERIFY(model.setData(model.index(2, 1), QStringLiteral("Acqua"), Qt::EditRole));
    QVERIFY(model.writePending());
    QCOMPARE(model.rowCount(), 4);
    model.deleteRow(0);
    QCOMPARE(model.rowCount(), 3);
    model.setAllowAddNew(false);
    QCOMPARE(model.rowCount(), 2);
    model.setRecordset(nullptr);
    QCOMPARE(model.rowCount(), 0);
}

void TestGridModel::showsStoredValuesInTheColumnsFormats()
{
    GridTestDatabase t;
    addJournalRows(t.db());
    auto rs = t.db().openRecordset(QStringLiteral("select * from [Prima Nota] order by pn_id"));
    RecordsetModel model;
    model.setColumns(journalColumns());
    model.setRecordset(rs.get());

    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("06/12/2026"));
    QCOMPARE(model.data(model.index(0, 2)).toString(), QStringLiteral("1.234.567"));
    QCOMPARE(model.data(model.index(0, 3)).toString(), QStringLiteral("637,60"));
    QCOMPARE(model.data(model.index(1, 3)).toString(), QStringLiteral("100,00"));
    QCOMPARE(model.data(model.index(1, 4)).toString(), QString());
    // The editor gets the plain number, not its decoration.
    QCOMPARE(model.data(model.index(0, 2), Qt::EditRole).toString(), QStringLiteral("1234567"));
    QCOMPARE(model.data(model.index(0, 3), Qt::EditRole).toString(), QStringLiteral("637,6"));
    QCOMPARE(model.data(model.index(0, 2), Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Uscita Lire"));
}

void TestGridModel::pendingValuesReachTheSetOnlyWhenWritten()
{
    GridTestDatabase t;
    addJournalRows(t.db());
    auto rs = t.db().openRecordset(QStringLiteral("select * from [Prima Nota] order by pn_id"));
    RecordsetModel model;
    model.setColumns(journalColumns());
    model.setRecordset(rs.get());

    QVERIFY(model.setData(model.index(0, 3), QStringLiteral("1.000,5"), Qt::EditRole));
    QVERIFY(model.setData(model.index(0, 4), QStringLiteral("F9"), Qt::EditRole));
    QCOMPARE(model.editRow(), 0);
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("\u270E"));
    // Both columns on the same field show the new text; another row is refused.
    QCOMPARE(model.data(model.index(0, 5)).toString(), QStringLiteral("F9"));
    QVERIFY(!model.setData(model.index(1, 1), QStringLiteral("Altro"), Qt::EditRole));
    QVERIFY(!(model.flags(model.index(1, 1)) & Qt::ItemIsEditable));
    QCOMPARE(t.scalar(QStringLiteral("select pn_Uscita_Euro from [Prima Nota] where pn_Descrizione = \"Affitto\"")).toDouble(), 637.6);

    QVERIFY(!model.writePending());
    QCOMPARE(model.editRow(), -1);
    QCOMPARE(t.scalar(QStringLiteral("select pn_Uscita_Euro from [Prima Nota] where pn_Descrizione = \"Affitto\"")).toDouble(), 1000.5);
    QCOMPARE(t.scalar(QStringLiteral("select pn_Fattura from [Prima Nota] where pn_Descrizione = \"Affitto\"")).toString(), QStringLiteral("F9"));
    QCOMPARE(model.data(model.index(0, 3)).toString(), QStringLiteral("1.000,50"));

    // Cleared text is written as Null; a discarded change writes nothing.
    QVERIFY(model.setData(model.index(0, 4), QString(), Qt::EditRole));
    model.writePending();
    QVERIFY(t.scalar(QStringLiteral("select pn_Fattura from [Prima Nota] where pn_Descrizione = \"Affitto\"")).isNull());
    QVERIFY(model.setData(model.index(1, 1), QStringLiteral("Telefono"), Qt::EditRole));
    model.discardPending();
    QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("Luce"));
    QCOMPARE(t.count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Telefono\"")), 0);
}

void TestGridModel::addNewRowBecomesAStoredRow()
{
    GridTestDatabase t;
    auto rs = t.db().openRecordset(QStringLiteral("select * from [Prima Nota] where pn_id = 0"));
    RecordsetModel model;
    model.setColumns(journalColumns());
    model.setRecordset(rs.get());
    model.setAllowAddNew(true);
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(model.isAddNewRow(0));
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("*"));

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("02/03/2026"), Qt::EditRole));
    QVERIFY(model.setData(model.index(0, 1), QStringLiteral("Cancelleria"), Qt::EditRole));
    QVERIFY(model.writePending());
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    QVERIFY(model.isAddNewRow(1));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("Cancelleria"));
    QCOMPARE(t.scalar(QStringLiteral("select pn_Data from [Prima Nota] where pn_Descrizione = \"Cancelleria\"")).toDate(),
             QDate(2026, 3, 2));
}

void TestGridModel::textThatDoesNotFitIsRefusedBeforeAnyWrite()
{
    GridTestDatabase t;
    addJournalRows(t.db());
    auto rs = t.db().openRecordset(QStringLiteral("select * from [Prima Nota] order by pn_id"));
    RecordsetModel model;
    model.setColumns(journalColumns());
    model.setRecordset(rs.get());

    QVERIFY(model.setData(model.index(0, 1), QStringLiteral("Cambiato"), Qt::EditRole));
    QVERIFY(model.setData(model.index(0, 2), QStringLiteral("mille"), Qt::EditRole));
    QString message;
    QCOMPARE(model.invalidPendingColumn(&message), 2);
    QCOMPARE(message, QStringLiteral("Il valore \"mille\" della colonna \"Uscita Lire\" non è un numero valido."));
    try {
        model.writePending();
        QFAIL("a number column took letters");
    } catch (const db::DbError &error) {
        QCOMPARE(error.kind(), db::ErrorKind::TypeMismatch);
        QCOMPARE(error.description(), message);
    }
    QCOMPARE(model.editRow(), 0);
    QCOMPARE(rs->editMode(), db::EditMode::None);
    QCOMPARE(t.count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Cambiato\"")), 0);

    QVERIFY(model.setData(model.index(0, 2), QString(), Qt::EditRole));
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("31/02/2026"), Qt::EditRole));
    QCOMPARE(model.invalidMessage(0),
             QStringLiteral("Il valore \"31/02/2026\" della colonna \"Data\" non è una data valida (gg/mm/aaaa)."));
    QCOMPARE(model.invalidMessage(1), QString());
}

void TestGridModel::duplicateKeyLeavesThePendingRow()
{
    GridTestDatabase t;
    t.db().execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values (\"ALFA\")"));
    t.db().execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values (\"BETA\")"));
    auto rs = t.db().openRecordset(QStringLiteral("select fo_Descrizione as ID , fo_Descrizione as DESCRIZIONE from [Fornitore] order by fo_Descrizione"));
    RecordsetModel model;
    model.setColumns({GridColumn(QStringLiteral("Codice"), QStringLiteral("ID")),
                      GridColumn(QStringLiteral("Descrizione"), QStringLiteral("DESCRIZIONE"))});
    model.setRecordset(rs.get());
    model.setAllowAddNew(true);

    QVERIFY(model.setData(model.index(2, 1), QStringLiteral("ALFA"), Qt::EditRole));
    try {
        model.writePending();
        QFAIL("a repeated key was written");
    } catch (const db::DbError &error) {
        QCOMPARE(error.kind(), db::ErrorKind::DuplicateKey);
    }
    QCOMPARE(model.editRow(), 2);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(t.count(QStringLiteral("Fornitore")), 2);
    QCOMPARE(rs->editMode(), db::EditMode::None);

    QVERIFY(model.setData(model.index(2, 1), QStringLiteral("GAMMA"), Qt::EditRole));
    QVERIFY(model.writePending());
    QCOMPARE(t.count(QStringLiteral("Fornitore")), 3);
}

void TestGridModel::readingRowsNeverMovesTheWindowsRecord()
{
    GridTestDatabase t;
    sqlite3_exec(t.db().handle(),
                 "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 300)"
                 " INSERT INTO Righe (rg_Descrizione, rg_IVA) SELECT 'Riga ' || x, x % 3 FROM n",
                 nullptr, nullptr, nullptr);
    auto rs = t.db().openRecordset(QStringLiteral("select * from Righe order by rg_id"));
    rs->setAbsolutePosition(5);
    QSignalSpy moved(rs.get(), &db::Recordset::currentChanged);
    RecordsetModel model;
    model.setColumns({GridColumn(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione"))});
    model.setRecordset(rs.get());
    while (model.canFetchMore({}))
        model.fetchMore({});

    QCOMPARE(model.data(model.index(200, 0)).toString(), QStringLiteral("Riga 201"));
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Riga 1"));
    QCOMPARE(rs->absolutePosition(), 5);
    QCOMPARE(moved.count(), 0);

    // Not even from the end of the set.
    rs->moveLast();
    rs->moveNext();
    QVERIFY(rs->eof());
    moved.clear();
    QCOMPARE(model.data(model.index(299, 0)).toString(), QStringLiteral("Riga 300"));
    QCOMPARE(model.data(model.index(100, 0)).toString(), QStringLiteral("Riga 101"));
    QVERIFY(rs->eof());
    QCOMPARE(moved.count(), 0);
}

void TestGridModel::largeSetOpensWithoutReadingEveryRow()
{
    GridTestDatabase t;
    QCOMPARE(sqlite3_exec(t.db().handle(),
                          "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 100000)"
                          " INSERT INTO Righe (rg_Descrizione, rg_IVA) SELECT 'Riga ' || x, x % 3 FROM n",
                          nullptr, nullptr, nullptr), SQLITE_OK);
    QElapsedTimer timer;
    timer.start();
    auto rs = t.db().openRecordset(QStringLiteral("select * from Righe order by rg_id"));
    RecordsetModel model;
    model.setColumns({GridColumn(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione")),
                      GridColumn(QStringLiteral("IVA"), QStringLiteral("rg_IVA"))});
    model.setRecordset(rs.get());
    QVERIFY(model.rowCount() < 1000); // the rest comes as the view scrolls on
    while (model.canFetchMore({}))
        model.fetchMore({});
    QCOMPARE(model.rowCount(), 100000);
    for (int row = 0; row < 40; ++row)
        model.data(model.index(row, 0));
    QCOMPARE(model.data(model.index(99999, 0)).toString(), QStringLiteral("Riga 100000"));
    QCOMPARE(model.data(model.index(50000, 1)).toString(), QStringLiteral("0"));
    QCOMPARE(model.data(model.index(50001, 1)).toString(), QStringLiteral("1"));
    QVERIFY2(model.cachedRowCount() <= 3 * 64, qPrintable(QString::number(model.cachedRowCount())));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_MAIN(TestGridModel)
#include "tst_grid_model.moc"
