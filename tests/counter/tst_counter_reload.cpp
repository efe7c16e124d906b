// A stock window already open on one recorded load or sale, told to show
// another one, shows that one: its Save and Delete act on the row its
// members name, never on the row it showed before. The menu's command on a
// window in change mode turns it back to new loads or sales.
#include "CounterFixture.h"

#include "base/OpenWindow.h"
#include "quirnel/mdiTarvo.h"
#include "stock/frmCarico.h"
#include "stock/frmScarico.h"
#include "ui/ScriptedMessages.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QtTest>

namespace {

// What differs between the load and the sale window for these tests.
struct Kind {
    QString table, key, barcodeField, quantityField, command;
    QString insertA, insertB;
    int sign;   // what a recorded row did to the stock: +1 a load, -1 a sale
};

Kind kindOf(const QString &name)
{
    if (name == QLatin1String("carico"))
        return {QStringLiteral("carico"), QStringLiteral("ca_Codice"), QStringLiteral("ca_Codice_Articolo"),
                QStringLiteral("ca_Quantita"), QStringLiteral("mnuFileCaricoItem"),
                QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
                               "values (\"1234\", #12/01/2026#, 2, 0, 0)"),
                QStringLiteral("insert into carico (ca_Codice_Articolo, ca_Data, ca_Quantita, ca_Prezzo, ca_Usato) "
                               "values (\"5555\", #12/02/2026#, 4, 0, 0)"),
                +1};
    return {QStringLiteral("scarico"), QStringLiteral("sc_Codice"), QStringLiteral("sc_Codice_Articolo"),
            QStringLiteral("sc_Quantita"), QStringLiteral("mnuFileScaricoItem"),
            QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, "
                           "sc_Saldo, sc_Pagamento) values (\"1234\", #12/01/2026#, 2, 20, 0, 40, \"CO\")"),
            QStringLiteral("insert into scarico (sc_Codice_Articolo, sc_Data, sc_Quantita, sc_Prezzo, sc_Sconto, "
                           "sc_Saldo, sc_Pagamento) values (\"5555\", #12/02/2026#, 4, 7, 0, 28, \"CO\")"),
            -1};
}

// Opens the window of a kind in change mode on a row, as the stock lists do.
QWidget &openOn(const QString &kind, qlonglong number)
{
    if (kind == QLatin1String("carico"))
        return openWindow<frmCarico>([number](frmCarico &w) {
            w.p_bln_Modifica = true;
            w.p_lng_Codice_Carico = long(number);
        });
    return openWindow<frmScarico>([number](frmScarico &w) {
        w.p_bln_Modifica = true;
        w.p_lng_Codice_Scarico = long(number);
    });
}

QPushButton *button(QWidget &window, const char *name)
{
    return window.findChild<QPushButton *>(QLatin1String(name));
}

QString text(QWidget &window, const char *name)
{
    return CounterFixture::box(window, name)->text();
}

} // namespace

class TestCounterReload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openOnAThenBActsOnB_data();
    void openOnAThenBActsOnB();
    void menuTurnsAChangeWindowToNew_data();
    void menuTurnsAChangeWindowToNew();
};

void TestCounterReload::openOnAThenBActsOnB_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("action");
    // Stock before: 1234 has 3, 5555 has 10; row A moved 2 of 1234, row B 4 of 5555.
    QTest::addColumn<long>("stock5555");
    QTest::newRow("load, save") << "carico" << "save" << 10L - 4 + 5;
    QTest::newRow("load, delete") << "carico" << "delete" << 10L - 4;
    QTest::newRow("sale, save") << "scarico" << "save" << 10L + 4 - 5;
    QTest::newRow("sale, delete") << "scarico" << "delete" << 10L + 4;
}

void TestCounterReload::openOnAThenBActsOnB()
{
    QFETCH(QString, kind);
    QFETCH(QString, action);
    QFETCH(long, stock5555);
    CounterFixture shop;
    const Kind k = kindOf(kind);
    shop.database().execute(k.insertA);
    shop.database().execute(k.insertB);
    const qlonglong a = shop.scalar("select min(" + k.key + ") from " + k.table).toLongLong();
    const qlonglong b = shop.scalar("select max(" + k.key + ") from " + k.table).toLongLong();

    QWidget &window = openOn(kind, a);
    QApplication::processEvents();
    QCOMPARE(text(window, "txtCodice"), QStringLiteral("1234"));
    QWidget &again = openOn(kind, b);
    QApplication::processEvents();
    QCOMPARE(&again, &window);
    QCOMPARE(text(window, "txtCodice"), QStringLiteral("5555"));
    QCOMPARE(text(window, "txtQuantita"), QStringLiteral("4"));

    ui::ScriptedMessages messages;
    if (action == QLatin1String("save")) {
        CounterFixture::box(window, "txtQuantita")->setText(QStringLiteral("5"));
        button(window, "cmdSalva")->click();
        QCOMPARE(shop.scalar("select " + k.quantityField + " from " + k.table + " where " + k.key + " = "
                             + QString::number(b)).toDouble(), 5.0);
    } else {
        messages.queueAnswer(ui::vbYes);
        button(window, "cmdCancella")->click();
        QCOMPARE(messages.texts().last(), QStringLiteral("Il dato è stato cancellato."));
        QCOMPARE(shop.rows(k.table + " where " + k.key + " = " + QString::number(b)), 0);
    }
    // Row A and its item are as they were.
    QCOMPARE(shop.scalar("select " + k.quantityField + " from " + k.table + " where " + k.key + " = "
                         + QString::number(a)).toDouble(), 2.0);
    QCOMPARE(shop.scalar("select " + k.barcodeField + " from " + k.table + " where " + k.key + " = "
                         + QString::number(a)).toString(), QStringLiteral("1234"));
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
    QCOMPARE(shop.stock(QStringLiteral("5555")), stock5555);
}

void TestCounterReload::menuTurnsAChangeWindowToNew_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("newButton");
    QTest::newRow("load") << "carico" << "cmdCarica";
    QTest::newRow("sale") << "scarico" << "cmdScarica";
}

void TestCounterReload::menuTurnsAChangeWindowToNew()
{
    QFETCH(QString, kind);
    QFETCH(QString, newButton);
    CounterFixture shop;
    const Kind k = kindOf(kind);
    shop.database().execute(k.insertA);
    QWidget &window = openOn(kind, shop.scalar("select max(" + k.key + ") from " + k.table).toLongLong());
    QApplication::processEvents();
    QVERIFY(button(window, "cmdSalva")->isVisibleTo(&window));

    shop.main().commandAction(k.command)->trigger();
    QApplication::processEvents();
    QVERIFY(button(window, qPrintable(newButton))->isVisibleTo(&window));
    QVERIFY(!button(window, "cmdSalva")->isVisibleTo(&window));
    QVERIFY(!button(window, "cmdCancella")->isVisibleTo(&window));
    QVERIFY(text(window, "txtCodice").isEmpty());
    QVERIFY(text(window, "txtQuantita").isEmpty());
    QCOMPARE(text(window, "txtData"), QStringLiteral("06/12/2026"));
    QCOMPARE(shop.main().mdiArea()->subWindowList().size(), 1);
}

QTEST_MAIN(TestCounterReload)
#include "tst_counter_reload.moc"
