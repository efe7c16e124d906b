// The code picker: the statement it builds, sizing, picking by Enter and
// double-click, cancelling, and the swapped roles of the stock load.
#include "TestShopDatabase.h"

#include "lookup/frmHelp.h"
#include "base/Globals.h"
#include "db/Database.h"
#include "ui/ScriptedMessages.h"

#include <QDir>
#include <QFile>
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
    void enterWithNoCurrentRow();
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

void TestFrmHelp::enterWithNoCurrentRow()
{
    frmHelp help;
    help.QryTable = "Articoli";
    help.QryBoundColumn = "art_Codice";
    help.QryListField = "art_Descrizione";
    help.QryWhere = "art_Codice > 100";
    m_messages->queueModal([](QDialog &dialog) {
        pressEnter(dialog);
        return dialog.result();
    });
    help.showModal();
    QCOMPARE(help.QryAborted, false);
    QCOMPARE(help.QrySelected.toString(), QString());
    QCOMPARE(help.QryText, QString());
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
    QVERIFY(m_messages->messages().first().text.contains("art_Nonesiste", Qt::CaseInsensitive));
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
