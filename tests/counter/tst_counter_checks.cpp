// What the load and the sale windows accept from the keyboard and the
// scanner before anything is written: dates in the forms the date check
// completes, whole quantities only, and a confirmation for quantities a
// scan typed into the quantity box would give.
#include "CounterFixture.h"

#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

namespace {

struct Window {
    QString command, checkEnd, another, table, dateField;
};

Window windowOf(const QString &kind)
{
    if (kind == QLatin1String("carico"))
        return {QStringLiteral("mnuFileCaricoItem"), QStringLiteral("Impossibile effettuare il carico."),
                QStringLiteral("L'articolo è stato caricato correttamente. \r\nSi desidera caricare un altro articolo?"),
                QStringLiteral("carico"), QStringLiteral("ca_Data")};
    return {QStringLiteral("mnuFileScaricoItem"), QStringLiteral("Impossibile effettuare lo scarico."),
            QStringLiteral("L'articolo è stato scaricato correttamente. \r\n"
                           "Si desidera scaricare un altro articolo nella stessa operazione?"),
            QStringLiteral("scarico"), QStringLiteral("sc_Data")};
}

} // namespace

class TestCounterChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scanAndEnter_data();
    void scanAndEnter();
};

void TestCounterChecks::scanAndEnter_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("date");        // typed over today's date, empty: left as it is
    QTest::addColumn<QString>("quantity");    // typed over the proposed 1
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("messages"); // "check", "another" or a whole text
    QTest::addColumn<bool>("recorded");

    for (const QString &kind : {QStringLiteral("carico"), QStringLiteral("scarico")}) {
        const QByteArray k = kind.toLatin1() + ", ";
        QTest::newRow(k + "date typed 061226") << kind << "061226" << "1" << QList<int>{ui::vbYes}
                                               << QStringList{"another"} << true;
        QTest::newRow(k + "date typed 6-12-2026") << kind << "6-12-2026" << "1" << QList<int>{ui::vbYes}
                                                  << QStringList{"another"} << true;
        QTest::newRow(k + "quantity 1,5") << kind << "" << "1,5" << QList<int>{} << QStringList{"check"} << false;
        QTest::newRow(k + "quantity 1.5") << kind << "" << "1.5" << QList<int>{} << QStringList{"check"} << false;
        QTest::newRow(k + "quantity 999, no question") << kind << "" << "999" << QList<int>{ui::vbYes}
                                                       << QStringList{"another"} << true;
        QTest::newRow(k + "quantity 1000, confirmed") << kind << "" << "1000" << QList<int>{ui::vbYes, ui::vbYes}
            << QStringList{"Confermare la quantità di 1000 pezzi?", "another"} << true;
        // A bar code scanned into the quantity box: the scanner's Enter meets
        // the question, whose default is No.
        QTest::newRow(k + "a scan in the quantity box") << kind << "" << "800987654" << QList<int>{}
            << QStringList{"Confermare la quantità di 800987654 pezzi?"} << false;
    }
}

void TestCounterChecks::scanAndEnter()
{
    QFETCH(QString, kind);
    QFETCH(QString, date);
    QFETCH(QString, quantity);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, messages);
    QFETCH(bool, recorded);
    const Window w = windowOf(kind);
    CounterFixture shop;
    ui::ScriptedMessages shown;
    for (int answer : answers)
        shown.queueAnswer(answer);
    QWidget &window = shop.open(w.command);
    if (!date.isEmpty())
        CounterFixture::box(window, "txtData")->setText(date);
    CounterFixture::type(QStringLiteral("1234"));
    CounterFixture::enter();
    QLineEdit *quantityBox = CounterFixture::box(window, "txtQuantita");
    QCOMPARE(CounterFixture::focused(), quantityBox);
    quantityBox->selectAll();
    CounterFixture::type(quantity);
    CounterFixture::enter();

    QStringList expected;
    for (const QString &message : messages) {
        if (message == QLatin1String("check"))
            expected << QStringLiteral("Alcuni campi non sono stati inseriti correttamente: \r\nQuantità\r\n") + w.checkEnd;
        else if (message == QLatin1String("another"))
            expected << w.another;
        else
            expected << message;
    }
    QCOMPARE(shown.texts(), expected);
    if (expected.first().startsWith(QLatin1String("Confermare")))
        QCOMPARE(shown.messages().first().style, ui::vbYesNo | ui::vbQuestion | ui::vbDefaultButton2);

    QCOMPARE(shop.rows(w.table), recorded ? 1 : 0);
    if (!recorded) {
        QCOMPARE(shop.stock(QStringLiteral("1234")), 3L);
        // Back in the quantity box, its text selected for typing over.
        QCOMPARE(CounterFixture::focused(), quantityBox);
        QCOMPARE(quantityBox->text(), quantity);
        QCOMPARE(quantityBox->selectedText(), quantity);
        return;
    }
    const long moved = kind == QLatin1String("carico") ? quantity.toLong() : -quantity.toLong();
    QCOMPARE(shop.stock(QStringLiteral("1234")), 3L + moved);
    QCOMPARE(shop.scalar("select " + w.dateField + " from " + w.table).toDate(), QDate(2026, 12, 6));
}

QTEST_MAIN(TestCounterChecks)
#include "tst_counter_checks.moc"
