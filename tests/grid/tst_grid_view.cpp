#include "GridTestDatabase.h"

#include "data/DataControl.h"
#include "data/Grid.h"
#include "data/RecordsetModel.h"
#include "db/Recordset.h"
#include "ui/ScriptedMessages.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <sqlite3.h>

using data::Grid;
using data::GridColumn;

namespace {

// The widget that gets the keys: the open cell editor, else the grid.
QWidget *keyTarget(Grid &grid)
{
    const auto editors = grid.findChildren<QWidget *>(QStringLiteral("gridEditor"));
    for (QWidget *editor : editors) {
        if (editor->isVisible())
            return editor;
    }
    return &grid;
}

void type(Grid &grid, const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            QTest::keyClick(keyTarget(grid), Qt::Key_Return);
        else if (c == QLatin1Char('\n'))   // a scanner's line feed
            QTest::sendKeyEvent(QTest::Click, keyTarget(grid), Qt::Key_Return, QStringLiteral("\n"), Qt::NoModifier);
        else
            QTest::keyClick(keyTarget(grid), c.toLatin1());
    }
}

void press(Grid &grid, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(keyTarget(grid), key, modifiers);
}

QString editorText(Grid &grid)
{
    auto *line = qobject_cast<QLineEdit *>(keyTarget(grid));
    return line ? line->text() : QString();
}

} // namespace

class TestGridView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void editsAreWrittenOnlyWhenLeavingTheRow();
    void beforeUpdateCancelKeepsTheRowInEditing();
    void clickOnAnotherRowWritesTheRowOrStays();
    void duplicateKeyRaisesTheDataError();
    void keyPressDiscardsOrChangesCharacters();
    void addNewRowTakesScannedCodesOnePerRow();
    void deleteRemovesOnlyASelectedRow();
    void numberColumnsShowFormatsAndRefuseLetters();
    void valueListShowsTextsAndStoresCodes();
    void headerClickWritesTheRowThenReportsTheColumn();
    void cellButtonLetsTheWindowFillTheRow();
    void changeLetsTheWindowComputeWhileTyping();
    void rowButtonsOfAListReportTheirRow();
    void tickBoxTogglesWithSpace();
    void leavingTheGridWritesTheRow();
    void followsTheDataControlsRefreshesAndMoves();
    void windowCanEndTheRowFromItsKeyHandler();
    void largeSetShowsAtOnce();

private:
    void bind(const QString &sql, const QList<GridColumn> &columns);
    void addJournalRows();

    GridTestDatabase *m_t = nullptr;
    ui::ScriptedMessages *m_messages = nullptr;
    std::unique_ptr<db::Recordset> m_rs;
    QWidget *m_window = nullptr;
    Grid *m_grid = nullptr;
    QLineEdit *m_other = nullptr;
};

void TestGridView::init()
{
    m_t = new GridTestDatabase;
    m_messages = new ui::ScriptedMessages;
    m_window = new QWidget;
    auto *layout = new QVBoxLayout(m_window);
    m_grid = new Grid(m_window);
    m_grid->setObjectName(QStringLiteral("TDBGrid1"));
    m_other = new QLineEdit(m_window);
    layout->addWidget(m_grid);
    layout->addWidget(m_other);
    m_window->resize(700, 360);
}

void TestGridView::cleanup()
{
    // The handlers of a test die with it; what a test left pending is dropped.
    QObject::disconnect(m_grid, nullptr, this, nullptr);
    m_grid->cancelRow();
    delete m_window;
    m_rs.reset();
    delete m_messages;
    delete m_t;
}

void TestGridView::bind(const QString &sql, const QList<GridColumn> &columns)
{
    m_rs = m_t->db().openRecordset(sql);
    m_grid->setColumns(columns);
    m_grid->setRecordset(m_rs.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid->setFocus();
}

void TestGridView::addJournalRows()
{
    m_t->db().execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro)"
                                     " values (#12/6/2026#, \"Affitto\", 1234567, 637.6)"));
    m_t->db().execute(QStringLiteral("insert into [Prima Nota] (pn_Data, pn_Descrizione, pn_Uscita_Lire, pn_Uscita_Euro)"
                                     " values (#1/2/2026#, \"Luce\", 193627, 100)"));
}

