// The article grid driven as the shop owner drives it: prices filled in
// through the lire/euro conversion, the keys each column takes, sorting by
// heading, the checks before a row is written or deleted, and printing.

#include "CardFixture.h"

#include "base/Globals.h"
#include "data/DataControl.h"
#include "data/Grid.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "rules/ShopDatabase.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmArticoli.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

#include <QHeaderView>
#include <QLocale>
#include <QtTest>
#include <sqlite3.h>

class TestArticleGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void missingPriceIsFilledIn_data();
    void missingPriceIsFilledIn();
    void amountColumnsTakeDigitsAndCommaOnly();
    void rowsOpenByCodeAndSortByHeading();
    void codeIsReadOnlyAndDescriptionRequired();
    void newRowGetsItsCodeFromTheDatabase();
    void rowTheDatabaseRefusesStaysInEdit();
    void articleWithStockItemsIsNotDeleted();
    void printListsEveryArticle();

private:
    frmArticoli &openGrid();
    QVariant field(int code, const QString &name) const;

    std::unique_ptr<CardFixture> m_f;
    frmArticoli *m_grid = nullptr;
};

void TestArticleGrid::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

void TestArticleGrid::init()
{
    m_f = std::make_unique<CardFixture>();
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Data_Ultima_Vendita) values ('Zaino', #12/01/2026#)"));
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Data_Ultima_Vendita) values ('Borsa', #11/01/2026#)"));
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Data_Ultima_Vendita) values ('Maglia', #10/01/2026#)"));
}

void TestArticleGrid::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmArticoli>();
    m_grid = nullptr;
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

frmArticoli &TestArticleGrid::openGrid()
{
    m_grid = &ui::WindowRegistry::defaultInstance<frmArticoli>();
    m_grid->show();
    return *m_grid;
}

QVariant TestArticleGrid::field(int code, const QString &name) const
{
    return m_f->scalar(QStringLiteral("select %1 from Articoli where art_Codice = %2").arg(name).arg(code));
}

void TestArticleGrid::missingPriceIsFilledIn_data()
{
    QTest::addColumn<QString>("carico");
    QTest::addColumn<QString>("listino");
    QTest::addColumn<double>("caricoWritten");
    QTest::addColumn<double>("listinoWritten");

    QTest::newRow("lire to euro") << "1936,27" << "" << 1936.27 << 1.0;
    QTest::newRow("euro to lire") << "" << "1" << 1950.0 << 1.0;
    QTest::newRow("half a euro is a price") << "" << "0,50" << 950.0 << 0.5;
    QTest::newRow("both given") << "100" << "5" << 100.0 << 5.0;
    QTest::newRow("both 0") << "0" << "0" << 0.0 << 0.0;
}

void TestArticleGrid::missingPriceIsFilledIn()
{
    QFETCH(QString, carico);
    QFETCH(QString, listino);
    QFETCH(double, caricoWritten);
    QFETCH(double, listinoWritten);
    data::Grid &grid = *openGrid().TDBGrid1;
    QVERIFY(grid.setCurrentCell(1, frmArticoli::PrezzoCarico));
    typeInGrid(grid, carico + QStringLiteral("\t") + listino + QStringLiteral("\t"));
    QVERIFY(grid.updateRow());
    QCOMPARE(field(2, QStringLiteral("art_Prezzo_Carico")).toDouble(), caricoWritten);
    QCOMPARE(field(2, QStringLiteral("art_Prezzo_Listino")).toDouble(), listinoWritten);
    QCOMPARE(m_f->messages().texts(), QStringList());
    QVERIFY(m_f->log().isEmpty());
}

void TestArticleGrid::amountColumnsTakeDigitsAndCommaOnly()
{
    data::Grid &grid = *openGrid().TDBGrid1;
    for (int column : {frmArticoli::PrezzoCarico, frmArticoli::Listino, frmArticoli::Quantita}) {
        QVERIFY(grid.setCurrentCell(0, column));
        typeInGrid(grid, QStringLiteral("1.5,2a-"));
        QCOMPARE(gridEditorText(grid), QStringLiteral("15,2"));
        pressInGrid(grid, Qt::Key_Escape);
    }
    QVERIFY(grid.setCurrentCell(0, frmArticoli::Descrizione));
    typeInGrid(grid, QStringLiteral("a.b"));
    QCOMPARE(gridEditorText(grid), QStringLiteral("a.b"));
}

