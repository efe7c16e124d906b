// The code picker: the statement it builds, sizing, picking by Enter and
// double-click, cancelling, and the swapped roles of the stock load.
#include "TestShopDatabase.h"

#include "lookup/frmHelp.h"
#include "base/Globals.h"
#include "db/Database.h"
#include "ui/ScriptedMessages.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QListWidget *list(QDialog &dialog)
{
    return dialog.findChild<QListWidget *>("dblHelp");
}

QLineEdit *filter(QDialog &dialog)
{
    return dialog.findChild<QLineEdit *>("txtFiltro");
}

void pressEnter(QDialog &dialog)
{
    QTest::keyClick(list(dialog), Qt::Key_Return);
}

} // namespace

class TestFrmHelp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void buildsTheStatement_data();
    void buildsTheStatement();
    void picksWithEnter();
    void picksWithDoubleClick();
    void closingCancels();
    void emptyTable();
    void enterWithNoCurrentRow_data();
    void enterWithNoCurrentRow();
    void escapeAndAnnullaGiveUp_data();
    void escapeAndAnnullaGiveUp();
    void filterNarrowsTheWholeTable_data();
    void filterNarrowsTheWholeTable();
    void typingFiltersAndEnterPicksTheFirstFound();
    void captionNamesWhatIsPicked_data();
    void captionNamesWhatIsPicked();
    void opensBelowTheField();
    void sizeFactor_data();
    void sizeFactor();
    void swappedRolesOfTheStockLoad();
    void newButtonFollowsButtonNew();
    void wrongFieldShowsTheEngineError();
    void typingJumpsToAMatchingRow();
    void aLongTableIsReadAsTheUserScrolls();

private:
    std::unique_ptr<TestShopDatabase> m_shop;
    std::unique_ptr<ui::ScriptedMessages> m_messages;
};

void TestFrmHelp::init()
{
    m_shop = std::make_unique<TestShopDatabase>();
    db::Database *d = &m_shop->database();
    d->execute("insert into Articoli (art_Descrizione) values ('Maglione')");
    d->execute("insert into Articoli (art_Descrizione) values ('Cintura')");
    d->execute("insert into Articoli (art_Descrizione) values ('Jeans')");
    m_messages = std::make_unique<ui::ScriptedMessages>();
}

void TestFrmHelp::cleanup()
{
    m_messages.reset();
    m_shop.reset();
}

void TestFrmHelp::buildsTheStatement_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("sql");
    QTest::newRow("plain") << "" << "" << "SELECT pag_Codice as CODICE, pag_Descrizione as DESCRIZIONE FROM Pagamenti ";
    QTest::newRow("where") << "pag_Codice <> 'CO'" << ""
                           << "SELECT pag_Codice as CODICE, pag_Descrizione as DESCRIZIONE FROM Pagamenti WHERE pag_Codice <> 'CO' ";
    QTest::newRow("where and order") << "pag_Codice <> 'CO'" << "pag_Descrizione"
                                     << "SELECT pag_Codice as CODICE, pag_Descrizione as DESCRIZIONE FROM Pagamenti "
                                        "WHERE pag_Codice <> 'CO' ORDER BY pag_Descrizione ";
}

void TestFrmHelp::buildsTheStatement()
{
    QFETCH(QString, where);
    QFETCH(QString, order);
    QFETCH(QString, sql);
    frmHelp help;
    help.QryTable = "Pagamenti";
    help.QryBoundColumn = "pag_Codice";
    help.QryListField = "pag_Descrizione";
    help.QryWhere = where;
    help.QryOrder = order;
    QCOMPARE(help.BuildSql(), sql);
}

