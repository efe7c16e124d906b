#include "data/GridColumn.h"
#include "data/GridFormat.h"

#include <QDate>
#include <cmath>
#include <QTest>

using data::GridColumn;
using data::GridFormat;

class TestGridFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void display_data();
    void display();
    void parseNumber_data();
    void parseNumber();
    void parseNumberWithinLimits();
    void parseDate_data();
    void parseDate();
    void valueListMatchesCodesWhateverTheirType();
    void amountCellsShowCents_data();
    void amountCellsShowCents();
    void valueItemChosenByTypedKey_data();
    void valueItemChosenByTypedKey();
    void columnKindAndAlignment();
};

void TestGridFormat::display_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");

    QTest::newRow("lire thousands") << QVariant(1234567.4) << "#,##0" << "1.234.567";
    QTest::newRow("lire half rounds up") << QVariant(2.5) << "#,##0" << "3";
    QTest::newRow("lire negative half") << QVariant(-2.5) << "#,##0" << "-3";
    QTest::newRow("lire integer type") << QVariant(qlonglong(1000)) << "#,##0" << "1.000";
    QTest::newRow("euro standard") << QVariant(1234.565) << "Standard" << "1.234,57";
    QTest::newRow("euro small") << QVariant(0.5) << "Standard" << "0,50";
    QTest::newRow("euro negative") << QVariant(-1234.5) << "Standard" << "-1.234,50";
    QTest::newRow("no negative zero") << QVariant(-0.004) << "Standard" << "0,00";
    // Millions keep their cents (a relative nudge once added ten cents here).
    QTest::newRow("euro millions") << QVariant(99999999.99) << "Standard" << "99.999.999,99";
    QTest::newRow("euro millions, cents kept") << QVariant(5000000.01) << "#,##0.00" << "5.000.000,01";
    QTest::newRow("half a cent stored a hair below") << QVariant(1.005) << "0.00" << "1,01";
    QTest::newRow("two decimals") << QVariant(1936.27) << "0.00" << "1936,27";
    QTest::newRow("general number") << QVariant(1.5) << "General Number" << "1,5";
    QTest::newRow("no format whole") << QVariant(1950.0) << "" << "1950";
    QTest::newRow("no format big") << QVariant(1234567.25) << "" << "1234567,25";
    QTest::newRow("currency") << QVariant(12.0) << "Currency" << "€ 12,00";
    QTest::newRow("percent") << QVariant(0.22) << "Percent" << "22,00%";
    QTest::newRow("optional decimals") << QVariant(3.1) << "#,##0.##" << "3,1";
    QTest::newRow("date") << QVariant(QDate(2026, 12, 6)) << "" << "06/12/2026";
    QTest::newRow("short date") << QVariant(QDate(2026, 12, 6)) << "Short Date" << "06/12/2026";
    QTest::newRow("date pattern") << QVariant(QDate(2026, 1, 2)) << "dd/mm/yyyy" << "02/01/2026";
    QTest::newRow("date and time") << QVariant(QDateTime(QDate(2026, 1, 2), QTime(9, 5, 0))) << ""
                                   << "02/01/2026 09:05:00";
    QTest::newRow("yes/no default") << QVariant(true) << "" << "Vero";
    QTest::newRow("yes/no format") << QVariant(false) << "Yes/No" << "No";
    QTest::newRow("null") << QVariant() << "Standard" << "";
    QTest::newRow("text stays") << QVariant(QStringLiteral("abc")) << "Standard" << "abc";
    QTest::newRow("number as text") << QVariant(QStringLiteral("12.5")) << "Standard" << "12,50";
}

void TestGridFormat::display()
{
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QCOMPARE(GridFormat::display(value, format), expected);
}

void TestGridFormat::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("comma decimal") << "1936,27" << true << QVariant(1936.27);
    QTest::newRow("thousands point") << "1.234,5" << true << QVariant(1234.5);
    QTest::newRow("whole") << "12" << true << QVariant(qlonglong(12));
    QTest::newRow("negative") << "-3" << true << QVariant(qlonglong(-3));
    QTest::newRow("point decimal") << "1.5" << true << QVariant(1.5);
    QTest::newRow("euro sign") << "€ 10,00" << true << QVariant(10.0);
    QTest::newRow("blank is null") << "   " << true << QVariant();
    QTest::newRow("letters") << "abc" << false << QVariant();
    QTest::newRow("two commas") << "1,2,3" << false << QVariant();
    QTest::newRow("lone minus") << "-" << false << QVariant();
    // Read as every typed number is: a point alone is the decimal separator.
    QTest::newRow("a point alone") << "1.000" << true << QVariant(qlonglong(1));
    QTest::newRow("exponent") << "1e308" << false << QVariant();
    QTest::newRow("NaN") << "NaN" << false << QVariant();
    QTest::newRow("infinity") << "inf" << false << QVariant();
}

