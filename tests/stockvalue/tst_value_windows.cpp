// The windows of the stock value at a date and of what to reorder, and the
// minimum stock of the article card's items, driven as the user drives
// them on the lists' shop: articles 42 "Giacca" (Dell'Orto) and 43
// "Sciarpa" (Rossi), items 1234 (3 in stock), 1234U (1) and 5555 (10);
// today 6/12/2026.
#include "ListsFixture.h"

#include "base/ViewExport.h"
#include "lookup/frmTasti.h"
#include "data/Grid.h"
#include "report/ReportProperties.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/ArticleStockItems.h"
#include "stock/frmPrestazioni.h"
#include "stock/frmSottoscorta.h"
#include "stock/frmValoreMagazzino.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

class TestValueWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void valueBySupplierAtTheDayTyped();
    void valueRefusesADayThatIsNone();
    void valuePrintAndExport();
    void reorderEverySupplierAndOne();
    void reorderPrintAndExport();
    void keysAreListedAndEscapeCloses();
    void minimumStockRoundTrip();
    void minimumStockRefused_data();
    void minimumStockRefused();

private:
    static QStringList rowsOf(const QTreeWidget &tree, const QTreeWidgetItem *parent = nullptr);
    frmValoreMagazzino &openValue();
    frmSottoscorta &openReorder();
    frmPrestazioni &openCard();
    std::unique_ptr<ListsFixture> m_f;
    frmPrestazioni *m_card = nullptr;
};

void TestValueWindows::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestValueWindows::init()
{
    m_f = std::make_unique<ListsFixture>();
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    const QString source = qEnvironmentVariable("TARVO_SOURCE_DIR");
    for (const char *name : {"valore.rpt", "sottoscorta.rpt"})
        QVERIFY(QFile::copy(source + QStringLiteral("/resources/reports/") + QLatin1String(name),
                            m_f->folder() + QStringLiteral("/") + QLatin1String(name)));
    m_f->execute(QStringLiteral("update Articoli set art_Prezzo_Carico = 20 where art_Codice = 42"));
    m_f->execute(QStringLiteral("update Articoli set art_Prezzo_Carico = 4.5 where art_Codice = 43"));
    // 1234: 2 loaded at 30 in November, one at the article's price (none
    // recorded) today; its stock of 3 is what they made.
    m_f->addLoad(QStringLiteral("1234"), QStringLiteral("10/11/2026"), 2, 30, false);
    m_f->addLoad(QStringLiteral("1234"), QStringLiteral("06/12/2026"), 1, 0, false);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("01/12/2026"), 2, 9, 0, 18, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("20/11/2026"), 1, 50, 0, 50, QStringLiteral("CO"), false);
}

void TestValueWindows::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmValoreMagazzino>();
    delete ui::WindowRegistry::existingInstance<frmSottoscorta>();
    delete m_card;
    m_card = nullptr;
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
    QLocale::setDefault(QLocale::c());
}