void TestFrmHelp::picksWithEnter()
{
    frmHelp help;
    help.QryTable = "Pagamenti";
    help.QryBoundColumn = "pag_Codice";
    help.QryListField = "pag_Descrizione";
    help.QryOrder = "pag_Descrizione";
    help.ButtonNew = false;
    m_messages->queueModal([](QDialog &dialog) {
        QListWidget *l = list(dialog);
        [&] { QCOMPARE(l->count(), 5); QCOMPARE(l->item(0)->text(), QString("Assegno")); }();
        l->setCurrentRow(1);   // Bancomat
        pressEnter(dialog);
        return dialog.result();
    });
    QCOMPARE(help.showModal(), int(QDialog::Accepted));
    QCOMPARE(help.QryAborted, false);
    QCOMPARE(help.QrySelected.toString(), QString("BA"));
    QCOMPARE(help.QryText, QString("Bancomat"));
    QCOMPARE(m_messages->modals(), QStringList{"frmHelp"});
}

void TestFrmHelp::picksWithDoubleClick()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryOrder = "art_Descrizione";
    m_messages->queueModal([](QDialog &dialog) {
        QListWidget *l = list(dialog);
        QListWidgetItem *jeans = l->item(1);
        l->setCurrentItem(jeans);
        const QPoint at = l->visualItemRect(jeans).center();
        QTest::mousePress(l->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(l->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, at);
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(help.QryAborted, false);
    QCOMPARE(help.QrySelected.toLongLong(), 3LL);
    QCOMPARE(help.QryText, QString("Jeans"));
}

void TestFrmHelp::closingCancels()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryText = "as set by the caller";
    m_messages->queueModal([](QDialog &dialog) {
        list(dialog)->setCurrentRow(2);
        dialog.close();
        return dialog.result();
    });
    QCOMPARE(help.showModal(), int(QDialog::Rejected));
    QCOMPARE(help.QryAborted, true);
    QCOMPARE(help.QrySelected.toString(), QString());
    QCOMPARE(help.QryText, QString("as set by the caller"));
}

void TestFrmHelp::emptyTable()
{
    frmHelp help;
    help.QryTable = "Fornitore";
    help.QryBoundColumn = "fo_Descrizione";
    help.QryListField = "fo_Descrizione";
    m_messages->queueModal([](QDialog &dialog) {
        [&] { QCOMPARE(list(dialog)->count(), 0); }();
        dialog.close();
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(help.QryAborted, true);
    QCOMPARE(help.QrySelected.toString(), QString());
    QVERIFY(m_messages->messages().isEmpty());
}

// Nothing is chosen until the user moves in the list or types a filter: a
// stray Enter, in the filter box or in the list, picks nothing and leaves
// the window open.
void TestFrmHelp::enterWithNoCurrentRow_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("rows");
    QTest::newRow("no rows") << "art_Codice > 100" << 0;
    QTest::newRow("rows, none chosen yet") << "" << 3;
}

void TestFrmHelp::enterWithNoCurrentRow()
{
    QFETCH(QString, where);
    QFETCH(int, rows);
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryWhere = where;
    help.QryText = "as set by the caller";
    bool stayedOpen = false;
    int listed = -1;
    bool noneCurrent = false;
    m_messages->queueModal([&](QDialog &dialog) {
        listed = list(dialog)->count();
        noneCurrent = list(dialog)->currentItem() == nullptr;
        QTest::keyClick(filter(dialog), Qt::Key_Return);
        pressEnter(dialog);
        stayedOpen = dialog.isVisible();
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(listed, rows);
    QVERIFY(noneCurrent);
    QVERIFY(stayedOpen);
    QCOMPARE(help.QryAborted, true);
    QCOMPARE(help.QrySelected.toString(), QString());
    QCOMPARE(help.QryText, QString("as set by the caller"));
}

// Escape (from the filter or from the list) and Annulla give the pick up:
// the caller's text stays as it was, even with a row chosen in the list.
void TestFrmHelp::escapeAndAnnullaGiveUp_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape in the filter") << "filter";
    QTest::newRow("Escape in the list") << "list";
    QTest::newRow("Annulla") << "Annulla";
}

void TestFrmHelp::escapeAndAnnullaGiveUp()
{
    QFETCH(QString, how);
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryText = "as set by the caller";
    bool closed = false;
    m_messages->queueModal([&](QDialog &dialog) {
        QTest::keyClick(filter(dialog), Qt::Key_Down);
        if (how == "filter") {
            QTest::keyClick(filter(dialog), Qt::Key_Escape);
        } else if (how == "list") {
            QTest::keyClick(list(dialog), Qt::Key_Escape);
        } else {
            auto *cancel = dialog.findChild<QPushButton *>("cmdAnnulla");
            [&] { QVERIFY(cancel && cancel->isVisible()); QCOMPARE(cancel->text(), QString("Annulla")); }();
            cancel->click();
        }
        closed = !dialog.isVisible();
        return dialog.result();
    });
    QCOMPARE(help.showModal(), int(QDialog::Rejected));
    QVERIFY(closed);
    QCOMPARE(help.QryAborted, true);
    QCOMPARE(help.QrySelected.toString(), QString());
    QCOMPARE(help.QryText, QString("as set by the caller"));
}

// The filter reads the whole table in the database, not the rows loaded so
// far: "Articolo 1999" lies far beyond the first screen. Case is ignored;
// an apostrophe, %, * typed as text are text.
void TestFrmHelp::filterNarrowsTheWholeTable_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("beyond the rows loaded") << "1999" << QStringList{"Articolo 1999"};
    QTest::newRow("apostrophe, any case") << "DELL'" << QStringList{"Borsa dell'artigiano", "Giacca Dell'Orto"};
    QTest::newRow("inside a word") << "intur" << QStringList{"Cintura"};
    QTest::newRow("percent is a character") << "50%" << QStringList{"Sconto 50%"};
    QTest::newRow("quote and semicolon") << "\"; drop table Articoli; --" << QStringList{};
    QTest::newRow("nothing matches") << "zzz" << QStringList{};
}

void TestFrmHelp::filterNarrowsTheWholeTable()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    {
        db::Transaction transaction(m_shop->database());
        for (int i = 0; i < 2000; ++i)
            m_shop->database().execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Articolo %1')")
                                           .arg(i, 4, 10, QLatin1Char('0')));
        for (const char *name : {"Giacca Dell''Orto", "Borsa dell''artigiano", "Sconto 50%", "Sconto 5 euro"})
            m_shop->database().execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('%1')").arg(name));
        transaction.commit();
    }
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryOrder = "art_Descrizione";
    QStringList listed;
    QString current;
    m_messages->queueModal([&](QDialog &dialog) {
        QTest::keyClicks(filter(dialog), typed);
        // Down takes what is typed at once and moves into the list.
        QTest::keyClick(filter(dialog), Qt::Key_Down);
        for (int i = 0; i < list(dialog)->count(); ++i)
            listed << list(dialog)->item(i)->text();
        if (list(dialog)->currentItem())
            current = list(dialog)->currentItem()->text();
        pressEnter(dialog);
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(listed, shown);
    QCOMPARE(current, shown.value(0));
    QCOMPARE(help.QryAborted, shown.isEmpty());
    QCOMPARE(help.QryText, shown.value(0));
    // The typed text is a parameter of the statement, never part of it.
    QVERIFY(!help.FilterSql().contains(typed));
    QCOMPARE(help.FilterSql(), QString("SELECT art_Codice as CODICE, art_Descrizione as DESCRIZIONE FROM Articoli "
                                       "WHERE CAST(art_Descrizione AS text) like ?1 ORDER BY art_Descrizione LIMIT ?2 OFFSET ?3"));
    QCOMPARE(m_shop->database().openRecordset("select count(*) as n from Articoli")->value("n").toInt(), 2007);
}

// Typing follows by itself after a pause; Enter then picks the first row
// found. Letters typed in the list go into the filter.
void TestFrmHelp::typingFiltersAndEnterPicksTheFirstFound()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryOrder = "art_Descrizione";
    m_messages->queueModal([](QDialog &dialog) {
        QTest::keyClicks(filter(dialog), "e");
        [&] {
            QTRY_VERIFY(list(dialog)->currentItem());
            QCOMPARE(list(dialog)->count(), 2);
            QCOMPARE(list(dialog)->currentItem()->text(), QString("Jeans"));
        }();
        QTest::keyClick(list(dialog), Qt::Key_A);
        [&] {
            QCOMPARE(filter(dialog)->text(), QString("ea"));
            QTRY_COMPARE(list(dialog)->count(), 1);
            QCOMPARE(list(dialog)->item(0)->text(), QString("Jeans"));
        }();
        QTest::keyClick(filter(dialog), Qt::Key_Return);
        return dialog.result();
    });
    QCOMPARE(help.showModal(), int(QDialog::Accepted));
    QCOMPARE(help.QryText, QString("Jeans"));
    QCOMPARE(help.QrySelected.toLongLong(), 3LL);
}

void TestFrmHelp::captionNamesWhatIsPicked_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("customers") << "Anagrafica" << "" << "Scelta cliente";
    QTest::newRow("articles") << "Articoli" << "" << "Scelta articolo";
    QTest::newRow("suppliers") << "Fornitore" << "" << "Scelta fornitore";
    QTest::newRow("payments") << "Pagamenti" << "" << "Scelta pagamento";
    QTest::newRow("VAT") << "IVA" << "" << "Scelta aliquota IVA";
    QTest::newRow("other table") << "Azienda" << "" << "Scelta da Azienda";
    QTest::newRow("caller's caption") << "Articoli" << "Articolo da caricare" << "Articolo da caricare";
}