void TestGridFormat::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QVariant, expected);
    bool parsed = !ok;
    const QVariant value = GridFormat::parseNumber(text, &parsed);
    QCOMPARE(parsed, ok);
    QCOMPARE(value.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(value.typeId(), expected.typeId());
        QCOMPARE(value.toDouble(), expected.toDouble());
    }
}

void TestGridFormat::parseNumberWithinLimits()
{
    bool parsed = false;
    const db::NumberLimits cents{99999999.99, 2};
    QCOMPARE(GridFormat::parseNumber(QStringLiteral("2,675"), &parsed, cents), QVariant(2.68));
    QVERIFY(parsed);
    QVERIFY(!GridFormat::parseNumber(QStringLiteral("100000000"), &parsed, cents).isValid());
    QVERIFY(!parsed);
}

void TestGridFormat::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("slashes") << "06/12/2026" << true << QDate(2026, 12, 6);
    QTest::newRow("short parts") << "6/1/26" << true << QDate(2026, 1, 6);
    QTest::newRow("eight digits") << "06122026" << true << QDate(2026, 12, 6);
    QTest::newRow("six digits") << "061226" << true << QDate(2026, 12, 6);
    QTest::newRow("dashes") << "06-12-2026" << true << QDate(2026, 12, 6);
    QTest::newRow("impossible") << "31/02/2026" << false << QDate();
    QTest::newRow("month first is not read") << "12/31/2026" << false << QDate();
    QTest::newRow("letters") << "oggi" << false << QDate();
    QTest::newRow("empty is null") << "" << true << QDate();
}

void TestGridFormat::parseDate()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QDate, expected);
    bool parsed = !ok;
    const QVariant value = GridFormat::parseDate(text, &parsed);
    QCOMPARE(parsed, ok);
    QCOMPARE(value.toDate(), expected);
}

void TestGridFormat::valueListMatchesCodesWhateverTheirType()
{
    GridColumn vat(QStringLiteral("IVA"), QStringLiteral("df_IVA"));
    vat.addValueItem(qlonglong(1), QStringLiteral("Esente"));
    vat.addValueItem(qlonglong(2), QStringLiteral("10%"));
    vat.addValueItem(qlonglong(3), QStringLiteral("22%"));

    QCOMPARE(vat.valueItemIndex(QVariant(qlonglong(3))), 2);
    QCOMPARE(vat.valueItemIndex(QVariant(3.0)), 2);
    QCOMPARE(vat.valueItemIndex(QVariant(QStringLiteral("3"))), 2);
    QCOMPARE(vat.valueItemIndex(QVariant(4)), -1);
    QCOMPARE(vat.valueItemIndex(QVariant()), -1);
    QCOMPARE(vat.displayText(QVariant(qlonglong(2))), QStringLiteral("10%"));
    QCOMPARE(vat.displayText(QVariant(qlonglong(9))), QStringLiteral("9"));
    vat.translateValues = false;
    QCOMPARE(vat.displayText(QVariant(qlonglong(2))), QStringLiteral("2"));

    GridColumn payment(QStringLiteral("Pagamento"), QStringLiteral("sc_Pagamento"));
    payment.addValueItem(QStringLiteral("CO"), QStringLiteral("Contanti"));
    QCOMPARE(payment.valueItemIndex(QStringLiteral("CO")), 0);
    QCOMPARE(payment.valueItemIndex(QStringLiteral("co")), -1);
}

// A column of amounts (numbers kept to cents) shows every value with two
// decimals and the thousands grouped, as the other amounts of the grids;
// what it shows reads back as the same number, and "1.000" typed stays 1
// (the point alone is a decimal point, as everywhere in the program).
void TestGridFormat::amountCellsShowCents_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("3 x 0,20") << QVariant(3 * 0.2) << "0,60";
    QTest::newRow("12.5") << QVariant(12.5) << "12,50";
    QTest::newRow("whole, stored as an integer") << QVariant(qlonglong(20)) << "20,00";
    QTest::newRow("zero") << QVariant(0.0) << "0,00";
    QTest::newRow("negative") << QVariant(-4.5) << "-4,50";
    QTest::newRow("a negative that rounds to zero") << QVariant(-0.001) << "0,00";
    QTest::newRow("half a cent rounds up") << QVariant(2.675) << "2,68";
    QTest::newRow("thousands") << QVariant(1000.0) << "1.000,00";
    QTest::newRow("the largest amount") << QVariant(99999999.99) << "99.999.999,99";
    QTest::newRow("Null") << QVariant() << "";
}

