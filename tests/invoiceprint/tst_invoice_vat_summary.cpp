// The VAT summary rule: groups by code in code order, each rounded to the
// cent when it closes, the total the sum of the rounded groups.
#include "rules/InvoiceVatSummary.h"

#include <QtTest>

class TestInvoiceVatSummary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void summary_data();
    void summary();
};

void TestInvoiceVatSummary::summary_data()
{
    // Lines "code:amount:rate" ("-" for Null); expected "code=vat" per group, then the total.
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one line") << "3:100:22" << "3=22.00 | 22.00";
    QTest::newRow("codes in code order, never line by line") << "3:10:22;1:10:4;3:20:22" << "1=0.40 3=6.60 | 7.00";
    QTest::newRow("half cents rounded when the group closes") << "3:10.25:22;1:1.125:4" << "1=0.05 3=2.26 | 2.31";
    QTest::newRow("2.675 is rounded up, as its decimal value") << "5:2.675:100" << "5=2.68 | 2.68";
    QTest::newRow("lines add up unrounded within a group") << "3:0.02:22;3:0.02:22;3:0.02:22" << "3=0.01 | 0.01";
    QTest::newRow("Null amount counts as 0") << "3:-:22;3:50:22" << "3=11.00 | 11.00";
    QTest::newRow("Null code is a group of its own, first") << "2:10:10;-:10:0" << "-=0.00 2=1.00 | 1.00";
    QTest::newRow("negative amounts round away from zero") << "3:-10.25:22" << "3=-2.26 | -2.26";
}

void TestInvoiceVatSummary::summary()
{
    QFETCH(QString, lines);
    QFETCH(QString, expected);

    InvoiceVatSummary summary;
    for (const QString &line : lines.split(QLatin1Char(';'))) {
        const QStringList f = line.split(QLatin1Char(':'));
        const QVariant code = f[0] == QLatin1String("-") ? QVariant() : QVariant(f[0].toLongLong());
        const QVariant amount = f[1] == QLatin1String("-") ? QVariant() : QVariant(f[1].toDouble());
        summary.addLine(code, amount, f[2].toDouble());
    }
    QStringList got;
    for (const auto &g : summary.groups())
        got << (g.code ? QString::number(*g.code) : QStringLiteral("-")) + QLatin1Char('=')
                + InvoiceVatSummary::reportAmount(g.vatCents);
    QCOMPARE(got.join(QLatin1Char(' ')) + QStringLiteral(" | ") + InvoiceVatSummary::reportAmount(summary.totalCents()),
             expected);
}

QTEST_GUILESS_MAIN(TestInvoiceVatSummary)
#include "tst_invoice_vat_summary.moc"