void TestFrmHelp::captionNamesWhatIsPicked()
{
    QFETCH(QString, table);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    frmHelp help;
    help.QryTable = table;
    help.QryBoundColumn = "1";
    help.QryListField = "1";
    help.QryCaption = caption;
    QString title;
    m_messages->queueModal([&](QDialog &dialog) {
        title = dialog.windowTitle();
        dialog.close();
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(title, shown);
}

// The picker opens just below the box it fills, its left edge on the box's.
void TestFrmHelp::opensBelowTheField()
{
    QWidget window;
    auto *box = new QLineEdit(&window);
    box->setGeometry(20, 30, 120, 24);
    window.resize(300, 100);
    window.move(10, 10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    frmHelp help(&window);
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryField = box;
    QPoint at;
    QRect screen;
    m_messages->queueModal([&](QDialog &dialog) {
        at = dialog.frameGeometry().topLeft();
        screen = dialog.screen()->availableGeometry();
        dialog.close();
        return dialog.result();
    });
    help.showModal();
    const QPoint below = box->mapToGlobal(QPoint(0, box->height()));
    if (screen.contains(QRect(below, help.frameGeometry().size())))
        QCOMPARE(at, below);
    QVERIFY(screen.contains(QRect(at, help.frameGeometry().size())));
}

void TestFrmHelp::sizeFactor_data()
{
    QTest::addColumn<float>("size");
    QTest::addColumn<float>("taken");
    QTest::newRow("zero") << 0.0f << 1.0f;
    QTest::newRow("negative") << -3.0f << 1.0f;
    QTest::newRow("one") << 1.0f << 1.0f;
    QTest::newRow("two") << 2.0f << 2.0f;
}

void TestFrmHelp::sizeFactor()
{
    QFETCH(float, size);
    QFETCH(float, taken);
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QrySize = size;
    help.showModal();   // no handler queued: closed as cancelled
    QCOMPARE(help.QrySize, taken);
    const int list = int(frmHelp::BaseListWidthTwips * taken);
    QCOMPARE(help.ListWidthTwips(), list);
    QCOMPARE(help.WindowWidthTwips(), 2 * frmHelp::ListLeftTwips + list + 120);
    QCOMPARE(help.QryAborted, true);
}

void TestFrmHelp::swappedRolesOfTheStockLoad()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Descrizione";
    help.QryListField = "art_Codice";
    help.QryOrder = "art_Codice";
    help.ButtonNew = false;
    m_messages->queueModal([](QDialog &dialog) {
        QListWidget *l = list(dialog);
        [&] { QCOMPARE(l->item(0)->text(), QString("1")); QCOMPARE(l->item(2)->text(), QString("3")); }();
        l->setCurrentRow(2);
        pressEnter(dialog);
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(help.QrySelected.toString(), QString("Jeans"));
    QCOMPARE(help.QryText, QString("3"));
}

void TestFrmHelp::newButtonFollowsButtonNew()
{
    for (bool shown : {false, true}) {
        frmHelp help;
        help.QryTable = "Articoli";
        help.QryBoundColumn = "art_Codice";
        help.QryListField = "art_Descrizione";
        help.ButtonNew = shown;
        bool visible = !shown;
        m_messages->queueModal([&](QDialog &dialog) {
            auto *button = dialog.findChild<QPushButton *>("cmdNuovo");
            visible = button && button->isVisible() && button->text() == "Nuovo";
            dialog.close();
            return dialog.result();
        });
        help.showModal();
        QCOMPARE(visible, shown);
    }
}

void TestFrmHelp::wrongFieldShowsTheEngineError()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Nonesiste";
    m_messages->queueModal([](QDialog &dialog) {
        [&] { QCOMPARE(list(dialog)->count(), 0); }();
        dialog.close();
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(help.QryAborted, true);
    QCOMPARE(m_messages->messages().size(), 1);
    QCOMPARE(m_messages->messages().first().style, int(ui::vbCritical));
    // What failed in plain words; the field's name and the statement are
    // for the log.
    QCOMPARE(m_messages->messages().first().text,
             QStringLiteral("Si è verificato un errore durante l'esecuzione del programma.\r\nErrore numero: %1\r\n"
                            "Descrizione: Impossibile leggere l'elenco: riprovare; se l'errore si ripete, chiudere e "
                            "riaprire il programma e, se non basta, rivolgersi all'assistenza indicando il numero "
                            "dell'errore.")
                 .arg(m_messages->messages().first().text.section("Errore numero: ", 1).section("\r\n", 0, 0)));
    QVERIFY(!m_messages->messages().first().text.contains("art_Nonesiste", Qt::CaseInsensitive));
}

void TestFrmHelp::typingJumpsToAMatchingRow()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryOrder = "art_Descrizione";
    m_messages->queueModal([](QDialog &dialog) {
        QListWidget *l = list(dialog);
        l->keyboardSearch("ma");
        pressEnter(dialog);
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(help.QryText, QString("Maglione"));
}

// A catalogue of thousands of articles opens with its first rows; the rest
// come as the user scrolls, and End reaches the last article of the table.
void TestFrmHelp::aLongTableIsReadAsTheUserScrolls()
{
    {
        db::Transaction transaction(m_shop->database());
        for (int i = 0; i < 2000; ++i)
            m_shop->database().execute(QStringLiteral("insert into Articoli (art_Descrizione) values ('Articolo %1')")
                                           .arg(i, 4, 10, QLatin1Char('0')));
        transaction.commit();
    }
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryOrder = "art_Codice";
    m_messages->queueModal([](QDialog &dialog) {
        QListWidget *l = list(dialog);
        [&] {
            QCOMPARE(l->count(), frmHelp::RowsPerFill);
            l->verticalScrollBar()->setValue(l->verticalScrollBar()->maximum());
            QCOMPARE(l->count(), 2 * frmHelp::RowsPerFill);
            QTest::keyClick(l, Qt::Key_End);
            QCOMPARE(l->count(), 2003);
            QCOMPARE(l->currentItem()->text(), QStringLiteral("Articolo 1999"));
        }();
        pressEnter(dialog);
        return dialog.result();
    });
    QCOMPARE(help.showModal(), int(QDialog::Accepted));
    QCOMPARE(help.QrySelected.toInt(), 2003);
    QCOMPARE(help.QryText, QStringLiteral("Articolo 1999"));
}

QTEST_MAIN(TestFrmHelp)
#include "tst_frmhelp.moc"