static QList<GridColumn> journalColumns()
{
    GridColumn lire(QStringLiteral("Uscita Lire"), QStringLiteral("pn_Uscita_Lire"));
    lire.numberFormat = QStringLiteral("#,##0");
    GridColumn euro(QStringLiteral("Importo"), QStringLiteral("pn_Uscita_Euro"));
    euro.numberFormat = QStringLiteral("Standard");
    return {GridColumn(QStringLiteral("Data"), QStringLiteral("pn_Data")),
            GridColumn(QStringLiteral("Descrizione"), QStringLiteral("pn_Descrizione")), lire, euro};
}

static const QString kJournal = QStringLiteral("select * from [Prima Nota] order by pn_id");

void TestGridView::editsAreWrittenOnlyWhenLeavingTheRow()
{
    addJournalRows();
    bind(kJournal, journalColumns());
    QSignalSpy written(m_grid, &Grid::afterUpdate);
    QSignalSpy changes(m_grid, &Grid::change);

    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("Gas"));
    QCOMPARE(editorText(*m_grid), QStringLiteral("Gas"));   // typing replaces the cell
    QCOMPARE(changes.count(), 3);
    press(*m_grid, Qt::Key_Tab);
    QCOMPARE(m_grid->currentColumn(), 2);
    QVERIFY(m_grid->isRowDirty());
    QCOMPARE(m_grid->columnText(1), QStringLiteral("Gas"));
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Gas\"")), 0);
    QCOMPARE(written.count(), 0);

    press(*m_grid, Qt::Key_Down);
    QCOMPARE(m_grid->currentRow(), 1);
    QCOMPARE(written.count(), 1);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Gas\"")), 1);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Affitto\"")), 0);
    QVERIFY(!m_grid->isRowDirty());
    // The window's record follows the grid's row.
    QCOMPARE(m_rs->absolutePosition(), 1);

    // Enter past the last column of the last row writes it too.
    QVERIFY(m_grid->setCurrentCell(1, 3));
    type(*m_grid, QStringLiteral("1.234,5"));
    press(*m_grid, Qt::Key_Return);
    QCOMPARE(written.count(), 2);
    QCOMPARE(m_t->scalar(QStringLiteral("select pn_Uscita_Euro from [Prima Nota] where pn_Descrizione = \"Luce\"")).toDouble(), 1234.5);
    QCOMPARE(m_grid->model()->index(1, 3).data().toString(), QStringLiteral("1.234,50"));
    QVERIFY(m_messages->texts().isEmpty());
}

void TestGridView::beforeUpdateCancelKeepsTheRowInEditing()
{
    addJournalRows();
    bind(kJournal, journalColumns());
    const QString required = QStringLiteral("Il campo Descrizione è obbligatorio.\r\nIl dato inserito non può essere salvato.");
    connect(m_grid, &Grid::beforeUpdate, this, [&](bool &cancel) {
        if (m_grid->columnText(1).trimmed().isEmpty()) {
            ui::MsgBox(required, ui::vbExclamation);
            cancel = true;
        }
    });

    QVERIFY(m_grid->setCurrentCell(0, 1));
    press(*m_grid, Qt::Key_Delete);         // on a cell: empties it, deletes no row
    press(*m_grid, Qt::Key_Down);
    QCOMPARE(m_messages->texts(), QStringList{required});
    QCOMPARE(m_grid->currentRow(), 0);
    QVERIFY(m_grid->isRowDirty());
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota]")), 2);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Affitto\"")), 1);

    // Escape gives the row back as stored.
    press(*m_grid, Qt::Key_Escape);
    QVERIFY(!m_grid->isRowDirty());
    QCOMPARE(m_grid->columnText(1), QStringLiteral("Affitto"));

    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("Fitto"));
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Fitto\"")), 1);
    QCOMPARE(m_messages->texts().size(), 1);
}