QStringList TestValueWindows::rowsOf(const QTreeWidget &tree, const QTreeWidgetItem *parent)
{
    QStringList rows;
    const int count = parent ? parent->childCount() : tree.topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem *item = parent ? parent->child(i) : tree.topLevelItem(i);
        QStringList cells;
        for (int c = 0; c < tree.columnCount(); ++c)
            cells << item->text(c);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

frmValoreMagazzino &TestValueWindows::openValue()
{
    frmValoreMagazzino &window = ui::WindowRegistry::defaultInstance<frmValoreMagazzino>();
    window.show();
    QApplication::processEvents();
    return window;
}

frmSottoscorta &TestValueWindows::openReorder()
{
    frmSottoscorta &window = ui::WindowRegistry::defaultInstance<frmSottoscorta>();
    window.show();
    QApplication::processEvents();
    return window;
}

frmPrestazioni &TestValueWindows::openCard()
{
    m_card = new frmPrestazioni;
    m_card->p_strQuery = QStringLiteral("select * from Articoli where art_Codice = 42");
    m_card->show();
    QApplication::processEvents();
    return *m_card;
}

// The window opens on the end of last year and reads on Enter: the
// suppliers with their totals, each supplier's items when it is opened.
void TestValueWindows::valueBySupplierAtTheDayTyped()
{
    frmValoreMagazzino &window = openValue();
    QCOMPARE(window.txtData->text(), QStringLiteral("31/12/2025"));
    QCOMPARE(window.lvwValore->topLevelItemCount(), 0);
    QVERIFY(window.txtData->hasFocus());
    window.txtData->selectAll();
    QTest::keyClicks(window.txtData, QStringLiteral("061226"));
    QTest::keyClick(window.txtData, Qt::Key_Return);
    QCOMPARE(window.txtData->text(), QStringLiteral("06/12/2026"));
    // 1234: (2 x 30 + 1 x 20) / 3 = 26,67; 1234U: no load, 20; 5555: 4,50.
    QCOMPARE(rowsOf(*window.lvwValore), (QStringList{QStringLiteral("Dell'Orto|2 articoli|||4||100,01"),
                                                     QStringLiteral("Rossi|1 articolo|||10||45,00")}));
    QCOMPARE(window.lblTotale->text(), QStringLiteral("Valore del magazzino al 06/12/2026: € 145,01"));
    window.lvwValore->setFocus();
    window.lvwValore->setCurrentItem(window.lvwValore->topLevelItem(0));
    QTest::keyClick(window.lvwValore, Qt::Key_Right);
    QCOMPARE(rowsOf(*window.lvwValore, window.lvwValore->topLevelItem(0)),
             (QStringList{QStringLiteral("1234|Giacca|||3|26,67|80,01"), QStringLiteral("1234U|Giacca|||1|20,00|20,00")}));

    // On 30/11/2026 the load of today had not come: 1234 had 2, at 30.
    window.txtData->setText(QStringLiteral("30/11/2026"));
    window.cmdAggiorna->click();
    window.lvwValore->expandAll();
    QCOMPARE(rowsOf(*window.lvwValore, window.lvwValore->topLevelItem(0)).first(),
             QStringLiteral("1234|Giacca|||2|30,00|60,00"));
    // Before anything was loaded, the stock typed on the card is there.
    window.txtData->setText(QStringLiteral("01/01/2020"));
    window.cmdAggiorna->click();
    QCOMPARE(window.lvwValore->topLevelItemCount(), 2);
    QVERIFY(m_f->messages().texts().isEmpty());
    QCOMPARE(m_f->log(), QByteArray());
}

void TestValueWindows::valueRefusesADayThatIsNone()
{
    frmValoreMagazzino &window = openValue();
    window.txtData->setText(QStringLiteral("06/12/2026"));
    window.cmdAggiorna->click();
    QCOMPARE(window.lvwValore->topLevelItemCount(), 2);
    window.txtData->setText(QStringLiteral("31/02/2026"));
    QTest::keyClick(window.txtData, Qt::Key_Return);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Indicare una data valida nel formato GG/MM/AAAA.")});
    // The value shown stays that of its day.
    QCOMPARE(window.lvwValore->topLevelItemCount(), 2);
    QCOMPARE(window.shown()->day(), QDate(2026, 12, 6));
}

void TestValueWindows::valuePrintAndExport()
{
    frmValoreMagazzino &window = openValue();
    window.txtData->setText(QStringLiteral("06/12/2026"));
    // Printing a day not read yet reads it first.
    window.cmdStampa->click();
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/valore.rpt"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Valore del magazzino al 06/12/2026"));
    const report::ReportPage page = m_f->report().lastPage(0);
    const QString texts = page.texts().join(QLatin1Char('|'));
    for (const QString &shown : {QStringLiteral("Dell'Orto"), QStringLiteral("1234U"), QStringLiteral("26,67"),
                                 QStringLiteral("80,01"), QStringLiteral("Totale Rossi"), QStringLiteral("145,01")})
        QVERIFY2(texts.contains(shown), qPrintable(shown + QStringLiteral(" in ") + texts));
    QCOMPARE(m_f->log(), QByteArray());

    const QString file = m_f->folder() + QStringLiteral("/valore.csv");
    setCsvFileChooser([&](QWidget *, const QString &) { return file; });
    window.cmdEsporta->click();
    setCsvFileChooser({});
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
             QStringLiteral("\uFEFFFornitore;Codice;Descrizione;Taglia;Colore;Quantità;Prezzo medio;Valore\r\n"
                            "Dell'Orto;'1234;Giacca;;;3;26,67;80,01\r\n"
                            "Dell'Orto;1234U;Giacca;;;1;20,00;20,00\r\n"
                            "Rossi;'5555;Sciarpa;;;10;4,50;45,00\r\n")
                 .toUtf8());
    QCOMPARE(m_f->messages().texts(),
             QStringList{QStringLiteral("Esportate 3 righe nel file %1.").arg(QDir::toNativeSeparators(file))});
}

