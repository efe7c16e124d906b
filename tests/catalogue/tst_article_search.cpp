// The article search driven as the shop owner drives it: the list following
// the typing, the bar code, the supplier, typed quotes and wildcards, text
// sorting, printing, and the double-click that shows the article on the card.

#include "CardFixture.h"

#include "base/Globals.h"
#include "base/OpenWindow.h"
#include "db/Database.h"
#include "report/ReportProperties.h"
#include "rules/ShopDatabase.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmCercaPrestazione.h"
#include "stock/frmPrestazioni.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QFile>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>
#include <sqlite3.h>

namespace {

const QString kUnsaved = QStringLiteral("I dati non sono stati salvati. Salvare prima di ricercare un articolo.");

} // namespace

class TestArticleSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void criteriaFindTheArticles_data();
    void criteriaFindTheArticles();
    void theListFollowsTheTypingAndFillsAsItScrolls();
    void nuovaRicercaEmptiesCriteriaAndList();
    void codesSortAsTexts();
    void printSendsTheListedCodes();
    void doubleClickMovesTheCard();
    void theCardsOpenCommandShowsTheSearch();

private:
    frmCercaPrestazione &openSearch();
    QStringList listedCodes() const;
    void addArticle(const QString &description, const QString &supplier);

    std::unique_ptr<CardFixture> m_f;
    frmCercaPrestazione *m_search = nullptr;
};

void TestArticleSearch::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestArticleSearch::addArticle(const QString &description, const QString &supplier)
{
    m_f->execute(QStringLiteral("insert into Articoli (art_Descrizione, art_Fornitore) values ('%1', '%2')")
                     .arg(QString(description).replace(QLatin1Char('\''), QStringLiteral("''")),
                          QString(supplier).replace(QLatin1Char('\''), QStringLiteral("''"))));
}

void TestArticleSearch::init()
{
    m_f = std::make_unique<CardFixture>();
    // Codes 1..10, in this order.
    addArticle(QStringLiteral("Scarpa da corsa"), QStringLiteral("Rossi"));
    addArticle(QStringLiteral("Borsa scamosciata"), QStringLiteral("Bianchi"));
    addArticle(QStringLiteral("Sciarpa di lana"), QStringLiteral("Rossi"));
    addArticle(QStringLiteral("Scarponcino"), QStringLiteral("Bianchi"));
    addArticle(QStringLiteral("Dell'Orto giacca"), QStringLiteral("Dell'Orto"));
    addArticle(QStringLiteral("Sconto 100%"), QStringLiteral("Verdi"));
    addArticle(QStringLiteral("Sconto 1000"), QStringLiteral("Verdi"));
    addArticle(QStringLiteral("Camicia [blu] N_1"), QStringLiteral("Verdi"));
    addArticle(QStringLiteral("Cappotto \"Lana\" *extra*"), QStringLiteral("Verdi"));
    addArticle(QStringLiteral("Cappotto lungo"), QStringLiteral("Verdi"));
    // Article 3 has 6 in stock over two items, article 5 one, the others none.
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('800123', 3, 4)"));
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('800124', 3, 2)"));
    m_f->execute(QStringLiteral("insert into [Codice Articolo] (ca_Codice, ca_Codice_Articolo, ca_Quantita) "
                                "values ('O''1', 5, 1)"));
}

void TestArticleSearch::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmPrestazioni>();
    delete ui::WindowRegistry::existingInstance<frmCercaPrestazione>();
    m_search = nullptr;
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
}

frmCercaPrestazione &TestArticleSearch::openSearch()
{
    m_search = &ui::WindowRegistry::defaultInstance<frmCercaPrestazione>();
    m_search->show();
    return *m_search;
}

QStringList TestArticleSearch::listedCodes() const
{
    QStringList codes;
    for (int i = 0; i < m_search->lvwFatture->topLevelItemCount(); ++i)
        codes << m_search->lvwFatture->topLevelItem(i)->text(1);
    return codes;
}