void TestGridView::clickOnAnotherRowWritesTheRowOrStays()
{
    addJournalRows();
    bind(kJournal, journalColumns());
    bool refuse = true;
    connect(m_grid, &Grid::beforeUpdate, this, [&](bool &cancel) { cancel = refuse; });
    auto clickCell = [this](int row, int column) {
        const QRect cell = m_grid->visualRect(m_grid->model()->index(row, column));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    };

    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("Gas"));
    clickCell(0, 2);                        // same row: nothing is written
    QCOMPARE(m_grid->currentColumn(), 2);
    QVERIFY(m_grid->isRowDirty());
    clickCell(1, 1);                        // refused: the cursor stays
    QCOMPARE(m_grid->currentRow(), 0);
    QVERIFY(m_grid->isRowDirty());
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Gas\"")), 0);

    refuse = false;
    clickCell(1, 1);
    QCOMPARE(m_grid->currentRow(), 1);
    QVERIFY(!m_grid->isRowDirty());
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Gas\"")), 1);
}

void TestGridView::duplicateKeyRaisesTheDataError()
{
    m_t->db().execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values (\"ALFA\")"));
    m_t->db().execute(QStringLiteral("insert into Fornitore (fo_Descrizione) values (\"BETA\")"));
    GridColumn code(QStringLiteral("Codice"), QStringLiteral("ID"));
    code.visible = false;
    bind(QStringLiteral("select fo_Descrizione as ID , fo_Descrizione as DESCRIZIONE from [Fornitore] order by fo_Descrizione"),
         {code, GridColumn(QStringLiteral("Descrizione"), QStringLiteral("DESCRIZIONE"))});
    bool suppress = true;
    QList<db::ErrorKind> kinds;
    connect(m_grid, &Grid::dataError, this, [&](const db::DbError &error, bool &showMessage) {
        kinds.append(error.kind());
        if (suppress)
            showMessage = false;
    });

    QVERIFY(m_grid->setCurrentCell(1, 1));
    type(*m_grid, QStringLiteral("ALFA"));
    press(*m_grid, Qt::Key_Up);
    QCOMPARE(kinds, QList<db::ErrorKind>{db::ErrorKind::DuplicateKey});
    QVERIFY(m_messages->texts().isEmpty());
    QCOMPARE(m_grid->currentRow(), 1);
    QVERIFY(m_grid->isRowDirty());
    QCOMPARE(m_t->count(QStringLiteral("Fornitore where fo_Descrizione = \"BETA\"")), 1);

    // Left to the grid, the engine's own text is shown.
    suppress = false;
    QVERIFY(!m_grid->updateRow());
    QCOMPARE(m_messages->messages().size(), 1);
    QVERIFY(!m_messages->messages().first().text.isEmpty());
    QCOMPARE(m_messages->messages().first().style, int(ui::vbCritical));
    QCOMPARE(m_t->count(QStringLiteral("Fornitore")), 2);
}