void TestArticleGrid::rowsOpenByCodeAndSortByHeading()
{
    frmArticoli &window = openGrid();
    data::Grid &grid = *window.TDBGrid1;
    QCOMPARE(window.windowTitle(), QStringLiteral("Articoli"));
    QCOMPARE(window.datArticoli->recordSource(), QStringLiteral("Select * from Articoli"));
    const auto descriptions = [&] {
        QStringList texts;
        for (int row = 0; row < 3; ++row)
            texts << grid.model()->index(row, frmArticoli::Descrizione).data().toString();
        return texts;
    };
    QCOMPARE(descriptions(), (QStringList{"Zaino", "Borsa", "Maglia"}));
    QHeaderView *header = grid.horizontalHeader();
    for (int click = 0; click < 2; ++click) {   // always ascending
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionViewportPosition(frmArticoli::DataUV) + 5, header->height() / 2));
        QCOMPARE(window.datArticoli->recordSource(), QStringLiteral("select * from articoli order by art_Data_Ultima_Vendita"));
        QCOMPARE(descriptions(), (QStringList{"Maglia", "Borsa", "Zaino"}));
    }
    window.TDBGrid1_HeadClick(frmArticoli::Descrizione);
    QCOMPARE(descriptions(), (QStringList{"Borsa", "Maglia", "Zaino"}));
    QVERIFY(m_f->log().isEmpty());
}

void TestArticleGrid::codeIsReadOnlyAndDescriptionRequired()
{
    data::Grid &grid = *openGrid().TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, frmArticoli::Codice));
    typeInGrid(grid, QStringLiteral("99\r"));
    QVERIFY(grid.updateRow());
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Codice = 99")), 0);
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 3);

    QVERIFY(grid.setCurrentCell(0, frmArticoli::Descrizione));
    typeInGrid(grid, QStringLiteral("   "));
    QVERIFY(!grid.updateRow());
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("I campi Codice e Descrizione sono obbligatori.\r\n"
                                                                 "Il dato inserito non può essere salvato.")});
    QVERIFY(grid.isRowDirty());   // the row stays in edit
    QCOMPARE(field(1, QStringLiteral("art_Descrizione")).toString(), QStringLiteral("Zaino"));
}

void TestArticleGrid::newRowGetsItsCodeFromTheDatabase()
{
    data::Grid &grid = *openGrid().TDBGrid1;
    QVERIFY(grid.setCurrentCell(3, frmArticoli::Descrizione));
    QVERIFY(grid.isAddNewRow());
    typeInGrid(grid, QStringLiteral("Cintura\t\t12,5\t"));
    QVERIFY(grid.updateRow());
    QCOMPARE(m_f->messages().texts(), QStringList());
    QCOMPARE(field(4, QStringLiteral("art_Descrizione")).toString(), QStringLiteral("Cintura"));
    QCOMPARE(field(4, QStringLiteral("art_Prezzo_Listino")).toDouble(), 12.5);
    QCOMPARE(field(4, QStringLiteral("art_Prezzo_Carico")).toDouble(), 24200.0);
}

void TestArticleGrid::rowTheDatabaseRefusesStaysInEdit()
{
    m_f->refuseWrites(QStringLiteral("update on Articoli"), QStringLiteral("art_Descrizione"), QStringLiteral("Rifiutata"));
    data::Grid &grid = *openGrid().TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, frmArticoli::Descrizione));
    typeInGrid(grid, QStringLiteral("Rifiutata"));
    QVERIFY(!grid.updateRow());
    QCOMPARE(m_f->messages().texts().size(), 1);
    QVERIFY(m_f->messages().texts().at(0).startsWith(QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.")));
    QVERIFY(grid.isRowDirty());
    QCOMPARE(grid.columnText(frmArticoli::Descrizione), QStringLiteral("Rifiutata"));
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 3);
    QCOMPARE(field(1, QStringLiteral("art_Descrizione")).toString(), QStringLiteral("Zaino"));
}

void TestArticleGrid::articleWithStockItemsIsNotDeleted()
{
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo) values ('8001', 1)"));
    data::Grid &grid = *openGrid().TDBGrid1;
    QVERIFY(grid.selectWholeRow(0));
    pressInGrid(grid, Qt::Key_Delete);
    QCOMPARE(m_f->messages().texts(), QStringList{frmArticoli::kArticleInUse});
    QCOMPARE(m_f->count(QStringLiteral("Articoli")), 3);

    m_f->messages().clear();
    m_f->messages().queueAnswer(ui::vbYes);
    QVERIFY(grid.selectWholeRow(1));
    pressInGrid(grid, Qt::Key_Delete);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Cancellare definitivamente la riga selezionata?")});
    QCOMPARE(m_f->count(QStringLiteral("Articoli where art_Codice = 2")), 0);
}

void TestArticleGrid::printListsEveryArticle()
{
    frmArticoli &window = openGrid();
    QTest::mouseClick(window.cmdStampa, Qt::LeftButton);
    QCOMPARE(m_f->report().runCount(), 1);
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/articoli.rpt"));
    QCOMPARE(m_f->report().get(report::prop::Connect).toString(), QStringLiteral(";PWD="));
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(), QString());
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Lista Articoli"));
    QStringList printed;
    for (const report::ReportPage &page : m_f->report().lastPages())
        for (const report::PageItem &item : page.items)
            printed << item.text;
    for (const char *name : {"Zaino", "Borsa", "Maglia"})
        QVERIFY2(printed.contains(QLatin1String(name)), qPrintable(printed.join(QLatin1Char('|'))));
    QVERIFY(m_f->log().isEmpty());
}

QTEST_MAIN(TestArticleGrid)
#include "tst_article_grid.moc"