void TestArticleSearch::criteriaFindTheArticles_data()
{
    QTest::addColumn<QString>("barcode");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("anywhere");
    QTest::addColumn<QString>("supplier");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("nothing: every article") << "" << "" << false << "" << ""
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    QTest::newRow("sca at the start") << "" << "sca" << false << "" << " art_Descrizione like 'sca*'"
        << QStringList{"1", "4"};
    QTest::newRow("sca anywhere") << "" << "sca" << true << "" << " art_Descrizione like '*sca*'"
        << QStringList{"1", "2", "4"};
    QTest::newRow("description and supplier") << "" << "sc" << false << "bia"
        << " art_Descrizione like 'sc*' and  art_Fornitore like 'bia*'" << QStringList{"4"};
    QTest::newRow("bar code of a stock item") << "800123" << "" << false << "" << "art_Codice = 3" << QStringList{"3"};
    QTest::newRow("bar code and a description it does not have") << "800123" << "sca" << false << ""
        << "art_Codice = 3 and  art_Descrizione like 'sca*'" << QStringList();
    QTest::newRow("bar code of no stock item: an empty list") << "999" << "" << false << "" << "" << QStringList();
    QTest::newRow("two letters") << "" << "SC" << false << "" << " art_Descrizione like 'SC*'"
        << QStringList{"1", "3", "4", "6", "7"};
    QTest::newRow("apostrophe in the bar code") << "O'1" << "" << false << "" << "art_Codice = 5" << QStringList{"5"};
    QTest::newRow("apostrophe in the description") << "" << "Dell'O" << false << ""
        << " art_Descrizione like 'Dell''O*'" << QStringList{"5"};
    QTest::newRow("apostrophe in the supplier") << "" << "" << false << "dell'"
        << " art_Fornitore like 'dell''*'" << QStringList{"5"};
    QTest::newRow("percent is itself") << "" << "sconto 100%" << false << ""
        << " art_Descrizione like 'sconto 100%*'" << QStringList{"6"};
    QTest::newRow("star stays the wildcard") << "" << "sconto*0" << false << ""
        << " art_Descrizione like 'sconto*0*'" << QStringList{"6", "7"};
    QTest::newRow("bracket and underscore are themselves") << "" << "[blu] N_" << true << ""
        << " art_Descrizione like '*[[]blu] N_*'" << QStringList{"8"};
    QTest::newRow("double quote") << "" << "\"lana\"" << true << ""
        << " art_Descrizione like '*\"lana\"*'" << QStringList{"9"};
    QTest::newRow("a quote closing the text finds nothing") << "" << "x' or ''='" << true << ""
        << " art_Descrizione like '*x'' or ''''=''*'" << QStringList();
}

void TestArticleSearch::criteriaFindTheArticles()
{
    QFETCH(QString, barcode);
    QFETCH(QString, description);
    QFETCH(bool, anywhere);
    QFETCH(QString, supplier);
    QFETCH(QString, filter);
    QFETCH(QStringList, codes);
    frmCercaPrestazione &search = openSearch();
    // Through the description index, then on a database made before the
    // index existed (a file only: the server's index is the server's).
    for (bool indexed : {true, false}) {
        if (!indexed && TestShopDatabase::onServer())
            break;
        if (!indexed) {
            QCOMPARE(sqlite3_exec(ShopDatabase::open()->handle(),
                                  "drop trigger ArticoliTrigrammi_Inserimento; drop trigger ArticoliTrigrammi_Eliminazione; "
                                  "drop trigger ArticoliTrigrammi_Modifica; drop table ArticoliTrigrammi",
                                  nullptr, nullptr, nullptr), SQLITE_OK);
            search.txtDescrizione->clear();
        }
        search.txtCodice->setText(barcode);
        search.chkGenerica->setChecked(anywhere);
        search.txtFornitore->setText(supplier);
        QTest::keyClicks(search.txtDescrizione, description);
        QTest::mouseClick(search.cmdTrova, Qt::LeftButton);
        QCOMPARE(search.lastFilter(), filter);
        QCOMPARE(listedCodes(), codes);
        // "Quantità": the article's stock, the sum of its items.
        const QHash<QString, QString> stock{{QStringLiteral("3"), QStringLiteral("6")},
                                            {QStringLiteral("5"), QStringLiteral("1")}};
        for (int i = 0; i < search.lvwFatture->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = search.lvwFatture->topLevelItem(i);
            QCOMPARE(row->text(4), stock.value(row->text(1), QStringLiteral("0")));
        }
        // Finding nothing is said above the list, not in a message.
        QCOMPARE(search.lblEsito->isHidden() ? QString() : search.lblEsito->text(),
                 codes.isEmpty() ? QStringLiteral("Nessun articolo trovato") : QString());
        QCOMPARE(m_f->messages().texts(), QStringList());
        QVERIFY(m_f->log().isEmpty());
    }
}