void TestGridView::keyPressDiscardsOrChangesCharacters()
{
    GridColumn code(QStringLiteral("Codice"), QStringLiteral("rg_IVA"));
    GridColumn text(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione"));
    m_grid->setAllowAddNew(true);
    bind(QStringLiteral("select * from Righe"), {code, text});
    connect(m_grid, &Grid::keyPress, this, [](int column, int &keyAscii) {
        if (column == 0) {
            if ((keyAscii < '0' || keyAscii > '9') && keyAscii != 13 && keyAscii != 9 && keyAscii != 8
                && keyAscii != 10)
                keyAscii = 0;
        } else {
            keyAscii = QChar(keyAscii).toUpper().unicode();
        }
    });

    QVERIFY(m_grid->isAddNewRow());
    QVERIFY(m_grid->setCurrentCell(0, 0));
    type(*m_grid, QStringLiteral("a1b2x3"));
    QCOMPARE(editorText(*m_grid), QStringLiteral("123"));
    press(*m_grid, Qt::Key_Backspace);
    QCOMPARE(editorText(*m_grid), QStringLiteral("12"));
    press(*m_grid, Qt::Key_Tab);
    QCOMPARE(m_grid->currentColumn(), 1);
    type(*m_grid, QStringLiteral("abc"));
    QCOMPARE(editorText(*m_grid), QStringLiteral("ABC"));
    press(*m_grid, Qt::Key_Return);       // past the last column: the row is written
    QCOMPARE(m_t->count(QStringLiteral("Righe where rg_IVA = 12 and rg_Descrizione = \"ABC\"")), 1);
    QCOMPARE(m_grid->currentRow(), 1);
    QVERIFY(m_grid->isAddNewRow());
}

void TestGridView::addNewRowTakesScannedCodesOnePerRow()
{
    GridColumn barcode(QStringLiteral("Codice articolo"), QStringLiteral("rg_Descrizione"));
    barcode.scannerInput = true;
    m_grid->setAllowAddNew(true);
    bind(QStringLiteral("select * from Righe where rg_id = 0"),
         {GridColumn(QStringLiteral("IVA"), QStringLiteral("rg_IVA")), barcode});
    QSignalSpy inserted(m_grid, &Grid::afterInsert);

    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("8001234\r"));
    QCOMPARE(m_grid->currentRow(), 0);     // the carriage return is ignored
    QCOMPARE(editorText(*m_grid), QStringLiteral("8001234"));
    type(*m_grid, QStringLiteral("\n"));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(m_grid->currentRow(), 1);
    QCOMPARE(m_grid->currentColumn(), 1);
    QVERIFY(m_grid->isAddNewRow());

    type(*m_grid, QStringLiteral("8005678"));
    press(*m_grid, Qt::Key_J, Qt::ControlModifier);   // a line feed from the keyboard
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(m_grid->currentRow(), 2);
    QCOMPARE(m_t->count(QStringLiteral("Righe where rg_Descrizione in (\"8001234\", \"8005678\")")), 2);

    // Something typed in the new row and thrown away with Escape adds nothing.
    type(*m_grid, QStringLiteral("x"));
    press(*m_grid, Qt::Key_Escape);
    press(*m_grid, Qt::Key_Escape);
    QVERIFY(!m_grid->isRowDirty());
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->count(QStringLiteral("Righe")), 2);
    QCOMPARE(m_grid->model()->rowCount(), 3);
}

void TestGridView::deleteRemovesOnlyASelectedRow()
{
    addJournalRows();
    m_grid->setAllowDelete(true);
    bind(kJournal, journalColumns());
    bool refuse = true;
    QSignalSpy deleted(m_grid, &Grid::afterDelete);
    connect(m_grid, &Grid::beforeDelete, this, [&](bool &cancel) { cancel = refuse; });

    QVERIFY(m_grid->setCurrentCell(0, 1));
    QVERIFY(m_grid->selectWholeRow(0));
    press(*m_grid, Qt::Key_Delete);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota]")), 2);
    QCOMPARE(deleted.count(), 0);

    refuse = false;
    QVERIFY(m_grid->selectWholeRow(0));
    press(*m_grid, Qt::Key_Delete);
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota]")), 1);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Affitto\"")), 0);
    QCOMPARE(m_grid->model()->rowCount(), 1);
    QCOMPARE(m_grid->columnText(1), QStringLiteral("Luce"));

    // Delete on a cell only empties the cell; Escape takes it back.
    QVERIFY(m_grid->setCurrentCell(0, 1));
    press(*m_grid, Qt::Key_Delete);
    QCOMPARE(editorText(*m_grid), QString());
    press(*m_grid, Qt::Key_Escape);
    QVERIFY(!m_grid->isRowDirty());
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota]")), 1);
}