void TestGridFormat::amountCellsShowCents()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    GridColumn amount(QStringLiteral("Importo"), QStringLiteral("df_Importo"));
    amount.kind = GridColumn::Kind::Number;
    amount.limits = db::NumberLimits{99999999.99, 2};
    QCOMPARE(amount.displayText(stored), shown);
    if (!shown.isEmpty()) {
        bool ok = false;
        QCOMPARE(GridFormat::parseNumber(shown, &ok, amount.limits).toDouble(), std::round(stored.toDouble() * 100) / 100 + 0.0);
        QVERIFY(ok);
    }
    bool ok = false;
    QCOMPARE(GridFormat::parseNumber(QStringLiteral("1.000"), &ok, amount.limits).toDouble(), 1.0);
    // A quantity keeps its decimals as they are; a format the window gives wins.
    GridColumn quantity(QStringLiteral("Quantità"), QStringLiteral("df_Quantità"));
    quantity.limits = db::NumberLimits{2147483647.0, -1};
    QCOMPARE(quantity.displayText(QVariant(2.5)), QStringLiteral("2,5"));
    amount.numberFormat = QStringLiteral("0.00");
    QCOMPARE(amount.displayText(QVariant(1000.0)), QStringLiteral("1000,00"));
}

// The VAT column: an item is chosen by its rate typed whole, by its code, or
// by the start of its text; a rate wins over a code of the same digits.
void TestGridFormat::valueItemChosenByTypedKey_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("item");
    QTest::newRow("rate 22") << "22" << -1 << 2;
    QTest::newRow("rate 4") << "4" << -1 << 0;
    QTest::newRow("rate 10") << "10" << -1 << 1;
    QTest::newRow("code 3") << "3" << -1 << 2;
    QTest::newRow("code 2, on its way to 22") << "2" << -1 << 1;
    QTest::newRow("blanks around") << " 22 " << -1 << 2;
    QTest::newRow("start of the text") << "iva 1" << -1 << 1;
    QTest::newRow("a letter goes on to the next item") << "i" << 0 << 1;
    QTest::newRow("nothing") << "7" << -1 << -1;
}

void TestGridFormat::valueItemChosenByTypedKey()
{
    QFETCH(QString, typed);
    QFETCH(int, after);
    QFETCH(int, item);
    GridColumn vat(QStringLiteral("IVA"), QStringLiteral("df_IVA"));
    vat.addValueItem(qlonglong(1), QStringLiteral("IVA 4%"), {QStringLiteral("4"), QStringLiteral("1")});
    vat.addValueItem(qlonglong(2), QStringLiteral("IVA 10%"), {QStringLiteral("10"), QStringLiteral("2")});
    vat.addValueItem(qlonglong(3), QStringLiteral("IVA 22%"), {QStringLiteral("22"), QStringLiteral("3")});
    QCOMPARE(vat.typedItemIndex(typed, after), item);
}

void TestGridFormat::columnKindAndAlignment()
{
    GridColumn lire(QStringLiteral("Uscita Lire"), QStringLiteral("pn_Uscita_Lire"));
    lire.numberFormat = QStringLiteral("#,##0");
    QCOMPARE(lire.effectiveKind(QVariant(QStringLiteral("x"))), GridColumn::Kind::Number);
    QCOMPARE(lire.effectiveAlignment(QVariant()), Qt::AlignRight | Qt::AlignVCenter);

    GridColumn date(QStringLiteral("Data"), QStringLiteral("pn_Data"));
    date.numberFormat = QStringLiteral("dd/mm/yyyy");
    QCOMPARE(date.effectiveKind(QVariant()), GridColumn::Kind::Date);

    GridColumn plain(QStringLiteral("Descrizione"), QStringLiteral("pn_Descrizione"));
    QCOMPARE(plain.effectiveKind(QVariant(QDate(2026, 1, 1))), GridColumn::Kind::Date);
    QCOMPARE(plain.effectiveKind(QVariant(2.5)), GridColumn::Kind::Number);
    QCOMPARE(plain.effectiveKind(QVariant(QStringLiteral("a"))), GridColumn::Kind::Text);
    QCOMPARE(plain.effectiveAlignment(QVariant(QStringLiteral("a"))), Qt::AlignLeft | Qt::AlignVCenter);

    GridColumn used(QStringLiteral("Usato"), QStringLiteral("art_Usato"));
    used.checkBox = true;
    QCOMPARE(used.effectiveKind(QVariant()), GridColumn::Kind::Boolean);
    QCOMPARE(used.effectiveAlignment(QVariant()), Qt::Alignment(Qt::AlignCenter));

    GridColumn fixed(QStringLiteral("Codice"), QStringLiteral("art_Codice"));
    fixed.alignment = Qt::AlignHCenter;
    QCOMPARE(fixed.effectiveAlignment(QVariant(1)), Qt::AlignHCenter | Qt::AlignVCenter);
}

QTEST_GUILESS_MAIN(TestGridFormat)
#include "tst_grid_format.moc"