void TestArticleSearch::theListFollowsTheTypingAndFillsAsItScrolls()
{
    for (int i = 0; i < 500; ++i)
        addArticle(QStringLiteral("Scatola %1").arg(i), QStringLiteral("Neri"));
    frmCercaPrestazione &search = openSearch();
    search.resize(700, 500);
    QTest::keyClicks(search.txtDescrizione, QStringLiteral("scar"));
    QCOMPARE(listedCodes(), (QStringList{"1", "4"}));
    QTest::keyClick(search.txtDescrizione, Qt::Key_Backspace);
    // 502 matches: the first page only, more as the list scrolls to its end.
    const int firstScreen = search.lvwFatture->topLevelItemCount();
    QVERIFY2(firstScreen >= 10 && firstScreen < 502, qPrintable(QString::number(firstScreen)));
    QVERIFY(!search.allListed());
    // Once the typing pauses, the list says how many it shows of how many.
    QTRY_COMPARE(search.lblEsito->text(), QStringLiteral("Mostrati %1 di 502 articoli").arg(firstScreen));
    QVERIFY(!search.lblEsito->isHidden());
    search.lvwFatture->scrollToBottom();
    QVERIFY(search.lvwFatture->topLevelItemCount() > firstScreen);
    QCOMPARE(search.lblEsito->text(),
             QStringLiteral("Mostrati %1 di 502 articoli").arg(search.lvwFatture->topLevelItemCount()));
    while (!search.allListed())
        search.lvwFatture->scrollToBottom();
    QCOMPARE(search.lvwFatture->topLevelItemCount(), 502);
    QVERIFY(search.lblEsito->isHidden());
    // Typing on starts again: a search of no match says so at once.
    QTest::keyClicks(search.txtDescrizione, QStringLiteral("zzz"));
    QCOMPARE(search.lblEsito->text(), QStringLiteral("Nessun articolo trovato"));
}

void TestArticleSearch::nuovaRicercaEmptiesCriteriaAndList()
{
    frmCercaPrestazione &search = openSearch();
    search.txtCodice->setText(QStringLiteral("800123"));
    search.txtFornitore->setText(QStringLiteral("Rossi"));
    QTest::keyClicks(search.txtDescrizione, QStringLiteral("s"));
    QCOMPARE(listedCodes(), QStringList{"3"});
    QTest::mouseClick(search.cmdCancella, Qt::LeftButton);
    QVERIFY(search.txtCodice->text().isEmpty() && search.txtDescrizione->text().isEmpty()
            && search.txtFornitore->text().isEmpty());
    QCOMPARE(search.lvwFatture->topLevelItemCount(), 0);
}