void TestGridView::numberColumnsShowFormatsAndRefuseLetters()
{
    addJournalRows();
    bind(kJournal, journalColumns());
    QAbstractItemModel *model = m_grid->model();
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("06/12/2026"));
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("1.234.567"));
    QCOMPARE(model->index(0, 3).data().toString(), QStringLiteral("637,60"));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("193.627"));

    QVERIFY(m_grid->setCurrentCell(0, 2));
    type(*m_grid, QStringLiteral("abc"));
    press(*m_grid, Qt::Key_Down);
    QCOMPARE(m_messages->texts(),
             QStringList{QStringLiteral("Il valore \"abc\" della colonna \"Uscita Lire\" non è un numero valido.")});
    QCOMPARE(m_messages->messages().first().style, int(ui::vbExclamation));
    QCOMPARE(m_grid->currentRow(), 0);
    QCOMPARE(m_grid->currentColumn(), 2);
    QCOMPARE(editorText(*m_grid), QStringLiteral("abc"));   // back in the cell to correct it
    QCOMPARE(m_t->scalar(QStringLiteral("select pn_Uscita_Lire from [Prima Nota] where pn_Descrizione = \"Affitto\"")).toDouble(),
             1234567.0);

    press(*m_grid, Qt::Key_Escape);
    QVERIFY(m_grid->setCurrentCell(0, 0));
    type(*m_grid, QStringLiteral("07122026"));
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->scalar(QStringLiteral("select pn_Data from [Prima Nota] where pn_Descrizione = \"Affitto\"")).toDate(),
             QDate(2026, 12, 7));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("07/12/2026"));
}

void TestGridView::valueListShowsTextsAndStoresCodes()
{
    m_t->db().execute(QStringLiteral("insert into Righe (rg_Descrizione, rg_IVA) values (\"Penne\", 3)"));
    GridColumn vat(QStringLiteral("IVA"), QStringLiteral("rg_IVA"));
    vat.addValueItem(qlonglong(1), QStringLiteral("Esente"));
    vat.addValueItem(qlonglong(2), QStringLiteral("Ridotta 10%"));
    vat.addValueItem(qlonglong(3), QStringLiteral("Ordinaria 22%"));
    bind(QStringLiteral("select * from Righe"), {GridColumn(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione")), vat});

    QCOMPARE(m_grid->model()->index(0, 1).data().toString(), QStringLiteral("Ordinaria 22%"));
    QCOMPARE(m_grid->columnValue(1).toLongLong(), 3);
    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("e"));
    QCOMPARE(m_grid->columnText(1), QStringLiteral("Esente"));
    QCOMPARE(m_grid->columnValue(1).toLongLong(), 1);
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->scalar(QStringLiteral("select rg_IVA from Righe")).toLongLong(), 1);
}

void TestGridView::headerClickWritesTheRowThenReportsTheColumn()
{
    addJournalRows();
    bind(kJournal, journalColumns());
    QList<int> clicked;
    int writtenBeforeClick = -1;
    connect(m_grid, &Grid::headClick, this, [&](int column) {
        clicked.append(column);
        writtenBeforeClick = m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Gas\""));
    });

    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("Gas"));
    QHeaderView *header = m_grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    QCOMPARE(clicked, QList<int>{2});
    QCOMPARE(writtenBeforeClick, 1);
}

void TestGridView::cellButtonLetsTheWindowFillTheRow()
{
    m_t->db().execute(QStringLiteral("insert into Righe (rg_Descrizione, rg_IVA) values (\"Penne\", 3)"));
    GridColumn text(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione"));
    text.button = true;
    GridColumn vat(QStringLiteral("IVA"), QStringLiteral("rg_IVA"));
    vat.visible = false;
    bind(QStringLiteral("select * from Righe"), {text, vat});
    QList<int> buttons;
    connect(m_grid, &Grid::buttonClick, this, [&](int column) {
        buttons.append(column);
        m_grid->setColumnValue(0, QStringLiteral("Quaderno"));
        m_grid->setColumnValue(1, 2);
    });

    QVERIFY(m_grid->setCurrentCell(0, 0));
    press(*m_grid, Qt::Key_F4);
    const QRect cell = m_grid->visualRect(m_grid->model()->index(0, 0));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(cell.right() - 3, cell.center().y()));
    QCOMPARE(buttons, (QList<int>{0, 0}));
    QCOMPARE(m_grid->columnText(0), QStringLiteral("Quaderno"));
    QVERIFY(m_grid->isRowDirty());
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->count(QStringLiteral("Righe where rg_Descrizione = \"Quaderno\" and rg_IVA = 2")), 1);
}

