// The day's takings: the sales of a day or period by payment type, with the
// number of sales, the discounts and the amounts, and their print.

#include "ListsFixture.h"

#include "report/ReportProperties.h"
#include "rules/DailyTakings.h"
#include "skin/ctrl_SkinableButton.h"
#include "stock/frmIncassi.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

class TestTakings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void aDayWithThreePaymentTypes();
    void aPeriodAndABadPeriod();
    void printSelectsThePeriod();

private:
    frmIncassi &open();
    QStringList rows(frmIncassi &window) const;
    std::unique_ptr<ListsFixture> m_f;
};

void TestTakings::initTestCase()
{
    QVERIFY(CardFixture::registerLogLibrary());
}

void TestTakings::init()
{
    m_f = std::make_unique<ListsFixture>();
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // Today: two cash sales, one card, one debit card, one without payment;
    // the day before: one cash sale.
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("06/12/2026"), 1, 20, 0, 20, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 2, 7.5, 1, 14, QStringLiteral("CO"), false);
    m_f->addSale(QStringLiteral("1234"), QStringLiteral("06/12/2026"), 1, 20, 2.5, 17.5, QStringLiteral("CC"), false);
    m_f->addSale(QStringLiteral("1234U"), QStringLiteral("06/12/2026"), 1, 9, 0, 9, QStringLiteral("BA"), true);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 1, 7.5, 0, 7.5, QString(), false);
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("05/12/2026"), 1, 7.5, 0, 7.5, QStringLiteral("CO"), false);
}

void TestTakings::cleanup()
{
    delete ui::WindowRegistry::existingInstance<frmIncassi>();
    if (m_f->report().lastPreview())
        delete m_f->report().lastPreview();
    m_f.reset();
    QLocale::setDefault(QLocale::c());
}

frmIncassi &TestTakings::open()
{
    frmIncassi &window = ui::WindowRegistry::defaultInstance<frmIncassi>();
    window.show();
    QApplication::processEvents();
    return window;
}

QStringList TestTakings::rows(frmIncassi &window) const
{
    QStringList lines;
    for (int i = 0; i < window.lvwIncassi->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = window.lvwIncassi->topLevelItem(i);
        lines << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2) + QLatin1Char('|')
                     + item->text(3);
    }
    return lines;
}

// Opening shows today's takings at once, each payment type by its name.
void TestTakings::aDayWithThreePaymentTypes()
{
    frmIncassi &window = open();
    QCOMPARE(window.txtDataInizio->text(), QStringLiteral("06/12/2026"));
    QCOMPARE(window.txtDataFine->text(), QStringLiteral("06/12/2026"));
    QCOMPARE(rows(window), (QStringList{QStringLiteral("Bancomat|1|0,00|9,00"),
                                        QStringLiteral("Carta di credito|1|2,50|17,50"),
                                        QStringLiteral("Contanti|2|1,00|34,00"),
                                        QStringLiteral("Non specificato|1|0,00|7,50"),
                                        QStringLiteral("Totale|5|3,50|68,00")}));
    QCOMPARE(window.lblTotale->text(), QStringLiteral("Totale incassato: € 68,00"));
    QVERIFY(m_f->messages().texts().isEmpty());
}

void TestTakings::aPeriodAndABadPeriod()
{
    frmIncassi &window = open();
    window.txtDataInizio->setText(QStringLiteral("05/12/2026"));
    window.cmdAggiorna->click();
    QCOMPARE(rows(window).last(), QStringLiteral("Totale|6|3,50|75,50"));
    // An empty payment code counts with the sales that have none.
    m_f->addSale(QStringLiteral("5555"), QStringLiteral("06/12/2026"), 1, 2, 0, 2, QStringLiteral(""), false);
    const DailyTakings takings = DailyTakings::read(QDate(2026, 12, 6), QDate(2026, 12, 6));
    QCOMPARE(takings.lines.last().descrizione, QStringLiteral("Non specificato"));
    QCOMPARE(takings.lines.last().vendite, 2);
    QCOMPARE(takings.totale.incasso, 70.0);

    window.txtDataInizio->setText(QStringLiteral("07/12/2026"));
    window.cmdAggiorna->click();
    QCOMPARE(m_f->messages().texts(), QStringList{frmIncassi::kBadPeriod});
}

void TestTakings::printSelectsThePeriod()
{
    frmIncassi &window = open();
    window.cmdStampa->click();
    QCOMPARE(m_f->report().get(report::prop::ReportFileName).toString(), m_f->folder() + QStringLiteral("/incassi.rpt"));
    QCOMPARE(m_f->report().get(report::prop::SelectionFormula).toString(),
             QStringLiteral("{scarico.sc_Data} >= date(2026,12,06) and {scarico.sc_Data} <= date(2026,12,06)"));
    QCOMPARE(m_f->report().lastTitle(), QStringLiteral("Incassi del 06/12/2026"));
    QVERIFY(m_f->report().lastPreview());
    QCOMPARE(m_f->log(), QByteArray());
    // The sales without a payment code are named on paper as on screen.
    const report::ReportPage page = m_f->report().lastPage(0);
    QVERIFY2(page.contains(QStringLiteral("Non specificato")) && page.contains(QStringLiteral("Contanti")),
             qPrintable(page.texts().join(QLatin1Char('|'))));
}

QTEST_MAIN(TestTakings)
#include "tst_takings.moc"