void TestArticleSearch::codesSortAsTexts()
{
    frmCercaPrestazione &search = openSearch();
    search.TrovaDistinte();
    QHeaderView *header = search.lvwFatture->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(listedCodes(), (QStringList{"1", "10", "2", "3", "4", "5", "6", "7", "8", "9"}));
    search.lvwFatture->sortItems(3, Qt::DescendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
    QCOMPARE(search.lvwFatture->topLevelItem(0)->text(3), QStringLiteral("Bianchi"));
}

void TestArticleSearch::printSendsTheListedCodes()
{
    const QString source = qEnvironmentVariable("TARVO_SOURCE_DIR");
    QVERIFY(QFile::copy(source + QStringLiteral("/resources/reports/articoli.rpt"),
                        m_f->folder() + QStringLiteral("/articoli.rpt")) || QFile::exists(m_f->folder() + "/articoli.rpt"));
    frmCercaPrestazione &search = openSearch();
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    QCOMPARE(m_f->report().runCount(), 0);   // an empty list prints nothing
    search.chkGenerica->setChecked(true);
    QTest::keyClicks(search.txtDescrizione, QStringLiteral("sca"));
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    QCOMPARE(m_f->report().runCount(), 1);
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(),
             QStringLiteral("{articoli.art_Codice} = 1 or {articoli.art_Codice} = 2 or {articoli.art_Codice} = 4"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Lista Articoli"));
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/articoli.rpt"));
    QStringList printed;
    for (const report::ReportPage &page : m_f->report().lastPages())
        for (const report::PageItem &item : page.items)
            printed << item.text;
    QVERIFY2(printed.contains(QStringLiteral("Borsa scamosciata")), qPrintable(printed.join(QLatin1Char('|'))));
    QVERIFY(!printed.contains(QStringLiteral("Sciarpa di lana")));

    // A list of thousands of articles prints as well.
    for (int i = 0; i < 3000; ++i)
        addArticle(QStringLiteral("Scatola %1").arg(i), QStringLiteral("Neri"));
    search.txtDescrizione->setText(QStringLiteral("scat"));
    QTest::mouseClick(search.cmdStampa, Qt::LeftButton);
    QCOMPARE(m_f->report().runCount(), 2);
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString().count(QStringLiteral(" or ")), 2999);
    QCOMPARE(m_f->messages().texts(), QStringList());
    QVERIFY(m_f->log().isEmpty());
}

void TestArticleSearch::doubleClickMovesTheCard()
{
    frmCercaPrestazione &search = openSearch();
    search.lvwFatture_DblClick();   // nothing selected: no card
    QVERIFY(!ui::WindowRegistry::existingInstance<frmPrestazioni>());
    search.chkGenerica->setChecked(true);
    QTest::keyClicks(search.txtDescrizione, QStringLiteral("sca"));
    QTreeWidget &list = *search.lvwFatture;
    const auto doubleClickRow = [&](int row) {
        const QRect rect = list.visualItemRect(list.topLevelItem(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    };
    doubleClickRow(1);
    frmPrestazioni *card = ui::WindowRegistry::existingInstance<frmPrestazioni>();
    QVERIFY(card && card->isVisible());
    QCOMPARE(card->p_strQuery, QStringLiteral("select * from Articoli where art_Codice = 2"));
    QCOMPARE(card->txtDescrizione->text(), QStringLiteral("Borsa scamosciata"));
    QVERIFY(search.isVisible());

    // The open card moves to the article clicked next.
    doubleClickRow(2);
    QCOMPARE(card->txtDescrizione->text(), QStringLiteral("Scarponcino"));

    // A card holding unsaved changes asks; Annulla (the default) keeps them.
    card->txtDescrizione->setText(QStringLiteral("Scarponcino alto"));
    doubleClickRow(0);
    QCOMPARE(m_f->messages().texts(), QStringList{QStringLiteral("Salvare le modifiche?")});
    QCOMPARE(card->txtDescrizione->text(), QStringLiteral("Scarponcino alto"));
    QVERIFY(m_f->log().isEmpty());
}

void TestArticleSearch::theCardsOpenCommandShowsTheSearch()
{
    frmPrestazioni *card = &openWindow<frmPrestazioni>();
    card->Toolbar1_ButtonClick(QStringLiteral("Open"));
    QTest::qWait(0);
    frmCercaPrestazione *search = ui::WindowRegistry::existingInstance<frmCercaPrestazione>();
    QVERIFY(search && search->isVisible());
    QVERIFY(!ui::WindowRegistry::existingInstance<frmPrestazioni>()
            || !ui::WindowRegistry::existingInstance<frmPrestazioni>()->isVisible());
    delete search;

    // A card holding unsaved changes stays, with its message.
    card = &openWindow<frmPrestazioni>();
    card->txtDescrizione->setText(QStringLiteral("changed"));
    card->Toolbar1_ButtonClick(QStringLiteral("Open"));
    QCOMPARE(m_f->messages().texts(), QStringList{kUnsaved});
    QVERIFY(card->isVisible());
    QVERIFY(!ui::WindowRegistry::existingInstance<frmCercaPrestazione>());
}

QTEST_MAIN(TestArticleSearch)
#include "tst_article_search.moc"