void TestGridView::rowButtonsOfAListReportTheirRow()
{
    addJournalRows();
    GridColumn text(QStringLiteral("Descrizione"), QStringLiteral("pn_Descrizione"));
    text.locked = true;
    GridColumn open(QStringLiteral("Rich."), QString());
    open.button = true;
    open.buttonAlways = true;
    GridColumn key(QString(), QStringLiteral("pn_id"));
    key.visible = false;
    bind(kJournal, {text, open, key});
    QList<qlonglong> opened;
    connect(m_grid, &Grid::buttonClick, this, [&](int column) {
        QCOMPARE(column, 1);
        opened.append(m_grid->columnValue(2).toLongLong());
    });

    const QRect second = m_grid->visualRect(m_grid->model()->index(1, 1));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QCOMPARE(m_grid->currentRow(), 1);
    const qlonglong secondKey = m_t->scalar(QStringLiteral("select pn_id from [Prima Nota] where pn_Descrizione = \"Luce\"")).toLongLong();
    QCOMPARE(opened, QList<qlonglong>{secondKey});
    // Typing in a locked or unbound column changes nothing.
    type(*m_grid, QStringLiteral("x"));
    QTest::keyClick(m_grid, Qt::Key_Left);
    type(*m_grid, QStringLiteral("x"));
    QVERIFY(!m_grid->isRowDirty());
}

void TestGridView::changeLetsTheWindowComputeWhileTyping()
{
    GridColumn quantity(QStringLiteral("Quantità"), QStringLiteral("pn_Uscita_Lire"));
    GridColumn amount(QStringLiteral("Importo"), QStringLiteral("pn_Uscita_Euro"));
    amount.numberFormat = QStringLiteral("Standard");
    m_grid->setAllowAddNew(true);
    bind(QStringLiteral("select * from [Prima Nota] where pn_id = 0"), {quantity, amount});
    connect(m_grid, &Grid::change, this, [this] {
        const QString text = m_grid->columnText(0).trimmed();
        if (text.isEmpty() || text == QLatin1String("-"))
            return;
        bool ok = false;
        const double quantity = QLocale(QLocale::Italian).toDouble(text, &ok);
        m_grid->setColumnValue(1, ok ? quantity * 2.5 : 0.0);
    });

    QVERIFY(m_grid->setCurrentCell(0, 0));
    type(*m_grid, QStringLiteral("-"));
    QCOMPARE(m_grid->columnText(1), QString());
    type(*m_grid, QStringLiteral("3"));
    QCOMPARE(editorText(*m_grid), QStringLiteral("-3"));
    QCOMPARE(m_grid->columnText(1), QStringLiteral("-7,50"));
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->scalar(QStringLiteral("select pn_Uscita_Euro from [Prima Nota]")).toDouble(), -7.5);
}