void TestValueWindows::reorderEverySupplierAndOne()
{
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 5 where ca_Codice = '1234'"));
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 10 where ca_Codice = '5555'"));
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 0 where ca_Codice = '1234U'"));
    frmSottoscorta &window = openReorder();
    QCOMPARE(rowsOf(*window.lvwSottoscorta),
             (QStringList{QStringLiteral("Dell'Orto|1234|Giacca|||3|5|1|3"),
                          QStringLiteral("Rossi|5555|Sciarpa|||10|10|2|2")}));
    QCOMPARE(window.lblTotale->text(), QStringLiteral("Articoli sotto scorta: 2 - pezzi da ordinare: 5"));
    QStringList offered;
    for (int i = 0; i < window.cboFornitore->count(); ++i)
        offered << window.cboFornitore->itemText(i);
    QCOMPARE(offered, (QStringList{QStringLiteral("(tutti i fornitori)"), QStringLiteral("Dell'Orto"), QStringLiteral("Rossi")}));
    QVERIFY(window.cboFornitore->hasFocus());
    QTest::keyClick(window.cboFornitore, Qt::Key_Down);
    QTest::keyClick(window.cboFornitore, Qt::Key_Down);
    QTest::keyClick(window.cboFornitore, Qt::Key_Return);
    QCOMPARE(rowsOf(*window.lvwSottoscorta), QStringList{QStringLiteral("Rossi|5555|Sciarpa|||10|10|2|2")});
    // Nothing under its minimum: the window says so.
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = Null"));
    window.cmdAggiorna->click();
    QCOMPARE(window.lvwSottoscorta->topLevelItemCount(), 0);
    QCOMPARE(window.lblTotale->text(), QStringLiteral("Nessun articolo è sotto la scorta minima."));
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestValueWindows::reorderPrintAndExport()
{
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 5 where ca_Codice = '1234'"));
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 10 where ca_Codice = '5555'"));
    frmSottoscorta &window = openReorder();
    window.cboFornitore->setCurrentIndex(1);
    window.cmdAggiorna->click();
    window.cmdStampa->click();
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(),
             m_f->folder() + QStringLiteral("/sottoscorta.rpt"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Sottoscorta - Dell'Orto"));
    const QString texts = m_f->report().lastPage(0).texts().join(QLatin1Char('|'));
    QVERIFY2(texts.contains(QStringLiteral("Giacca")) && texts.contains(QStringLiteral("Da ordinare a Dell'Orto"))
                 && !texts.contains(QStringLiteral("Sciarpa")),
             qPrintable(texts));

    const QString file = m_f->folder() + QStringLiteral("/sottoscorta.csv");
    setCsvFileChooser([&](QWidget *, const QString &) { return file; });
    window.cmdEsporta->click();
    setCsvFileChooser({});
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
             QStringLiteral("\uFEFFFornitore;Codice;Descrizione;Taglia;Colore;Giacenza;Scorta minima;Venduti ultimo mese;"
                            "Da ordinare\r\nDell'Orto;'1234;Giacca;;;3;5;1;3\r\n")
                 .toUtf8());
    QCOMPARE(m_f->log(), QByteArray());
}

void TestValueWindows::keysAreListedAndEscapeCloses()
{
    QStringList keys;
    for (const frmTasti::Row &row : frmTasti::rows({}))
        keys << row.keys + QLatin1Char('=') + row.command;
    QVERIFY(keys.contains(QStringLiteral("Destra / Sinistra=Valore del magazzino: apre o chiude gli articoli del fornitore")));
    frmValoreMagazzino &value = openValue();
    QTest::keyClick(&value, Qt::Key_Escape);
    QApplication::processEvents();
    QVERIFY(!ui::WindowRegistry::existingInstance<frmValoreMagazzino>());
    frmSottoscorta &reorder = openReorder();
    QTest::keyClick(&reorder, Qt::Key_Escape);
    QApplication::processEvents();
    QVERIFY(!ui::WindowRegistry::existingInstance<frmSottoscorta>());
}

// Typed in the card's grid, written with the item; emptied, no minimum.
void TestValueWindows::minimumStockRoundTrip()
{
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    QCOMPARE(grid.column(5).caption, QStringLiteral("Scorta minima"));
    grid.setFocus();
    QVERIFY(grid.setCurrentCell(0, 5));
    typeInGrid(grid, QStringLiteral("4\r"));
    QVERIFY(grid.updateRow());
    QCOMPARE(m_f->scalar(QStringLiteral("select ca_Scorta_Minima from [Codice Articolo] where ca_Codice = '1234'")).toInt(), 4);
    QVERIFY(grid.setCurrentCell(0, 5));
    QVERIFY(grid.setColumnValue(5, QString()));
    QVERIFY(grid.updateRow());
    QVERIFY(m_f->scalar(QStringLiteral("select ca_Scorta_Minima from [Codice Articolo] where ca_Codice = '1234'")).isNull());
    // Enter after the quantity still writes the row and starts the next.
    QVERIFY(grid.setCurrentCell(1, 4));
    typeInGrid(grid, QStringLiteral("6\r"));
    QCOMPARE(grid.currentRow(), 2);
    QCOMPARE(m_f->count(QStringLiteral("[Codice Articolo] where ca_Quantita = 6")), 1);
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestValueWindows::minimumStockRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString minimum = ArticleStockItems::kBadMinimum;
    QTest::newRow("below zero") << "-1" << minimum;
    QTest::newRow("half a piece") << "2.5" << minimum;
    QTest::newRow("more than a long") << "3000000000" << minimum;
    // No number at all: the grid says so itself.
    QTest::newRow("words") << "tre" << "Il valore \"tre\" della colonna \"Scorta minima\" non è un numero valido.";
}

void TestValueWindows::minimumStockRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    m_f->execute(QStringLiteral("update [Codice Articolo] set ca_Scorta_Minima = 7 where ca_Codice = '1234'"));
    frmPrestazioni &card = openCard();
    data::Grid &grid = *card.TDBGrid1;
    QVERIFY(grid.setCurrentCell(0, 5));
    QVERIFY(grid.setColumnValue(5, typed));
    QVERIFY(!grid.updateRow());
    QCOMPARE(m_f->messages().texts(), QStringList{message});
    QCOMPARE(ArticleStockItems::kBadMinimum,
             QStringLiteral("La scorta minima deve essere un numero intero da 0 a 2147483647, oppure vuota per nessuna "
                            "scorta minima."));
    QCOMPARE(m_f->scalar(QStringLiteral("select ca_Scorta_Minima from [Codice Articolo] where ca_Codice = '1234'")).toInt(), 7);
    QVERIFY(grid.isRowDirty());
}

QTEST_MAIN(TestValueWindows)
#include "tst_value_windows.moc"
