// "Genera codice" in the load window: goods without a maker's code get a
// stock item of their article under a code the shop makes, and are loaded.
#include "CounterFixture.h"

#include "lookup/frmHelp.h"
#include "ui/ScriptedMessages.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

QPushButton *button(QWidget &window, const char *name)
{
    return window.findChild<QPushButton *>(QLatin1String(name));
}

// The article picker answered with the row showing `shown`.
ui::ScriptedMessages::ModalHandler pick(const QString &shown)
{
    return [shown](QDialog &dialog) {
        auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dblHelp"));
        list->setCurrentItem(list->findItems(shown, Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
        return dialog.result();
    };
}

const QString kChooseFirst = QStringLiteral(
    "Scegliere prima l'articolo con i pulsanti di ricerca accanto al codice: il nuovo codice a barre sarà suo.");

} // namespace

class TestCounterStoreCodes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pickedArticleIsLoadedUnderANewCode_data();
    void pickedArticleIsLoadedUnderANewCode();
    void nothingIsMadeWithoutAnArticle_data();
    void nothingIsMadeWithoutAnArticle();
};

void TestCounterStoreCodes::pickedArticleIsLoadedUnderANewCode_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("F7") << true;
    QTest::newRow("button") << false;
}

void TestCounterStoreCodes::pickedArticleIsLoadedUnderANewCode()
{
    QFETCH(bool, byKey);
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    QCOMPARE(button(window, "cmdGeneraCodice")->text(), QStringLiteral("Genera codice"));
    QCOMPARE(button(window, "cmdGeneraCodice")->toolTip(), QStringLiteral("Genera codice (F7)"));
    messages.queueModal(pick(QStringLiteral("42")));
    button(window, "cmdHelpCodice")->click();
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("42"));
    const int items = shop.rows(QStringLiteral("[Codice Articolo]"));
    // The offscreen platform leaves no window active after the picker; a
    // desktop gives the keyboard back to the main window.
    shop.activateMain();
    if (byKey) {
        CounterFixture::box(window, "txtCodice")->setFocus();
        CounterFixture::press(Qt::Key_F7);
    } else {
        QTest::mouseClick(button(window, "cmdGeneraCodice"), Qt::LeftButton);
    }
    QCOMPARE(messages.texts(), QStringList{});
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("2000000000015"));
    QCOMPARE(CounterFixture::box(window, "txtCodiceArticolo")->text(), QStringLiteral("42"));
    QCOMPARE(CounterFixture::box(window, "txtDescrizione")->text(), QStringLiteral("Giacca"));
    QCOMPARE(CounterFixture::box(window, "txtQuantitaDisponibile")->text(), QStringLiteral("0"));
    QCOMPARE(CounterFixture::focused(), CounterFixture::box(window, "txtQuantita"));
    QCOMPARE(shop.rows(QStringLiteral("[Codice Articolo]")), items + 1);
    QCOMPARE(shop.rows(QStringLiteral("[Codice Articolo] where ca_Codice = '2000000000015' and ca_Codice_Articolo = 42")),
             1);

    // Loaded as any item: Enter in the quantity records it.
    CounterFixture::type(QStringLiteral("3"));
    messages.queueAnswer(ui::vbYes);
    CounterFixture::enter();
    QCOMPARE(messages.texts().size(), 1);
    QCOMPARE(shop.stock(QStringLiteral("2000000000015")), 3L);
    QCOMPARE(shop.scalar(QStringLiteral("select ca_Codice_Articolo from carico")).toString(),
             QStringLiteral("2000000000015"));

    // The next goods get the next code.
    messages.queueModal(pick(QStringLiteral("42")));
    button(window, "cmdHelpCodice")->click();
    button(window, "cmdGeneraCodice")->click();
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), QStringLiteral("2000000000022"));
}

void TestCounterStoreCodes::nothingIsMadeWithoutAnArticle_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing typed") << "" << kChooseFirst;
    QTest::newRow("an article that does not exist") << "77" << kChooseFirst;
    QTest::newRow("an article number with more after it") << "42x" << kChooseFirst;
    QTest::newRow("a stock item's code") << "1234"
                                         << "Il codice 1234 è già di un articolo in magazzino: si può caricare così.";
}

void TestCounterStoreCodes::nothingIsMadeWithoutAnArticle()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    CounterFixture shop;
    ui::ScriptedMessages messages;
    QWidget &window = shop.open(QStringLiteral("mnuFileCaricoItem"));
    const int items = shop.rows(QStringLiteral("[Codice Articolo]"));
    CounterFixture::box(window, "txtCodice")->setText(typed);
    CounterFixture::press(Qt::Key_F7);
    QCOMPARE(messages.texts(), QStringList{message});
    QCOMPARE(messages.messages().at(0).style, int(ui::vbExclamation));
    QCOMPARE(CounterFixture::box(window, "txtCodice")->text(), typed);
    QCOMPARE(shop.rows(QStringLiteral("[Codice Articolo]")), items);
    QCOMPARE(shop.rows(QStringLiteral("CodiciNegozio")), 0);
}

QTEST_MAIN(TestCounterStoreCodes)
#include "tst_counter_store_codes.moc"