void TestGridView::tickBoxTogglesWithSpace()
{
    m_t->db().execute(QStringLiteral("insert into Righe (rg_Descrizione, rg_Usato) values (\"Giacca\", 0)"));
    GridColumn used(QStringLiteral("Usato"), QStringLiteral("rg_Usato"));
    used.checkBox = true;
    bind(QStringLiteral("select * from Righe"), {GridColumn(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione")), used});
    QCOMPARE(m_grid->model()->index(0, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    QVERIFY(m_grid->setCurrentCell(0, 1));
    press(*m_grid, Qt::Key_Space);
    QCOMPARE(m_grid->model()->index(0, 1).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(m_grid->updateRow());
    QCOMPARE(m_t->scalar(QStringLiteral("select rg_Usato from Righe")).toBool(), true);
}

void TestGridView::leavingTheGridWritesTheRow()
{
    addJournalRows();
    bind(kJournal, journalColumns());
    QVERIFY(m_grid->setCurrentCell(1, 1));
    type(*m_grid, QStringLiteral("Telefono"));
    m_other->setFocus(Qt::MouseFocusReason);
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Telefono\"")), 1);
    QVERIFY(!m_grid->isRowDirty());

    // Closing the window writes what was typed last.
    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("Acqua"));
    QVERIFY(m_window->close());
    QCOMPARE(m_t->count(QStringLiteral("[Prima Nota] where pn_Descrizione = \"Acqua\"")), 1);
}

void TestGridView::followsTheDataControlsRefreshesAndMoves()
{
    addJournalRows();
    data::DataControl datPrimaNota;
    datPrimaNota.setDatabaseName(m_t->path());
    datPrimaNota.setRecordSource(QStringLiteral("Select * from [Prima Nota] where pn_id = 0"));
    datPrimaNota.refresh();
    m_grid->setColumns(journalColumns());
    m_grid->setAllowAddNew(true);
    m_grid->setDataSource(&datPrimaNota);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QCOMPARE(m_grid->model()->rowCount(), 1);   // only the new row
    QVERIFY(m_grid->isAddNewRow());

    datPrimaNota.setRecordSource(kJournal);
    datPrimaNota.refresh();
    QCOMPARE(m_grid->model()->rowCount(), 3);
    QCOMPARE(m_grid->model()->index(1, 1).data().toString(), QStringLiteral("Luce"));

    // The window moves the record: the grid shows that row.
    datPrimaNota.recordset()->moveLast();
    QCOMPARE(m_grid->currentRow(), 1);
    // The user moves in the grid: the window's record follows.
    QVERIFY(m_grid->setCurrentCell(0, 1));
    QCOMPARE(datPrimaNota.recordset()->absolutePosition(), 0);
    QCOMPARE(datPrimaNota.recordset()->value(QStringLiteral("pn_Descrizione")).toString(), QStringLiteral("Affitto"));
    m_grid->setDataSource(nullptr);
}

void TestGridView::windowCanEndTheRowFromItsKeyHandler()
{
    m_grid->setAllowAddNew(true);
    bind(QStringLiteral("select * from Righe where rg_id = 0"),
         {GridColumn(QStringLiteral("IVA"), QStringLiteral("rg_IVA")),
          GridColumn(QStringLiteral("Codice articolo"), QStringLiteral("rg_Descrizione"))});
    connect(m_grid, &Grid::keyPress, this, [this](int column, int &keyAscii) {
        if (column != 1)
            return;
        if (keyAscii == 13) {
            keyAscii = 0;
        } else if (keyAscii == 10) {
            keyAscii = 0;
            m_grid->updateRow();
            m_grid->moveDown();
        }
    });

    QVERIFY(m_grid->setCurrentCell(0, 1));
    type(*m_grid, QStringLiteral("A1\r\nB2\n"));
    QCOMPARE(m_t->count(QStringLiteral("Righe")), 2);
    QCOMPARE(m_t->count(QStringLiteral("Righe where rg_Descrizione = \"A1\"")), 1);
    QCOMPARE(m_grid->currentRow(), 2);
    QCOMPARE(m_grid->currentColumn(), 1);
}

void TestGridView::largeSetShowsAtOnce()
{
    QCOMPARE(sqlite3_exec(m_t->db().handle(),
                          "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 100000)"
                          " INSERT INTO Righe (rg_Descrizione, rg_IVA) SELECT 'Riga ' || x, x FROM n",
                          nullptr, nullptr, nullptr), SQLITE_OK);
    QElapsedTimer timer;
    timer.start();
    m_grid->setAllowAddNew(true);
    bind(QStringLiteral("select * from Righe order by rg_id"),
         {GridColumn(QStringLiteral("Descrizione"), QStringLiteral("rg_Descrizione")),
          GridColumn(QStringLiteral("Numero"), QStringLiteral("rg_IVA"))});
    QCOMPARE(m_grid->model()->rowCount(), 100001);
    press(*m_grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_grid->currentRow(), 100000);
    QVERIFY(m_grid->isAddNewRow());
    QCoreApplication::processEvents();
    QCOMPARE(m_grid->model()->index(99999, 0).data().toString(), QStringLiteral("Riga 100000"));
    QVERIFY2(m_grid->recordsetModel()->cachedRowCount() <= 4 * 64,
             qPrintable(QString::number(m_grid->recordsetModel()->cachedRowCount())));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_MAIN(TestGridView)
#include "tst_grid_view.moc"
